// The program from start to end, in-process on a program folder of its own: two units
// streaming through start-up, views, log and shutdown; closing the main window with a
// view open; a shutdown whose steps fail; a missing database; an engine that cannot
// start; a second start; the engine after the end, until the process is gone.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QTimer>
#include <gtest/gtest.h>

#include "KvTestSupport.h"
#include "ProgramRunSupport.h"
#include "StorageTestEngine.h"
#include "app/Program.h"
#include "device_link/Device.h"
#include "loadtest/ProgramRig.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBSQL.h"
#include "platform/ui/Application.h"
#include "shell/DeviceListView.h"
#include "shell/Splash.h"
#include "shell/kv7200_Main.h"
#include "simulator/UnitSimulator.h"
#include "storage/fb_embedded.h"
#include "views/DeviceRDS.h"

namespace {

namespace fs = std::filesystem;
using device_link::TDevice;
using kvtest::Bytes;
using kvtest::TLogRecord;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = storagetest::EngineFolder();
        fbtest::CopyBuiltDatabase(folder);
        std::error_code ignored;
        fs::remove(folder + "kv7200.FDB_", ignored);
        // The lock and the local server of the single-instance guard live here.
        if (const char* old = std::getenv("TMPDIR")) savedTmp = old;
        ::setenv("TMPDIR", instanceFolder.Str().c_str(), 1);
    }
    void TearDown() override
    {
        if (savedTmp.empty()) ::unsetenv("TMPDIR");
        else ::setenv("TMPDIR", savedTmp.c_str(), 1);
        device_link::RegisterDeviceRDSViewFactory(nullptr);
    }

    std::unique_ptr<app::TProgram> NewProgram()
    {
        auto program = std::make_unique<app::TProgram>(folder + "kv7200");
        program->OnSplashStatus = [this](const std::string& text) { statuses.push_back(text); };
        return program;
    }

    std::string folder;
    std::string savedTmp;
    testsupport::TempDir instanceFolder;
    kvtest::TNoLocalPorts noPorts;
    kvtest::TRecordingBoxes boxes;
    std::vector<std::string> statuses;
};

struct TUnitPlay {
    std::vector<sim::UnitItem> Items;
    std::vector<int> Logged; // the codes the default filter writes
};

views::TDeviceRDSForm* ViewOf(TDevice* device) { return dynamic_cast<views::TDeviceRDSForm*>(device->GetRdsView()); }

std::vector<TLogRecord> UnitRecords(const std::vector<TLogRecord>& log, std::int32_t id)
{
    std::vector<TLogRecord> out;
    for (const auto& r : log)
        if (r.DeviceId == id && r.Code < 1000) out.push_back(r);
    return out;
}

