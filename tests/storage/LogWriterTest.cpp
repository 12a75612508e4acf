// The event log writer: global switches, the unit filter, blank payloads, what a
// record holds, and how soon its records become durable (also across a crash).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include <QCoreApplication>

#include "DModuleFixture.h"
#include "support/ChildRoutine.h"
#include "device_link/DeviceSettings.h"
#include "platform/rtl/SysUtils.h"

using storage::TDM;

namespace {

struct LogRecord {
    int DeviceId;
    int Code;
    std::string Data;
    double Dt;
};

class LogWriter : public dmtest::DModuleTest {
protected:
    LogWriter()
    {
        Main.Manager = Machine.Manager.get();
        Main.Common.LogEnabled = 1;
        Main.Common.LogSystemEvents = 1;
        Unit = Machine.AddTcpUnit(7);
        // Every group on, so that a test switches off only what it means to.
        SetFilterByte(Unit, -1, 0);
        Open();
    }

    // Sets one filter byte of the unit's settings record (byte -1: all of 6 to 34 to 1 first).
    static void SetFilterByte(device_link::TDevice* unit, int byte, std::uint8_t value)
    {
        device_link::TDeviceSettings s;
        unit->GetSettings(s);
        auto bytes = s.ToBytes();
        if (byte < 0)
            for (int b = 6; b <= 34; ++b) bytes[static_cast<std::size_t>(b)] = 1;
        else
            bytes[static_cast<std::size_t>(byte)] = value;
        unit->SetSettings(device_link::TDeviceSettings::FromBytes(bytes.data()));
    }

    // The records in the module's own transaction (committed or not).
    std::vector<LogRecord> Records()
    {
        fb::TIBSQL q(&Dm->IBDatabase, &Dm->IBTransaction);
        q.SetSQL("select DEVICEID, DATACODE, DATA, DT from EVENT_LOG order by ID");
        q.ExecQuery();
        std::vector<LogRecord> out;
        while (q.Next())
            out.push_back({q.Fields(0).GetAsInteger(), q.Fields(1).GetAsInteger(), q.Fields(2).GetAsString(),
                           q.Fields(3).GetAsDouble()});
        return out;
    }
    std::vector<int> Codes()
    {
        std::vector<int> out;
        for (const auto& r : Records()) out.push_back(r.Code);
        return out;
    }
    void Write(int id, int code, const std::string& payload = "x") { Dm->AddToLogStr(id, code, payload); }
    void EmptyLog() { Dm->emptyLog.ExecProc(); }

    dmtest::EmptyMachine Machine;
    device_link::TDevice* Unit = nullptr;
};

using CodeList = std::vector<int>;

} // namespace

TEST_F(LogWriter, GlobalSwitches)
{
    Main.Common.LogEnabled = 0;
    Write(0, 1000, "\x01");
    Write(7, 39, "\x33\x04");
    Write(7, 1002, "\x00");
    EXPECT_TRUE(Records().empty());
    EXPECT_FALSE(Dm->HasPendingLog());

    // System events need their own switch; a unit's status and actions are system events too.
    Main.Common.LogEnabled = 1;
    Main.Common.LogSystemEvents = 0;
    Write(0, 1000, "\x01");
    Write(7, 1002, std::string(1, '\0'));
    Write(7, 1003, std::string(1, '\0'));
    Write(7, 39, "\x33\x04");
    EXPECT_EQ(Codes(), (CodeList{39}));

    Main.Common.LogSystemEvents = 1;
    Write(0, 1000, "\x01");
    Write(7, 1002, std::string(1, '\0'));
    EXPECT_EQ(Codes(), (CodeList{39, 1000, 1002}));
}

TEST_F(LogWriter, RecordsWithoutAPlace)
{
    Write(0, 39, "\x33\x04"); // a unit item needs its unit
    Write(0, 1, "x");
    Write(7, 0, "x"); // code 0 is never written
    Write(0, 0, "x");
    Write(99, 39, "\x33\x04"); // no unit carries id 99 (removed meanwhile)
    Write(99, 1002, "\x01");
    EXPECT_TRUE(Records().empty());

    // Without a unit manager every unit is unknown, system events still go.
    Main.Manager = nullptr;
    Write(7, 39, "\x33\x04");
    Write(0, 1001, "\x01");
    EXPECT_EQ(Codes(), (CodeList{1001}));
}

