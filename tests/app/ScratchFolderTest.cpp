// The temporary folder of a test program's run: what the program put there is gone
// once it ends, also when it is killed in the middle of a test.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include "support/ChildRoutine.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kKilledChild = "scratch-killed";

// Leaves a file and a folder in its temporary folder, tells where, and dies.
int LeaveFilesAndDie()
{
    const fs::path folder = fs::temp_directory_path() / "engine";
    fs::create_directories(folder);
    std::ofstream(folder / "kv7200.FDB") << "a database copy";
    std::printf("%s\n", folder.c_str());
    std::fflush(stdout);
    ::kill(::getpid(), SIGKILL);
    return 0;
}

const bool kKilledChildRegistered = testsupport::RegisterChildRoutine(kKilledChild, LeaveFilesAndDie);

TEST(ScratchFolderTest, WhatAKilledTestProgramLeftIsRemoved)
{
    testsupport::TempDir tmp;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A test program of its own, not a child of this one's run.
    env.remove("KV_SCRATCH_FOLDER");
    env.insert("TMPDIR", QString::fromStdString(tmp.Str()));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromStdString(testsupport::ChildSwitch(kKilledChild))});
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    const fs::path left = child.readAllStandardOutput().trimmed().toStdString();
    // Its run's folder, under the temporary folder it was given.
    const fs::path run = left.parent_path();
    EXPECT_EQ(run.parent_path(), tmp.Path()) << left;
    EXPECT_EQ(run.filename().string().rfind("kv7200-tests-", 0), 0u) << left;
    for (int i = 0; i < 250 && fs::exists(run); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(fs::exists(run)) << "left behind: " << run;
    EXPECT_TRUE(fs::is_empty(tmp.Path()));
}

} // namespace
