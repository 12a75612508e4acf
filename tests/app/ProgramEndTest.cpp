// The built program as the operator and the session run it, each in a folder of its
// own: started with two units (TCP and serial) and their views open, ended by SIGTERM
// or by closing its main window through the window system; SIGTERM or SIGHUP while a start-up
// error box waits for an answer; a backup at exit that fails on a damaged database.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "KvTestSupport.h"
#include "ProgramRunSupport.h"
#include "StorageTestEngine.h"
#include "device_link/Device.h"
#include "loadtest/ProgramRig.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBSQL.h"
#include "simulator/UnitSimulator.h"

namespace {

namespace fs = std::filesystem;
using kvtest::Bytes;
using kvtest::TLogRecord;

constexpr int kEndTimeoutMs = 20000;

class ProgramEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = storagetest::EngineFolder();
        fbtest::CopyBuiltDatabase(folder);
    }

    std::string Database() const { return folder + "kv7200.FDB"; }

    // Two stored units streaming into the program, their views open at start; end
    // ends the program. Then: a clean exit, each unit told to disconnect, the engine
    // files gone, the backup made and the shutdown in the log.
    void RunTwoUnitsAndEnd(const QStringList& environment, const std::function<void(apptest::TProgramCopy&)>& end)
    {
        sim::UnitSimulator mast, desk;
        const std::string address = apptest::OwnLoopbackAddress();
        mast.StartTcp(843, address);
        desk.StartPty();
        const auto ids = rig::ConfigureDatabase(folder,
                                                {{device_link::dkTCP, address, "Mast", false},
                                                 {device_link::dkCOM, desk.PtyName(), "Desk", false}},
                                                [](storage::TCommonSettings& common) {
                                                    common.LogEnabled = 1;
                                                    common.LogSystemEvents = 1;
                                                    common.ConnectAllOnStart = 1;
                                                    common.BackupOnExit = 1;
                                                });
        apptest::TProgramCopy program(Database());
        ASSERT_TRUE(program.Start(environment));
        ASSERT_TRUE(mast.WaitForClient(15000)) << program.ErrorText();
        const std::vector<sim::UnitItem> items = {{39, {0x33, 0x04}}, {36, {0xD3, 0x01}}};
        for (sim::UnitSimulator* unit : {&mast, &desk}) unit->Play({sim::ScenarioStep::MakeFrames(20, 200, items)});
        ASSERT_TRUE(mast.WaitScenarioDone(5000) && desk.WaitScenarioDone(5000));
        // The program takes what was sent in a moment; its end need not wait for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));

        end(program);
        // clang-format off
        ASSERT_TRUE(program.WaitForEnd(kEndTimeoutMs)) << "still running; standard error:\n" << program.ErrorText();
        // clang-format on
        EXPECT_TRUE(program.EndedNormally());
        EXPECT_EQ(program.ExitCode(), 0) << program.ErrorText();
        for (sim::UnitSimulator* unit : {&mast, &desk}) {
            ASSERT_TRUE(unit->WaitForFrames(1, 2000));
            EXPECT_EQ(unit->ReceivedFrames().back(), (sim::Bytes{0x18}));
        }
        EXPECT_FALSE(program.EngineFilesPresent());
        EXPECT_GT(fs::file_size(program.Database() + "_"), 0u);

        fbtest::TConnection c(program.Database());
        const auto log = kvtest::ReadLog(c.db);
        for (const std::int32_t id : ids) {
            EXPECT_FALSE(kvtest::Select(log, 39, id).empty()) << "unit " << id << " logged nothing";
            EXPECT_EQ(kvtest::Select(log, 1003, id), (std::vector<TLogRecord>{{1003, id, Bytes({0})}, {1003, id, Bytes({1})}}));
        }
        EXPECT_EQ(kvtest::Select(log, 1000, 0), (std::vector<TLogRecord>{{1000, 0, Bytes({1})}, {1000, 0, Bytes({2})}}));
    }

    std::string folder;
};

