#pragma once
// Watches the user's database of the build (the program's kv7200.FDB and its backup
// kv7200.FDB_) while tests run: tests work on copies of the empty template and never
// open, change, make or remove those. The watch sees every process, so what it reports
// happened while this program ran, by it or by another program (a test program beside it,
// or the program started from the build folder by hand). The program itself may write
// them while it runs (its log, its backup at exit): when its one-instance lock was held
// meanwhile, a touch is taken as its doing.
#include <set>
#include <string>

namespace testsupport {

class TUserDatabaseGuard {
public:
    // databasePath: the user's database; its folder is watched (nothing when there is none).
    // programLock: the running program's one-instance lock file ("" for none).
    explicit TUserDatabaseGuard(const std::string& databasePath, const std::string& programLock = "");
    ~TUserDatabaseGuard();
    TUserDatabaseGuard(const TUserDatabaseGuard&) = delete;
    TUserDatabaseGuard& operator=(const TUserDatabaseGuard&) = delete;

    // What happened to the files since the watch began, a line each ("kv7200.FDB opened");
    // "" when nothing did.
    std::string Report();
    // Whether the program held its lock at some time since the watch began.
    bool ProgramRan();

    struct TOutcome {
        bool Failed = false;
        std::string Text; // "" when nothing was touched
    };
    // What the end of a test run tells: nothing when the files were not touched; a note
    // when the program ran meanwhile; else a failure, which says the program did not run.
    TOutcome Outcome();

private:
    void Drain();

    int fd_ = -1;
    // Apart: the many other files of the temporary folder must not crowd out the database's events.
    int lockFd_ = -1;
    std::string database_;
    std::string name_;
    std::string programLock_;
    std::string lockName_;
    bool programRan_ = false;
    std::set<std::string> seen_;
};

} // namespace testsupport
