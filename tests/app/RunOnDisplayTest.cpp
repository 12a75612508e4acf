// The program without a display: started directly it says so and ends; started through
// scripts/run-on-display.sh (as ./run.sh starts it) it runs on a virtual display of its
// own, which outlives the program when SIGTERM or Ctrl+C come, and whose boxes nobody
// would see: they are written to standard error and answered at once.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "ProgramRunSupport.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEndTimeoutMs = 20000;
// No display of any kind; no platform chosen (ctest chooses offscreen for the tests).
const QStringList kNoDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
// As over ssh: no runtime folder, so Qt would make one in the temporary folder.
const QStringList kNoDisplayNorRuntimeFolder = kNoDisplay + QStringList{"XDG_RUNTIME_DIR="};

// The display the launcher made, from its first line: ":N", "" when none.
std::string DisplayOf(const std::string& error)
{
    const std::string marker = "running on a virtual one (:";
    const auto at = error.find(marker);
    if (at == std::string::npos) return "";
    const auto end = error.find(')', at);
    return error.substr(at + marker.size() - 1, end - at - marker.size() + 1);
}

// The X server the launcher started: the process of its session named Xvfb; 0 when there is none.
pid_t ServerOf(pid_t launcher)
{
    for (const auto& [pid, name] : apptest::SessionProcesses(launcher))
        if (name == "Xvfb") return pid;
    return 0;
}

// What of the launcher's session still runs after its end: nothing should.
std::string LeftRunning(pid_t launcher)
{
    std::string names;
    for (const auto& [pid, name] : apptest::SessionProcesses(launcher)) names += name + " ";
    return names;
}

