// The build's database step (tools/mkdb/PlaceDatabase.cmake) run as the build runs it, on a
// program folder of its own: it makes the user's database from the empty template only
// where there is none, and leaves one that is there exactly as it was, also when the
// schema changed or cannot be checked (which it then says, once); also on a file system
// without hard links.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct stat Stat(const fs::path& file)
{
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st;
}

class DatabaseStepTest : public ::testing::Test {
protected:
    DatabaseStepTest()
    {
        fs::create_directory(Bin());
        WriteSchema("CREATE TABLE DEVICES (ID INTEGER);\n");
    }

    fs::path Bin() const { return dir.Path() / "bin"; }
    fs::path Database() const { return Bin() / "kv7200.FDB"; }
    fs::path Stamp() const { return dir.Path() / "kv7200.FDB.schema"; }
    void WriteSchema(const std::string& text) const { dir.Write("kv7200.sql", text); }

    // Runs the step, with extra environment entries ("NAME=value"); returns what it
    // printed, "FAILED ..." when it failed.
    std::string RunStep(const QStringList& environment = {}) const
    {
        QProcess step;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment) env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        step.setProcessEnvironment(env);
        step.setProcessChannelMode(QProcess::MergedChannels);
        step.start(KV_CMAKE, {QString("-DTEMPLATE=") + KV7200_TEMPLATE_FDB,
                              QString::fromStdString("-DDATABASE=" + Database().string()),
                              QString::fromStdString("-DSCHEMA=" + dir.File("kv7200.sql")),
                              QString::fromStdString("-DSTAMP=" + Stamp().string()), "-P", KV_PLACE_DATABASE});
        if (!step.waitForFinished(60000)) return "FAILED: still running";
        const std::string output = step.readAll().toStdString();
        if (step.exitStatus() != QProcess::NormalExit || step.exitCode() != 0) return "FAILED: " + output;
        return output;
    }

    testsupport::TempDir dir;
};

TEST_F(DatabaseStepTest, WithoutADatabaseItMakesOneFromTheTemplate)
{
    const std::string said = RunStep();
    EXPECT_NE(said.find("Made " + Database().string() + ", an empty database"), std::string::npos) << said;
    EXPECT_EQ(Bytes(Database()), Bytes(KV7200_TEMPLATE_FDB));
    for (const auto& entry : fs::directory_iterator(Bin()))
        EXPECT_EQ(entry.path().filename(), "kv7200.FDB") << "left behind: " << entry.path();
    // The next build finds it and says nothing.
    EXPECT_EQ(RunStep(), "");
}

TEST_F(DatabaseStepTest, OnAFileSystemWithoutHardLinksItStillMakesOne)
{
    const QStringList noHardLinks{QString("LD_PRELOAD=") + KV_NO_HARD_LINKS};
    const std::string said = RunStep(noHardLinks);
    EXPECT_NE(said.find("Made " + Database().string() + ", an empty database"), std::string::npos) << said;
    EXPECT_EQ(Bytes(Database()), Bytes(KV7200_TEMPLATE_FDB));
    for (const auto& entry : fs::directory_iterator(Bin()))
        EXPECT_EQ(entry.path().filename(), "kv7200.FDB") << "left behind: " << entry.path();
    // There the one it made is kept as well.
    const auto made = Stat(Database()).st_ino;
    EXPECT_EQ(RunStep(noHardLinks), "");
    EXPECT_EQ(Stat(Database()).st_ino, made);
}

TEST_F(DatabaseStepTest, TheUsersDatabaseIsLeftAsItIsWhateverChanged)
{
    // Not the template's bytes: the step must not take it for one it may replace.
    const std::string users = Bytes(KV7200_TEMPLATE_FDB) + "the user's units and log";
    std::ofstream(Database(), std::ios::binary) << users;
    ::chmod(Database().c_str(), 0640);
    fs::last_write_time(Database(), fs::last_write_time(Database()) - std::chrono::hours(24));
    const struct stat before = Stat(Database());
    const auto unchanged = [&] {
        const struct stat now = Stat(Database());
        EXPECT_EQ(Bytes(Database()), users);
        EXPECT_EQ(now.st_ino, before.st_ino) << "replaced";
        EXPECT_EQ(now.st_mode, before.st_mode);
        EXPECT_EQ(now.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(now.st_ctim.tv_sec, before.st_ctim.tv_sec);
    };

    // A database an older build placed has no stamp: its schema cannot be checked, which
    // is said once; the file is left alone.
    const std::string unchecked = RunStep();
    EXPECT_NE(unchecked.find("kv7200.FDB is kept as it is; whether it matches the database schema "
                             "(resources/kv7200.sql) could not be checked"),
              std::string::npos)
        << unchecked;
    unchanged();
    EXPECT_EQ(RunStep(), "");
    unchanged();

    // A pull or an option changed the schema: said once, the file left alone.
    WriteSchema("CREATE TABLE DEVICES (ID INTEGER, ALIAS VARCHAR(64));\n");
    const std::string said = RunStep();
    EXPECT_NE(said.find("kv7200.FDB is kept as it is, although the database schema (resources/kv7200.sql) has "
                        "changed since it was made"),
              std::string::npos)
        << said;
    unchanged();
    EXPECT_EQ(RunStep(), "");
    unchanged();
}

// The build itself: no rule of it writes the user's database; the step above is the
// one way it is made.
TEST(BuildRulesTest, NoBuildRuleHasTheUsersDatabaseAsItsOutput)
{
    std::ifstream rules(fs::path(KV_BUILD_DIR) / "build.ninja");
    if (!rules) GTEST_SKIP() << "not a Ninja build";
    const std::string users = "bin/kv7200.FDB";
    std::string line;
    int statements = 0;
    while (std::getline(rules, line)) {
        if (line.rfind("build ", 0) != 0) continue;
        ++statements;
        const std::string outputs = line.substr(6, line.find(':') - 6);
        for (std::size_t at = outputs.find(users); at != std::string::npos; at = outputs.find(users, at + 1)) {
            const std::size_t end = at + users.size();
            EXPECT_FALSE(end == outputs.size() || outputs[end] == ' ') << line.substr(0, 200);
        }
    }
    EXPECT_GT(statements, 0);
}

} // namespace
