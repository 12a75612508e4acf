// The data module on the embedded engine:
//  - UpdateDevice, one commit each (rows per second);
//  - opening the log query on a 1,000,000-record log until its first 100 rows are read,
//    with the calculated texts, beside a bare select of the same rows (ratio);
//  - the same query read to its end (Ctrl+End), beside a bare fetch of every row (ratio);
//  - AddToLog for unit items through the real filters beside executing the prepared
//    ADD_TO_LOG directly with the same records (records per second of each, ratio);
//  - the whole per-record path from a delivered packet (automaton, RDS view, filters,
//    log writer) beside the bare prepared insert (microseconds per record, ratio);
//  - GET_OUTDATED_LOG and CLEAR_OUTDATED_LOG on a 1,000,000-record log, half outdated.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>

#include "device_link/Device.h"
#include "device_link/DeviceManager.h"
#include "platform/fb/IBSQL.h"
#include "platform/io/UsbBridge.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Thread.h"
#include "storage/DModule.h"
#include "simulator/UnitSimulator.h"
#include "storage/StorageTestEngine.h"
#include "support/ScratchFolder.h"
#include "support/TempDir.h"
#include "views/DeviceRDS.h"

namespace {

constexpr int kLogRecords = 1'000'000;
constexpr int kLogDays = 60; // records spread over the last 60 days; 30 days expire half

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ThreadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

class BenchMainForm : public storage::IMainFormServices {
public:
    std::string GetProgramFilePath() const override { return ProgramFile; }
    storage::TCommonSettings& GetCommonSettings() override { return Common; }
    device_link::TDeviceManager* GetDeviceManager() override { return Manager.get(); }

    std::string ProgramFile;
    storage::TCommonSettings Common;
    std::unique_ptr<device_link::TDeviceManager> Manager;
};

// A copy of the built empty database in a folder of its own, and a data module on it.
struct Bench {
    explicit Bench(const std::string& source = KV7200_TEMPLATE_FDB)
    {
        storagetest::EngineFolder();
        std::filesystem::copy_file(source, Dir.Path() / storage::kDatabaseFileName);
        Main.ProgramFile = Dir.File("kv7200");
        Main.Common.LogEnabled = 1;
        Main.Common.LogSystemEvents = 1;
        Main.Common.LogExpireDays = kLogDays / 2;
        // Units only from the stored rows: nothing of this machine is detected.
        io::SetUsbBridgeRoots(Dir.Str(), Dir.Str());
        device_link::SetSerialPortRoots(Dir.Str(), Dir.Str());
        Main.Manager = std::make_unique<device_link::TDeviceManager>(&Owner);
        Dm = std::make_unique<storage::TDM>(nullptr, Main);
    }
    ~Bench()
    {
        Dm.reset();
        Main.Manager.reset();
    }
    std::string DbPath() const { return Dir.File(storage::kDatabaseFileName); }

