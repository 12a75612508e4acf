#pragma once
// The program's start and end around the main window: the single-instance guard, the
// database check, the splash, the engine files, the main window's initialization and
// post-initialization, the message loop, the shutdown and the removal of the engine
// files. main() runs it for the running program; tests run it in-process for a
// program file in a folder of their own.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/OneInstance.h"

class QEventLoop;
class QObject;

namespace shell {
class TMainForm;
class TSplashForm;
}

namespace app {

// The file of the running program.
std::string RunningProgramFile();

class TProgram {
public:
    // programFile: the program file; its folder holds the database and gets the engine files.
    explicit TProgram(std::string programFile, std::string instanceName = shell::kInstanceName);
    // Shuts down what was started.
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Start-up. False when the program is to end now (another instance runs, the
    // database is missing or refused, the engine cannot start); ExitCode says how.
    bool Start();
    // The message loop until the end is requested, then Stop. Returns ExitCode.
    int Run();
    // The shutdown sequence and the removal of the engine files; once, whatever windows
    // are open. Every step runs even when one before it failed; the failures are shown
    // together in one error box and make ExitCode non-zero.
    void Stop();
    int ExitCode() const { return exitCode_; }

    // Who asked the program to end: the operator closing the main window, or a
    // termination signal (the session ends, Ctrl+C).
    // clang-format off
    enum class TEndRequest { WindowClosed, Signal };
    // clang-format on
    // Ends the message loop (Run then shuts down). A signal also ends every box and
    // dialog the program waits on, now and until it has ended: nobody may be there to
    // answer them. Before Run, the loop is not entered at all.
    void RequestEnd(TEndRequest request);
    bool EndRequested() const { return endRequested_; }

    shell::TMainForm* MainForm() const { return mainForm_.get(); }
    shell::TSplashForm* Splash() const { return splash_.get(); }
    shell::TInstanceGuard& Guard() { return guard_; }
    std::string ProgramFolder() const;

    // How long the splash stays up at least.
    std::chrono::milliseconds MinSplashTime{200};
    // Told every status the splash shows (a log of the start and the end).
    std::function<void(const std::string&)> OnSplashStatus;

private:
    bool Fail(const std::string& message);
    void CloseSplash();
    void RemoveEngineFiles();
    void ReportShutdownFailures(const std::vector<std::string>& failures);

    std::string programFile_;
    shell::TInstanceGuard guard_;
    std::unique_ptr<shell::TSplashForm> splash_;
    std::unique_ptr<shell::TMainForm> mainForm_;
    std::chrono::steady_clock::time_point splashShown_;
    bool engineWritten_ = false;
    bool running_ = false;
    bool endRequested_ = false;
    QEventLoop* mainLoop_ = nullptr; // while Run's loop runs
    int exitCode_ = 0;
};

// SIGTERM (the session ends) and SIGINT are taken from a descriptor on the main loop:
// they reach no thread as a signal, and the program shuts down as when its window is
// closed. Blocked before any thread starts (every thread inherits the mask); one that
// comes before the descriptor is watched waits in it.
void BlockTerminationSignals();
// Ends program (TEndRequest::Signal) at SIGTERM or SIGINT; context owns the watcher.
void EndOnTerminationSignals(QObject& context, TProgram& program);

// Set (to anything) by run.sh when the program runs on a virtual display that nobody sees.
inline constexpr const char* kUnseenDisplayVariable = "KV7200_UNSEEN_DISPLAY";

// main(): the program with the Qt application, its arguments and the running program's
// file. SIGTERM and SIGINT end it as closing its window does; every error box is also
// written to standard error. Without a display (none set, no platform chosen) it says so
// and returns 1. Under kUnseenDisplayVariable every box is written to standard error
// and answered with its default at once.
int RunProgram(int argc, char** argv);

} // namespace app
