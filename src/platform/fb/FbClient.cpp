#include "platform/fb/FbClient.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>

#include "platform/fb/LockFolder.h"

namespace fb {

namespace {

std::mutex gLoadMutex;
void* gHandle = nullptr;
std::string gPath;
TFbApi gApi{};

template <typename F>
void Bind(void* handle, F& slot, const char* name)
{
    void* sym = ::dlsym(handle, name);
    if (!sym)
        throw rtl::EDatabaseError("Firebird client library lacks " + std::string(name));
    slot = reinterpret_cast<F>(sym);
}

} // namespace

void LoadClientLibrary(const std::string& path)
{
    std::lock_guard lock(gLoadMutex);
    if (gHandle) {
        if (path == gPath)
            return;
        throw rtl::EDatabaseError("Firebird client library already loaded from " + gPath);
    }
    // A failure here shows when the engine cannot start: DescribeUnwritableFolders.
    UseOwnLockFolder();
    void* handle = ::dlopen(path.c_str(), RTLD_NOW);
    if (!handle) {
        const char* why = ::dlerror();
        throw rtl::EDatabaseError("Cannot load the Firebird client library " + path + ": "
                                  + (why ? why : "unknown error"));
    }
    TFbApi api{};
    try {
#define FB_BIND(name) Bind(handle, api.name, #name)
        FB_BIND(isc_attach_database);
        FB_BIND(isc_detach_database);
        FB_BIND(isc_drop_database);
        FB_BIND(isc_database_info);
        FB_BIND(isc_start_transaction);
        FB_BIND(isc_commit_transaction);
        FB_BIND(isc_commit_retaining);
        FB_BIND(isc_rollback_transaction);
        FB_BIND(isc_rollback_retaining);
        FB_BIND(isc_dsql_allocate_statement);
        FB_BIND(isc_dsql_prepare);
        FB_BIND(isc_dsql_describe);
        FB_BIND(isc_dsql_describe_bind);
        FB_BIND(isc_dsql_execute);
        FB_BIND(isc_dsql_execute2);
        FB_BIND(isc_dsql_execute_immediate);
        FB_BIND(isc_dsql_fetch);
        FB_BIND(isc_dsql_free_statement);
        FB_BIND(isc_dsql_sql_info);
        FB_BIND(isc_create_blob2);
        FB_BIND(isc_open_blob2);
        FB_BIND(isc_get_segment);
        FB_BIND(isc_put_segment);
        FB_BIND(isc_close_blob);
        FB_BIND(isc_cancel_blob);
        FB_BIND(isc_blob_info);
        FB_BIND(isc_service_attach);
        FB_BIND(isc_service_detach);
        FB_BIND(isc_service_start);
        FB_BIND(isc_service_query);
        FB_BIND(fb_interpret);
        FB_BIND(isc_sqlcode);
        FB_BIND(isc_vax_integer);
        FB_BIND(isc_portable_integer);
#undef FB_BIND
    } catch (...) {
        ::dlclose(handle);
        throw;
    }
    gApi = api;
    gPath = path;
    gHandle = handle;
}

bool ClientLibraryLoaded()
{
    std::lock_guard lock(gLoadMutex);
    return gHandle != nullptr;
}

std::string ClientLibraryPath()
{
    std::lock_guard lock(gLoadMutex);
    return gPath;
}

const TFbApi& Api()
{
    // Loaded once and never unloaded, so reading without the lock is safe after load.
    if (!gHandle)
        throw rtl::EDatabaseError("Firebird client library not loaded");
    return gApi;
}

bool EIBError::HasErrorCode(long code) const
{
    return std::find(ErrorCodes.begin(), ErrorCodes.end(), code) != ErrorCodes.end();
}

namespace {

// The codes of a status vector: each error is isc_arg_gds and its code, followed by its
// arguments (a C string with its length first, anything else one value).
std::vector<long> ErrorCodes(const ISC_STATUS* status)
{
    std::vector<long> codes;
    for (const ISC_STATUS* at = status; *at != isc_arg_end;) {
        if (*at == isc_arg_gds) codes.push_back(static_cast<long>(at[1]));
        at += *at == isc_arg_cstring ? 3 : 2;
    }
    return codes;
}

} // namespace

void RaiseError(const ISC_STATUS* status, const std::string& detail)
{
    const TFbApi& api = Api();
    std::string message;
    const ISC_STATUS* cursor = status;
    char line[1024];
    while (api.fb_interpret(line, sizeof line, &cursor) > 0) {
        if (!message.empty())
            message += '\n';
        message += line;
    }
    if (message.empty())
        message = "Unknown Firebird error";
    if (!detail.empty())
        message += "\n" + detail;
    long sqlCode = api.isc_sqlcode(status);
    throw EIBError(message, sqlCode, static_cast<long>(status[1]), ErrorCodes(status));
}

} // namespace fb