TEST_F(LogWriter, BlankPayloads)
{
    Write(7, 12, " ");
    Write(0, 1004, " ");
    EXPECT_TRUE(Records().empty());
    Write(7, 12, "  ");
    Write(7, 12, "A");
    Write(7, 12, std::string(1, '\0'));
    auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Data, "  ");
    EXPECT_EQ(records[1].Data, "A");
    EXPECT_EQ(records[2].Data, std::string(1, '\0'));
}

TEST_F(LogWriter, WhatARecordHolds)
{
    const double before = rtl::Now();
    const std::uint8_t bytes[] = {0x33, 0x04, 0x00, 0xFF};
    Dm->AddToLogBytes(7, 39, bytes, 3);
    Dm->AddToLogBytes(7, 39, bytes, 1);
    Dm->AddToLogStr(0, 1004, "Roof:10.0.0.1");
    rtl::TMemoryStream stream;
    stream.WriteBuffer("\x01\x02\x03", 3); // the position is at the end: the whole stream is written
    Dm->AddToLog(7, 42, stream);
    const double after = rtl::Now();

    auto records = Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].DeviceId, 7);
    EXPECT_EQ(records[0].Code, 39);
    EXPECT_EQ(records[0].Data, std::string("\x33\x04\x00\xFF", 4));
    EXPECT_EQ(records[1].Data, "\x33\x04");
    EXPECT_EQ(records[2].DeviceId, 0);
    EXPECT_EQ(records[2].Data, "Roof:10.0.0.1");
    EXPECT_EQ(records[3].Code, 42);
    EXPECT_EQ(records[3].Data, "\x01\x02\x03");
    for (const auto& r : records) {
        EXPECT_GE(r.Dt, before - 1e-8);
        EXPECT_LE(r.Dt, after + 1e-8);
    }
}

// Every filter byte, switched off alone, drops exactly the codes the table gives it.
TEST_F(LogWriter, EachFilterByteDropsItsCodes)
{
    // The table as the log settings of a unit describe it (byte: first and last code of each run).
    const std::map<int, std::vector<std::pair<int, int>>> gates = {
        // clang-format off
        {7, {{1, 14}, {16, 17}, {24, 24}, {27, 27}, {32, 32}, {53, 53}}},
        {8, {{36, 36}}}, {9, {{37, 37}}}, {10, {{38, 38}}},
        {11, {{54, 64}}}, {12, {{67, 75}}}, {13, {{78, 80}}}, {14, {{83, 85}}}, {15, {{88, 90}}},
        {16, {{92, 94}}}, {17, {{97, 99}}}, {18, {{102, 105}}}, {19, {{108, 115}}}, {20, {{118, 120}}},
        {21, {{123, 124}}}, {22, {{127, 129}}}, {23, {{132, 134}}}, {24, {{137, 141}}}, {25, {{144, 161}}},
        {26, {{164, 170}}}, {27, {{39, 39}}}, {28, {{40, 40}}}, {29, {{35, 35}}}, {30, {{43, 43}}},
        {31, {{30, 30}}}, {32, {{42, 42}}}, {33, {{41, 41}}}, {34, {{20, 22}}},
        // clang-format on
    };
    std::vector<int> all;
    for (int code = 1; code <= 170; ++code) all.push_back(code);
    all.push_back(1002);
    all.push_back(1003);

    for (const auto& [byte, runs] : gates) {
        SCOPED_TRACE("byte " + std::to_string(byte));
        SetFilterByte(Unit, -1, 0);
        SetFilterByte(Unit, byte, 0);
        EmptyLog();
        for (int code : all) Write(7, code);
        std::set<int> expected(all.begin(), all.end());
        for (const auto& [first, last] : runs)
            for (int code = first; code <= last; ++code) expected.erase(code);
        auto written = Codes();
        EXPECT_EQ(std::set<int>(written.begin(), written.end()), expected);
        EXPECT_EQ(written.size(), expected.size());
    }

    // Byte 6 switches the unit off, its status and actions included; other units go on.
    SetFilterByte(Unit, -1, 0);
    SetFilterByte(Unit, 6, 0);
    device_link::TDevice* other = Machine.AddTcpUnit(8, "127.0.0.2");
    SetFilterByte(other, -1, 0);
    EmptyLog();
    for (int code : all) Write(7, code);
    Write(8, 1002, "\x01");
    Write(0, 1000, "\x01");
    EXPECT_EQ(Codes(), (CodeList{1002, 1000}));
    EXPECT_EQ(Records()[0].DeviceId, 8);
}

