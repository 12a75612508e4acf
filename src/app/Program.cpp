#include "app/Program.h"

#include <filesystem>
#include <thread>

#include <QApplication>
#include <QSocketNotifier>

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>

#include "platform/rtl/Thread.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "shell/Splash.h"
#include "shell/kv7200_Main.h"
#include "storage/DModule.h"
#include "storage/fb_embedded.h"
#include "views/DeviceRDS.h"

namespace app {

namespace fs = std::filesystem;

namespace {

constexpr int kFailureExitCode = 1;

// SIGTERM (the session ends) and SIGINT are taken from a descriptor on the main loop:
// they reach no thread as a signal, and the program shuts down as when its window is
// closed. Blocked before any thread starts, so every thread inherits the mask.
sigset_t TerminationSignals()
{
    sigset_t set;
    ::sigemptyset(&set);
    ::sigaddset(&set, SIGTERM);
    ::sigaddset(&set, SIGINT);
    return set;
}

void BlockTerminationSignals()
{
    const sigset_t set = TerminationSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void QuitOnTermination(QObject& context)
{
    const sigset_t set = TerminationSignals();
    const int fd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd < 0) return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &context);
    QObject::connect(notifier, &QSocketNotifier::activated, &context, [fd] {
        signalfd_siginfo info;
        while (::read(fd, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::quit();
    });
}

} // namespace

std::string RunningProgramFile()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("kv7200") : exe.string();
}

TProgram::TProgram(std::string programFile, std::string instanceName)
    : programFile_(std::move(programFile)), guard_(std::move(instanceName))
{
}

TProgram::~TProgram() { Stop(); }

std::string TProgram::ProgramFolder() const
{
    const fs::path parent = fs::path(programFile_).parent_path();
    return (parent.empty() ? fs::path(".") : parent).string() + "/";
}

bool TProgram::Fail(const std::string& message)
{
    ui::MessageDlg(message, ui::mtError, ui::mbOK);
    exitCode_ = kFailureExitCode;
    return false;
}

bool TProgram::Start()
{
    // 1: one instance per desktop; a later start raises the running one and ends.
    if (!guard_.Acquire()) {
        guard_.SignalRunning();
        exitCode_ = 0;
        return false;
    }

    // 2: the database beside the program.
    storage::SetProgramFolder(ProgramFolder());
    std::error_code ec;
    if (!fs::is_regular_file(ProgramFolder() + storage::kDatabaseFileName, ec))
        return Fail("Database missing or corrupt!");

    // 3: splash, main window, engine files.
    splash_ = std::make_unique<shell::TSplashForm>();
    splash_->OnStatus = [this](const std::string& text) {
        if (OnSplashStatus) OnSplashStatus(text);
    };
    splash_->Show();
    splashShown_ = std::chrono::steady_clock::now();
    ui::ProcessMessages();
    views::RegisterDeviceRDSView();
    mainForm_ = std::make_unique<shell::TMainForm>(programFile_);
    guard_.OnRaiseRequest = [this] {
        if (mainForm_) mainForm_->RestoreAndRaise();
    };
    running_ = true;
    // What was written before a failure stays in place.
    const bool extracted = storage::ExtractServerFiles();
    engineWritten_ = extracted;
    if (!extracted || !storage::LoadServerLibrary()) {
        Stop();
        return Fail("Error initializing Firebird embedded");
    }

    // 4: the main window's initialization on the splash.
    bool initialized = false;
    ui::Guarded([&] { initialized = mainForm_->Initialize(*splash_); });
    if (!initialized) {
        Stop();
        exitCode_ = kFailureExitCode;
        return false;
    }

    // 5: the splash closes, the main window takes over.
    CloseSplash();
    mainForm_->PostInitialize();
    return true;
}

void TProgram::CloseSplash()
{
    const auto until = splashShown_ + MinSplashTime;
    while (std::chrono::steady_clock::now() < until) {
        ui::ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    splash_->Hide();
}

int TProgram::Run()
{
    if (!running_) return exitCode_;
    mainForm_->OnCloseRequest = [] { QCoreApplication::quit(); };
    QApplication::exec();
    Stop();
    return exitCode_;
}

void TProgram::Stop()
{
    if (!running_) return;
    running_ = false;
    guard_.OnRaiseRequest = nullptr;
    if (mainForm_) {
        mainForm_->Hide();
        // A start that failed before the data module existed has nothing to shut down.
        if (mainForm_->DataModule) ui::Guarded([&] { mainForm_->Shutdown(*splash_); });
        mainForm_.reset();
    }
    RemoveEngineFiles();
    if (splash_) splash_->Hide();
    splash_.reset();
}

void TProgram::RemoveEngineFiles()
{
    if (!engineWritten_) return;
    engineWritten_ = false;
    storage::DeleteServerFiles();
}

int RunProgram(int argc, char** argv)
{
    BlockTerminationSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName("kv7200");
    // The splash closes before the main window opens; only the main window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    rtl::MainThread::Init();
    QuitOnTermination(application);
    TProgram program(RunningProgramFile());
    if (!program.Start()) return program.ExitCode();
    return program.Run();
}

} // namespace app
