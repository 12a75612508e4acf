#pragma once
// Fresh copies of the built kv7200.FDB for tests, and a lock folder per test program
// so that test programs running side by side never share the engine's lock files.
// A test target that includes this defines KV7200_FDB (the built file's path).
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/fb/IBDatabase.h"

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

// Copies the built database into folder under name; returns the copy's path.
inline std::string CopyBuiltDatabase(const std::filesystem::path& folder, const std::string& name = "kv7200.FDB")
{
    auto target = folder / name;
    std::filesystem::copy_file(KV7200_FDB, target, std::filesystem::copy_options::overwrite_existing);
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

} // namespace fbtest