TEST_F(LogWriter, TheFilterFollowsEveryChangeOfTheUnitsRecord)
{
    Write(7, 39);
    // A record loaded from the unit row: frequency (byte 27) off.
    device_link::TDeviceSettings s;
    Unit->GetSettings(s);
    auto bytes = s.ToBytes();
    bytes[27] = 0;
    rtl::TMemoryStream stored;
    stored.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stored.SetPosition(0);
    Unit->LoadSettings(stored);
    Write(7, 39);
    Write(7, 36);
    Write(7, 300); // named by no row: only byte 6 governs it
    EXPECT_EQ(Codes(), (CodeList{39, 36, 300}));

    // Another unit under the same id (removed and stored anew), with its unit switch off.
    EmptyLog();
    Machine.Manager->Clear();
    Unit = Machine.AddTcpUnit(7);
    SetFilterByte(Unit, -1, 0);
    SetFilterByte(Unit, 6, 0);
    Write(7, 39);
    Write(7, 1003, "\x01");
    EXPECT_TRUE(Records().empty());
}

TEST_F(LogWriter, GroupZeroOffKeepsGroupOne)
{
    SetFilterByte(Unit, 11, 0);
    for (int code = 54; code <= 64; ++code) Write(7, code);
    Write(7, 67);
    Write(7, 65); // named by no row: only byte 6 governs it
    EXPECT_EQ(Codes(), (CodeList{67, 65}));

    // With its own byte off, 67 goes too.
    EmptyLog();
    SetFilterByte(Unit, 12, 0);
    Write(7, 67);
    EXPECT_TRUE(Records().empty());
}

TEST(LogWriterTables, InList)
{
    const std::int32_t table[] = {5, -3, 1000};
    EXPECT_TRUE(storage::InList(5, table));
    EXPECT_TRUE(storage::InList(1000, table));
    EXPECT_TRUE(storage::InList(-3, table));
    EXPECT_FALSE(storage::InList(4, table));
    EXPECT_FALSE(storage::InList(0, {}));
    EXPECT_TRUE(storage::InList(0, storage::NeverLoggedCodes()));
    // Walked from byte 6 to byte 34, each byte once.
    int expected = 6;
    for (const auto& row : storage::LogFilterTable()) EXPECT_EQ(row.Byte, expected++);
    EXPECT_EQ(expected, 35);
}

TEST(LogWriterTables, EachRowReadsTheRecordByteItNames)
{
    const auto rows = storage::LogFilterTable();
    for (const auto& row : rows) {
        device_link::TDeviceSettings::TBytes bytes = device_link::TDeviceSettings{}.ToBytes();
        for (const auto& other : rows) bytes[static_cast<std::size_t>(other.Byte)] = 1;
        bytes[static_cast<std::size_t>(row.Byte)] = 0;
        const auto settings = device_link::TDeviceSettings::FromBytes(bytes.data());
        for (const auto& other : rows)
            EXPECT_EQ(other.Switch(settings), &other == &row ? 0 : 1) << "byte " << row.Byte << ", row " << other.Byte;
    }
}

// ---------------------------------------------------------------- durability