TEST_F(ProgramTest, TwoUnitsStreamThroughStartViewsLogAndShutdown)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "the TCP unit listens on port 843 of a loopback address, the port every unit uses, which only root may "
                        "bind; run the tests as root for this case";
    const auto text = [](const std::string& s) { return sim::Bytes(s.begin(), s.end()); };
    const TUnitPlay mastPlay{{{12, text("MAST-1")},
                              {2, text("FW 3.2")},
                              {39, {0x33, 0x04}},
                              {36, {0xD3, 0x01}},
                              {54, text("MAST FM ")},
                              {42, {0x21}}}, // RF level: shown, not logged by default
                             {12, 2, 39, 36, 54}};
    const TUnitPlay deskPlay{{{12, text("DESK")}, {39, {0x2C, 0x04}}, {37, {1}}, {40, {1}}, {43, {1}}},
                             {12, 39, 37, 40}};
    constexpr std::uint32_t kFrames = 40;

    sim::UnitSimulator mastUnit, deskUnit;
    const std::string mastAddress = apptest::OwnLoopbackAddress();
    mastUnit.StartTcp(843, mastAddress);
    deskUnit.StartPty();
    const auto ids = rig::ConfigureDatabase(folder,
                                            {{device_link::dkTCP, mastAddress, "Mast", false},
                                             {device_link::dkCOM, deskUnit.PtyName(), "Desk", false}},
                                            [](storage::TCommonSettings& common) {
                                                common.LogEnabled = 1;
                                                common.LogSystemEvents = 1;
                                                common.ConnectAllOnStart = 1;
                                                common.BackupOnExit = 1;
                                                common.OptimizeOnExit = 1;
                                            });
    auto program = NewProgram();
    ASSERT_TRUE(program->Start());
    EXPECT_EQ(statuses, (std::vector<std::string>{"Starting Device Manager", "Prepare Map", "Enumerating Devices",
                                                  "Loading Settings"}));
    EXPECT_FALSE(program->Splash()->isVisible());
    EXPECT_TRUE(program->MainForm()->isVisible());

    auto& manager = *program->MainForm()->DeviceManager;
    TDevice* mast = manager.FindById(ids[0]);
    TDevice* desk = manager.FindById(ids[1]);
    ASSERT_TRUE(mast && desk);
    // Connected on start, each with its view open.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return mast->IsConnected() && desk->IsConnected(); }, 10000));
    EXPECT_TRUE(ViewOf(mast)->isVisible());
    EXPECT_TRUE(ViewOf(desk)->isVisible());

    mastUnit.Play({sim::ScenarioStep::MakeFrames(kFrames, 0, mastPlay.Items)});
    deskUnit.Play({sim::ScenarioStep::MakeFrames(kFrames, 0, deskPlay.Items)});
    const std::size_t expected = kFrames * (mastPlay.Logged.size() + deskPlay.Logged.size());
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            const auto log = kvtest::ReadLog(storage::DM->IBDatabase);
            return UnitRecords(log, ids[0]).size() + UnitRecords(log, ids[1]).size() >= expected;
        },
        15000));

    // The frames reached the views.
    EXPECT_EQ(mast->UnitName, "MAST-1");
    EXPECT_EQ(mast->Firmware, "FW 3.2");
    EXPECT_EQ(desk->UnitName, "DESK");
    EXPECT_EQ(ViewOf(mast)->ItemName(39), "Frequency");
    EXPECT_FALSE(ViewOf(mast)->ItemText(39).empty());
    EXPECT_TRUE(ViewOf(mast)->HasItem(42));
    EXPECT_EQ(ViewOf(desk)->ItemName(40), "Source Change");
    EXPECT_EQ(ViewOf(desk)->ItemText(40), "Tuner");
    auto& list = *program->MainForm()->lvDevices;
    for (TDevice* unit : {mast, desk}) {
        int row = 1;
        while (list.DeviceAt(row) != unit) ++row;
        EXPECT_EQ(list.CellText(shell::TDeviceListView::colState, row), "Connected");
    }

    statuses.clear();
    program->Stop();
    EXPECT_EQ(program->ExitCode(), 0);
    ASSERT_GE(statuses.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(statuses.begin(), statuses.begin() + 3),
              (std::vector<std::string>{"Unloading Modules", "Terminating Devices", "Clean Database"}));
    EXPECT_EQ(statuses[3].rfind("Backup Database ", 0), 0u);
    EXPECT_EQ(statuses.back().rfind("Optimize Database ", 0), 0u);
    // Each unit was told to disconnect.
    EXPECT_TRUE(mastUnit.WaitForFrames(1, 2000));
    EXPECT_EQ(mastUnit.ReceivedFrames().back(), (sim::Bytes{0x18}));

    // The engine files are gone, the backup stays.
    for (std::size_t i = 0; i < storage::kServerFileCount; ++i) {
        const auto& file = storage::kServerFiles[i];
        EXPECT_FALSE(fs::exists(fs::path(folder) / file.Folder / file.FileName)) << file.FileName;
    }
    for (const char* sub : {"lib", "udf", "intl"}) EXPECT_FALSE(fs::exists(fs::path(folder) / sub)) << sub;
    EXPECT_TRUE(fs::exists(folder + "kv7200.FDB_"));

    // A fresh open shows every record.
    fbtest::TConnection c(folder + "kv7200.FDB");
    const auto log = kvtest::ReadLog(c.db);
    for (const auto& [id, play] : {std::pair{ids[0], mastPlay}, std::pair{ids[1], deskPlay}}) {
        std::vector<TLogRecord> want;
        for (std::uint32_t f = 0; f < kFrames; ++f)
            for (const auto& item : play.Items)
                if (std::find(play.Logged.begin(), play.Logged.end(), item.Code) != play.Logged.end())
                    want.push_back({item.Code, id, std::string(item.Data.begin(), item.Data.end())});
        EXPECT_EQ(UnitRecords(log, id), want) << "unit " << id;
        const auto status = kvtest::Select(log, 1002, id);
        EXPECT_NE(std::find(status.begin(), status.end(), TLogRecord{1002, id, Bytes({0})}), status.end());
        EXPECT_EQ(kvtest::Select(log, 1003, id),
                  (std::vector<TLogRecord>{{1003, id, Bytes({0})}, {1003, id, Bytes({1})}}));
    }
    EXPECT_EQ(kvtest::Select(log, 1000, 0),
              (std::vector<TLogRecord>{{1000, 0, Bytes({1})}, {1000, 0, Bytes({2})}}));
    EXPECT_TRUE(boxes.Texts.empty()) << boxes.Texts.front();
}

