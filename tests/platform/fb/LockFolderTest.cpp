// The engine's lock folder: each user's own, chosen before the engine starts; the
// database build tool run by a second user of the machine; what a failed start says.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/fb/LockFolder.h"
#include "support/SecondUser.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Sets or clears environment variables for one test and puts them back after.
class TEnvironment {
public:
    ~TEnvironment()
    {
        for (const auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
    }
    void Set(const std::string& name, const std::optional<std::string>& value)
    {
        if (saved_.find(name) == saved_.end()) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) ::setenv(name.c_str(), value->c_str(), 1);
        else ::unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

std::string Lock()
{
    const char* lock = std::getenv("FIREBIRD_LOCK");
    return lock ? lock : "";
}

unsigned Mode(const fs::path& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : ~0u;
}

class LockFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.Set("FIREBIRD_LOCK", std::nullopt);
        env.Set("XDG_RUNTIME_DIR", std::nullopt);
        env.Set("TMPDIR", tmp.Str());
    }
    std::string OwnTempFolder() const { return tmp.File("firebird-" + std::to_string(::geteuid())); }

    TEnvironment env;
    testsupport::TempDir tmp;
    testsupport::TempDir runtime;
};

TEST_F(LockFolderTest, AFolderOfTheUsersOwnUnlessTheUserChoseOne)
{
    fs::permissions(runtime.Path(), fs::perms::owner_all);
    const std::string inRuntime = runtime.File("firebird");
    struct TCase {
        const char* What;
        std::optional<std::string> Runtime;
        unsigned RuntimeMode;
        std::string Expected;
    };
    const TCase cases[] = {
        {"no runtime folder", std::nullopt, 0700, OwnTempFolder()},
        {"a runtime folder of the user's", runtime.Str(), 0700, inRuntime},
        {"a runtime folder given as a relative path", "run/user", 0700, OwnTempFolder()},
        {"a runtime folder that is missing", runtime.File("gone"), 0700, OwnTempFolder()},
        {"a runtime folder others may write", runtime.Str(), 0770, OwnTempFolder()},
        {"a runtime folder this user may not write", runtime.Str(), 0500, OwnTempFolder()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        if (c.RuntimeMode == 0500 && ::geteuid() == 0) continue; // root writes it all the same
        fs::remove_all(inRuntime);
        fs::remove_all(OwnTempFolder());
        ::chmod(runtime.Path().c_str(), c.RuntimeMode);
        env.Set("XDG_RUNTIME_DIR", c.Runtime);
        env.Set("FIREBIRD_LOCK", std::nullopt);
        EXPECT_EQ(fb::UseOwnLockFolder(), "");
        EXPECT_EQ(Lock(), c.Expected);
        EXPECT_EQ(fb::EngineLockFolder(), c.Expected);
        EXPECT_EQ(Mode(c.Expected), 0700u);
        ::chmod(runtime.Path().c_str(), 0700);
    }

    // The user's own choice stands.
    env.Set("XDG_RUNTIME_DIR", std::nullopt);
    fs::remove_all(OwnTempFolder());
    env.Set("FIREBIRD_LOCK", "/var/somewhere/else");
    EXPECT_EQ(fb::UseOwnLockFolder(), "");
    EXPECT_EQ(Lock(), "/var/somewhere/else");
    EXPECT_FALSE(fs::exists(OwnTempFolder()));
    // An empty FIREBIRD_LOCK is no choice: the engine would take its shared folder.
    env.Set("FIREBIRD_LOCK", "");
    EXPECT_EQ(fb::UseOwnLockFolder(), "");
    EXPECT_EQ(Lock(), OwnTempFolder());
}

TEST_F(LockFolderTest, AFolderLeftOpenIsClosedAndAForeignOneRefused)
{
    // Left open to others by an earlier run: closed, then used.
    fs::create_directory(OwnTempFolder());
    ::chmod(OwnTempFolder().c_str(), 0777);
    EXPECT_EQ(fb::UseOwnLockFolder(), "");
    EXPECT_EQ(Lock(), OwnTempFolder());
    EXPECT_EQ(Mode(OwnTempFolder()), 0700u);

    // A link planted in its place is not followed, whatever it points at.
    fs::remove_all(OwnTempFolder());
    fs::create_directory_symlink(runtime.Path(), OwnTempFolder());
    env.Set("FIREBIRD_LOCK", std::nullopt);
    EXPECT_EQ(fb::UseOwnLockFolder(), "\"" + OwnTempFolder() + "\" is not a folder");
    EXPECT_EQ(Lock(), "");
    EXPECT_EQ(fb::EngineLockFolder(), fb::kSharedLockFolder);

    // The runtime folder's entry is a file: the temporary folder serves.
    fs::remove(OwnTempFolder());
    fs::permissions(runtime.Path(), fs::perms::owner_all);
    runtime.Write("firebird", "");
    env.Set("XDG_RUNTIME_DIR", runtime.Str());
    EXPECT_EQ(fb::UseOwnLockFolder(), "");
    EXPECT_EQ(Lock(), OwnTempFolder());

    if (::geteuid() != 0) return;
    // Another user's folder under the name: refused, and so is another user's runtime folder.
    fs::remove_all(OwnTempFolder());
    fs::create_directory(OwnTempFolder());
    ASSERT_EQ(::chown(OwnTempFolder().c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown(runtime.Path().c_str(), 65534, 65534), 0);
    env.Set("FIREBIRD_LOCK", std::nullopt);
    EXPECT_EQ(fb::UseOwnLockFolder(), "\"" + OwnTempFolder() + "\" belongs to another user");
    EXPECT_EQ(Lock(), "");
}

TEST_F(LockFolderTest, AFailedStartNamesTheFolderItCannotUse)
{
    const std::string file = tmp.Write("plain", "");
    struct TCase {
        const char* What;
        std::string LockFolder, Database;
        bool Creating;
        std::string Expected;
    };
    const TCase cases[] = {
        {"all in order", tmp.Str(), tmp.File("kv.FDB"), true, ""},
        {"a lock folder still to be made", tmp.File("new"), tmp.File("kv.FDB"), false, ""},
        {"a lock folder that is a file", file, tmp.File("kv.FDB"), false,
         "The database engine's lock folder \"" + file + "\" is not a folder"},
        {"a lock folder that cannot be made", tmp.File("no/lock"), tmp.File("kv.FDB"), false,
         "The database engine's lock folder \"" + tmp.File("no/lock") + "\" cannot be created: No such file or directory"},
        {"a new database in a file's place", tmp.Str(), file + "/kv.FDB", true,
         "The database folder \"" + file + "\" is not a folder"},
        {"a database on another host", tmp.Str(), "host:/no/such/folder/kv.FDB", true, ""},
        {"an existing database not created", tmp.Str(), file, false, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        env.Set("FIREBIRD_LOCK", c.LockFolder);
        EXPECT_EQ(fb::DescribeUnwritableFolders(c.Database, c.Creating), c.Expected);
    }
}

// ---------------------------------------------------------------- the build tool as a second user

class SecondUserBuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = testsupport::TSecondUser::Unavailable(); !why.empty()) GTEST_SKIP() << why;
        user.emplace();
        user->MakeFolder("bin", 0755);
        user->CopyIn(KV_MKDB, "bin/kv_mkdb");
        user->CopyIn(KV_SCHEMA, "bin/kv7200.sql");
        user->MakeFolder("out");
    }

    testsupport::TSecondUser::TRun Build(const std::vector<std::string>& environment,
                                         const std::string& output = "out/kv7200.FDB")
    {
        return user->Run({user->ChildPath("bin/kv_mkdb"), user->ChildPath("bin/kv7200.sql"), user->ChildPath(output)},
                         environment, std::chrono::seconds(60));
    }
    std::string OwnFolder() const { return "firebird-" + std::to_string(user->Uid()); }

    std::optional<testsupport::TSecondUser> user;
};

