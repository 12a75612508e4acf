// kv_mkdb SCRIPT OUTPUT: makes a Firebird database file from an isql-style script.
//
// The script's CREATE DATABASE statement makes the file (its file name is replaced by
// OUTPUT); "SET SQL DIALECT n" sets the dialect; every other statement runs and is
// committed at once, as isql does with DDL. The file is built under a temporary name
// and renamed to OUTPUT only when every statement succeeded.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>

#include "SqlScript.h"
#include "platform/fb/FbClient.h"
#include "platform/fb/IBDatabase.h"
#include "platform/fb/IBSQL.h"

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Squeezed(const std::string& statement)
{
    std::string out;
    for (char c : statement) {
        bool space = std::isspace(static_cast<unsigned char>(c));
        if (space && (out.empty() || out.back() == ' '))
            continue;
        out += space ? ' ' : c;
    }
    return out;
}

void Run(const std::string& scriptPath, const std::string& output)
{
    std::vector<std::string> statements = mkdb::SplitScript(ReadFile(scriptPath));
    const std::string building = output + ".building";
    std::filesystem::remove(building);

    fb::LoadClientLibrary();
    fb::TIBDatabase db;
    fb::TIBTransaction tr;
    tr.Params = {"read_committed", "rec_version", "nowait"};
    db.SetDefaultTransaction(&tr);
    tr.SetDefaultDatabase(&db);
    int dialect = 3;

    static const std::regex kDialect(R"(^SET\s+SQL\s+DIALECT\s+(\d)$)", std::regex::icase);
    static const std::regex kCreate(R"(^CREATE\s+(DATABASE|SCHEMA)\s+'[^']*')", std::regex::icase);
    try {
        for (std::size_t k = 0; k < statements.size(); ++k) {
            const std::string& statement = statements[k];
            std::smatch m;
            try {
                if (std::regex_search(statement, m, kDialect)) {
                    dialect = std::stoi(m[1]);
                } else if (std::regex_search(statement, m, kCreate)) {
                    db.SQLDialect = dialect;
                    db.DatabaseName = building;
                    db.CreateDatabase("CREATE DATABASE '" + building + "'" + statement.substr(m.length()));
                } else if (Upper(statement) == "COMMIT") {
                    if (tr.GetInTransaction())
                        tr.Commit();
                } else {
                    if (!db.GetConnected())
                        throw std::runtime_error("no CREATE DATABASE before this statement");
                    fb::TIBSQL sql(&db, &tr);
                    sql.SetParamCheck(false);
                    sql.SetSQL(statement);
                    sql.ExecQuery();
                    sql.Close();
                    tr.Commit();
                }
            } catch (const std::exception& e) {
                throw std::runtime_error("statement " + std::to_string(k + 1) + " ("
                                         + Squeezed(statement).substr(0, 80) + "): " + e.what());
            }
        }
        if (!db.GetConnected())
            throw std::runtime_error("the script creates no database");
        db.Close();
    } catch (...) {
        try {
            db.Close();
        } catch (...) {
        }
        std::filesystem::remove(building);
        throw;
    }
    std::filesystem::rename(building, output);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: kv_mkdb SCRIPT OUTPUT\n";
        return 2;
    }
    try {
        Run(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "kv_mkdb: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
