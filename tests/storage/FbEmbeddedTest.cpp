// Writing out and removing the embedded engine's files, and the engine running from them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "StorageTestEngine.h"
#include "platform/fb/FbClient.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBStoredProc.h"
#include "storage/fb_embedded.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ResourceBytes(const char* name)
{
    const storage::TEmbeddedResource* r = storage::FindEngineResource(name);
    return r ? std::string(reinterpret_cast<const char*>(r->Begin), static_cast<std::size_t>(r->End - r->Begin))
             : std::string();
}

fs::path Target(const fs::path& folder, const storage::TServerFile& file)
{
    return folder / file.Folder / file.FileName;
}

class FbEmbeddedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousFolder_ = storage::GetProgramFolder();
        storage::SetProgramFolder(dir.Str());
    }
    void TearDown() override
    {
        storage::SetResourceFinder(nullptr);
        storage::SetProgramFolder(previousFolder_);
    }
    // Names of the files in the folder (sub-folders included), relative to it.
    std::set<std::string> Listing()
    {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
            names.insert(fs::relative(entry.path(), dir.Path()).string());
        return names;
    }

    testsupport::TempDir dir;

private:
    std::string previousFolder_;
};

TEST_F(FbEmbeddedTest, EveryFileIsWrittenByteForByteIntoItsFolder)
{
    ASSERT_TRUE(storage::ExtractServerFiles());
    EXPECT_EQ(Listing(), (std::set<std::string>{"libfbclient.so.2", "libEngine12.so", "libfbtrace.so", "firebird.msg",
                                                "firebird.conf", "databases.conf", "plugins.conf", "lib",
                                                "lib/libib_util.so", "udf", "udf/fbudf.so", "udf/ib_udf.so", "intl",
                                                "intl/libfbintl.so", "intl/fbintl.conf"}));
    for (std::size_t k = 0; k < storage::kServerFileCount; ++k) {
        const storage::TServerFile& file = storage::kServerFiles[k];
        std::string bytes = ResourceBytes(file.Resource);
        EXPECT_FALSE(bytes.empty()) << file.Resource;
        EXPECT_TRUE(ReadFile(Target(dir.Path(), file)) == bytes) << file.FileName;
    }
    // The configuration sets nothing but the places of the plug-ins.
    for (const char* conf : {"firebird.conf", "databases.conf"}) {
        std::istringstream lines(ReadFile(dir.Path() / conf));
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(line.empty() || line[0] == '#') << conf << ": " << line;
    }
    EXPECT_NE(ReadFile(dir.Path() / "plugins.conf").find("$(this)/libEngine12"), std::string::npos);
    EXPECT_NE(ReadFile(dir.Path() / "plugins.conf").find("$(this)/libfbtrace"), std::string::npos);
    // clang-format off
    EXPECT_EQ(ReadFile(dir.Path() / "libfbclient.so.2").substr(0, 4), "\x7f" "ELF");
    // clang-format on
    EXPECT_EQ(::access((dir.Path() / "libEngine12.so").c_str(), X_OK), 0);
    // Resource names are matched without regard to case.
    EXPECT_EQ(storage::FindEngineResource("SO_ENGINE12"), storage::FindEngineResource("so_engine12"));
    EXPECT_EQ(storage::FindEngineResource("no_such"), nullptr);
}

TEST_F(FbEmbeddedTest, PresentFoldersAreUsedAndOldCopiesReplacedInFull)
{
    dir.Write("udf/mine.txt", "kept");
    dir.Write("intl/fbintl.conf", std::string(2000000, 'o')); // older and longer
    dir.Write("firebird.msg", std::string(500000, 'o'));
    int oldMsg = ::open(dir.File("firebird.msg").c_str(), O_RDONLY);
    ASSERT_GE(oldMsg, 0);

    ASSERT_TRUE(storage::ExtractServerFiles());
    EXPECT_EQ(dir.Read("udf/mine.txt"), "kept");
    EXPECT_TRUE(dir.Read("intl/fbintl.conf") == ResourceBytes("conf_fbintl"));
    EXPECT_TRUE(dir.Read("firebird.msg") == ResourceBytes("msg_firebird"));
    // Whoever had the old file open still reads the old one.
    char first = 0;
    EXPECT_EQ(::pread(oldMsg, &first, 1, 0), 1);
    EXPECT_EQ(first, 'o');
    ::close(oldMsg);

    ASSERT_TRUE(storage::ExtractServerFiles()); // and again over its own copies
    EXPECT_TRUE(dir.Read("firebird.msg") == ResourceBytes("msg_firebird"));
}

