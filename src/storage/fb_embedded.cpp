#include "storage/fb_embedded.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/fb/FbClient.h"

namespace storage {

const TServerFile kServerFiles[] = {
    {"so_fbclient", kClientLibraryFile, ""},  // client library; the engine links to it by this name
    {"so_engine12", "libEngine12.so", ""},    // the engine plug-in, named in plugins.conf
    {"so_fbtrace", "libfbtrace.so", ""},      // the engine's trace plug-in, named there too
    {"msg_firebird", "firebird.msg", ""},     // engine messages
    {"conf_firebird", "firebird.conf", ""},   // comments only: all engine defaults
    {"conf_databases", "databases.conf", ""}, // alias list: comments only
    {"conf_plugins", "plugins.conf", ""},     // points the plug-ins at the copies above
    {"so_ib_util", "libib_util.so", "lib"},   // engine utility library, where the engine looks
    {"so_fbudf", "fbudf.so", "udf"},          // user-defined function libraries
    {"so_ib_udf", "ib_udf.so", "udf"},
    {"so_fbintl", "libfbintl.so", "intl"}, // character sets (WIN1252)
    {"conf_fbintl", "fbintl.conf", "intl"},
};
const std::size_t kServerFileCount = sizeof kServerFiles / sizeof kServerFiles[0];

namespace {

const char* const kSubFolders[] = {"lib", "udf", "intl"};

std::string gProgramFolder;
TResourceFinder gFinder;

std::string WithSeparator(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string RunningProgramFolder()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    return WithSeparator(exe.parent_path().string());
}

std::string TargetPath(const std::string& folder, const TServerFile& file)
{
    std::string path = folder;
    if (*file.Folder)
        path += std::string(file.Folder) + "/";
    return path + file.FileName;
}

bool IsLibrary(const std::string& name)
{
    return name.find(".so") != std::string::npos;
}

bool WriteAll(int fd, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Writes the bytes to a new file beside target and renames it over target.
bool ReplaceFile(const std::string& target, const TEmbeddedResource& resource)
{
    std::string temp = target + ".new-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, IsLibrary(target) ? 0755 : 0644) == 0
              && WriteAll(fd, resource.Begin, static_cast<std::size_t>(resource.End - resource.Begin));
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

} // namespace

std::string GetProgramFolder()
{
    return gProgramFolder.empty() ? RunningProgramFolder() : gProgramFolder;
}

void SetProgramFolder(const std::string& folder)
{
    gProgramFolder = WithSeparator(folder);
}

const TEmbeddedResource* FindEngineResource(const std::string& name)
{
    for (std::size_t k = 0; k < kEngineResourceCount; ++k)
        if (::strcasecmp(kEngineResources[k].Name, name.c_str()) == 0)
            return &kEngineResources[k];
    return nullptr;
}

void SetResourceFinder(TResourceFinder finder)
{
    gFinder = std::move(finder);
}

bool ExtractServerFiles()
{
    const std::string folder = GetProgramFolder();
    for (const char* sub : kSubFolders) {
        std::error_code ec;
        std::filesystem::path path = folder + sub;
        if (!std::filesystem::is_directory(path, ec) && !std::filesystem::create_directory(path, ec))
            return false; // "Cannot create folder"
    }
    for (const TServerFile& file : kServerFiles) {
        const TEmbeddedResource* resource = gFinder ? gFinder(file.Resource) : FindEngineResource(file.Resource);
        if (!resource || !ReplaceFile(TargetPath(folder, file), *resource))
            return false;
    }
    return true;
}

bool LoadServerLibrary()
{
    const std::string folder = GetProgramFolder();
    const std::string library = folder + kClientLibraryFile;
    if (fb::ClientLibraryLoaded())
        return fb::ClientLibraryPath() == library;
    std::string root = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    if (::setenv("FIREBIRD", root.c_str(), 1) != 0)
        return false;
    try {
        fb::LoadClientLibrary(library);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void KeepServerLoaded()
{
    const std::string folder = GetProgramFolder();
    for (const TServerFile& file : kServerFiles)
        if (IsLibrary(file.FileName))
            ::dlopen(TargetPath(folder, file).c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

bool DeleteServerFiles()
{
    const std::string folder = GetProgramFolder();
    auto removeFiles = [&](const char* sub) {
        for (const TServerFile& file : kServerFiles)
            if (std::string(file.Folder) == sub)
                ::unlink(TargetPath(folder, file).c_str()); // a failure leaves it
    };
    removeFiles("");
    for (const char* sub : kSubFolders) {
        removeFiles(sub);
        ::rmdir((folder + sub).c_str()); // stays unless empty
    }
    return true;
}

} // namespace storage
