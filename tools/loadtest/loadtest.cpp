// kv7200-loadtest: the program under load. It starts the program itself, in-process, on
// a fresh copy of the empty database in a folder of its own (never on the user's), with
// simulated TCP units on 127.0.0.2 ... (port 843, so it needs root) stored, every unit
// item logged (system events not), and the backup at exit on. Once every unit is
// connected, the units stream RDS frames for the given time, a progress line a second;
// then the program is sent SIGTERM.
//
// Reports what was logged of what the units sent in the measured window (nothing is
// sent before it, so every record counted belongs to it: how far the program falls
// behind, and the bytes back-pressure dropped), the peak backlog,
// whether the program stayed live (the lateness of a 10 ms timer and the delay of a
// repaint of the main window), the main thread's CPU share, the memory sampled every
// second, and how long the end took after SIGTERM (and the backup within it). Ends
// early, with a report, when the main thread stops running; its temporary folder goes
// on every way out.
//
//   kv7200-loadtest [--units N] [--seconds S] [--rate FRAMES_PER_S]
// Anything else on the command line is refused with exit status 2.
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "app/Program.h"
#include "cli/OptionValues.h"
#include "device_link/DeviceManager.h"
#include "loadtest/ProgramRig.h"
#include "platform/fb/IBSQL.h"
#include "platform/rtl/Thread.h"
#include "shell/kv7200_Main.h"
#include "simulator/UnitSimulator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

struct Options {
    int Units = 64;
    int Seconds = 60;
    double Rate = 50; // frames per second of each unit
};

constexpr const char* kUsage = "usage: kv7200-loadtest [--units 1..1000] [--seconds 1..86400] [--rate 0.1..1000]\n";

// The options of the command line; an error text for an unknown option or a value out
// of its range, so that a mistyped option never starts a run of its own.
std::optional<Options> ParseOptions(int argc, char** argv, std::string& error)
{
    Options options;
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (name != "--units" && name != "--seconds" && name != "--rate") {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string text = argv[i + 1];
        long long whole = 0;
        bool valid = false;
        if (name == "--units") {
            valid = cli::ReadWhole(text, 1, 1000, whole);
            options.Units = static_cast<int>(whole);
        } else if (name == "--seconds") {
            valid = cli::ReadWhole(text, 1, 86400, whole);
            options.Seconds = static_cast<int>(whole);
        } else {
            valid = cli::ReadNumber(text, 0.1, 1000, options.Rate);
        }
        if (!valid) {
            error = "the value of " + name + " is out of its range: " + text;
            return std::nullopt;
        }
    }
    return options;
}

// The thresholds the program is held to.
constexpr double kLiveMedianMs = 100;                  // timer lateness and repaint delay, at the median
constexpr double kEndSeconds = 2;                      // from SIGTERM to the end, besides the backup
constexpr auto kStallLimit = std::chrono::seconds(10); // a main thread that ran not at all
constexpr long kMemoryGrowthKiB = 1 << 20;             // 1 GiB over the start

// One frame as a unit sends it while tuned to a station: identification, programme
// service, radiotext, tuning and levels.
std::vector<sim::UnitItem> StationFrame(int unit)
{
    const auto text = [](const std::string& s) { return sim::Bytes(s.begin(), s.end()); };
    return {
        {36, {0xD3, static_cast<std::uint8_t>(0x10 + unit)}},                        // PI
        {37, {1}},                                                                   // TP
        {38, {10}},                                                                  // PTY
        {54, text("RADIO " + std::to_string(10 + unit % 90))},                       // PS, 8 characters
        {55, {0}},                                                                   // TA
        {57, {15, 1}},                                                               // DI
        {78, text("Now playing: the loadtest hour with the KV7200 unit simulator")}, // RT A
        {39, {0x33, 0x04}},                                                          // 107.5 MHz
        {42, {0x20, 0x02}},                                                          // RF level
        {41, {0x4B, 0x00}},                                                          // MPX level
        {43, {1}},                                                                   // stereo
    };
}

long RssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

double ThreadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A folder of this run, gone with the object (and by Remove from the watchdog).
class TRunFolder {
public:
    TRunFolder() : path_(fs::temp_directory_path() / ("kv-loadtest-" + std::to_string(::getpid())))
    {
        fs::create_directories(path_);
    }
    ~TRunFolder() { Remove(); }
    TRunFolder(const TRunFolder&) = delete;
    TRunFolder& operator=(const TRunFolder&) = delete;
    const fs::path& Path() const { return path_; }
    void Remove() const
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }

private:
    fs::path path_;
};

// Samples that report their median, 95th percentile and maximum.
struct TSeries {
    std::vector<double> Values;
    double At(double fraction) const
    {
        if (Values.empty()) return 0;
        std::vector<double> sorted = Values;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, static_cast<std::size_t>(fraction * static_cast<double>(sorted.size())))];
    }
    double Max() const { return Values.empty() ? 0 : *std::max_element(Values.begin(), Values.end()); }
};

// On the main thread: a 10 ms timer whose lateness is measured, and a repaint of the
// main window asked for every 100 ms whose delay is measured.
class TLivenessProbe : public QObject {
public:
    explicit TLivenessProbe(QWidget& window) : window_(window)
    {
        window_.installEventFilter(this);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    void Start()
    {
        last_ = Clock::now();
        LastTick = last_.time_since_epoch().count();
        timer_.start(kTickMs);
    }
    // Also ends the watchdog's look at the main thread: the end may take its time.
    void Stop()
    {
        timer_.stop();
        LastTick = 0;
    }

    TSeries TimerLateMs, RepaintDelayMs;
    std::atomic<Clock::rep> LastTick{0};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ && event->type() == QEvent::Paint && repaintAsked_) {
            RepaintDelayMs.Values.push_back(Ms(Clock::now() - *repaintAsked_).count());
            repaintAsked_.reset();
        }
        return false;
    }

private:
    static constexpr int kTickMs = 10;
    static constexpr int kTicksPerRepaint = 10;

    void Tick()
    {
        const auto now = Clock::now();
        TimerLateMs.Values.push_back(std::max(0.0, Ms(now - last_).count() - kTickMs));
        last_ = now;
        LastTick = now.time_since_epoch().count();
        if (++ticks_ % kTicksPerRepaint == 0 && !repaintAsked_) {
            repaintAsked_ = now;
            window_.update();
        }
    }

    QWidget& window_;
    QTimer timer_;
    Clock::time_point last_;
    long ticks_ = 0;
    std::optional<Clock::time_point> repaintAsked_;
};

