#include "ProgramRunSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <QProcessEnvironment>

#include "storage/fb_embedded.h"

// Last: Xlib defines macros (None, Status, Bool ...) that other headers use as names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace apptest {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------

TProgramCopy::TProgramCopy(const std::string& database)
{
    const fs::path program = dir_.Path() / "kv7200";
    std::error_code ec;
    // The running program finds its folder through its own path: a link of its own here.
    fs::create_hard_link(KV7200_PROGRAM, program, ec);
    if (ec) fs::copy_file(KV7200_PROGRAM, program);
    if (!database.empty()) fs::copy_file(database, Database());
}

std::vector<std::pair<pid_t, std::string>> SessionProcesses(pid_t sid)
{
    std::vector<std::pair<pid_t, std::string>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // "pid (name) state ppid pgrp session ..."
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        char state = 0;
        long parent = 0, group = 0, session = 0;
        std::istringstream rest(line.substr(close + 1));
        rest >> state >> parent >> group >> session;
        if (session == sid && state != 'Z')
            found.emplace_back(static_cast<pid_t>(std::stol(line)), line.substr(open + 1, close - open - 1));
    }
    return found;
}

TProgramCopy::~TProgramCopy()
{
    // A launcher ends its program and its display on SIGTERM; killed, it would leave them.
    if (launched_ && process_.state() != QProcess::NotRunning) {
        Signal(SIGTERM);
        process_.waitForFinished(20000);
    }
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
    // Whatever of the launcher's session is still there goes too.
    if (launched_ && pid_ > 0)
        for (const auto& [pid, name] : SessionProcesses(pid_)) ::kill(pid, SIGKILL);
}

bool TProgramCopy::Start(const QStringList& environment, const std::string& launcher)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", QString::fromStdString(instanceDir_.Str()));
    for (const QString& entry : environment) {
        const auto at = entry.indexOf('=');
        env.insert(entry.left(at), entry.mid(at + 1));
    }
    process_.setProcessEnvironment(env);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setReadChannel(QProcess::StandardError);
    const QString program = QString::fromStdString(Folder() + "kv7200");
    if (launcher.empty()) {
        process_.start(program, {});
    } else {
        launched_ = true;
        process_.setChildProcessModifier([] { ::setsid(); });
        process_.start(QString::fromStdString(launcher), {program});
    }
    const bool started = process_.waitForStarted(5000);
    pid_ = static_cast<pid_t>(process_.processId());
    return started;
}

void TProgramCopy::Signal(int signal) const
{
    if (process_.processId() > 0) ::kill(static_cast<pid_t>(process_.processId()), signal);
}

void TProgramCopy::SignalGroup(int signal) const
{
    if (process_.processId() > 0) ::kill(-static_cast<pid_t>(process_.processId()), signal);
}

bool TProgramCopy::WaitForEnd(int timeoutMs)
{
    const bool ended = process_.waitForFinished(timeoutMs);
    if (!ended) {
        process_.kill();
        process_.waitForFinished(5000);
    }
    error_ += process_.readAllStandardError().toStdString();
    return ended;
}

bool TProgramCopy::WaitForError(const std::string& text, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (error_.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= end || process_.state() == QProcess::NotRunning) return false;
        process_.waitForReadyRead(50);
        error_ += process_.readAllStandardError().toStdString();
    }
    return true;
}

std::string TProgramCopy::ErrorText()
{
    error_ += process_.readAllStandardError().toStdString();
    return error_;
}

bool TProgramCopy::EngineFilesPresent() const
{
    for (std::size_t i = 0; i < storage::kServerFileCount; ++i) {
        const auto& file = storage::kServerFiles[i];
        if (fs::exists(fs::path(Folder()) / file.Folder / file.FileName)) return true;
    }
    return false;
}

// ---------------------------------------------------------------------------

TVirtualDisplay::TVirtualDisplay()
{
    const char* server = "/usr/bin/Xvfb";
    int pipe[2];
    if (::access(server, X_OK) != 0 || ::pipe2(pipe, O_CLOEXEC) != 0) return;
    server_ = ::fork();
    if (server_ == 0) {
        // Descriptor 3, kept open across exec: the server writes its display number there.
        if (pipe[1] == 3) ::fcntl(3, F_SETFD, 0);
        else ::dup2(pipe[1], 3);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
        ::execl(server, "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1280x1024x24", nullptr);
        ::_exit(127);
    }
    ::close(pipe[1]);
    std::string number;
    pollfd p{pipe[0], POLLIN, 0};
    char c;
    while (server_ > 0 && ::poll(&p, 1, 10000) > 0 && ::read(pipe[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(pipe[0]);
    if (!number.empty()) name_ = ":" + number;
}

TVirtualDisplay::~TVirtualDisplay()
{
    if (server_ <= 0) return;
    ::kill(server_, SIGTERM);
    ::waitpid(server_, nullptr, 0);
}

namespace {

std::string TextProperty(Display* display, Window window, Atom property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, AnyPropertyType, &type, &format, &count,
                           &after, &data)
            == Success
        && data && format == 8)
        text.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return text;
}

// A viewable window below from (itself included) whose title is title.
Window FindWindow(Display* display, Window from, const std::string& title)
{
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, from, &attributes) && attributes.map_state == IsViewable
        && (TextProperty(display, from, XInternAtom(display, "_NET_WM_NAME", False)) == title
            || TextProperty(display, from, XA_WM_NAME) == title))
        return from;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, from, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) found = FindWindow(display, children[i], title);
        if (children) XFree(children);
    }
    return found;
}

} // namespace

bool TVirtualDisplay::CloseWindow(const std::string& title, int timeoutMs)
{
    Display* display = XOpenDisplay(name_.c_str());
    if (!display) return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Window window = 0;
    while (!(window = FindWindow(display, DefaultRootWindow(display), title))
           && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }
    XCloseDisplay(display);
    return window != 0;
}

} // namespace apptest
