#pragma once
// Runs programs as a child the way a second user of the machine meets the database
// engine: the engine's shared lock folder /tmp/firebird exists and that user may not
// write it. The child gets a /tmp of its own (a private mount of Root()) whose
// "firebird" folder has mode 0. As root the child runs as "nobody", since root writes
// a mode-0 folder all the same; otherwise as this user, in a user namespace of its own
// that it leaves with every privilege dropped when the program starts.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace testsupport {

class TSecondUser {
public:
    TSecondUser();
    ~TSecondUser();
    TSecondUser(const TSecondUser&) = delete;
    TSecondUser& operator=(const TSecondUser&) = delete;

    // Why children cannot be run so on this machine (no mount namespaces); "" when they can.
    static std::string Unavailable();

    // The child's /tmp, as the test sees it.
    const std::filesystem::path& Root() const { return root_.Path(); }
    // A path under Root() as the child sees it.
    static std::string ChildPath(const std::string& relative) { return "/tmp/" + relative; }
    // The child's user id.
    uid_t Uid() const { return uid_; }
    // Makes Root()/relative a folder of the child's; returns it as the test sees it.
    std::filesystem::path MakeFolder(const std::string& relative, mode_t mode = 0700) const;
    // Copies file to Root()/relative as a file of the child's.
    std::filesystem::path CopyIn(const std::filesystem::path& file, const std::string& relative) const;

    struct TRun {
        int ExitCode = -1; // -1 when it did not exit by itself
        int Signal = 0;    // the signal that ended it
        bool TimedOut = false;
        std::string Output; // stdout and stderr
    };
    // Runs argv (paths as the child sees them) with only the variables of environment
    // ("NAME=value") and PATH, HOME (a folder of the child's) and the sanitizers' options;
    // calls whileRunning with its process id every few milliseconds and kills it at the
    // timeout. A failure to set the child up raises std::runtime_error.
    TRun Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             std::chrono::milliseconds timeout, const std::function<void(pid_t)>& whileRunning = {}) const;

private:
    TempDir root_;
    uid_t uid_;
    gid_t gid_;
};

} // namespace testsupport
