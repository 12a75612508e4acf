#include "support/SecondUser.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace testsupport {

namespace {

namespace fs = std::filesystem;

// Where the engine looks for its shared lock folder.
constexpr const char* kChildTmp = "/tmp";

bool AsRoot() { return ::geteuid() == 0; }

// Everything the child needs, made before fork: after it only async-signal-safe calls.
struct TPlan {
    std::string Root;
    std::string UidMap, GidMap; // user namespace, when not root
    uid_t Uid = 0;
    gid_t Gid = 0;
    int Report = -1; // write end of the set-up failure pipe
    int Output = -1;
    std::vector<char*> Argv, Envp;
};

bool WriteFile(const char* path, const std::string& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return ::close(fd) == 0 && written;
}

// Reports errno and the step that failed to the parent and ends the child.
[[noreturn]] void Fail(const TPlan& plan, const char* step)
{
    const int error = errno;
    if (plan.Report >= 0) {
        ssize_t ignored = ::write(plan.Report, &error, sizeof error);
        ignored = ::write(plan.Report, step, std::strlen(step));
        (void)ignored;
    }
    ::_exit(127);
}

// The private /tmp over Root() (when given); the user namespace first when not root.
void EnterNamespaces(const TPlan& plan)
{
    if (AsRoot()) {
        if (::unshare(CLONE_NEWNS) != 0) Fail(plan, "unshare");
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) Fail(plan, "unshare");
        if (!WriteFile("/proc/self/setgroups", "deny") || !WriteFile("/proc/self/uid_map", plan.UidMap)
            || !WriteFile("/proc/self/gid_map", plan.GidMap))
            Fail(plan, "user namespace map");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) Fail(plan, "mount --make-rprivate /");
    if (!plan.Root.empty() && ::mount(plan.Root.c_str(), kChildTmp, nullptr, MS_BIND, nullptr) != 0)
        Fail(plan, "mount --bind over /tmp");
}

void BecomeChild(const TPlan& plan)
{
    EnterNamespaces(plan);
    if (::chdir(kChildTmp) != 0) Fail(plan, "chdir");
    if (AsRoot()) {
        if (::setgroups(0, nullptr) != 0) Fail(plan, "setgroups");
        if (::setresgid(plan.Gid, plan.Gid, plan.Gid) != 0) Fail(plan, "setresgid");
        if (::setresuid(plan.Uid, plan.Uid, plan.Uid) != 0) Fail(plan, "setresuid");
    }
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(plan.Output, 1) < 0 || ::dup2(plan.Output, 2) < 0)
        Fail(plan, "redirect");
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(plan.Argv[0], plan.Argv.data(), plan.Envp.data());
    Fail(plan, "execve");
}

std::string IdMap(unsigned id) { return std::to_string(id) + " " + std::to_string(id) + " 1"; }

std::vector<char*> CStrings(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Forks a child that runs body, which ends it or starts another program. Returns its
// id once it is past its set-up; raises std::runtime_error with the failed step if not.
pid_t Spawn(TPlan& plan, void (*body)(const TPlan&))
{
    plan.UidMap = IdMap(::geteuid());
    plan.GidMap = IdMap(::getegid());
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    plan.Report = report[1];
    const pid_t pid = ::fork();
    if (pid == 0) {
        body(plan);
        ::_exit(0);
    }
    const int forkError = errno;
    ::close(report[1]);
    if (pid < 0) {
        ::close(report[0]);
        throw std::runtime_error(std::string("fork: ") + std::strerror(forkError));
    }
    // The pipe closes without a word when the set-up went through.
    int error = 0;
    char step[128] = {};
    const bool failed = ::read(report[0], &error, sizeof error) == sizeof error;
    if (failed) {
        const ssize_t n = ::read(report[0], step, sizeof step - 1);
        step[n > 0 ? n : 0] = 0;
    }
    ::close(report[0]);
    if (!failed) return pid;
    ::waitpid(pid, nullptr, 0);
    throw std::runtime_error(std::string(step) + ": " + std::strerror(error));
}

} // namespace

TSecondUser::TSecondUser() : uid_(::geteuid()), gid_(::getegid())
{
    if (AsRoot()) {
        const passwd* nobody = ::getpwnam("nobody");
        uid_ = nobody ? nobody->pw_uid : 65534;
        gid_ = nobody ? nobody->pw_gid : 65534;
    }
    fs::permissions(Root(), fs::perms::all | fs::perms::sticky_bit);
    // The engine's shared lock folder, that the child may not write.
    fs::create_directory(Root() / "firebird");
    fs::permissions(Root() / "firebird", fs::perms::none);
    MakeFolder("home");
}

TSecondUser::~TSecondUser()
{
    // So that the folder can be emptied and removed.
    ::chmod((Root() / "firebird").c_str(), 0700);
}

std::string TSecondUser::Unavailable()
{
    static const std::string why = [] {
        try {
            TPlan plan; // no Root: the namespaces only
            const pid_t pid = Spawn(plan, EnterNamespaces);
            ::waitpid(pid, nullptr, 0);
            return std::string();
        } catch (const std::exception& e) {
            return "a private /tmp cannot be made here (" + std::string(e.what()) + ")";
        }
    }();
    return why;
}

fs::path TSecondUser::MakeFolder(const std::string& relative, mode_t mode) const
{
    const fs::path folder = Root() / relative;
    fs::create_directories(folder);
    if (::chmod(folder.c_str(), mode) != 0 || (AsRoot() && ::chown(folder.c_str(), uid_, gid_) != 0))
        throw std::runtime_error("cannot hand " + folder.string() + " to the child: " + std::strerror(errno));
    return folder;
}

fs::path TSecondUser::CopyIn(const fs::path& file, const std::string& relative) const
{
    const fs::path target = Root() / relative;
    fs::copy_file(file, target, fs::copy_options::overwrite_existing);
    if (AsRoot() && ::chown(target.c_str(), uid_, gid_) != 0)
        throw std::runtime_error("cannot hand " + target.string() + " to the child: " + std::strerror(errno));
    return target;
}

TSecondUser::TRun TSecondUser::Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                                   std::chrono::milliseconds timeout,
                                   const std::function<void(pid_t)>& whileRunning) const
{
    std::vector<std::string> args = argv;
    std::vector<std::string> env = environment;
    env.push_back("PATH=/usr/bin:/bin");
    env.push_back("HOME=" + ChildPath("home"));
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);

    TPlan plan;
    plan.Root = Root().string();
    plan.Uid = uid_;
    plan.Gid = gid_;
    plan.Argv = CStrings(args);
    plan.Envp = CStrings(env);
    const fs::path outputFile = Root() / ".run-output";
    plan.Output = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (plan.Output < 0) throw std::runtime_error("cannot make " + outputFile.string() + ": " + std::strerror(errno));
    pid_t pid = -1;
    try {
        pid = Spawn(plan, BecomeChild);
    } catch (const std::exception& e) {
        ::close(plan.Output);
        throw std::runtime_error("cannot start " + argv.front() + " as the second user (" + e.what() + ")");
    }
    ::close(plan.Output);

    TRun run;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    pid_t ended = 0;
    while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            run.TimedOut = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        if (whileRunning) whileRunning(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (ended < 0) throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
    if (WIFEXITED(status)) run.ExitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.Signal = WTERMSIG(status);
    run.Output = root_.Read(outputFile.filename().string());
    return run;
}

} // namespace testsupport