TEST_F(LogWriter, RecordsAreCommittedWithinTheBound)
{
    std::int64_t now = 0;
    Dm->Clock = [&now] { return now; };
    Dm->LogCommitDelayMs = 1000;

    Write(0, 1000, "\x01");
    EXPECT_TRUE(Dm->HasPendingLog());
    EXPECT_EQ(Count("EVENT_LOG"), 0); // another connection does not see it yet
    now += 999;
    Write(0, 1001, "\x01");
    EXPECT_EQ(Count("EVENT_LOG"), 0);
    now += 1; // the first record turns one bound old: the next write commits both
    Write(7, 39, "\x33\x04");
    EXPECT_EQ(Count("EVENT_LOG"), 3);
    EXPECT_FALSE(Dm->HasPendingLog());

    // A filtered record starts no wait.
    Main.Common.LogEnabled = 0;
    Write(0, 1000, "\x01");
    EXPECT_FALSE(Dm->HasPendingLog());
    Main.Common.LogEnabled = 1;

    // Without further writes the main loop's timer commits.
    Dm->LogCommitDelayMs = 30;
    Write(0, 1000, "\x02");
    EXPECT_TRUE(Dm->HasPendingLog());
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !Dm->HasPendingLog(); }, 5000));
    EXPECT_EQ(Count("EVENT_LOG"), 4);

    // A post to CONFIG commits waiting records too.
    Dm->LogCommitDelayMs = 60'000;
    Write(0, 1000, "\x01");
    Dm->SaveCommon(Main.Common);
    EXPECT_FALSE(Dm->HasPendingLog());
    EXPECT_EQ(Count("EVENT_LOG"), 5);
}

TEST_F(LogWriter, ManyRecordsRenewTheTransactionAndTheModuleGoesOn)
{
    std::int64_t now = 0;
    Dm->Clock = [&now] { return now; };
    Dm->LogRecordsPerTransaction = 2;
    Dm->AddDevice(*Unit); // a stored row, read and written through IBQ_DEVICES_ below
    for (int i = 0; i < 6; ++i) {
        Write(0, 1000, "\x01");
        now += Dm->LogCommitDelayMs;
    }
    Dm->CommitPendingLog();
    EXPECT_EQ(Count("EVENT_LOG"), 7); // 1004 of the new unit and the six
    ASSERT_TRUE(Dm->IBQ_DEVICES_.GetActive());

    // The unit rows still read and write after the transaction was renewed.
    Unit->Alias = "Renewed";
    Dm->UpdateDevice(*Unit);
    EXPECT_EQ(Scalar("select ALIAS from DEVICES where ID = " + std::to_string(Unit->Id)).GetAsString(), "Renewed");

    // An open log query is never closed under the reader: the commit only retains.
    Dm->IBQ_LOG_.Open();
    for (int i = 0; i < 4; ++i) {
        Write(0, 1000, "\x02");
        now += Dm->LogCommitDelayMs;
    }
    Dm->CommitPendingLog();
    EXPECT_EQ(Count("EVENT_LOG"), 11);
    EXPECT_TRUE(Dm->IBQ_LOG_.GetActive());
    Dm->IBQ_LOG_.Last(); // its cursor still fetches (a hard commit would have closed it)
    EXPECT_EQ(Dm->IBQ_LOG_.RecordCount(), 11);
    Dm->IBQ_LOG_.Close();
}

TEST_F(LogWriter, AFailedRenewalKeepsTheUnitRowsOpen)
{
    // A commit the engine refuses (here a commit trigger, as a full disk would).
    Dm.reset();
    Execute("create exception E_REFUSED 'commit refused'");
    Execute("create trigger REFUSE_COMMIT on transaction commit as begin "
            "if (rdb$get_context('USER_SESSION', 'REFUSE') = '1') then exception E_REFUSED; end",
            false);
    Open();
    std::int64_t now = 0;
    Dm->Clock = [&now] { return now; };
    Dm->LogRecordsPerTransaction = 1;
    Dm->AddDevice(*Unit);
    fb::TIBSQL refuse(&Dm->IBDatabase, &Dm->IBTransaction);
    refuse.SetSQL("select rdb$set_context('USER_SESSION', 'REFUSE', :V) from rdb$database");
    refuse.ParamByName("V").SetAsString("1");
    refuse.ExecQuery();
    ASSERT_TRUE(refuse.Next()); // the context is set when the row is fetched
    refuse.Close();

    Write(0, 1000, "\x01");
    EXPECT_THROW(Dm->CommitPendingLog(), rtl::EDatabaseError);
    EXPECT_TRUE(Dm->IBQ_DEVICES_.GetActive());

    // Once the engine takes commits again, the unit rows read and write as before.
    refuse.ParamByName("V").SetAsString("0");
    refuse.ExecQuery();
    ASSERT_TRUE(refuse.Next());
    refuse.Close();
    Dm->CommitPendingLog();
    Unit->Alias = "After";
    Dm->UpdateDevice(*Unit);
    EXPECT_EQ(Scalar("select ALIAS from DEVICES where ID = " + std::to_string(Unit->Id)).GetAsString(), "After");
}

