#pragma once
// The single-instance guard: one running program per desktop. The first start holds a
// lock file and listens on a local server of the same name; a later start finds the
// lock taken, asks the running one to restore and raise its main window, and ends.
// Both live in the user's temporary folder.
#include <functional>
#include <memory>
#include <string>

#include <QDir>
#include <QString>

class QLocalServer;
class QLockFile;

namespace shell {

inline constexpr const char* kInstanceName = "RDSDECODERKV7200TOLK_ONEINSTANCE";

// The lock file of the instance of this name, held while it runs (tools that must not
// work beside the running program look at it). Defined here so that the test programs
// find it without the shell library.
inline QString InstanceLockFile(const std::string& name = kInstanceName)
{
    return QDir::tempPath() + '/' + QString::fromStdString(name) + ".lock";
}

class TInstanceGuard {
public:
    explicit TInstanceGuard(std::string name = kInstanceName);
    ~TInstanceGuard();
    TInstanceGuard(const TInstanceGuard&) = delete;
    TInstanceGuard& operator=(const TInstanceGuard&) = delete;

    // True when no other instance runs: the lock is held and requests are heard from now
    // on. A lock left by a program that died is taken over.
    bool Acquire();
    bool Acquired() const { return acquired_; }
    // For a later start: asks the running instance to come forward. True when the
    // request reached it within timeoutMs.
    bool SignalRunning(int timeoutMs = 2000) const;

    // Runs on the main thread when another start asked this one to come forward.
    std::function<void()> OnRaiseRequest;

private:
    void Accept();

    std::string name_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
    bool acquired_ = false;
};

} // namespace shell
