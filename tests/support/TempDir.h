#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes away.
#include <filesystem>
#include <functional>
#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Str() const { return path_.string(); }
    // path/name
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Writes bytes to path/name and returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Polls cond on the main thread (running queued main-thread calls and Qt events)
// until it holds or timeoutMs passes; returns its last value.
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 5000);

} // namespace testsupport
