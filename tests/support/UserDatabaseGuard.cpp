#include "support/UserDatabaseGuard.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <set>

namespace testsupport {

namespace {

constexpr std::uint32_t kWatchedEvents = IN_OPEN | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE
                                         | IN_MOVED_FROM | IN_MOVED_TO;

const char* What(std::uint32_t mask)
{
    if (mask & (IN_CREATE | IN_MOVED_TO)) return "made or replaced";
    if (mask & (IN_DELETE | IN_MOVED_FROM)) return "removed or renamed";
    if (mask & (IN_MODIFY | IN_CLOSE_WRITE)) return "written";
    if (mask & IN_ATTRIB) return "had its attributes changed";
    return "opened";
}

} // namespace

TUserDatabaseGuard::TUserDatabaseGuard(const std::string& databasePath)
    : name_(std::filesystem::path(databasePath).filename().string())
{
    const std::string folder = std::filesystem::path(databasePath).parent_path().string();
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), kWatchedEvents) < 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

TUserDatabaseGuard::~TUserDatabaseGuard()
{
    if (fd_ >= 0) ::close(fd_);
}

std::string TUserDatabaseGuard::Report()
{
    if (fd_ < 0) return "";
    std::set<std::string> seen;
    alignas(inotify_event) char buffer[16384];
    while (true) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const std::string name = event->len ? event->name : "";
            if (name == name_ || name == name_ + "_") seen.insert(name + " " + What(event->mask));
        }
    }
    std::string lines;
    for (const std::string& line : seen) lines += (lines.empty() ? "" : "\n") + line;
    return lines;
}

} // namespace testsupport