TEST_F(FbEmbeddedTest, AMissingResourceStopsAtItsRow)
{
    storage::SetResourceFinder([](const std::string& name) -> const storage::TEmbeddedResource* {
        return name == "conf_firebird" ? nullptr : storage::FindEngineResource(name);
    });
    EXPECT_FALSE(storage::ExtractServerFiles());
    EXPECT_EQ(Listing(), (std::set<std::string>{"lib", "udf", "intl", "libfbclient.so.2", "libEngine12.so",
                                                "libfbtrace.so", "firebird.msg"}));
}

TEST_F(FbEmbeddedTest, ATargetThatCannotBeWrittenGivesFalse)
{
    dir.Write("databases.conf/inside", "a folder where the file should go");
    EXPECT_FALSE(storage::ExtractServerFiles());
    EXPECT_TRUE(fs::exists(dir.Path() / "firebird.conf"));
    EXPECT_FALSE(fs::exists(dir.Path() / "plugins.conf"));
    for (const auto& entry : fs::directory_iterator(dir.Path())) // no half-written leftovers
        EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos) << entry.path();

    // A file where a folder must be: nothing is written.
    testsupport::TempDir other;
    storage::SetProgramFolder(other.Str());
    other.Write("intl", "not a folder");
    EXPECT_FALSE(storage::ExtractServerFiles());
    EXPECT_FALSE(fs::exists(other.Path() / "libfbclient.so.2"));
}

TEST_F(FbEmbeddedTest, DeletionRemovesWhatItCanAndAlwaysSucceeds)
{
    EXPECT_TRUE(storage::DeleteServerFiles()); // nothing there yet
    ASSERT_TRUE(storage::ExtractServerFiles());
    EXPECT_TRUE(storage::DeleteServerFiles());
    EXPECT_TRUE(Listing().empty());
    EXPECT_TRUE(fs::is_directory(dir.Path()));

    // What cannot be removed stays: a folder under a file's name, a folder not empty.
    ASSERT_TRUE(storage::ExtractServerFiles());
    dir.Write("intl/mine.txt", "kept");
    fs::remove(dir.Path() / "firebird.msg");
    dir.Write("firebird.msg/inside", "x");
    EXPECT_TRUE(storage::DeleteServerFiles());
    EXPECT_EQ(Listing(), (std::set<std::string>{"intl", "intl/mine.txt", "firebird.msg", "firebird.msg/inside"}));
}

TEST_F(FbEmbeddedTest, TheWorkingDirectoryChangesNothing)
{
    testsupport::TempDir elsewhere;
    fs::path before = fs::current_path();
    fs::current_path(elsewhere.Path());
    bool written = storage::ExtractServerFiles();
    fs::current_path(before);
    EXPECT_TRUE(written);
    EXPECT_TRUE(fs::exists(dir.Path() / "libEngine12.so"));
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));

    // Without an override the program folder is the test program's own folder.
    storage::SetProgramFolder("");
    fs::current_path(elsewhere.Path());
    std::string folder = storage::GetProgramFolder();
    fs::current_path(before);
    EXPECT_EQ(folder, fs::canonical("/proc/self/exe").parent_path().string() + "/");
}

