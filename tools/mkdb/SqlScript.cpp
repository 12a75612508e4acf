#include "SqlScript.h"

#include <cctype>
#include <stdexcept>

namespace mkdb {

namespace {

std::string Trim(const std::string& s)
{
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "SET TERM x" (the statement without its terminator): the new terminator, or "".
std::string NewTerminator(const std::string& statement)
{
    std::string u = Upper(statement);
    if (u.rfind("SET", 0) != 0)
        return {};
    std::size_t p = 3;
    while (p < u.size() && std::isspace(static_cast<unsigned char>(u[p])))
        ++p;
    if (p == 3 || u.compare(p, 4, "TERM") != 0)
        return {};
    std::string rest = Trim(statement.substr(p + 4));
    if (rest.empty())
        throw std::runtime_error("SET TERM without a terminator");
    return rest;
}

} // namespace

std::vector<std::string> SplitScript(const std::string& script)
{
    std::vector<std::string> statements;
    std::string terminator = ";";
    std::string current;
    const std::size_t n = script.size();
    std::size_t i = 0;
    auto finish = [&] {
        std::string statement = Trim(current);
        current.clear();
        if (statement.empty())
            return;
        std::string term = NewTerminator(statement);
        if (!term.empty())
            terminator = term;
        else
            statements.push_back(statement);
    };
    while (i < n) {
        char c = script[i];
        if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            for (;;) {
                if (j >= n)
                    throw std::runtime_error("Unterminated text or quoted name in the script");
                if (script[j] == c) {
                    if (j + 1 < n && script[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            current.append(script, i, j + 1 - i);
            i = j + 1;
        } else if (c == '-' && i + 1 < n && script[i + 1] == '-') {
            std::size_t j = script.find('\n', i);
            j = j == std::string::npos ? n : j;
            if (!Trim(current).empty())
                current.append(script, i, j - i);
            i = j;
        } else if (c == '/' && i + 1 < n && script[i + 1] == '*') {
            std::size_t j = script.find("*/", i + 2);
            if (j == std::string::npos)
                throw std::runtime_error("Unterminated comment in the script");
            // Comments inside a statement (a procedure body) stay; others go.
            if (!Trim(current).empty())
                current.append(script, i, j + 2 - i);
            i = j + 2;
        } else if (script.compare(i, terminator.size(), terminator) == 0) {
            i += terminator.size();
            finish();
        } else {
            current += c;
            ++i;
        }
    }
    if (!Trim(current).empty())
        throw std::runtime_error("The script ends inside a statement: " + Trim(current).substr(0, 60));
    return statements;
}

} // namespace mkdb