TEST_F(ProgramTest, ClosingTheMainWindowEndsTheRunWithAUnitViewOpen)
{
    sim::UnitSimulator deskUnit;
    deskUnit.StartPty();
    const auto ids = rig::ConfigureDatabase(folder, {{device_link::dkCOM, deskUnit.PtyName(), "Desk", false}},
                                            [](storage::TCommonSettings& common) {
                                                common.ConnectAllOnStart = 1;
                                                common.BackupOnExit = 0;
                                            });
    auto program = NewProgram();
    ASSERT_TRUE(program->Start());
    shell::TMainForm* form = program->MainForm();
    TDevice* desk = form->DeviceManager->FindById(ids[0]);
    ASSERT_TRUE(desk);
    EXPECT_TRUE(ViewOf(desk)->isVisible());

    // The operator closes the main window: the loop ends and the program shuts down,
    // although the view (a window of its own that only hides when closed) stays open.
    QTimer::singleShot(100, form, [form] { form->close(); });
    statuses.clear();
    EXPECT_EQ(program->Run(), 0);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.front(), "Unloading Modules");
    EXPECT_EQ(program->MainForm(), nullptr);
    EXPECT_EQ(storage::DM, nullptr);
    EXPECT_TRUE(deskUnit.WaitForFrames(1, 2000));
    EXPECT_TRUE(boxes.Texts.empty());
}

TEST_F(ProgramTest, EveryShutdownStepRunsWhenOneBeforeItFails)
{
    sim::UnitSimulator deskUnit;
    deskUnit.StartPty();
    const auto ids = rig::ConfigureDatabase(folder, {{device_link::dkCOM, deskUnit.PtyName(), "Desk", false}},
                                            [](storage::TCommonSettings& common) {
                                                common.LogEnabled = 1;
                                                common.LogSystemEvents = 1;
                                                common.ConnectAllOnStart = 1;
                                                common.BackupOnExit = 1;
                                            });
    auto program = NewProgram();
    ASSERT_TRUE(program->Start());
    TDevice* desk = program->MainForm()->DeviceManager->FindById(ids[0]);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return desk->IsConnected(); }));
    program->MainForm()->CommonSettings.MapZoom = 150;
    // From now on the engine refuses every log record: the unit's disconnection at
    // "Terminating Devices" and "Program Terminated" fail.
    storage::DM->addToLog.SetStoredProcName("NO_SUCH_PROCEDURE");

    statuses.clear();
    program->Stop();
    EXPECT_EQ(program->ExitCode(), 1);
    // The steps after the failures ran: the settings were saved, the backup made.
    ASSERT_GE(statuses.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(statuses.begin(), statuses.begin() + 3),
              (std::vector<std::string>{"Unloading Modules", "Terminating Devices", "Clean Database"}));
    EXPECT_EQ(statuses[3].rfind("Backup Database ", 0), 0u);
    EXPECT_GT(fs::file_size(folder + "kv7200.FDB_"), 0u);
    fbtest::TConnection c(folder + "kv7200.FDB");
    fb::TIBSQL q(&c.db);
    q.SetSQL("select COMMON from CONFIG");
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    const std::string stored = q.Fields(0).GetAsString();
    ASSERT_EQ(stored.size(), storage::TCommonSettings::kSize);
    EXPECT_EQ(storage::TCommonSettings::FromBytes(reinterpret_cast<const std::uint8_t*>(stored.data())).MapZoom, 150);
    // The operator is told once, however many records failed.
    ASSERT_EQ(boxes.Texts.size(), 1u);
    EXPECT_NE(boxes.Texts[0].find("NO_SUCH_PROCEDURE"), std::string::npos) << boxes.Texts[0];
    EXPECT_TRUE(deskUnit.WaitForFrames(1, 2000));
}