    testsupport::TempDir Dir;
    rtl::TComponent Owner{nullptr};
    BenchMainForm Main;
    std::unique_ptr<storage::TDM> Dm;
};

// The empty database with a million log records of three units and system events,
// made once per run.
const std::string& MillionRecordDatabase()
{
    static testsupport::TempDir dir;
    static const std::string path = [] {
        Bench b;
        fb::TIBSQL q(&b.Dm->IBDatabase, &b.Dm->IBTransaction);
        q.SetSQL("insert into DEVICES (ID, ALIAS, DEVICETYPE) values (1, 'Roof', 3)");
        q.ExecQuery();
        q.SetSQL("insert into DEVICES (ID, ALIAS, DEVICETYPE) values (2, 'Mast', 3)");
        q.ExecQuery();
        q.SetSQL("insert into DEVICES (ID, ALIAS, DEVICETYPE) values (3, 'Cellar', 3)");
        q.ExecQuery();
        const double oldest = rtl::Now() - kLogDays;
        q.SetParamCheck(false);
        q.SetSQL(rtl::Format(rtl::TFormatSettings::Invariant(),
                             "execute block as\n"
                             "declare i integer = 0;\n"
                             "begin\n"
                             "  while (i < %d) do begin\n"
                             "    insert into EVENT_LOG (ID, DT, DEVICEID, DATACODE, DATA)\n"
                             "    values (gen_id(GEN_EVENT_LOG_ID, 1), %.10f + :i * %.12e, mod(:i, 4), 39, x'3304');\n"
                             "    i = i + 1;\n"
                             "  end\n"
                             "end",
                             kLogRecords, oldest, static_cast<double>(kLogDays) / kLogRecords));
        q.ExecQuery();
        b.Dm->IBTransaction.CommitRetaining();
        b.Dm.reset();
        const std::string target = dir.File("million.FDB");
        std::filesystem::copy_file(b.DbPath(), target);
        return target;
    }();
    return path;
}

// ---------------------------------------------------------------- unit rows

void BM_UpdateDevice(benchmark::State& state)
{
    Bench b;
    device_link::TDevice unit(device_link::dkTCP, nullptr);
    unit.SetIPText("127.0.0.1");
    unit.Alias = "Roof";
    b.Dm->AddDevice(unit);
    int k = 0;
    for (auto _ : state) {
        unit.MapX = ++k;
        b.Dm->UpdateDevice(unit);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UpdateDevice)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// ---------------------------------------------------------------- log query

// The lengths of the texts the log view shows of the current record.
std::size_t ShownTexts(db::TDataSet& log)
{
    return log.FieldByName("CODES")->GetAsString().size() + log.FieldByName("DATAS")->GetAsString().size()
           + log.FieldByName("DTS")->GetAsString().size() + log.FieldByName("ALIAS")->GetAsString().size();
}

// The mean seconds of a run of the log query and of a bare select beside it.
struct TBesideBare {
    double Query = 0, Bare = 0;
};

// Run by run: the log query opened, read by readLog and closed, then a bare select of the
// same rows read by readBare; the iteration's time is the query's. Each reader returns a
// checksum of what it read.
template <typename ReadLog, typename ReadBare>
TBesideBare LogQueryBesideBare(benchmark::State& state, Bench& b, ReadLog readLog, ReadBare readBare)
{
    TBesideBare total;
    std::size_t checksum = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        db::TDataSet& log = b.Dm->IBQ_LOG_;
        log.Open();
        checksum += readLog(log);
        log.Close();
        const auto t1 = Clock::now();
        {
            fb::TIBSQL q(&b.Dm->IBDatabase, &b.Dm->IBTransaction);
            q.SetSQL("select * from get_log");
            q.ExecQuery();
            checksum += readBare(q);
        }
        const auto t2 = Clock::now();
        total.Query += Seconds(t1 - t0);
        total.Bare += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t1 - t0));
    }
    benchmark::DoNotOptimize(checksum);
    const double n = static_cast<double>(state.iterations());
    return {total.Query / n, total.Bare / n};
}

void BM_LogQueryFirst100Rows(benchmark::State& state)
{
    Bench b(MillionRecordDatabase());
    const TBesideBare times = LogQueryBesideBare(
        state, b,
        [](db::TDataSet& log) {
            std::size_t sum = 0;
            for (int row = 0; row < 100 && !log.Eof(); ++row, log.Next()) sum += ShownTexts(log);
            return sum;
        },
        [](fb::TIBSQL& q) {
            std::size_t sum = 0;
            for (int row = 0; row < 100 && q.Next(); ++row) sum += q.Fields(0).GetAsString().size();
            return sum;
        });
    state.counters["query_ms"] = times.Query * 1e3;
    state.counters["bare_select_ms"] = times.Bare * 1e3;
    state.counters["ratio"] = times.Bare / times.Query;
}
BENCHMARK(BM_LogQueryFirst100Rows)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Ctrl+End in the log view on a 1,000,000-record log: the query read to its last record and
// the 40 records a screen shows there read with their texts, beside a bare fetch of every
// row of the same select (ratio: the query's time over the bare fetch's).
void BM_LogQueryToTheEnd(benchmark::State& state)
{
    Bench b(MillionRecordDatabase());
    const TBesideBare times = LogQueryBesideBare(
        state, b,
        [](db::TDataSet& log) {
            std::size_t sum = 0;
            log.Last();
            for (int row = 0; row < 40 && !log.Bof(); ++row, log.Prior()) sum += ShownTexts(log);
            return sum;
        },
        [](fb::TIBSQL& q) {
            std::size_t rows = 0;
            while (q.Next()) ++rows;
            return rows;
        });
    state.counters["query_s"] = times.Query;
    state.counters["bare_fetch_s"] = times.Bare;
    state.counters["ratio"] = times.Query / times.Bare;
}
BENCHMARK(BM_LogQueryToTheEnd)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(3);

// ---------------------------------------------------------------- log writer

