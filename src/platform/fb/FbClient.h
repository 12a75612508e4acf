#pragma once
// The Firebird client library, reached only through a table of entry points.
//
// The program loads the client library that it wrote beside itself (the embedded
// engine then comes from those files too); tools and tests load the system's
// libfbclient.so.2. Nothing in the program links libfbclient directly, so one
// process never holds two copies of it.
#include <ibase.h>

#include <string>
#include <vector>

#include "platform/rtl/Exception.h"

namespace fb {

// A failure reported by the engine: its message lines joined by "\n", the SQL code
// (isc_sqlcode) and the engine's own error code (the first code of the status vector).
class EIBError : public rtl::EDatabaseError {
public:
    EIBError(std::string message, long sqlCode, long ibErrorCode, std::vector<long> errorCodes = {})
        : EDatabaseError(std::move(message), sqlCode), IBErrorCode(ibErrorCode), ErrorCodes(std::move(errorCodes)) {}
    // One of the codes tells what the first, general one does not (why an I/O failed).
    bool HasErrorCode(long code) const;

    long IBErrorCode;
    // Every error code of the status vector, in its order.
    std::vector<long> ErrorCodes;
};

// The entry points the component layer uses.
struct TFbApi {
    decltype(&::isc_attach_database) isc_attach_database;
    decltype(&::isc_detach_database) isc_detach_database;
    decltype(&::isc_drop_database) isc_drop_database;
    decltype(&::isc_database_info) isc_database_info;
    decltype(&::isc_start_transaction) isc_start_transaction;
    decltype(&::isc_commit_transaction) isc_commit_transaction;
    decltype(&::isc_commit_retaining) isc_commit_retaining;
    decltype(&::isc_rollback_transaction) isc_rollback_transaction;
    decltype(&::isc_rollback_retaining) isc_rollback_retaining;
    decltype(&::isc_dsql_allocate_statement) isc_dsql_allocate_statement;
    decltype(&::isc_dsql_prepare) isc_dsql_prepare;
    decltype(&::isc_dsql_describe) isc_dsql_describe;
    decltype(&::isc_dsql_describe_bind) isc_dsql_describe_bind;
    decltype(&::isc_dsql_execute) isc_dsql_execute;
    decltype(&::isc_dsql_execute2) isc_dsql_execute2;
    decltype(&::isc_dsql_execute_immediate) isc_dsql_execute_immediate;
    decltype(&::isc_dsql_fetch) isc_dsql_fetch;
    decltype(&::isc_dsql_free_statement) isc_dsql_free_statement;
    decltype(&::isc_dsql_sql_info) isc_dsql_sql_info;
    decltype(&::isc_create_blob2) isc_create_blob2;
    decltype(&::isc_open_blob2) isc_open_blob2;
    decltype(&::isc_get_segment) isc_get_segment;
    decltype(&::isc_put_segment) isc_put_segment;
    decltype(&::isc_close_blob) isc_close_blob;
    decltype(&::isc_cancel_blob) isc_cancel_blob;
    decltype(&::isc_blob_info) isc_blob_info;
    decltype(&::isc_service_attach) isc_service_attach;
    decltype(&::isc_service_detach) isc_service_detach;
    decltype(&::isc_service_start) isc_service_start;
    decltype(&::isc_service_query) isc_service_query;
    decltype(&::fb_interpret) fb_interpret;
    decltype(&::isc_sqlcode) isc_sqlcode;
    decltype(&::isc_vax_integer) isc_vax_integer;
    decltype(&::isc_portable_integer) isc_portable_integer;
};

// The system's client library, as tools and tests load it.
inline constexpr const char* kSystemClientLibrary = "libfbclient.so.2";

// Loads the client library from path (a file name without '/' is searched the usual
// way) and binds every entry point; first it gives the engine a lock folder of the
// user's own (UseOwnLockFolder). Once per process: loading the same path again does
// nothing, another path raises EDatabaseError, as does a library that cannot be
// loaded or lacks an entry point.
void LoadClientLibrary(const std::string& path = kSystemClientLibrary);
bool ClientLibraryLoaded();
// The path the library was loaded from ("" when none is).
std::string ClientLibraryPath();
// The bound entry points; EDatabaseError "Firebird client library not loaded" before.
const TFbApi& Api();

// Raises EIBError from a status vector whose first error is set; detail, when given,
// follows the engine's words on lines of its own.
[[noreturn]] void RaiseError(const ISC_STATUS* status, const std::string& detail = "");
// Raises EIBError when the status vector reports an error.
inline void Check(const ISC_STATUS* status)
{
    if (status[0] == 1 && status[1] != 0)
        RaiseError(status);
}

} // namespace fb
