// kv7200-units run as an operator runs it, on a program folder of the test's own: it
// refuses what it cannot store whole (the database left as it was), adds, lists and removes
// units, refuses at once while the program runs, and leaves the program's engine files
// alone.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include "ProgramRunSupport.h"
#include "support/TempDir.h"

// The units tool is built with the tools only.
#ifdef KV7200_UNITS
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TToolRun {
    int ExitCode = -1;
    std::string Output, Error;
    std::chrono::milliseconds Took{};
};

// Runs the tool with arguments; tmp, when given, is its temporary folder (TMPDIR);
// lockFolder, when given, the database engine's lock folder.
TToolRun RunTool(const QStringList& arguments, const std::string& tmp = {}, const std::string& lockFolder = {})
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!tmp.empty()) env.insert("TMPDIR", QString::fromStdString(tmp));
    if (!lockFolder.empty()) env.insert("FIREBIRD_LOCK", QString::fromStdString(lockFolder));
    tool.setProcessEnvironment(env);
    const auto start = std::chrono::steady_clock::now();
    tool.start(KV7200_UNITS, arguments);
    TToolRun run;
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit) return run;
    run.Took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    run.ExitCode = tool.exitCode();
    run.Output = tool.readAllStandardOutput().toStdString();
    run.Error = tool.readAllStandardError().toStdString();
    return run;
}

class UnitsToolTest : public ::testing::Test {
protected:
    UnitsToolTest() { fs::copy_file(KV7200_TEMPLATE_FDB, Database()); }
    QString Folder() const { return QString::fromStdString(dir.Str()); }
    fs::path Database() const { return dir.Path() / "kv7200.FDB"; }

    testsupport::TempDir dir;
};

TEST_F(UnitsToolTest, RefusesWhatItCannotStoreAndLeavesTheDatabaseAsItWas)
{
    struct TRefused {
        QStringList Arguments;
        const char* Message;
    };
    const TRefused cases[] = {
        {{"add", "tcp", "notanip"}, "not a dotted IPv4 address (four numbers 0 to 255): \"notanip\""},
        {{"add", "tcp", "300.1.1.1", "Mast"}, "not a dotted IPv4 address (four numbers 0 to 255): \"300.1.1.1\""},
        {{"add", "tcp", "10.0.0"}, "\"10.0.0\""},
        {{"add", "tcp", "10.0.0.1.2"}, "\"10.0.0.1.2\""},
        {{"add", "tcp", "10.0.0.-1"}, "\"10.0.0.-1\""},
        {{"add", "tcp", " 10.0.0.1"}, "\" 10.0.0.1\""},
        {{"add", "tcp", ""}, "not a dotted IPv4 address"},
        {{"add", "com", "", "Desk"}, "the serial port name is empty"},
        {{"add", "com", "  "}, "the serial port name is empty"},
        {{"add", "com", " pts/3"}, "the serial port name starts or ends with white space: \" pts/3\""},
        {{"add", "com", "pts/3 ", "Desk"}, "the serial port name starts or ends with white space: \"pts/3 \""},
        {{"add", "com", "pts/3\t"}, "the serial port name starts or ends with white space"},
        {{"add", "com", "pts/123456x"}, "the serial port name is longer than 10 bytes: \"pts/123456x\""},
        {{"add", "com", "pts/3", QString(51, 'a')}, "the alias is longer than 50 bytes: \"aaaa"},
        {{"add", "tcp", "10.0.0.1", QString(26, QChar(0xE9))}, "the alias is longer than 50 bytes"},
        {{"add", "tcp", "010.1.1.1"}, "not a dotted IPv4 address (four numbers 0 to 255): \"010.1.1.1\""},
        {{"add", "tcp", "10.1.1.00"}, "\"10.1.1.00\""},
        {{"add", "usb", "A1B2"}, "not a kind of unit (tcp or com): \"usb\""},
        {{"add", "tcp"}, "add takes a kind, an address and an alias"},
        {{"remove", "one"}, "not the id of a unit: \"one\""},
        {{"remove", "0"}, "not the id of a unit: \"0\""},
        {{"remove"}, "remove takes the id of a unit"},
        {{"log", "maybe"}, "log takes on or off"},
        {{"lsit"}, "unknown command \"lsit\""},
    };
    const std::string before = Bytes(Database());
    for (const TRefused& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const TToolRun run = RunTool(QStringList{Folder()} + c.Arguments);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_EQ(run.Error.rfind("kv7200-units: ", 0), 0u) << run.Error;
        EXPECT_NE(run.Error.substr(0, run.Error.find('\n')).find(c.Message), std::string::npos) << run.Error;
        EXPECT_NE(run.Error.find("usage: kv7200-units"), std::string::npos) << run.Error;
        EXPECT_EQ(run.Output, "");
    }
    EXPECT_EQ(Bytes(Database()), before) << "a refused command changed the database";
}

