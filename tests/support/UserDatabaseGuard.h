#pragma once
// Watches the user's database of the build (the program's kv7200.FDB and its backup
// kv7200.FDB_) while tests run: tests work on copies of the empty template and never
// open, change, make or remove those. The watch sees every process, so what it reports
// happened while this program ran, by it or by another program (a test program beside it,
// or the program started from the build folder by hand).
#include <string>

namespace testsupport {

class TUserDatabaseGuard {
public:
    // databasePath: the user's database; its folder is watched (nothing when there is none).
    explicit TUserDatabaseGuard(const std::string& databasePath);
    ~TUserDatabaseGuard();
    TUserDatabaseGuard(const TUserDatabaseGuard&) = delete;
    TUserDatabaseGuard& operator=(const TUserDatabaseGuard&) = delete;

    // What happened to the files since the watch began, a line each ("kv7200.FDB opened");
    // "" when nothing did.
    std::string Report();

private:
    int fd_ = -1;
    std::string name_;
};

} // namespace testsupport
