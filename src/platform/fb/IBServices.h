#pragma once
// The engine's services manager: backup and restore of a database file, started and
// then polled until done, with IsServiceRunning or, reading the service's output,
// with GetNextChunk until Eof.
#include <ibase.h>

#include <set>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"

namespace fb {

class TIBCustomService {
public:
    TIBCustomService() = default;
    virtual ~TIBCustomService();
    TIBCustomService(const TIBCustomService&) = delete;
    TIBCustomService& operator=(const TIBCustomService&) = delete;

    std::string ServerName;          // "" is the local (embedded) services manager
    std::vector<std::string> Params; // "user_name=...", "password=..."
    bool LoginPrompt = false;        // there is no prompt; kept for the component's settings

    // Attaches to the services manager; failures raise EIBError.
    void Attach();
    // Waits for a started service to end, then detaches.
    void Detach();
    bool GetActive() const { return handle_ != 0; }
    // True while the last started service still runs. A service that failed reports its
    // failure once, as EIBError from this query (or from ServiceStart).
    bool IsServiceRunning();
    // The service's output text written since the last call, waiting up to about a second
    // for some; empty when none came. A service whose output is not read stops once its
    // output buffer is full. Failures as IsServiceRunning.
    std::string GetNextChunk();
    // The service has ended and GetNextChunk has returned all of its output.
    bool Eof() const { return eof_; }

protected:
    // Starts the service given by the request block.
    void Start(const std::string& request);
    isc_svc_handle handle_ = 0;
    bool eof_ = false;
};

enum class TBackupOption {
    // clang-format off
    IgnoreChecksums, IgnoreLimbo, MetadataOnly, NoGarbageCollection, OldMetadataDesc,
    NonTransportable, ConvertExtTables
    // clang-format on
};

class TIBBackupService : public TIBCustomService {
public:
    std::string DatabaseName;
    std::vector<std::string> BackupFile;
    std::set<TBackupOption> Options;
    bool Verbose = false;
    void ServiceStart();
};

enum class TRestoreOption {
    // clang-format off
    DeactivateIndexes, NoShadow, NoValidityCheck, OneRelationAtATime, Replace, CreateNewDB, UseAllSpace
    // clang-format on
};

class TIBRestoreService : public TIBCustomService {
public:
    std::vector<std::string> DatabaseName;
    std::vector<std::string> BackupFile;
    std::set<TRestoreOption> Options{TRestoreOption::CreateNewDB};
    int PageSize = 0;    // 0: the size the backup holds
    int PageBuffers = 0; // 0: the engine's default
    bool Verbose = false;
    void ServiceStart();
};

} // namespace fb