TEST_F(UnitsToolTest, AddsListsAndRemovesUnits)
{
    EXPECT_EQ(RunTool({Folder(), "add", "tcp", "127.0.0.2", "Mast"}).Output, "unit 1 stored\n");
    EXPECT_EQ(RunTool({Folder(), "add", "com", "pts/3", "Desk"}).Output, "unit 2 stored\n");
    const std::string header = "ID    TYPE ADDRESS          ALIAS\n";
    const std::string mast = "1     tcp  127.0.0.2        Mast\n", desk = "2     com  pts/3            Desk\n";
    const std::string listed = RunTool({Folder(), "list"}).Output;
    EXPECT_EQ(listed.rfind(header, 0), 0u) << listed;
    EXPECT_NE(listed.find(mast), std::string::npos) << listed;
    EXPECT_NE(listed.find(desk), std::string::npos) << listed;

    const TToolRun removed = RunTool({Folder(), "remove", "1"});
    EXPECT_EQ(removed.ExitCode, 0) << removed.Error;
    EXPECT_EQ(removed.Output, "unit 1 removed\n");
    EXPECT_EQ(RunTool({Folder(), "list"}).Output, header + desk);
    const TToolRun again = RunTool({Folder(), "remove", "1"});
    EXPECT_EQ(again.ExitCode, 1);
    EXPECT_NE(again.Error.find("kv7200-units: there is no unit 1"), std::string::npos) << again.Error;

    // A folder without a database gets none.
    testsupport::TempDir empty;
    const TToolRun nowhere = RunTool({QString::fromStdString(empty.Str()), "add", "tcp", "127.0.0.2"});
    EXPECT_EQ(nowhere.ExitCode, 1);
    EXPECT_NE(nowhere.Error.find("there is no kv7200.FDB in "), std::string::npos) << nowhere.Error;
    EXPECT_TRUE(fs::is_empty(empty.Path()));
}

