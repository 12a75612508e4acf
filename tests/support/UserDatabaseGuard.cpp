#include "support/UserDatabaseGuard.h"

#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include <QLockFile>
#include <QSysInfo>

namespace testsupport {

namespace {

constexpr std::uint32_t kWatchedEvents = IN_OPEN | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE
                                         | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kLockTaken = IN_CREATE | IN_MOVED_TO;

const char* What(std::uint32_t mask)
{
    if (mask & (IN_CREATE | IN_MOVED_TO)) return "made or replaced";
    if (mask & (IN_DELETE | IN_MOVED_FROM)) return "removed or renamed";
    if (mask & (IN_MODIFY | IN_CLOSE_WRITE)) return "written";
    if (mask & IN_ATTRIB) return "had its attributes changed";
    return "opened";
}

// Held by a live process; looked at without taking it, so that a program starting just
// now is not turned away as a second instance.
bool LockHeld(const std::string& path)
{
    if (path.empty()) return false;
    const QLockFile lock(QString::fromStdString(path));
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0) return false;
    // Another machine's process (a shared temporary folder) cannot be asked: taken as live.
    if (!host.isEmpty() && host != QSysInfo::machineHostName()) return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace

TUserDatabaseGuard::TUserDatabaseGuard(const std::string& databasePath, const std::string& programLock)
    : database_(databasePath),
      name_(std::filesystem::path(databasePath).filename().string()),
      programLock_(programLock),
      lockName_(std::filesystem::path(programLock).filename().string())
{
    const std::string folder = std::filesystem::path(databasePath).parent_path().string();
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), kWatchedEvents) < 0) {
        ::close(fd_);
        fd_ = -1;
    }
    // A program that starts and ends between two looks at the lock still makes its file.
    if (!programLock.empty()) {
        const std::string lockFolder = std::filesystem::path(programLock).parent_path().string();
        lockFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (lockFd_ >= 0 && ::inotify_add_watch(lockFd_, lockFolder.c_str(), kLockTaken) < 0) {
            ::close(lockFd_);
            lockFd_ = -1;
        }
    }
    programRan_ = LockHeld(programLock_);
}

TUserDatabaseGuard::~TUserDatabaseGuard()
{
    if (fd_ >= 0) ::close(fd_);
    if (lockFd_ >= 0) ::close(lockFd_);
}

void TUserDatabaseGuard::Drain()
{
    const auto read = [](int fd, const std::function<void(const inotify_event&, const std::string&)>& take) {
        if (fd < 0) return;
        alignas(inotify_event) char buffer[16384];
        while (true) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                take(*event, event->len ? event->name : "");
            }
        }
    };
    read(fd_, [this](const inotify_event& event, const std::string& name) {
        if (name == name_ || name == name_ + "_") seen_.insert(name + " " + What(event.mask));
    });
    read(lockFd_, [this](const inotify_event&, const std::string& name) {
        if (name == lockName_) programRan_ = true;
    });
}

std::string TUserDatabaseGuard::Report()
{
    Drain();
    std::string lines;
    for (const std::string& line : seen_) lines += (lines.empty() ? "" : "\n") + line;
    seen_.clear();
    return lines;
}

bool TUserDatabaseGuard::ProgramRan()
{
    Drain();
    if (LockHeld(programLock_)) programRan_ = true;
    return programRan_;
}

TUserDatabaseGuard::TOutcome TUserDatabaseGuard::Outcome()
{
    const std::string touched = Report();
    if (touched.empty()) return {};
    if (ProgramRan())
        return {false, "note: the user's database " + database_
                           + " was touched while these tests ran, by the running program (it held its one-instance "
                             "lock "
                           + programLock_ + " meanwhile):\n" + touched};
    return {true, "FAILED: the user's database " + database_
                      + " was touched while these tests ran (tests work on copies of the empty template); the running "
                        "program is not the cause (its one-instance lock "
                      + programLock_ + " was not held meanwhile):\n" + touched};
}

} // namespace testsupport
