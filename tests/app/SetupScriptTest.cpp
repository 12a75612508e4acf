// scripts/setup.sh run by a user who is not root and has no sudo, with a package
// missing: it says what to run as root, word for word, and exits 1 without trying.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/SecondUser.h"

namespace {

namespace fs = std::filesystem;

TEST(SetupScriptTest, WithoutRootOrSudoItPrintsTheCommandForRootAndFails)
{
    if (const std::string why = testsupport::TSecondUser::Unavailable(); !why.empty()) GTEST_SKIP() << why;
    testsupport::TSecondUser user;
    user.MakeFolder("scripts", 0755);
    user.CopyIn(KV_SETUP_SCRIPT, "scripts/setup.sh");
    // bash is installed wherever this runs; the other two are not.
    std::ofstream(user.Root() / "scripts/packages.txt") << "# packages\nbash\nkv7200-missing-one\n\nkv7200-missing-two\n";
    // The commands the script needs, and no sudo among them.
    const fs::path bin = user.MakeFolder("bin", 0755);
    for (const char* tool : {"dpkg-query", "grep", "id", "dirname"}) fs::create_symlink(fs::path("/usr/bin") / tool, bin / tool);

    const auto run = user.Run({"/usr/bin/env", "-i", "PATH=" + user.ChildPath("bin"), "/bin/bash",
                               user.ChildPath("scripts/setup.sh")},
                              {}, std::chrono::seconds(30));
    ASSERT_FALSE(run.TimedOut) << run.Output;
    EXPECT_EQ(run.ExitCode, 1) << run.Output;
    EXPECT_EQ(run.Output, "These packages are missing: kv7200-missing-one kv7200-missing-two\n"
                          "Installing them needs root, and sudo is not there. Run this as root, then start again:\n"
                          "  apt-get update && apt-get install -y --no-install-recommends kv7200-missing-one "
                          "kv7200-missing-two\n");
}

} // namespace