TEST_F(UnitsToolTest, StoresTheLongestNamesWhole)
{
    const std::string alias(50, 'a'), accented = QString(25, QChar(0xE9)).toStdString();
    const TToolRun com = RunTool({Folder(), "add", "com", "pts/123456", QString::fromStdString(alias)});
    EXPECT_EQ(com.Output, "unit 1 stored\n") << com.Error;
    const TToolRun tcp = RunTool({Folder(), "add", "tcp", "10.0.0.0", QString::fromStdString(accented)});
    EXPECT_EQ(tcp.Output, "unit 2 stored\n") << tcp.Error;
    const std::string listed = RunTool({Folder(), "list"}).Output;
    EXPECT_NE(listed.find("1     com  pts/123456       " + alias + "\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find("2     tcp  10.0.0.0         " + accented + "\n"), std::string::npos) << listed;
}

TEST_F(UnitsToolTest, LeavesTheEngineFilesOfTheProgramFolderAlone)
{
    // Files of the program's engine (as a program that died leaves them), not the tool's.
    const std::map<std::string, std::string> engine = {
        {"libEngine12.so", "the program's engine"}, {"firebird.conf", "# the program's"}, {"intl/fbintl.conf", "#"}};
    for (const auto& [name, bytes] : engine) dir.Write(name, bytes);
    const TToolRun run = RunTool({Folder(), "add", "tcp", "127.0.0.2", "Mast"});
    EXPECT_EQ(run.ExitCode, 0) << run.Error;
    for (const auto& [name, bytes] : engine) EXPECT_EQ(Bytes(dir.Path() / name), bytes) << name;
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) files += entry.is_regular_file();
    EXPECT_EQ(files, engine.size() + 1) << "the tool wrote files into the program's folder";
}

TEST(UnitsToolWhileTheProgramRunsTest, RefusesAtOnceAndLeavesTheProgramsEngineFiles)
{
    apptest::TProgramCopy program(KV7200_TEMPLATE_FDB);
    ASSERT_TRUE(program.Start());
    // The last of the engine files written at start.
    const std::string last = program.Folder() + "intl/fbintl.conf", engine = program.Folder() + "libEngine12.so";
    for (int i = 0; i < 500 && !fs::exists(last); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::exists(last)) << program.ErrorText();
    const auto size = fs::file_size(engine);

    // The program's lock lives in its temporary folder, as a user's in theirs.
    const TToolRun run = RunTool({QString::fromStdString(program.Folder()), "add", "tcp", "127.0.0.2"},
                                 program.TempFolder());
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Error, "kv7200-units: the program is running; end it first\n");
    EXPECT_LT(run.Took, std::chrono::milliseconds(5000));
    EXPECT_TRUE(program.EngineFilesPresent());
    EXPECT_EQ(fs::file_size(engine), size);

    program.Signal(SIGTERM);
    ASSERT_TRUE(program.WaitForEnd(20000)) << program.ErrorText();
    EXPECT_EQ(program.ExitCode(), 0) << program.ErrorText();
    // Now that it has ended, the tool works on its database.
    EXPECT_EQ(RunTool({QString::fromStdString(program.Folder()), "add", "tcp", "127.0.0.2"}, program.TempFolder()).Output,
              "unit 1 stored\n");
}

TEST(UnitsToolWhileTheProgramRunsTest, RefusesUnderAnotherTemporaryFolderToo)
{
    apptest::TProgramCopy program(KV7200_TEMPLATE_FDB);
    ASSERT_TRUE(program.Start());
    const std::string last = program.Folder() + "intl/fbintl.conf";
    for (int i = 0; i < 500 && !fs::exists(last); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(fs::exists(last)) << program.ErrorText();

    // Neither the program's lock nor its engine's lock folder is where this run looks:
    // the database itself tells.
    testsupport::TempDir otherTmp;
    const std::string otherLocks = otherTmp.Str() + "/firebird";
    const TToolRun run =
        RunTool({QString::fromStdString(program.Folder()), "add", "tcp", "127.0.0.2"}, otherTmp.Str(), otherLocks);
    EXPECT_EQ(run.ExitCode, 1);
    const std::string refusal = "kv7200-units: the program is running; end it first\n";
    EXPECT_NE(run.Error.find(refusal), std::string::npos) << run.Error;
    EXPECT_EQ(run.Error.find("I/O error"), std::string::npos) << run.Error;
    EXPECT_EQ(run.Output, "");

    program.Signal(SIGTERM);
    ASSERT_TRUE(program.WaitForEnd(20000)) << program.ErrorText();
    EXPECT_EQ(program.ExitCode(), 0) << program.ErrorText();
    EXPECT_EQ(RunTool({QString::fromStdString(program.Folder()), "list"}, otherTmp.Str(), otherLocks).Output,
              "ID    TYPE ADDRESS          ALIAS\n");
}

} // namespace
#endif