// The engine in use was loaded from the written files, and removing them under the
// running engine disturbs nothing.
TEST(FbEmbeddedEngine, RunsFromTheWrittenFiles)
{
    const std::string folder = storagetest::EngineFolder();
    EXPECT_STREQ(std::getenv("FIREBIRD"), folder.substr(0, folder.size() - 1).c_str());
    EXPECT_EQ(fb::ClientLibraryPath(), folder + "libfbclient.so.2");

    testsupport::TempDir dbDir;
    fbtest::TConnection c(fbtest::CopyBuiltDatabase(dbDir.Path()));
    fb::TIBStoredProc version(&c.db);
    version.SetStoredProcName("GET_DB_VERSION");
    version.ExecProc();
    EXPECT_EQ(version.ParamByName("DBVER").GetAsInteger(), 1);
    fb::TIBSQL q(&c.db);
    q.SetSQL("select cast(:T as varchar(10) character set WIN1252) from rdb$database"); // needs the character sets
    q.ParamByName("T").SetAsString("\xB5V");
    q.ExecQuery();
    ASSERT_TRUE(q.Next());
    EXPECT_EQ(q.Fields(0).GetAsString(), "\xB5V");
    q.Close();

    // Every library of the engine in this process is a written copy.
    std::set<std::string> engineFiles;
    std::istringstream maps(ReadFile("/proc/self/maps"));
    for (std::string line; std::getline(maps, line);) {
        auto slash = line.find('/');
        if (slash == std::string::npos)
            continue;
        std::string path = line.substr(slash);
        for (const char* name : {"libfbclient", "libEngine12", "libfbtrace", "libib_util", "libfbintl", "firebird/3.0"})
            if (path.find(name) != std::string::npos)
                engineFiles.insert(path);
    }
    EXPECT_EQ(engineFiles, (std::set<std::string>{folder + "libfbclient.so.2", folder + "libEngine12.so",
                                                  folder + "libfbtrace.so", folder + "lib/libib_util.so",
                                                  folder + "intl/libfbintl.so"}));

    // Loading from elsewhere is refused; the same folder again is fine.
    testsupport::TempDir other;
    storage::SetProgramFolder(other.Str());
    EXPECT_FALSE(storage::LoadServerLibrary());
    storage::SetProgramFolder(folder);
    EXPECT_TRUE(storage::LoadServerLibrary());

    // Removal while the engine has them mapped: True, the connection goes on.
    EXPECT_TRUE(storage::DeleteServerFiles());
    EXPECT_FALSE(fs::exists(folder + "libEngine12.so"));
    q.ExecQuery();
    EXPECT_TRUE(q.Next());
    q.Close();
    // Written again for whatever else this process runs.
    EXPECT_TRUE(storage::ExtractServerFiles());
}

// ---------------------------------------------------------------------------
// The engine at the end of a process

constexpr const char* kShutdownChild = "engine-shutdown";

// The child: a database opened and closed; the engine kept loaded when the parent says so
// (KV_TEST_KEEP); then the client's shutdown, as at the end of the process.
int OpenADatabaseThenShutDownTheEngine()
{
    storagetest::EngineFolder();
    {
        testsupport::TempDir dbDir;
        fbtest::TConnection c(fbtest::CopyBuiltDatabase(dbDir.Path()));
        fb::TIBSQL q(&c.db);
        q.SetSQL("select 1 from rdb$database");
        q.ExecQuery();
        q.Close();
    }
    if (std::getenv("KV_TEST_KEEP"))
        storage::KeepServerLoaded();
    storagetest::ShutDownTheEngineAndEnd();
}

const bool kShutdownChildRegistered =
    testsupport::RegisterChildRoutine(kShutdownChild, OpenADatabaseThenShutDownTheEngine);

// The client unloads the engine when it shuts down, at the latest in the exit handlers of
// a process, whether or not a thread the engine started is still finishing (one that then
// crashes the process). Kept loaded, the engine's code stays until the process is gone.
TEST(FbEmbeddedEngine, StaysLoadedThroughTheClientsShutdownWhenKept)
{
    EXPECT_EQ(storagetest::RunChild(kShutdownChild), 1) << "the client's shutdown no longer unloads the engine";
    EXPECT_EQ(storagetest::RunChild(kShutdownChild, {"KV_TEST_KEEP=1"}), 0);
}

} // namespace