// Off the main thread: the memory every second, whatever the main thread does, and an
// end when the main thread has stopped running.
class TWatchdog {
public:
    TWatchdog(const TLivenessProbe& probe, const TRunFolder& folder) : probe_(probe), folder_(folder)
    {
        thread_ = std::thread([this] { Run(); });
    }
    ~TWatchdog()
    {
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    std::vector<long> RssKiBEverySecond() const
    {
        std::lock_guard lock(m_);
        return rss_;
    }
    bool Stalled() const { return stalled_.load(); }

private:
    void Run()
    {
        std::unique_lock lock(m_);
        while (!cv_.wait_for(lock, std::chrono::seconds(1), [this] { return stop_; })) {
            rss_.push_back(RssKiB());
            const auto last = Clock::time_point(Clock::duration(probe_.LastTick.load()));
            if (last.time_since_epoch().count() == 0) continue;
            const auto quiet = Clock::now() - last;
            if (quiet > kStallLimit && !stalled_.exchange(true)) {
                std::fprintf(stderr, "kv7200-loadtest: the main thread has not run for %.0f s: the program cannot keep "
                                     "up; ending it\n",
                             std::chrono::duration<double>(quiet).count());
                ::kill(::getpid(), SIGTERM);
            } else if (quiet > 3 * kStallLimit) {
                std::fprintf(stderr, "kv7200-loadtest: the program did not end after SIGTERM; giving up\n");
                folder_.Remove();
                std::_Exit(3);
            }
        }
    }

    const TLivenessProbe& probe_;
    const TRunFolder& folder_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    bool stop_ = false;
    std::vector<long> rss_;
    std::atomic<bool> stalled_{false};
    std::thread thread_;
};

// Log records written so far: the log's generator counts every one, at no cost.
std::int64_t RecordsWritten()
{
    fb::TIBSQL q(&storage::DM->IBDatabase, &storage::DM->IBTransaction);
    q.SetSQL("select gen_id(GEN_EVENT_LOG_ID, 0) from RDB$DATABASE");
    q.ExecQuery();
    q.Next();
    return q.Fields(0).GetAsInt64();
}

struct TBacklog {
    int Packets = 0;
    std::int64_t Bytes = 0;
    std::uint64_t Dropped = 0;
};

TBacklog BacklogNow(device_link::TDeviceManager& manager)
{
    TBacklog b;
    for (int i = 0; i < manager.GetCount(); ++i) {
        if (auto* transport = manager.GetItem(i)->GetTransport()) {
            b.Packets = std::max(b.Packets, transport->GetPending());
            b.Bytes = std::max(b.Bytes, transport->GetPendingBytes());
            b.Dropped += transport->GetDroppedBytes();
        }
    }
    return b;
}

int Run(const Options& options)
{
    if (::geteuid() != 0) {
        std::fprintf(stderr, "kv7200-loadtest: the units listen on port 843, which only root may bind\n");
        return 2;
    }
    const TRunFolder folder;
    fs::copy_file(KV7200_TEMPLATE_FDB, folder.Path() / "kv7200.FDB", fs::copy_options::overwrite_existing);

    std::vector<rig::TStoredUnit> rows;
    std::vector<std::unique_ptr<sim::UnitSimulator>> units;
    for (int i = 0; i < options.Units; ++i) {
        const std::string address = "127.0." + std::to_string(i / 250) + "." + std::to_string(2 + i % 250);
        rows.push_back({device_link::dkTCP, address, "Load " + std::to_string(i + 1), true});
        units.push_back(std::make_unique<sim::UnitSimulator>());
        units.back()->StartTcp(843, address);
    }
    const std::size_t itemsPerFrame = StationFrame(0).size();
    // Only unit items are logged: every record counted is one of an item sent.
    rig::ConfigureDatabase(folder.Path().string(), rows, [](storage::TCommonSettings& common) {
        common.LogEnabled = 1;
        common.LogSystemEvents = 0;
        common.ConnectAllOnStart = 1;
        common.BackupOnExit = 1;
        common.OptimizeOnExit = 0;
    });

    app::TProgram program((folder.Path() / "kv7200").string(), "KV7200_LOADTEST_" + std::to_string(::getpid()));
    app::EndOnTerminationSignals(*QCoreApplication::instance(), program);
    std::optional<Clock::time_point> backupStart;
    program.OnSplashStatus = [&](const std::string& status) {
        if (!backupStart && status.rfind("Backup Database ", 0) == 0) backupStart = Clock::now();
    };
    if (!program.Start()) {
        std::fprintf(stderr, "kv7200-loadtest: the program did not start (exit code %d)\n", program.ExitCode());
        return 1;
    }
    auto& manager = *program.MainForm()->DeviceManager;
    int connected = 0;
    for (auto& unit : units) connected += unit->WaitForClient(10000);
    if (connected < options.Units)
        std::fprintf(stderr, "kv7200-loadtest: %d of %d units were connected\n", connected, options.Units);

    TLivenessProbe probe(*program.MainForm());
    TWatchdog watchdog(probe, folder);
    const auto framesNow = [&] {
        std::uint64_t frames = 0;
        for (auto& unit : units) frames += unit->FramesSent();
        return frames;
    };
    TBacklog peak;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const TBacklog now = BacklogNow(manager);
        peak.Packets = std::max(peak.Packets, now.Packets);
        peak.Bytes = std::max(peak.Bytes, now.Bytes);
    });

    // The window: the program's own loop runs it; at its end the program gets SIGTERM.
    // The units send from its start on, so what is sent and what is logged are counted
    // in the same window.
    const std::int64_t recordsStart = RecordsWritten();
    const std::uint64_t framesStart = framesNow();
    const std::uint64_t droppedStart = BacklogNow(manager).Dropped;
    for (int i = 0; i < options.Units; ++i)
        units[i]->Play({sim::ScenarioStep::MakeFrames(0, options.Rate, StationFrame(i))});
    const double cpuStart = ThreadCpuSeconds();
    std::int64_t recordsEnd = recordsStart;
    std::uint64_t framesEnd = framesStart, droppedEnd = droppedStart;
    double cpuEnd = cpuStart;
    Clock::time_point windowEnd, sigterm;
    const auto start = Clock::now();
    QTimer progress;
    bool windowDone = false;
    const auto endWindow = [&] {
        if (windowDone) return;
        windowDone = true;
        windowEnd = Clock::now();
        cpuEnd = ThreadCpuSeconds();
        framesEnd = framesNow();
        droppedEnd = BacklogNow(manager).Dropped;
        recordsEnd = RecordsWritten();
        probe.Stop();
        sampler.stop();
        progress.stop();
        sigterm = Clock::now();
        ::kill(::getpid(), SIGTERM);
    };
    QTimer::singleShot(options.Seconds * 1000, Qt::PreciseTimer, endWindow);
    // A line a second on standard error, the report at the end on standard output.
    QObject::connect(&progress, &QTimer::timeout, [&] {
        // Whole seconds gone: a tick the busy machine delivers late still names its own second.
        const double elapsed = std::floor(std::chrono::duration<double>(Clock::now() - start).count());
        const std::uint64_t sent = (framesNow() - framesStart) * itemsPerFrame;
        const std::int64_t logged = RecordsWritten() - recordsStart;
        std::fprintf(stderr, "kv7200-loadtest: %3.0f of %d s: %llu items sent, %lld logged (%.1f %%), backlog %d packets\n",
                     elapsed, options.Seconds, static_cast<unsigned long long>(sent), static_cast<long long>(logged),
                     sent ? 100.0 * static_cast<double>(logged) / static_cast<double>(sent) : 0.0,
                     BacklogNow(manager).Packets);
    });
    probe.Start();
    sampler.start(10);
    progress.start(1000);
    program.Run();
    const auto ended = Clock::now();
    // Ended before the window by SIGINT or SIGTERM from outside, or the watchdog.
    if (!windowDone) {
        windowEnd = sigterm = ended;
        cpuEnd = ThreadCpuSeconds();
        framesEnd = framesNow();
    }
    for (auto& unit : units) unit->Stop();

    const double seconds = std::chrono::duration<double>(windowEnd - start).count();
    const std::uint64_t frames = framesEnd - framesStart;
    const std::uint64_t expected = frames * itemsPerFrame;
    const std::int64_t written = recordsEnd - recordsStart;
    const double endSeconds = std::chrono::duration<double>(ended - sigterm).count();
    // The backup and what follows it (the module freed, the engine files removed).
    const double backupSeconds = backupStart ? std::chrono::duration<double>(ended - *backupStart).count() : 0.0;
    const std::vector<long> rss = watchdog.RssKiBEverySecond();
    const long rssStart = rss.empty() ? RssKiB() : rss.front();
    const long rssPeak = rss.empty() ? rssStart : *std::max_element(rss.begin(), rss.end());

    std::printf("units                 %d TCP, %.1f frames/s each, %zu items a frame, all logged\n", options.Units,
                options.Rate, itemsPerFrame);
    std::printf("measured              %.1f s\n", seconds);
    std::printf("frames sent           %llu (%.0f/s)\n", static_cast<unsigned long long>(frames), frames / seconds);
    std::printf("log records           %lld of %llu items sent (%.1f %%), %.0f/s\n", static_cast<long long>(written),
                static_cast<unsigned long long>(expected), expected ? 100.0 * written / expected : 0.0,
                written / seconds);
    std::printf("behind                %lld records (%.0f/s) queued or dropped; back-pressure dropped %.1f MB\n",
                static_cast<long long>(expected) - written, (static_cast<double>(expected) - written) / seconds,
                static_cast<double>(droppedEnd - droppedStart) / 1e6);
    std::printf("peak backlog          %d packets, %lld KiB (of one unit)\n", peak.Packets,
                static_cast<long long>(peak.Bytes / 1024));
    std::printf("timer lateness        median %.1f ms, 95th %.1f ms, max %.1f ms (10 ms timer, %zu ticks)\n",
                probe.TimerLateMs.At(0.5), probe.TimerLateMs.At(0.95), probe.TimerLateMs.Max(),
                probe.TimerLateMs.Values.size());
    std::printf("repaint delay         median %.1f ms, 95th %.1f ms, max %.1f ms (%zu repaints)\n",
                probe.RepaintDelayMs.At(0.5), probe.RepaintDelayMs.At(0.95), probe.RepaintDelayMs.Max(),
                probe.RepaintDelayMs.Values.size());
    std::printf("main thread busy      %.1f %%\n", 100.0 * (cpuEnd - cpuStart) / std::max(seconds, 1e-9));
    std::printf("memory (RSS)          start %ld KiB, peak %ld KiB; every 10 s:", rssStart, rssPeak);
    for (std::size_t i = 9; i < rss.size(); i += 10) std::printf(" %ld", rss[i]);
    std::printf(" KiB\n");
    std::printf("end after SIGTERM     %.2f s, of which the backup %.2f s (exit code %d)\n", endSeconds, backupSeconds,
                program.ExitCode());

    std::vector<std::string> failures;
    if (watchdog.Stalled()) failures.push_back("the main thread stopped running");
    if (probe.TimerLateMs.At(0.5) >= kLiveMedianMs) failures.push_back("the timer ran late");
    if (probe.RepaintDelayMs.Values.empty() || probe.RepaintDelayMs.At(0.5) >= kLiveMedianMs)
        failures.push_back("the window was not repainted in time");
    if (rssPeak - rssStart > kMemoryGrowthKiB) failures.push_back("the memory grew without bound");
    if (endSeconds - backupSeconds > kEndSeconds) failures.push_back("the end took too long");
    if (program.ExitCode() != 0) failures.push_back("the program ended with a failure");
    if (!windowDone && !watchdog.Stalled()) failures.push_back("ended from outside before the window was over");
    for (const auto& f : failures) std::printf("FAILED: %s\n", f.c_str());
    if (failures.empty()) std::printf("the program stayed live, kept its memory and ended in time\n");
    return failures.empty() ? 0 : 1;
}

QtMessageHandler gQtMessages = nullptr;

// The offscreen platform tells of every window the program raises (a view of every
// unit) that it cannot raise it: nothing a load test reader needs.
void QuietPlatformMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("This plugin does not support raise()"))) return;
    if (gQtMessages) gQtMessages(type, context, text);
    else std::fprintf(stderr, "%s\n", qPrintable(text));
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const std::optional<Options> options = ParseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "kv7200-loadtest: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    app::BlockTerminationSignals();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    gQtMessages = qInstallMessageHandler(QuietPlatformMessages);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    rtl::MainThread::Init();
    try {
        return Run(*options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kv7200-loadtest: %s\n", e.what());
        return 1;
    }
}