// A child process writes log records through its own data module and is killed; the
// parent then reads the file. The child is this program, run with its child switch.
namespace {

constexpr const char* kChildDirVar = "KV_DM_CRASH_CHILD_DIR";
constexpr const char* kChildModeVar = "KV_DM_CRASH_CHILD_MODE";
constexpr const char* kCrashChild = "log-writer-crash";

void WriteMarker(const std::string& path)
{
    std::ofstream(path + ".tmp") << "ready";
    std::filesystem::rename(path + ".tmp", path);
}

// Runs the child in mode on the database in dir, waits for its "ready" marker, then
// kills it with SIGKILL after waitAfterReadyMs. Returns the child's wait status.
int RunKilledChild(const std::string& dir, const std::string& mode, int waitAfterReadyMs)
{
    const std::string marker = dir + "/ready";
    std::filesystem::remove(marker);
    // Everything the child needs is made before the fork: after it only exec runs.
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back(std::string(kChildDirVar) + "=" + dir);
    env.push_back(std::string(kChildModeVar) + "=" + mode);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string a0 = exe, a1 = testsupport::ChildSwitch(kCrashChild);
    char* argv[] = {a0.data(), a1.data(), nullptr};

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execve(exe.c_str(), argv, envp.data());
        ::_exit(127);
    }
    int status = 0;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG) == pid) { // ended on its own: a failure
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!ended) {
        std::this_thread::sleep_for(std::chrono::milliseconds(waitAfterReadyMs));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    // What the child's engine and lock folders left behind.
    std::error_code ignored;
    const auto tmp = std::filesystem::temp_directory_path();
    std::filesystem::remove_all(tmp / ("kv-engine-" + std::to_string(pid)), ignored);
    std::filesystem::remove_all(tmp / ("kv-fblock-" + std::to_string(pid)), ignored);
    return status;
}

// The child: writes records as mode says, tells the parent, and waits to be killed.
int WriteAndWaitForTheCrash()
{
    const char* dir = std::getenv(kChildDirVar);
    const char* mode = std::getenv(kChildModeVar);
    if (!dir || !mode) return 2;
    storagetest::EngineFolder();
    dmtest::FakeMainForm main;
    main.ProgramFile = std::string(dir) + "/kv7200";
    main.Common.LogEnabled = 1;
    main.Common.LogSystemEvents = 1;
    TDM dm(nullptr, main);
    const std::string m = mode;
    if (m == "timer") {
        // Records, then only the main loop runs: its timer must commit them.
        dm.LogCommitDelayMs = 50;
        for (int k = 0; k < 10; ++k) dm.AddToLogStr(0, 1004, "timer " + std::to_string(k));
        while (dm.HasPendingLog()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } else if (m == "write") {
        // A record, the bound passes without the main loop, a second record commits both;
        // the third is younger than the bound and still waits when the crash comes.
        dm.LogCommitDelayMs = 50;
        dm.AddToLogStr(0, 1004, "first");
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        dm.AddToLogStr(0, 1004, "second");
        dm.AddToLogStr(0, 1004, "third");
    } else {
        // The bound never passes: nothing is committed before the crash.
        dm.LogCommitDelayMs = 3'600'000;
        for (int k = 0; k < 10; ++k) dm.AddToLogStr(0, 1004, "lost " + std::to_string(k));
    }
    // Nothing runs any more, the timer included, until the parent kills this process.
    WriteMarker(std::string(dir) + "/ready");
    for (;;) ::pause();
}

const bool kCrashChildRegistered = testsupport::RegisterChildRoutine(kCrashChild, WriteAndWaitForTheCrash);

} // namespace