TEST_F(ProgramTest, AMissingDatabaseEndsTheStartWithItsMessage)
{
    testsupport::TempDir empty;
    app::TProgram program(empty.File("kv7200"));
    EXPECT_FALSE(program.Start());
    EXPECT_NE(program.ExitCode(), 0);
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{"Database missing or corrupt!"});
    EXPECT_EQ(program.Splash(), nullptr);
    EXPECT_EQ(program.MainForm(), nullptr);
    EXPECT_FALSE(fs::exists(empty.Path() / "firebird.conf"));
}

TEST_F(ProgramTest, AnEngineThatCannotBeWrittenEndsTheStartWithItsMessage)
{
    storage::SetResourceFinder([](const std::string&) { return nullptr; });
    auto program = NewProgram();
    const bool started = program->Start();
    storage::SetResourceFinder({});
    EXPECT_FALSE(started);
    EXPECT_NE(program->ExitCode(), 0);
    EXPECT_EQ(boxes.Texts, std::vector<std::string>{"Error initializing Firebird embedded"});
    EXPECT_EQ(program->MainForm(), nullptr);
    EXPECT_EQ(storage::DM, nullptr);
}

TEST_F(ProgramTest, ASecondStartRaisesTheRunningProgramAndEnds)
{
    rig::ConfigureDatabase(folder, {}, [](storage::TCommonSettings& common) { common.BackupOnExit = 0; });
    auto program = NewProgram();
    ASSERT_TRUE(program->Start());
    shell::TMainForm* form = program->MainForm();
    form->showMinimized();
    ui::ProcessMessages();
    ASSERT_TRUE(form->isMinimized());

    // From a folder of its own with no database: had it missed the lock, it would open
    // none of the user's.
    apptest::TProgramCopy second("");
    ASSERT_TRUE(second.Start({"QT_QPA_PLATFORM=offscreen", QString::fromStdString("TMPDIR=" + instanceFolder.Str())}));
    const bool ended = testsupport::WaitUntil([&] { return !second.Running(); }, 15000);
    ASSERT_TRUE(ended) << second.ErrorText();
    EXPECT_TRUE(second.EndedNormally());
    EXPECT_EQ(second.ExitCode(), 0) << second.ErrorText();
    EXPECT_FALSE(fs::exists(second.Database()));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !form->isMinimized(); }, 3000));
    EXPECT_TRUE(form->isVisible());
    program->Stop();
    EXPECT_TRUE(boxes.Texts.empty());
}

constexpr const char* kEndChild = "program-end";

// The child: the program started and ended in-process, a backup at exit included; then
// the client's shutdown of the engine, as at the end of the process.
int EndTheProgramThenTheEngine()
{
    const std::string folder = storagetest::EngineFolder();
    fbtest::CopyBuiltDatabase(folder);
    rig::ConfigureDatabase(folder, {}, [](storage::TCommonSettings& common) { common.BackupOnExit = 1; });
    testsupport::TempDir instanceFolder;
    ::setenv("TMPDIR", instanceFolder.Str().c_str(), 1);
    kvtest::TNoLocalPorts noPorts;
    kvtest::TRecordingBoxes boxes;
    app::TProgram program(folder + "kv7200");
    if (!program.Start()) return 2;
    program.Stop();
    storagetest::ShutDownTheEngineAndEnd();
}

const bool kEndChildRegistered = testsupport::RegisterChildRoutine(kEndChild, EndTheProgramThenTheEngine);

// The engine's threads (a backup's, for one) may still be finishing when the
// process exits: its code stays until the process is gone, whatever its client unloads.
TEST(ProgramExit, TheEngineStaysLoadedUntilTheProcessIsGone)
{
    EXPECT_EQ(storagetest::RunChild(kEndChild), 0);
}

} // namespace