TEST_F(SecondUserBuildTest, BuildsTheDatabaseWhileTheSharedLockFolderIsClosedToIt)
{
    struct TCase {
        const char* What;
        std::vector<std::string> Environment;
        std::string LockFolder; // under the child's /tmp
    };
    user->MakeFolder("run");
    const TCase cases[] = {
        {"without a runtime folder", {}, OwnFolder()},
        {"with a runtime folder", {"XDG_RUNTIME_DIR=" + user->ChildPath("run")}, "run/firebird"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        fs::remove(user->Root() / "out/kv7200.FDB");
        const auto run = Build(c.Environment);
        EXPECT_EQ(run.ExitCode, 0) << run.Output;
        EXPECT_TRUE(fs::is_regular_file(user->Root() / "out/kv7200.FDB"));
        EXPECT_TRUE(fs::exists(user->Root() / c.LockFolder / "fb_init")) << "the engine did not lock there";
        EXPECT_EQ(Mode(user->Root() / c.LockFolder), 0700u);
    }
    EXPECT_EQ(Mode(user->Root() / "firebird"), 0u);
}

TEST_F(SecondUserBuildTest, AFailedBuildNamesTheFolderAndWhy)
{
    user->MakeFolder("closed", 0555);
    const std::string blocked = "The database engine's lock folder \"/tmp/firebird\" cannot be written: Permission denied";
    struct TCase {
        const char* What;
        std::vector<std::string> Environment;
        std::string Output;
        std::vector<std::string> Expected;
    };
    const TCase cases[] = {
        // clang-format off
        {"the user chose the shared lock folder", {"FIREBIRD_LOCK=/tmp/firebird"}, "out/kv7200.FDB",
         {"operating system directive access failed", blocked}},
        {"no folder of its own can be made",
         {"TMPDIR=/tmp/closed"},
         "out/kv7200.FDB",
         {"operating system directive access failed",
          blocked + " (no lock folder of the user's own: \"/tmp/closed/" + OwnFolder()
              + "\" cannot be created: Permission denied)"}},
        {"the database folder is closed", {}, "closed/kv7200.FDB",
         {"Permission denied", "The database folder \"/tmp/closed\" cannot be written: Permission denied"}},
        // clang-format on
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const auto run = Build(c.Environment, c.Output);
        EXPECT_EQ(run.ExitCode, 1) << run.Output;
        for (const std::string& text : c.Expected) EXPECT_NE(run.Output.find(text), std::string::npos) << run.Output;
        EXPECT_FALSE(fs::exists(user->Root() / c.Output));
    }
}

} // namespace