bool SkipWithoutRoot()
{
    return ::geteuid() != 0;
}
constexpr const char* kRootOnly =
    "the TCP unit listens on port 843 of a loopback address, the port every unit uses, which only root may bind; "
    "run the tests as root for this case";

TEST_F(ProgramEndTest, SigtermEndsTheProgramWithItsUnitViewsOpen)
{
    if (SkipWithoutRoot()) GTEST_SKIP() << kRootOnly;
    RunTwoUnitsAndEnd({"QT_QPA_PLATFORM=offscreen"}, [](apptest::TProgramCopy& program) { program.Signal(SIGTERM); });
}

TEST_F(ProgramEndTest, ClosingTheMainWindowEndsTheProgramWithItsUnitViewsOpen)
{
    if (SkipWithoutRoot()) GTEST_SKIP() << kRootOnly;
    apptest::TVirtualDisplay display;
    if (!display.Running()) GTEST_SKIP() << "no X server (Xvfb) to show the windows on";
    RunTwoUnitsAndEnd({"QT_QPA_PLATFORM=xcb", QString::fromStdString("DISPLAY=" + display.Name())},
                      [&display](apptest::TProgramCopy& program) {
                          ASSERT_TRUE(display.CloseWindow("KV7200 Device Manager", 10000)) << program.ErrorText();
                      });
}

// SIGHUP comes when the terminal that started the program is closed.
TEST_F(ProgramEndTest, SigtermOrSighupEndsAStartUpErrorBoxThatWaitsForAnAnswer)
{
    fbtest::ExecuteSql(Database(), "alter procedure GET_DB_VERSION returns (DBVER integer) as begin DBVER = 2; end",
                       false);
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        apptest::TProgramCopy program(Database());
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(program.WaitForError("kv7200: Incompatible DataBase!", 15000)) << program.ErrorText();
        // Nobody answers the box: the program waits.
        EXPECT_TRUE(program.RunsAfter(300));
        program.Signal(signal);
        ASSERT_TRUE(program.WaitForEnd(kEndTimeoutMs)) << program.ErrorText();
        EXPECT_TRUE(program.EndedNormally());
        EXPECT_NE(program.ExitCode(), 0);
        EXPECT_FALSE(program.EngineFilesPresent());
    }
}

TEST_F(ProgramEndTest, ABackupThatFailsAtExitKeepsThePreviousOneAndEndsWithAFailure)
{
    rig::ConfigureDatabase(folder, {}, [](storage::TCommonSettings& common) {
        common.LogEnabled = 1;
        common.BackupOnExit = 1;
        common.OptimizeOnExit = 1;
    });
    fbtest::ExecuteSql(Database(),
                       "execute block as declare i integer = 0; begin while (i < 3000) do begin "
                       "insert into EVENT_LOG (ID, DT, DEVICEID, DATACODE, DATA) values "
                       "(gen_id(GEN_EVENT_LOG_ID, 1), 45000 + :i, 0, 1004, 'unit ' || :i || ':10.0.0.1'); "
                       "i = i + 1; end end",
                       false);
    apptest::TProgramCopy program(Database());
    fbtest::DamageDataPage(program.Database());
    const std::string previous = "the backup of the last exit";
    std::ofstream(program.Database() + "_", std::ios::binary) << previous;

    ASSERT_TRUE(program.Start());
    // Past the start of main (signals taken from then on): the engine files are written.
    for (int i = 0; i < 500 && !program.EngineFilesPresent(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    program.Signal(SIGTERM);
    ASSERT_TRUE(program.WaitForEnd(kEndTimeoutMs)) << program.ErrorText();
    EXPECT_TRUE(program.EndedNormally());
    EXPECT_EQ(program.ExitCode(), 1);
    const std::string error = program.ErrorText();
    EXPECT_NE(error.find("kv7200: The database backup failed: "), std::string::npos) << error;
    EXPECT_NE(error.find("The previous backup \"kv7200.FDB_\" is kept."), std::string::npos) << error;
    std::ifstream kept(program.Database() + "_", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), previous);
    EXPECT_FALSE(fs::exists(program.Database() + "_.new"));
    EXPECT_FALSE(program.EngineFilesPresent());
}

} // namespace
