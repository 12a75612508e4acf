#pragma once
// Fresh copies of the built empty database for tests, and a lock folder per test program
// so that test programs running side by side never share the engine's lock files.
// A test target that includes this defines KV7200_TEMPLATE_FDB (kv_use_database_template).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fb/IBDatabase.h"
#include "platform/fb/IBSQL.h"

namespace fbtest {

inline constexpr const char* kUser = "user_name=sysdba";
inline constexpr const char* kPassword = "password=quillbarn";

// Before the engine's first use: FIREBIRD_LOCK := a folder of this process.
inline std::string UsePrivateLockFolder()
{
    auto folder = std::filesystem::temp_directory_path() / ("kv-fblock-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ::setenv("FIREBIRD_LOCK", folder.c_str(), 1);
    return folder.string();
}

// Copies the built empty database into folder under name; returns the copy's path.
inline std::string CopyBuiltDatabase(const std::filesystem::path& folder, const std::string& name = "kv7200.FDB")
{
    auto target = folder / name;
    std::filesystem::copy_file(KV7200_TEMPLATE_FDB, target, std::filesystem::copy_options::overwrite_existing);
    return target.string();
}

// A connection with the data module's settings: one read-committed, record-version,
// no-wait transaction.
struct TConnection {
    explicit TConnection(const std::string& path, bool open = true)
    {
        db.DatabaseName = path;
        db.Params = {kUser, kPassword};
        db.SQLDialect = 3;
        tr.Params = {"read_committed", "rec_version", "nowait"};
        tr.DefaultAction = fb::TTransactionAction::TACommitRetaining;
        db.SetDefaultTransaction(&tr);
        if (open)
            db.Open();
    }
    fb::TIBDatabase db;
    fb::TIBTransaction tr;
};

// Runs sql (with its parameter markers checked, or not for a block of PSQL) through a
// connection of its own and commits.
inline void ExecuteSql(const std::string& path, const std::string& sql, bool paramCheck = true)
{
    TConnection c(path);
    fb::TIBSQL q(&c.db);
    q.SetParamCheck(paramCheck);
    q.SetSQL(sql);
    q.ExecQuery();
    c.tr.Commit();
}

// Marks a data page of the largest table of a closed database file as an index page,
// as a bad sector or a torn write might: reading the records on it fails with "page N
// is of wrong type".
inline void DamageDataPage(const std::string& path)
{
    std::vector<char> bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const auto u16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at]))
               | static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    constexpr char kDataPage = 5, kIndexPage = 7;
    // The page size follows the header page's own page header; a data page names its
    // table at byte 20.
    const std::size_t pageSize = bytes.size() > 18 ? u16(16) : 0;
    if (pageSize == 0) throw std::runtime_error("not a database file: " + path);
    std::map<std::size_t, std::vector<std::size_t>> pagesOfTable;
    for (std::size_t at = pageSize; at + pageSize <= bytes.size(); at += pageSize)
        if (bytes[at] == kDataPage) pagesOfTable[u16(at + 20)].push_back(at);
    const std::vector<std::size_t>* largest = nullptr;
    for (const auto& [table, pages] : pagesOfTable)
        if (!largest || pages.size() > largest->size()) largest = &pages;
    if (!largest) throw std::runtime_error("no data page in " + path);
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>((*largest)[largest->size() / 2]));
    out.put(kIndexPage);
}

} // namespace fbtest
