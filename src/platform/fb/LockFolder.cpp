#include "platform/fb/LockFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace fb {

namespace {

// Why UseOwnLockFolder found no folder, for the message of a later failure.
std::string gOwnFolderProblem;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

bool CanWrite(const std::string& path, int& error)
{
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return true;
    error = errno;
    return false;
}

// A folder that only this user may write: $XDG_RUNTIME_DIR at its best.
bool IsOwnFolder(const std::string& path, uid_t uid)
{
    struct stat st;
    int ignored = 0;
    return !path.empty() && path.front() == '/' && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)
           && st.st_uid == uid && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 && CanWrite(path, ignored);
}

// Creates path 0700 or takes it as it is when it is a folder of uid's; "" on success,
// else why not.
std::string MakeOwnFolder(const std::string& path, uid_t uid)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return Quoted(path) + " cannot be created: " + std::strerror(errno);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return Quoted(path) + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return Quoted(path) + " is not a folder";
    if (st.st_uid != uid) return Quoted(path) + " belongs to another user";
    // Ours, so nobody else can swap it; close it to others if it was left open.
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return Quoted(path) + " cannot be closed to other users: " + std::strerror(errno);
    int error = 0;
    if (!CanWrite(path, error)) return Quoted(path) + " cannot be written: " + std::strerror(error);
    return "";
}

std::string TempFolder()
{
    std::string tmp = rtl::GetEnvironmentVariable("TMPDIR");
    if (tmp.empty() || tmp.front() != '/') tmp = "/tmp";
    while (tmp.size() > 1 && tmp.back() == '/') tmp.pop_back();
    return tmp;
}

std::string ParentFolder(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Why this process cannot use folder for files of its own; "" when it can. A missing
// folder is made by whoever needs it, so then its parent counts.
std::string FolderProblem(const std::string& folder)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) {
        const int missing = errno;
        if (missing != ENOENT) return std::string("cannot be reached: ") + std::strerror(missing);
        int error = 0;
        const std::string parent = ParentFolder(folder);
        if (::stat(parent.c_str(), &st) != 0) return std::string("cannot be created: ") + std::strerror(errno);
        if (!CanWrite(parent, error)) return "cannot be created in " + Quoted(parent) + ": " + std::strerror(error);
        return "";
    }
    if (!S_ISDIR(st.st_mode)) return "is not a folder";
    int error = 0;
    if (!CanWrite(folder, error)) return std::string("cannot be written: ") + std::strerror(error);
    return "";
}

// A database path of this machine (not "host:path").
bool IsLocalPath(const std::string& path)
{
    const auto colon = path.find(':');
    return !path.empty() && (colon == std::string::npos || path.find('/') < colon);
}

} // namespace

std::string UseOwnLockFolder()
{
    gOwnFolderProblem.clear();
    if (!rtl::GetEnvironmentVariable("FIREBIRD_LOCK").empty()) return "";
    const uid_t uid = ::geteuid();
    std::vector<std::string> candidates;
    const std::string runtime = rtl::GetEnvironmentVariable("XDG_RUNTIME_DIR");
    if (IsOwnFolder(runtime, uid)) candidates.push_back(runtime + "/firebird");
    candidates.push_back(TempFolder() + "/firebird-" + std::to_string(uid));
    std::string problems;
    for (const std::string& folder : candidates) {
        const std::string problem = MakeOwnFolder(folder, uid);
        if (problem.empty()) {
            if (::setenv("FIREBIRD_LOCK", folder.c_str(), 1) == 0) return "";
            return "FIREBIRD_LOCK cannot be set: " + std::string(std::strerror(errno));
        }
        problems += (problems.empty() ? "" : "; ") + problem;
    }
    gOwnFolderProblem = problems;
    return problems;
}

std::string EngineLockFolder()
{
    const std::string lock = rtl::GetEnvironmentVariable("FIREBIRD_LOCK");
    return lock.empty() ? kSharedLockFolder : lock;
}

std::string DescribeUnwritableFolders(const std::string& databasePath, bool creating)
{
    std::string lines;
    const auto add = [&lines](const std::string& line) { lines += (lines.empty() ? "" : "\n") + line; };
    const std::string lock = EngineLockFolder();
    if (const std::string problem = FolderProblem(lock); !problem.empty()) {
        std::string line = "The database engine's lock folder " + Quoted(lock) + " " + problem;
        if (rtl::GetEnvironmentVariable("FIREBIRD_LOCK").empty() && !gOwnFolderProblem.empty())
            line += " (no lock folder of the user's own: " + gOwnFolderProblem + ")";
        add(line);
    }
    if (!IsLocalPath(databasePath)) return lines;
    if (creating) {
        const std::string folder = ParentFolder(databasePath);
        if (const std::string problem = FolderProblem(folder); !problem.empty())
            add("The database folder " + Quoted(folder) + " " + problem);
    } else if (::access(databasePath.c_str(), F_OK) == 0
               && ::faccessat(AT_FDCWD, databasePath.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
        add("The database file " + Quoted(databasePath) + " cannot be written: " + std::strerror(errno));
    }
    return lines;
}

} // namespace fb
