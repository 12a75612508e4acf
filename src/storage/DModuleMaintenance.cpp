// Outdated log records, and the backup and rebuild of the database at exit.
#include "storage/DModule.h"

#include <cctype>
#include <exception>
#include <filesystem>
#include <vector>

#include "platform/fb/IBServices.h"

namespace storage {

namespace {

constexpr int kMaxProgressDots = 40;
constexpr std::int64_t kProgressDotMs = 500;
constexpr int kCaptionPauseMs = 100;
constexpr int kReportedLines = 4;

namespace fs = std::filesystem;

// gbak reports what it could not do in lines with "ERROR:" or "error".
bool TellsOfError(const std::string& output)
{
    std::string lower(output);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("error") != std::string::npos;
}

// The first count lines of text, without the line break after the last.
std::string FirstLines(const std::string& text, int count)
{
    std::size_t end = 0;
    for (int n = 0; n < count && end < text.size(); ++n) {
        const std::size_t lineEnd = text.find('\n', end);
        end = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
    }
    std::string lines = text.substr(0, end);
    while (!lines.empty() && (lines.back() == '\n' || lines.back() == '\r'))
        lines.pop_back();
    return lines;
}

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
void TDM::RunService(Service& service, const std::string& caption)
{
    ShowStatus(caption, kCaptionPauseMs);
    const std::int64_t since = NowMs();
    service.LoginPrompt = false;
    service.Params = {"user_name=SYSDBA", std::string("password=") + kDatabasePassword};
    service.Attach();
    std::string output;
    std::exception_ptr failure;
    try {
        service.ServiceStart();
        // The output is read as it comes: a service whose output nobody reads stops
        // when its buffer is full, and waits for ever.
        ShowServiceProgress(caption, since, [&] {
            output += service.GetNextChunk();
            return !service.Eof();
        });
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    try {
        service.Detach();
    } catch (const std::exception&) {
        // The service manager drops the attachment with the process.
    }
    if (failure)
        std::rethrow_exception(failure);
    // The service can end "successfully" having skipped what it could not read; what
    // it wrote says so.
    if (TellsOfError(output))
        throw rtl::EDatabaseError(FirstLines(output, kReportedLines));
}

void TDM::Backup(fb::TIBDatabase& database, const std::string& caption)
{
    const fs::path backupFile = database.DatabaseName + "_";
    // Written beside the good backup and put in its place only when complete: a failed
    // backup must not cost the one from the last exit.
    const fs::path newFile = database.DatabaseName + "_.new";
    std::error_code ignored;
    fs::remove(newFile, ignored);
    try {
        fb::TIBBackupService service;
        service.DatabaseName = database.DatabaseName;
        service.Verbose = false;
        service.Options = {fb::TBackupOption::IgnoreLimbo};
        service.BackupFile = {newFile.string()};
        RunService(service, caption);
        std::error_code ec;
        if (fs::file_size(newFile, ec) == 0 || ec)
            throw rtl::EDatabaseError("no backup file was written");
        fs::rename(newFile, backupFile);
    } catch (const std::exception& e) {
        fs::remove(newFile, ignored);
        std::string text = std::string("The database backup failed: ") + e.what();
        if (fs::exists(backupFile, ignored))
            text += "\nThe previous backup \"" + backupFile.filename().string() + "\" is kept.";
        throw rtl::EDatabaseError(text);
    }
}

void TDM::Restore(fb::TIBDatabase& database, const std::string& caption)
{
    fb::TIBRestoreService service;
    service.DatabaseName = {database.DatabaseName};
    service.Verbose = false;
    service.Options = {fb::TRestoreOption::Replace, fb::TRestoreOption::UseAllSpace};
    service.BackupFile = {database.DatabaseName + "_"};
    try {
        RunService(service, caption);
    } catch (const std::exception& e) {
        throw rtl::EDatabaseError(std::string("The database rebuild failed: ") + e.what());
    }
}

void TDM::ExitMaintenance()
{
    if (!DBVersionOk)
        return;
    std::vector<std::string> failures;
    const auto step = [&failures](auto&& work) {
        try {
            work();
            return true;
        } catch (const std::exception& e) {
            failures.emplace_back(e.what());
            return false;
        }
    };
    const bool closed = step([this] { DataModuleDestroy(); });
    const TCommonSettings& common = mainForm_.GetCommonSettings();
    if (common.BackupOnExit == 1) {
        const bool backedUp = step([this] { Backup(IBDatabase, "Backup Database "); });
        // A rebuild replaces the database with the backup file: only from a complete
        // backup, and with the connection closed.
        if (backedUp && closed && common.OptimizeOnExit == 1)
            step([this] { Restore(IBDatabase, "Optimize Database "); });
    }
    if (!failures.empty()) {
        std::string text = failures.front();
        for (std::size_t i = 1; i < failures.size(); ++i)
            text += "\n" + failures[i];
        throw rtl::EDatabaseError(text);
    }
}

} // namespace storage
