#pragma once
// The engine of the storage test program: written once into a folder of this process
// and loaded from there, as the program does at start. Every test that opens a
// database calls EngineFolder() first and puts its database copies where it likes.
// And the engine at the end of a process, looked at in a child process of the test program.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <dlfcn.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include "platform/fb/FbClient.h"
#include "platform/fb/FbTestDatabase.h"
#include "storage/fb_embedded.h"
#include "support/ChildRoutine.h"

namespace storagetest {

inline std::filesystem::path EnginePath()
{
    return std::filesystem::temp_directory_path() / ("kv-engine-" + std::to_string(::getpid()));
}

// The folder holding the engine files in use (trailing '/'); the program folder is left
// pointing there.
inline const std::string& EngineFolder()
{
    static const std::string folder = [] {
        fbtest::UsePrivateLockFolder();
        auto path = EnginePath();
        std::filesystem::create_directories(path);
        storage::SetProgramFolder(std::filesystem::canonical(path).string());
        if (!storage::ExtractServerFiles() || !storage::LoadServerLibrary())
            throw std::runtime_error("cannot start the embedded engine in " + path.string());
        return storage::GetProgramFolder();
    }();
    storage::SetProgramFolder(folder);
    return folder;
}

// Removes the engine folder and the lock folder of this process, when its engine is done.
inline void RemoveEngineFolders()
{
    std::error_code ignored;
    std::filesystem::remove_all(EnginePath(), ignored);
    if (const char* lock = std::getenv("FIREBIRD_LOCK")) std::filesystem::remove_all(lock, ignored);
}

// Whether the engine's library is mapped in this process.
inline bool EngineMapped()
{
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("/libEngine12.so") != std::string::npos) return true;
    return false;
}

// For a child routine: the client shuts the engine down as the exit handlers of a process
// do, and the child ends at once (they would do it once more) with what became of the
// engine: 0 when its code is still mapped, 1 when it is gone, 2 when the shutdown failed.
[[noreturn]] inline void ShutDownTheEngineAndEnd()
{
    void* client = ::dlopen(fb::ClientLibraryPath().c_str(), RTLD_LAZY | RTLD_NOLOAD);
    const auto shutdown = client ? reinterpret_cast<int (*)(unsigned, int)>(::dlsym(client, "fb_shutdown")) : nullptr;
    int result = 2;
    if (EngineMapped() && shutdown && shutdown(10000, fb_shutrsn_app_stopped) == 0) result = EngineMapped() ? 0 : 1;
    RemoveEngineFolders();
    std::fflush(nullptr);
    ::_exit(result);
}

// Runs the child routine name of this test program in a process of its own, with the extra
// environment entries ("NAME=value"); its exit status, -1 when it crashed or ran for a minute.
inline int RunChild(const std::string& name, const QStringList& environment = {})
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment) env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromStdString(testsupport::ChildSwitch(name))});
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        return -1;
    }
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

} // namespace storagetest
