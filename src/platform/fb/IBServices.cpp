#include "platform/fb/IBServices.h"

#include <vector>

#include "platform/fb/FbClient.h"
#include "platform/fb/ParamBlock.h"

namespace fb {

TIBCustomService::~TIBCustomService()
{
    try {
        Detach();
    } catch (...) {
        // Nothing to report to from a destructor.
    }
}

void TIBCustomService::Attach()
{
    if (handle_)
        return;
    TParamBlock spb;
    spb.AddByte(isc_spb_version);
    spb.AddByte(isc_spb_current_version);
    for (const std::string& line : Params) {
        TParamLine p = ParseParamLine(line);
        if (p.Name.empty())
            continue;
        if (p.Name == "user_name")
            spb.AddString1(isc_spb_user_name, p.Value);
        else if (p.Name == "password")
            spb.AddString1(isc_spb_password, p.Value);
        else
            throw rtl::EDatabaseError("Unknown service parameter " + line);
    }
    std::string service = ServerName.empty() ? "service_mgr" : ServerName + ":service_mgr";
    ISC_STATUS_ARRAY status;
    isc_svc_handle handle = 0;
    Api().isc_service_attach(status, 0, service.c_str(), &handle, spb.Size(), spb.Data());
    Check(status);
    handle_ = handle;
}

void TIBCustomService::Detach()
{
    if (!handle_)
        return;
    // A service that is still finishing (also one that has just reported its failure)
    // must not lose its attachment under it: the engine can hang or abort. Wait for it,
    // reading its output: a service whose output is full waits for a reader.
    for (int failures = 0; failures < 3 && !eof_;) {
        try {
            GetNextChunk();
        } catch (const rtl::EDatabaseError&) {
            ++failures;
        }
    }
    ISC_STATUS_ARRAY status;
    Api().isc_service_detach(status, &handle_);
    handle_ = 0;
    Check(status);
}

void TIBCustomService::Start(const std::string& request)
{
    if (!handle_)
        throw rtl::EDatabaseError("Service not attached");
    ISC_STATUS_ARRAY status;
    Api().isc_service_start(status, &handle_, nullptr, static_cast<unsigned short>(request.size()), request.data());
    Check(status);
    eof_ = false;
}

std::string TIBCustomService::GetNextChunk()
{
    if (!handle_)
        throw rtl::EDatabaseError("Service not attached");
    if (eof_)
        return {};
    // The wait for output is given in whole seconds.
    const ISC_SCHAR send[] = {isc_info_svc_timeout, 4, 0, 1, 0, 0, 0};
    const ISC_SCHAR items[] = {isc_info_svc_to_eof};
    std::vector<ISC_SCHAR> result(32 * 1024);
    ISC_STATUS_ARRAY status;
    const TFbApi& api = Api();
    api.isc_service_query(status, &handle_, nullptr, sizeof send, send, sizeof items, items,
                          static_cast<unsigned short>(result.size()), result.data());
    Check(status);
    if (result[0] != isc_info_svc_to_eof)
        throw rtl::EDatabaseError("Unexpected answer of the services manager");
    const auto length = static_cast<std::size_t>(api.isc_vax_integer(result.data() + 1, 2));
    if (length + 4 > result.size())
        throw rtl::EDatabaseError("Unexpected answer of the services manager");
    std::string chunk(result.data() + 3, length);
    // Nothing more and no time-out or cut: the service has ended.
    if (length == 0 && result[3] == isc_info_end)
        eof_ = true;
    return chunk;
}

bool TIBCustomService::IsServiceRunning()
{
    if (!handle_)
        throw rtl::EDatabaseError("Service not attached");
    const ISC_SCHAR items[] = {isc_info_svc_running};
    ISC_SCHAR result[16] = {};
    ISC_STATUS_ARRAY status;
    const TFbApi& api = Api();
    api.isc_service_query(status, &handle_, nullptr, 0, nullptr, sizeof items, items, sizeof result, result);
    Check(status);
    if (result[0] != isc_info_svc_running)
        throw rtl::EDatabaseError("Unexpected answer of the services manager");
    return api.isc_vax_integer(result + 1, 4) != 0;
}

void TIBBackupService::ServiceStart()
{
    TParamBlock request;
    request.AddByte(isc_action_svc_backup);
    request.AddString2(isc_spb_dbname, DatabaseName);
    for (const std::string& file : BackupFile)
        request.AddString2(isc_spb_bkp_file, file);
    if (Verbose)
        request.AddByte(isc_spb_verbose);
    std::uint32_t options = 0;
    for (TBackupOption o : Options) {
        switch (o) {
        case TBackupOption::IgnoreChecksums: options |= isc_spb_bkp_ignore_checksums; break;
        case TBackupOption::IgnoreLimbo: options |= isc_spb_bkp_ignore_limbo; break;
        case TBackupOption::MetadataOnly: options |= isc_spb_bkp_metadata_only; break;
        case TBackupOption::NoGarbageCollection: options |= isc_spb_bkp_no_garbage_collect; break;
        case TBackupOption::OldMetadataDesc: options |= isc_spb_bkp_old_descriptions; break;
        case TBackupOption::NonTransportable: options |= isc_spb_bkp_non_transportable; break;
        case TBackupOption::ConvertExtTables: options |= isc_spb_bkp_convert; break;
        }
    }
    request.AddInt4(isc_spb_options, options);
    Start(request.Bytes());
}

void TIBRestoreService::ServiceStart()
{
    TParamBlock request;
    request.AddByte(isc_action_svc_restore);
    for (const std::string& file : BackupFile)
        request.AddString2(isc_spb_bkp_file, file);
    for (const std::string& db : DatabaseName)
        request.AddString2(isc_spb_dbname, db);
    if (Verbose)
        request.AddByte(isc_spb_verbose);
    if (PageSize > 0)
        request.AddInt4(isc_spb_res_page_size, static_cast<std::uint32_t>(PageSize));
    if (PageBuffers > 0)
        request.AddInt4(isc_spb_res_buffers, static_cast<std::uint32_t>(PageBuffers));
    std::uint32_t options = 0;
    for (TRestoreOption o : Options) {
        switch (o) {
        case TRestoreOption::DeactivateIndexes: options |= isc_spb_res_deactivate_idx; break;
        case TRestoreOption::NoShadow: options |= isc_spb_res_no_shadow; break;
        case TRestoreOption::NoValidityCheck: options |= isc_spb_res_no_validity; break;
        case TRestoreOption::OneRelationAtATime: options |= isc_spb_res_one_at_a_time; break;
        case TRestoreOption::Replace: options |= isc_spb_res_replace; break;
        case TRestoreOption::CreateNewDB: options |= isc_spb_res_create; break;
        case TRestoreOption::UseAllSpace: options |= isc_spb_res_use_all_space; break;
        }
    }
    request.AddInt4(isc_spb_options, options);
    Start(request.Bytes());
}

} // namespace fb
