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

#include "shell/OneInstance.h"

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
    // The message loop until the main window is closed, then Stop. Returns ExitCode.
    int Run();
    // The shutdown sequence and the removal of the engine files; once.
    void Stop();
    int ExitCode() const { return exitCode_; }

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

    std::string programFile_;
    shell::TInstanceGuard guard_;
    std::unique_ptr<shell::TSplashForm> splash_;
    std::unique_ptr<shell::TMainForm> mainForm_;
    std::chrono::steady_clock::time_point splashShown_;
    bool engineWritten_ = false;
    bool running_ = false;
    int exitCode_ = 0;
};

// main(): the program with the Qt application, its arguments and the running program's file.
int RunProgram(int argc, char** argv);

} // namespace app
