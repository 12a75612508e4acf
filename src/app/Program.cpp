#include "app/Program.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>

#include <dlfcn.h>
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
#include "platform/rtl/SysUtils.h"

namespace app {

namespace fs = std::filesystem;

namespace {

constexpr int kFailureExitCode = 1;

sigset_t TerminationSignals()
{
    sigset_t set;
    ::sigemptyset(&set);
    ::sigaddset(&set, SIGTERM);
    ::sigaddset(&set, SIGINT);
    ::sigaddset(&set, SIGHUP); // the terminal that started the program was closed
    return set;
}

// Error and warning boxes are also written to standard error, for the terminal or the
// session log that started the program: a box may be gone before anybody read it. On a
// display nobody sees (the virtual one of run.sh) every box is only written there and
// answered with its default at once, so that nothing waits for an answer that never comes.
class TBoxesOnConsole : public ui::IMessageBoxService {
public:
    TBoxesOnConsole(ui::IMessageBoxService& shown, bool unseen) : shown_(shown), unseen_(unseen)
    {
        ui::SetMessageBoxService(this);
    }
    ~TBoxesOnConsole() override { ui::SetMessageBoxService(nullptr); }
    TBoxesOnConsole(const TBoxesOnConsole&) = delete;
    TBoxesOnConsole& operator=(const TBoxesOnConsole&) = delete;

    ui::TModalResult Show(const ui::TMessageBoxRequest& request) override
    {
        if (!unseen_) {
            if (request.Type == ui::mtError || request.Type == ui::mtWarning) Write(request.Text);
            return shown_.Show(request);
        }
        std::string name;
        const ui::TModalResult answer = ui::DefaultMsgDlgAnswer(request.Buttons, &name);
        const unsigned several = request.Buttons & (request.Buttons - 1);
        Write(several ? request.Text + " [answered " + name + "]" : request.Text);
        return answer;
    }
    void Beep() override { shown_.Beep(); }

private:
    static void Write(const std::string& text)
    {
        std::fprintf(stderr, "kv7200: %s\n", text.c_str());
        std::fflush(stderr);
    }

    ui::IMessageBoxService& shown_;
    bool unseen_;
};

// Whether an X server answers at DISPLAY. The client library is looked up at run time:
// Qt's X platform loads it anyway, and where it is missing Qt says so itself.
bool XServerAnswers()
{
    void* xcb = ::dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!xcb) return true;
    using TConnect = void* (*)(const char*, int*);
    using TConnectionError = int (*)(void*);
    using TDisconnect = void (*)(void*);
    const auto connect = reinterpret_cast<TConnect>(::dlsym(xcb, "xcb_connect"));
    const auto error = reinterpret_cast<TConnectionError>(::dlsym(xcb, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<TDisconnect>(::dlsym(xcb, "xcb_disconnect"));
    bool answers = true;
    if (connect && error && disconnect) {
        void* connection = connect(nullptr, nullptr);
        answers = connection && error(connection) == 0;
        if (connection) disconnect(connection);
    }
    ::dlclose(xcb);
    return answers;
}

// Why Qt would find no display, which makes its default platform abort the program;
// empty when it will find one. A platform chosen explicitly (offscreen, wayland ...) is
// left to Qt.
std::string DisplayProblem(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "-platform") return "";
    const std::string platform = rtl::GetEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.empty() && platform.rfind("xcb", 0) != 0) return "";
    if (platform.empty() && !rtl::GetEnvironmentVariable("WAYLAND_DISPLAY").empty()) return "";
    const std::string display = rtl::GetEnvironmentVariable("DISPLAY");
    if (display.empty()) return "no display: set DISPLAY or start it with ./run.sh";
    if (!XServerAnswers())
        return "the display \"" + display + "\" does not answer: set DISPLAY to one that does, or unset it and start "
                                            "the program with ./run.sh";
    return "";
}

} // namespace

void BlockTerminationSignals()
{
    const sigset_t set = TerminationSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void EndOnTerminationSignals(QObject& context, TProgram& program)
{
    const sigset_t set = TerminationSignals();
    const int fd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd < 0) return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &context);
    QObject::connect(notifier, &QSocketNotifier::activated, &context, [fd, &program] {
        signalfd_siginfo info;
        while (::read(fd, &info, sizeof info) == sizeof info) {
        }
        program.RequestEnd(TProgram::TEndRequest::Signal);
    });
}

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
    mainForm_->OnCloseRequest = [this] { RequestEnd(TEndRequest::WindowClosed); };
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
    ui::Guarded([this] { mainForm_->PostInitialize(); });
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
    if (!endRequested_) {
        QEventLoop loop;
        mainLoop_ = &loop;
        loop.exec();
        mainLoop_ = nullptr;
    }
    Stop();
    return exitCode_;
}

void TProgram::RequestEnd(TEndRequest request)
{
    endRequested_ = true;
    // Every running loop ends, a box's or a dialog's too, and a later one returns at
    // once: what waits for an answer gets none.
    if (request == TEndRequest::Signal) QCoreApplication::exit(0);
    else if (mainLoop_) mainLoop_->exit();
}

void TProgram::Stop()
{
    if (!running_) return;
    running_ = false;
    guard_.OnRaiseRequest = nullptr;
    std::vector<std::string> failures;
    // Whatever fails from here on, also deep inside a step, is collected and told once.
    ui::SetExceptionHandler([&failures](std::exception_ptr e) {
        std::string text = ui::ExceptionMessage(e);
        if (std::find(failures.begin(), failures.end(), text) == failures.end()) failures.push_back(std::move(text));
    });
    if (mainForm_) {
        mainForm_->OnCloseRequest = nullptr;
        mainForm_->Hide();
        // A start that failed before the data module existed has nothing to shut down.
        if (mainForm_->DataModule) mainForm_->Shutdown(*splash_);
        mainForm_.reset();
    }
    RemoveEngineFiles();
    if (splash_) splash_->Hide();
    splash_.reset();
    ui::SetExceptionHandler(nullptr);
    ReportShutdownFailures(failures);
}

void TProgram::ReportShutdownFailures(const std::vector<std::string>& failures)
{
    if (failures.empty()) return;
    exitCode_ = kFailureExitCode;
    std::string text = failures.front();
    for (std::size_t i = 1; i < failures.size(); ++i) text += "\n" + failures[i];
    ui::MessageDlg(text, ui::mtError, ui::mbOK);
}

void TProgram::RemoveEngineFiles()
{
    if (!engineWritten_) return;
    engineWritten_ = false;
    storage::KeepServerLoaded();
    storage::DeleteServerFiles();
}

int RunProgram(int argc, char** argv)
{
    if (const std::string problem = DisplayProblem(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "kv7200: %s\n", problem.c_str());
        return kFailureExitCode;
    }
    BlockTerminationSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName("kv7200");
    // The splash closes before the main window opens; only the main window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    rtl::MainThread::Init();
    TBoxesOnConsole boxes(ui::MessageBoxService(), !rtl::GetEnvironmentVariable(kUnseenDisplayVariable).empty());
    TProgram program(RunningProgramFile());
    EndOnTerminationSignals(application, program);
    if (!program.Start()) return program.ExitCode();
    return program.Run();
}

} // namespace app