void BM_AddToLogVsDirectProcedure(benchmark::State& state)
{
    Bench b;
    device_link::TDeviceInfo row;
    row.DeviceType = device_link::dkTCP;
    row.IP = "127.0.0.1";
    row.Id = 5;
    device_link::TDevice* unit = b.Main.Manager->AddDevice(row);
    device_link::TDeviceSettings settings; // a new unit's filter: groups 1, 3 and 5 to 15 off
    unit->SetSettings(settings);

    // Unit items as a frame of a tuned unit brings them: all pass the filter.
    struct Item {
        int Code;
        std::string Data;
    };
    const std::vector<Item> items = {
        // clang-format off
        {39, "\x33\x04"}, {36, "C201"}, {37, "0"}, {38, "10"}, {54, "RADIO 1 "}, {55, "1"}, {56, "1"},
        {59, "7"}, {64, "87.6"}, {78, "Hello world, this is the radio text"}, {88, "2024-03-09"}, {35, "0"},
        // clang-format on
        {40, "\x01"},
    };
    constexpr int kBatch = 5000;
    double writer = 0, direct = 0;
    fb::TIBStoredProc& proc = b.Dm->addToLog;
    for (auto _ : state) {
        auto t0 = Clock::now();
        for (int k = 0; k < kBatch; ++k) {
            const Item& item = items[static_cast<std::size_t>(k) % items.size()];
            b.Dm->AddToLogStr(5, item.Code, item.Data);
        }
        // Each loop pays for making its own records durable.
        b.Dm->CommitPendingLog();
        auto t1 = Clock::now();
        for (int k = 0; k < kBatch; ++k) {
            const Item& item = items[static_cast<std::size_t>(k) % items.size()];
            proc.ParamByName("DEVICEID").SetAsInteger(5);
            proc.ParamByName("DATACODE").SetAsInteger(item.Code);
            proc.ParamByName("DATA").SetAsString(item.Data);
            proc.ParamByName("DT").SetAsDouble(rtl::Now());
            proc.ExecProc();
        }
        b.Dm->IBTransaction.CommitRetaining();
        auto t2 = Clock::now();
        writer += Seconds(t1 - t0);
        direct += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t1 - t0));
    }
    const double n = static_cast<double>(state.iterations()) * kBatch;
    state.counters["writer_records_per_s"] = n / writer;
    state.counters["direct_records_per_s"] = n / direct;
    state.counters["ratio"] = direct / writer;
    state.SetItemsProcessed(static_cast<std::int64_t>(n));
}
BENCHMARK(BM_AddToLogVsDirectProcedure)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The whole per-record path of the main thread, as a delivered packet takes it: the
// unit's frame automaton, its RDS view (items shown, the unit's name taken) and the log
// writer with the unit's filter, beside the bare prepared ADD_TO_LOG (parameters found
// once) with the same records. Frames of a tuned unit: most items repeat, the levels
// move.
void BM_LogPathPerRecordVsBareInsert(benchmark::State& state)
{
    Bench b;
    views::RegisterDeviceRDSView();
    device_link::TDeviceInfo row;
    row.DeviceType = device_link::dkTCP;
    row.IP = "127.0.0.1";
    row.Id = 5;
    // Other units of a site before it in the list.
    for (int other = 1; other < 5; ++other) {
        device_link::TDeviceInfo more = row;
        more.IP = "127.0.0." + std::to_string(1 + other);
        more.Id = 100 + other;
        b.Main.Manager->AddDevice(more);
    }
    device_link::TDevice* unit = b.Main.Manager->AddDevice(row);
    device_link::TDeviceSettings settings;
    settings.LogUnitEnabled = settings.LogNegotiation = settings.LogPI = settings.LogTP = settings.LogPTY = 1;
    settings.LogGroup.fill(1);
    settings.LogFreq = settings.LogSource = settings.LogRDSMode = settings.LogStereo = 1;
    settings.LogRDSLock = settings.LogRFLevel = settings.LogMPXLevel = settings.LogBandScan = 1;
    unit->SetSettings(settings);

    const auto text = [](const std::string& t) { return sim::Bytes(t.begin(), t.end()); };
    std::vector<sim::UnitItem> items = {
        // clang-format off
        {36, {0xD3, 0x10}}, {37, {1}}, {38, {10}}, {54, text("RADIO 10")}, {55, {0}}, {57, {15, 1}},
        {78, text("Now playing: the loadtest hour with the KV7200 unit simulator")}, {39, {0x33, 0x04}},
        {42, {0x20, 0x02}}, {41, {0x4B, 0x00}}, {43, {1}},
        // clang-format on
    };
    constexpr int kFrames = 400;
    std::vector<device_link::TArray> packets;
    for (int f = 0; f < kFrames; ++f) {
        items[8].Data[0] = static_cast<std::uint8_t>(0x20 + f % 7); // RF level
        items[9].Data[0] = static_cast<std::uint8_t>(0x4B + f % 3); // MPX level
        device_link::TArray packet = sim::BuildUnitFrame(static_cast<std::uint32_t>(f + 1), items);
        device_link::AppendPacketTime(packet, rtl::Now());
        packets.push_back(std::move(packet));
    }
    const std::int64_t records = static_cast<std::int64_t>(kFrames) * static_cast<std::int64_t>(items.size());

    fb::TIBStoredProc& proc = b.Dm->addToLog;
    fb::TParam& deviceId = proc.ParamByName("DEVICEID");
    fb::TParam& code = proc.ParamByName("DATACODE");
    fb::TParam& data = proc.ParamByName("DATA");
    fb::TParam& dt = proc.ParamByName("DT");
    std::vector<std::pair<int, std::string>> bare;
    for (int f = 0; f < kFrames; ++f) {
        items[8].Data[0] = static_cast<std::uint8_t>(0x20 + f % 7);
        items[9].Data[0] = static_cast<std::uint8_t>(0x4B + f % 3);
        for (const auto& item : items) bare.emplace_back(item.Code, std::string(item.Data.begin(), item.Data.end()));
    }

    // Wall time (what the main thread is kept from other work) and the main thread's
    // CPU time (without the waits for the disk, which vary from run to run).
    double path = 0, direct = 0, pathCpu = 0, directCpu = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        const double c0 = ThreadCpuSeconds();
        for (const auto& packet : packets) unit->OnData(packet);
        b.Dm->CommitPendingLog();
        auto t1 = Clock::now();
        const double c1 = ThreadCpuSeconds();
        for (const auto& [itemCode, payload] : bare) {
            deviceId.SetAsInteger(5);
            code.SetAsInteger(itemCode);
            data.SetAsString(payload);
            dt.SetAsDouble(rtl::Now());
            proc.ExecProc();
        }
        b.Dm->IBTransaction.CommitRetaining();
        auto t2 = Clock::now();
        const double c2 = ThreadCpuSeconds();
        path += Seconds(t1 - t0);
        direct += Seconds(t2 - t1);
        pathCpu += c1 - c0;
        directCpu += c2 - c1;
        state.SetIterationTime(Seconds(t1 - t0));
    }
    const double n = static_cast<double>(state.iterations()) * static_cast<double>(records);
    state.counters["path_us_per_record"] = path / n * 1e6;
    state.counters["bare_us_per_record"] = direct / n * 1e6;
    state.counters["ratio"] = direct / path;
    state.counters["path_cpu_us_per_record"] = pathCpu / n * 1e6;
    state.counters["bare_cpu_us_per_record"] = directCpu / n * 1e6;
    state.counters["cpu_ratio"] = directCpu / pathCpu;
    state.SetItemsProcessed(static_cast<std::int64_t>(n));
    device_link::RegisterDeviceRDSViewFactory(nullptr);
}
BENCHMARK(BM_LogPathPerRecordVsBareInsert)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

// ---------------------------------------------------------------- maintenance

void BM_GetOutdatedLog(benchmark::State& state)
{
    Bench b(MillionRecordDatabase());
    int count = 0;
    for (auto _ : state) {
        double date = 0;
        count = b.Dm->GetOutdatedLog(date);
    }
    state.counters["outdated"] = count;
}
BENCHMARK(BM_GetOutdatedLog)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ClearOutdatedLog(benchmark::State& state)
{
    double date = 0;
    int before = 0, after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto b = std::make_unique<Bench>(MillionRecordDatabase());
        before = b->Dm->GetOutdatedLog(date);
        state.ResumeTiming();
        b->Dm->ClearOutdatedLog();
        b->Dm->IBTransaction.CommitRetaining();
        state.PauseTiming();
        after = b->Dm->GetOutdatedLog(date);
        b.reset();
        state.ResumeTiming();
    }
    state.counters["removed"] = before - after;
}
BENCHMARK(BM_ClearOutdatedLog)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // The engine and the databases go with this folder, also when a benchmark aborts.
    testsupport::UseScratchFolder("kv7200-bench");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    rtl::MainThread::Init();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    storagetest::RemoveEngineFolders();
    return 0;
}
