#pragma once
// The built program as a child process in a folder of its own, its standard error
// read as it comes; a loopback address of this test process; and a virtual display on
// which a window is closed the way a window manager closes it.
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <QProcess>

#include "support/TempDir.h"

namespace apptest {

// A loopback address of this test process alone: port 843 is fixed, and another run of
// these tests (another build folder) may hold it on another address at the same time.
inline std::string OwnLoopbackAddress()
{
    const unsigned pid = static_cast<unsigned>(::getpid());
    return "127." + std::to_string(100 + pid / (254 * 256) % 100) + "." + std::to_string(pid / 254 % 256) + "."
           + std::to_string(1 + pid % 254);
}

// The live processes of session sid, with their names ("Xvfb", "kv7200" ...).
std::vector<std::pair<pid_t, std::string>> SessionProcesses(pid_t sid);

// The program file and a database beside it, in a fresh folder; the program's lock
// and local server of the single-instance guard in a folder of their own.
class TProgramCopy {
public:
    // database: the file to run on (copied as kv7200.FDB); "" for none.
    explicit TProgramCopy(const std::string& database);
    ~TProgramCopy();
    TProgramCopy(const TProgramCopy&) = delete;
    TProgramCopy& operator=(const TProgramCopy&) = delete;

    std::string Folder() const { return dir_.Str() + "/"; }
    std::string Database() const { return dir_.File("kv7200.FDB"); }

    // Starts it; extra environment entries ("NAME=value") are added to this process's.
    // With a launcher, that script is started with the program's path as its argument,
    // leading a session and process group of its own as a command typed at a terminal does.
    bool Start(const QStringList& environment = {"QT_QPA_PLATFORM=offscreen"}, const std::string& launcher = {});
    // To the process started (the program, or the launcher).
    void Signal(int signal) const;
    // To its whole process group, as Ctrl+C at the terminal sends SIGINT (with a launcher).
    void SignalGroup(int signal) const;
    // The temporary folder it was given (TMPDIR): the single-instance guard's and whatever
    // else it puts there.
    std::string TempFolder() const { return instanceDir_.Str(); }
    // Whether it runs, as last seen by a wait or the event loop.
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    // True when it still runs after ms.
    bool RunsAfter(int ms) { return !process_.waitForFinished(ms); }
    // Waits for its end; false (and the program killed) when it runs on.
    bool WaitForEnd(int timeoutMs);
    // Waits until its standard error holds text.
    bool WaitForError(const std::string& text, int timeoutMs);
    int ExitCode() const { return process_.exitCode(); }
    // The process started (also once it has ended); 0 before.
    pid_t ProcessId() const { return pid_; }
    bool EndedNormally() const { return process_.exitStatus() == QProcess::NormalExit; }
    std::string ErrorText();
    // Whether the engine files it writes at start are there.
    bool EngineFilesPresent() const;

private:
    testsupport::TempDir dir_;
    testsupport::TempDir instanceDir_;
    QProcess process_;
    bool launched_ = false;
    pid_t pid_ = 0;
    std::string error_;
};

// An X server of its own (Xvfb) on a free display number.
class TVirtualDisplay {
public:
    TVirtualDisplay();
    ~TVirtualDisplay();
    TVirtualDisplay(const TVirtualDisplay&) = delete;
    TVirtualDisplay& operator=(const TVirtualDisplay&) = delete;

    // False when no X server could be started (Xvfb missing).
    bool Running() const { return !name_.empty(); }
    // ":N"
    const std::string& Name() const { return name_; }
    // Waits for a shown top-level window with this title, then asks it to close as a
    // window manager does when its close button is pressed (WM_DELETE_WINDOW).
    bool CloseWindow(const std::string& title, int timeoutMs);

private:
    pid_t server_ = -1;
    std::string name_;
};

} // namespace apptest