TEST_F(LogWriter, RecordsSurviveACrashAfterTheBound)
{
    Dm.reset(); // the child has the file to itself
    auto texts = [this] {
        std::vector<std::string> out;
        fbtest::TConnection c(DbPath);
        fb::TIBSQL q(&c.db);
        q.SetSQL("select DATA from EVENT_LOG order by ID");
        q.ExecQuery();
        while (q.Next()) out.push_back(q.Fields(0).GetAsString());
        return out;
    };

    // Killed while nothing is committed: the records are gone, so the crash is real.
    int status = RunKilledChild(Dir.Str(), "none", 50);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_TRUE(texts().empty());

    status = RunKilledChild(Dir.Str(), "timer", 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    auto got = texts();
    ASSERT_EQ(got.size(), 10u);
    EXPECT_EQ(got.front(), "timer 0");
    EXPECT_EQ(got.back(), "timer 9");

    status = RunKilledChild(Dir.Str(), "write", 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    got = texts();
    ASSERT_EQ(got.size(), 12u);
    EXPECT_EQ(got[10], "first");
    EXPECT_EQ(got[11], "second");
}

// ---------------------------------------------------------------- the log view's query

TEST_F(LogWriter, LogQueryShowsTheTexts)
{
    rtl::TFormatSettings settings = rtl::TFormatSettings::Invariant();
    settings.DecimalSeparator = ',';
    settings.ShortDateFormat = "dd.mm.yyyy";
    settings.LongTimeFormat = "hh:nn:ss";
    rtl::TScopedFormatSettings format(settings);

    Execute("insert into DEVICES (ID, ALIAS) values (7, 'Roof')");
    // Stored with known dates, in the order the rows come back.
    auto add = [this](double dt, int id, int code, const std::string& data) {
        Dm->addToLog.ParamByName("DT").SetAsDouble(dt);
        Dm->addToLog.ParamByName("DEVICEID").SetAsInteger(id);
        Dm->addToLog.ParamByName("DATA").SetAsString(data);
        Dm->addToLog.ParamByName("DATACODE").SetAsInteger(code);
        Dm->addToLog.ExecProc();
    };
    const double dt = rtl::EncodeDate(2024, 3, 9) + rtl::EncodeTime(14, 5, 6, 0);
    add(dt, 7, 39, "\x33\x04");
    add(dt, 7, 41, std::string("\x4B\x00", 2));
    add(dt, 7, 1002, "\x02");
    add(dt, 7, 12, std::string(60, 'N'));
    add(dt, 7, 57, "\x0F\x01");
    add(dt, 7, 90, std::string("\x00\x00\x00\x00\x00", 5));
    add(dt, 0, 1000, "\x01");
    add(dt, 7, 42, "\x64");

    struct Shown {
        std::string Alias, Codes, Datas;
    };
    const std::vector<Shown> expected = {
        {"Roof", "Frequency", "107,5 MHz"},
        {"Roof", "MPX Level", "7,5 kHz"},
        {"Roof", "Device Status", ""},
        {"Roof", "Unit Name", std::string(50, 'N')},
        {"Roof", "DI", "1, STEREO, Not AH, Not Compressed, Static"},
        {"Roof", "Date / Time", "not transmitted"},
        {"", "Program Started", ""},
        {"Roof", "RF Level", "?"}, // a level: checked by its shape below
    };

    db::TDataSet& q = Dm->IBQ_LOG_;
    q.Open();
    std::size_t row = 0;
    for (; !q.Eof(); q.Next(), ++row) {
        ASSERT_LT(row, expected.size());
        SCOPED_TRACE(row);
        EXPECT_EQ(q.FieldByName("ALIAS")->GetAsString(), expected[row].Alias);
        EXPECT_EQ(q.FieldByName("CODES")->GetAsString(), expected[row].Codes);
        const std::string datas = q.FieldByName("DATAS")->GetAsString();
        if (expected[row].Datas == "?") {
            // One decimal with the settings' separator, and 0xB5, the 8-bit micro sign.
            ASSERT_GE(datas.size(), 7u);
            EXPECT_EQ(datas.substr(datas.size() - 7, 1), ",") << datas;
            EXPECT_EQ(datas.substr(datas.size() - 5), " dB\xB5V") << datas;
        } else {
            EXPECT_EQ(datas, expected[row].Datas);
        }
        EXPECT_EQ(q.FieldByName("DTS")->GetAsString(), "09.03.2024 14:05:06");
    }
    EXPECT_EQ(row, expected.size());
    // The data source the log window's grid reads.
    EXPECT_EQ(Dm->DS_LOG_.GetDataSet(), &q);
    q.Close();
}