bool Runs(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

class RunOnDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "no Xvfb for the virtual display";
    }

    // Started through the launcher; true once the launcher has said which display it made,
    // as it is about to start the program there.
    bool AnnounceVirtualDisplay(apptest::TProgramCopy& program)
    {
        return program.Start(kNoDisplayNorRuntimeFolder, KV_RUN_ON_DISPLAY)
               && program.WaitForError("running on a virtual one (:", 15000);
    }

    // Started through the launcher; true once the program runs on the virtual display
    // with its engine files written (past the start of main: signals are taken).
    bool StartOnVirtualDisplay(apptest::TProgramCopy& program)
    {
        if (!AnnounceVirtualDisplay(program)) return false;
        display = DisplayOf(program.ErrorText());
        server = ServerOf(program.ProcessId());
        for (int i = 0; i < 500 && !program.EngineFilesPresent(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return program.EngineFilesPresent();
    }

    // Ended as closing its window ends it: exit status 0, the backup made, the engine
    // files gone; and then the display ended, nothing left in the temporary folder.
    void ExpectACleanEnd(apptest::TProgramCopy& program)
    {
        ASSERT_TRUE(program.WaitForEnd(kEndTimeoutMs)) << program.ErrorText();
        EXPECT_TRUE(program.EndedNormally());
        EXPECT_EQ(program.ExitCode(), 0) << program.ErrorText();
        EXPECT_EQ(program.ErrorText().find("X11 connection"), std::string::npos) << program.ErrorText();
        std::error_code none;
        EXPECT_GT(fs::file_size(program.Database() + "_", none), 0u) << "no backup at exit";
        EXPECT_FALSE(program.EngineFilesPresent());
        ExpectNothingLeft(program);
    }

    // The display ended, nothing of the launcher's session running, nothing in the
    // temporary folder.
    void ExpectNothingLeft(apptest::TProgramCopy& program)
    {
        EXPECT_FALSE(Runs(server)) << "the virtual display still runs";
        EXPECT_EQ(LeftRunning(program.ProcessId()), "");
        for (const auto& entry : fs::directory_iterator(program.TempFolder()))
            ADD_FAILURE() << entry.path() << " was left";
    }

    std::string display;
    pid_t server = 0;
};

TEST(NoDisplayTest, TheProgramSaysWhatToDoAndEnds)
{
    apptest::TProgramCopy program(KV7200_TEMPLATE_FDB);
    ASSERT_TRUE(program.Start(kNoDisplay));
    ASSERT_TRUE(program.WaitForEnd(kEndTimeoutMs)) << program.ErrorText();
    EXPECT_TRUE(program.EndedNormally()) << "ended by a signal: " << program.ErrorText();
    EXPECT_EQ(program.ExitCode(), 1);
    EXPECT_EQ(program.ErrorText(), "kv7200: no display: set DISPLAY or start it with ./run.sh\n");
    EXPECT_FALSE(program.EngineFilesPresent());

    // A display that is set but does not answer (a stale one from a remote login).
    apptest::TProgramCopy stale(KV7200_TEMPLATE_FDB);
    ASSERT_TRUE(stale.Start({"DISPLAY=:4242", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}));
    ASSERT_TRUE(stale.WaitForEnd(kEndTimeoutMs)) << stale.ErrorText();
    EXPECT_TRUE(stale.EndedNormally()) << "ended by a signal: " << stale.ErrorText();
    EXPECT_EQ(stale.ExitCode(), 1);
    EXPECT_EQ(stale.ErrorText(), "kv7200: the display \":4242\" does not answer: set DISPLAY to one that does, or "
                                 "unset it and start the program with ./run.sh\n");
    EXPECT_FALSE(stale.EngineFilesPresent());
}

TEST_F(RunOnDisplayTest, SigtermToTheLauncherOrCtrlCEndTheProgramAndThenTheDisplay)
{
    struct TCase {
        const char* Name;
        std::function<void(apptest::TProgramCopy&)> End;
    };
    const TCase cases[] = {
        {"SIGTERM to the launcher", [](apptest::TProgramCopy& program) { program.Signal(SIGTERM); }},
        // A terminal sends SIGINT to the whole foreground process group.
        {"Ctrl+C", [](apptest::TProgramCopy& program) { program.SignalGroup(SIGINT); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        apptest::TProgramCopy program(KV7200_TEMPLATE_FDB);
        ASSERT_TRUE(StartOnVirtualDisplay(program)) << program.ErrorText();
        EXPECT_TRUE(Runs(server)) << display;
        c.End(program);
        ExpectACleanEnd(program);
    }
}

// A signal while the program is being started reaches it, or ends the launcher before it
// starts it: either way nothing goes on running.
TEST_F(RunOnDisplayTest, ASignalAsTheProgramStartsEndsEverything)
{
    for (int signal : {SIGTERM, SIGINT, SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        apptest::TProgramCopy program(KV7200_TEMPLATE_FDB);
        ASSERT_TRUE(AnnounceVirtualDisplay(program)) << program.ErrorText();
        server = ServerOf(program.ProcessId());
        program.Signal(signal);
        ASSERT_TRUE(program.WaitForEnd(kEndTimeoutMs)) << program.ErrorText();
        ExpectNothingLeft(program);
    }
}

TEST_F(RunOnDisplayTest, AStartUpErrorBoxIsWrittenAndAnsweredAndTheStatusSaysSo)
{
    struct TCase {
        const char* Name;
        std::string Bytes; // the database file; none when empty
        const char* Box;
    };
    const TCase cases[] = {
        {"no database", "", "kv7200: Database missing or corrupt!\n"},
        {"not a database", std::string(8192, 'x'), "is not a valid database"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        apptest::TProgramCopy program("");
        if (!c.Bytes.empty()) std::ofstream(program.Database(), std::ios::binary) << c.Bytes;
        ASSERT_TRUE(program.Start(kNoDisplay, KV_RUN_ON_DISPLAY));
        ASSERT_TRUE(program.WaitForError("running on a virtual one (:", 15000)) << program.ErrorText();
        const pid_t shown = ServerOf(program.ProcessId());
        // Nobody answers: the box answers itself, the program ends with a failure.
        ASSERT_TRUE(program.WaitForEnd(kEndTimeoutMs)) << program.ErrorText();
        EXPECT_TRUE(program.EndedNormally());
        EXPECT_EQ(program.ExitCode(), 1) << program.ErrorText();
        EXPECT_NE(program.ErrorText().find(c.Box), std::string::npos) << program.ErrorText();
        EXPECT_FALSE(program.EngineFilesPresent());
        EXPECT_FALSE(Runs(shown)) << "the virtual display still runs";
        EXPECT_EQ(LeftRunning(program.ProcessId()), "");
        if (!c.Bytes.empty()) {
            std::ifstream kept(program.Database(), std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), c.Bytes) << "the file was changed";
        }
    }
}

} // namespace
