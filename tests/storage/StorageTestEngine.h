#pragma once
// The engine of the storage test program: written once into a folder of this process
// and loaded from there, as the program does at start. Every test that opens a
// database calls EngineFolder() first and puts its database copies where it likes.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "platform/fb/FbTestDatabase.h"
#include "storage/fb_embedded.h"

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

} // namespace storagetest
