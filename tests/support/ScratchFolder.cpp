#include "support/ScratchFolder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace testsupport {

namespace {

constexpr const char* kInheritedFolder = "KV_SCRATCH_FOLDER";
constexpr int kWatched = 3; // the descriptor the helper reads

// The helper: reads until every copy of the pipe's write end is closed (the program and
// whatever it started without exec have ended), then removes the folder.
[[noreturn]] void RemoveWhenDone(int watched, const std::string& folder)
{
    ::setsid();
    for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) ::signal(s, SIG_IGN);
    // Nothing of the program's stays open here: a runner that waits for the end of the
    // program's output must not wait for the helper.
    ::dup2(watched, kWatched);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < kWatched; ++fd) ::dup2(null, fd);
    ::close_range(kWatched + 1, ~0U, 0);
    char byte;
    while (true) {
        const ssize_t n = ::read(kWatched, &byte, 1);
        if (n == 0 || (n < 0 && errno != EINTR)) break;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    ::_exit(0);
}

} // namespace

std::string UseScratchFolder(const std::string& prefix)
{
    if (const char* inherited = std::getenv(kInheritedFolder); inherited && *inherited) return inherited;
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) return "";
    std::string folder = (base / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(folder.data())) return "";
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        ::rmdir(folder.c_str());
        return "";
    }
    const pid_t middle = ::fork();
    if (middle == 0) {
        // The helper is the middle one's child, adopted once it ends: a runner that kills
        // the program's process tree at a time-out does not find it.
        ::close(pipe[1]);
        if (::fork() == 0) RemoveWhenDone(pipe[0], folder);
        ::_exit(0);
    }
    ::close(pipe[0]);
    if (middle < 0) {
        ::close(pipe[1]);
        ::rmdir(folder.c_str());
        return "";
    }
    ::waitpid(middle, nullptr, 0);
    // pipe[1] stays open, closed on exec, for as long as this process lives.
    ::setenv("TMPDIR", folder.c_str(), 1);
    ::setenv("TMP", folder.c_str(), 1);
    ::setenv(kInheritedFolder, folder.c_str(), 1);
    return folder;
}

} // namespace testsupport
