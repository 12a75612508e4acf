// kv7200-loadtest: the running program under load. Simulated TCP units on
// 127.0.0.2 ... (port 843, so it needs root) stream RDS frames into the program, started
// in-process on a fresh copy of the database with every item logged, for a given time.
// Reports log records written per second, the peak backlog (Pending) of the transports,
// the main thread's CPU share and the memory in use at start and end.
//
//   kv7200-loadtest [--units N] [--seconds S] [--rate FRAMES_PER_S]
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "app/Program.h"
#include "device_link/DeviceManager.h"
#include "loadtest/ProgramRig.h"
#include "platform/fb/IBSQL.h"
#include "platform/rtl/Thread.h"
#include "platform/ui/Application.h"
#include "shell/kv7200_Main.h"
#include "simulator/UnitSimulator.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
    int Units = 16;
    int Seconds = 60;
    double Rate = 11.4; // RDS groups per second: one frame per group
};

// One frame as a unit sends it while tuned to a station: identification, programme
// service, radiotext, tuning and levels.
std::vector<sim::UnitItem> StationFrame(int unit)
{
    const auto text = [](const std::string& s) { return sim::Bytes(s.begin(), s.end()); };
    return {
        {36, {0xD3, static_cast<std::uint8_t>(0x10 + unit)}},            // PI
        {37, {1}},                                                       // TP
        {38, {10}},                                                      // PTY
        {54, text("RADIO " + std::to_string(10 + unit))},                // PS, 8 characters
        {55, {0}},                                                       // TA
        {57, {15, 1}},                                                   // DI
        {78, text("Now playing: the loadtest hour with the KV7200 unit simulator")}, // RT A
        {39, {0x33, 0x04}},                                              // 107.5 MHz
        {42, {0x20, 0x02}},                                              // RF level
        {41, {0x4B, 0x00}},                                              // MPX level
        {43, {1}},                                                       // stereo
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

// The main thread's CPU time against the wall clock.
class BusyMeter {
public:
    void Start()
    {
        wallStart_ = Clock::now();
        cpuStart_ = CpuSeconds();
    }
    double Share() const
    {
        const double wall = std::chrono::duration<double>(Clock::now() - wallStart_).count();
        return wall > 0 ? (CpuSeconds() - cpuStart_) / wall : 0.0;
    }

private:
    static double CpuSeconds()
    {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }

    Clock::time_point wallStart_ = Clock::now();
    double cpuStart_ = 0;
};

std::int64_t CountUnitRecords()
{
    fb::TIBSQL q(&storage::DM->IBDatabase, &storage::DM->IBTransaction);
    q.SetSQL("select count(*) from EVENT_LOG where DATACODE < 1000");
    q.ExecQuery();
    q.Next();
    return q.Fields(0).GetAsInt64();
}

int PeakPendingNow(device_link::TDeviceManager& manager)
{
    int peak = 0;
    for (int i = 0; i < manager.GetCount(); ++i)
        if (auto* transport = manager.GetItem(i)->GetTransport()) peak = std::max(peak, transport->GetPending());
    return peak;
}

int Run(const Options& options)
{
    if (::geteuid() != 0) {
        std::fprintf(stderr, "kv7200-loadtest: the units listen on port 843, which only root may bind\n");
        return 2;
    }
    const fs::path folder = fs::temp_directory_path() / ("kv-loadtest-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::copy_file(KV7200_FDB, folder / "kv7200.FDB", fs::copy_options::overwrite_existing);

    std::vector<rig::TStoredUnit> rows;
    std::vector<std::unique_ptr<sim::UnitSimulator>> units;
    for (int i = 0; i < options.Units; ++i) {
        const std::string address = "127.0.0." + std::to_string(2 + i);
        rows.push_back({device_link::dkTCP, address, "Load " + std::to_string(i + 1), true});
        units.push_back(std::make_unique<sim::UnitSimulator>());
        units.back()->StartTcp(843, address);
        units.back()->Play({sim::ScenarioStep::MakeFrames(0, options.Rate, StationFrame(i))});
    }
    const std::size_t itemsPerFrame = StationFrame(0).size();
    rig::ConfigureDatabase(folder.string(), rows, [](storage::TCommonSettings& common) {
        common.LogEnabled = 1;
        common.LogSystemEvents = 1;
        common.ConnectAllOnStart = 1;
        common.BackupOnExit = 0;
    });

    BusyMeter busy;
    app::TProgram program((folder / "kv7200").string(), "KV7200_LOADTEST_" + std::to_string(::getpid()));
    if (!program.Start()) {
        std::fprintf(stderr, "kv7200-loadtest: the program did not start (exit code %d)\n", program.ExitCode());
        return 1;
    }
    auto& manager = *program.MainForm()->DeviceManager;
    for (auto& unit : units)
        if (!unit->WaitForClient(10000)) std::fprintf(stderr, "kv7200-loadtest: a unit was not connected\n");

    const long rssStart = RssKiB();
    const std::int64_t recordsStart = CountUnitRecords();
    std::uint64_t framesStart = 0;
    for (auto& unit : units) framesStart += unit->FramesSent();
    // The program's own message loop runs the measured time; a timer samples the backlog
    // every 10 ms and the memory every second.
    int peakPending = 0;
    std::vector<long> rssSeries;
    QEventLoop loop;
    QTimer sampler;
    int ticks = 0;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        peakPending = std::max(peakPending, PeakPendingNow(manager));
        if (++ticks % 100 == 0) rssSeries.push_back(RssKiB());
    });
    sampler.start(10);
    QTimer::singleShot(options.Seconds * 1000, &loop, &QEventLoop::quit);
    busy.Start();
    const auto start = Clock::now();
    loop.exec();
    sampler.stop();
    const double busyShare = busy.Share();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    // The units stop; what they sent is delivered and logged before counting.
    for (auto& unit : units) unit->Stop();
    std::uint64_t frames = 0;
    for (auto& unit : units) frames += unit->FramesSent();
    const auto drainUntil = Clock::now() + std::chrono::seconds(30);
    std::int64_t records = CountUnitRecords();
    while (Clock::now() < drainUntil) {
        ui::ProcessMessages();
        rtl::MainThread::CheckSynchronize(std::chrono::milliseconds(20));
        const std::int64_t now = CountUnitRecords();
        if (now == records && PeakPendingNow(manager) == 0
            && static_cast<std::uint64_t>(now) >= frames * itemsPerFrame)
            break;
        records = now;
    }
    records = CountUnitRecords();
    const long rssEnd = RssKiB();
    const std::int64_t windowRecords = records - recordsStart;
    const std::uint64_t windowFrames = frames - framesStart;

    std::printf("units                 %d TCP, %.1f frames/s each, %zu items a frame\n", options.Units,
                options.Rate, itemsPerFrame);
    std::printf("measured              %.1f s\n", seconds);
    std::printf("frames sent           %llu (%llu in the window)\n", static_cast<unsigned long long>(frames),
                static_cast<unsigned long long>(windowFrames));
    std::printf("log records           %lld of %llu expected (every item of every frame)\n",
                static_cast<long long>(records), static_cast<unsigned long long>(frames * itemsPerFrame));
    std::printf("log records/s         %.0f\n", windowRecords / seconds);
    std::printf("peak Pending          %d\n", peakPending);
    std::printf("main thread busy      %.1f %%\n", 100.0 * busyShare);
    std::printf("memory (RSS)          start %ld KiB, end %ld KiB\n", rssStart, rssEnd);
    std::printf("memory every 10 s     ");
    for (std::size_t i = 9; i < rssSeries.size(); i += 10) std::printf("%ld ", rssSeries[i]);
    std::printf("KiB\n");

    const auto shutdownStart = Clock::now();
    program.Stop();
    std::printf("shutdown              %.1f s\n",
                std::chrono::duration<double>(Clock::now() - shutdownStart).count());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return static_cast<std::uint64_t>(records) == frames * itemsPerFrame ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    rtl::MainThread::Init();
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--units") options.Units = std::clamp(std::atoi(argv[i + 1]), 1, 200);
        else if (a == "--seconds") options.Seconds = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--rate") options.Rate = std::atof(argv[i + 1]);
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kv7200-loadtest: %s\n", e.what());
        return 1;
    }
}
