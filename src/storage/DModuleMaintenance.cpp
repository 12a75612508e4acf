// Outdated log records, and the backup and rebuild of the database at exit.
#include "storage/DModule.h"

#include <exception>

#include "platform/fb/IBServices.h"

namespace storage {

namespace {

constexpr int kMaxProgressDots = 40;
constexpr std::int64_t kProgressDotMs = 500;
constexpr int kCaptionPauseMs = 100;

} // namespace

int TDM::GetOutdatedLog(double& date)
{
    getOutdatedLog.ParamByName("EXPIRE").SetAsInteger(mainForm_.GetCommonSettings().LogExpireDays);
    getOutdatedLog.ExecProc();
    date = getOutdatedLog.ParamByName("MAXDATE").GetAsDouble();
    return getOutdatedLog.ParamByName("CNT").GetAsInteger();
}

void TDM::ClearOutdatedLog()
{
    clearOutdatedLog.ParamByName("EXPIRE").SetAsInteger(mainForm_.GetCommonSettings().LogExpireDays);
    clearOutdatedLog.ExecProc();
}

void TDM::ShowStatus(const std::string& text, int pauseMs)
{
    if (Splash)
        Splash->SetStatus(text, pauseMs);
}

void TDM::ShowServiceProgress(const std::string& caption, std::int64_t sinceMs,
                              const std::function<bool()>& isRunning)
{
    std::string dots;
    std::int64_t last = sinceMs;
    // The service gives no progress of its own: a dot each half second shows that the
    // program still works. Polled without a pause until the service ends.
    while (isRunning()) {
        if (dots.size() < kMaxProgressDots && NowMs() - last > kProgressDotMs) {
            dots += '.';
            last = NowMs();
            ShowStatus(caption + dots, 0);
        }
    }
}

template <typename Service>
bool TDM::RunService(Service& service, const std::string& caption)
{
    ShowStatus(caption, kCaptionPauseMs);
    const std::int64_t since = NowMs();
    service.LoginPrompt = false;
    service.Params = {"user_name=SYSDBA", std::string("password=") + kDatabasePassword};
    service.Attach();
    bool completed = false;
    try {
        service.ServiceStart();
        ShowServiceProgress(caption, since, [&service] { return service.IsServiceRunning(); });
        completed = true;
    } catch (const std::exception&) {
        // The exit goes on whatever the service did; the caller learns it from the result.
    }
    try {
        service.Detach();
    } catch (const std::exception&) {
        // The service manager drops the attachment with the process.
    }
    return completed;
}

bool TDM::Backup(fb::TIBDatabase& database, const std::string& caption)
{
    fb::TIBBackupService service;
    service.DatabaseName = database.DatabaseName;
    service.Verbose = false;
    service.Options = {fb::TBackupOption::IgnoreLimbo};
    service.BackupFile = {database.DatabaseName + "_"};
    return RunService(service, caption);
}

bool TDM::Restore(fb::TIBDatabase& database, const std::string& caption)
{
    fb::TIBRestoreService service;
    service.DatabaseName = {database.DatabaseName};
    service.Verbose = false;
    service.Options = {fb::TRestoreOption::Replace, fb::TRestoreOption::UseAllSpace};
    service.BackupFile = {database.DatabaseName + "_"};
    return RunService(service, caption);
}

void TDM::ExitMaintenance()
{
    if (!DBVersionOk)
        return;
    DataModuleDestroy();
    const TCommonSettings& common = mainForm_.GetCommonSettings();
    if (common.BackupOnExit != 1)
        return;
    // A rebuild replaces the database with the backup file: from a failed backup it
    // would bring back an older state, or none.
    if (Backup(IBDatabase, "Backup Database ") && common.OptimizeOnExit == 1)
        Restore(IBDatabase, "Optimize Database ");
}

} // namespace storage
