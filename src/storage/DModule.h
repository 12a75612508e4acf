#pragma once
// The data module: the one owner of the database connection. It opens "kv7200.FDB"
// in the program folder, checks the database version, keeps the unit rows (DEVICES),
// the application settings record and the map picture (CONFIG), writes the event log
// through its filters, computes the log view's texts and runs the maintenance
// (outdated records, backup and rebuild at exit). Main thread only.
//
// Every component runs in the one transaction IBTransaction (read committed, record
// versions, no wait). Posts to DEVICES and CONFIG commit it (commit retaining); log
// records are committed at the latest LogCommitDelayMs after they were written.
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/db/DataSource.h"
#include "platform/fb/IBDatabase.h"
#include "platform/fb/IBQuery.h"
#include "platform/fb/IBStoredProc.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Stream.h"

class QTimer;

namespace device_link {
class TDevice;
class TDeviceManager;
struct TDeviceSettings;
} // namespace device_link

namespace storage {

// ---------------------------------------------------------------------------
// The application settings record: 32 bytes kept unchanged in CONFIG.COMMON.
// Integers are little-endian, flags 0 or 1; the record is read and written byte by
// byte. The reserved bytes have no reader and are carried through as they were.
struct TCommonSettings {
    static constexpr std::size_t kSize = 32;
    using TBytes = std::array<std::uint8_t, kSize>;
    // clang-format off
                                                    // offset
    // clang-format on
    std::uint8_t MainMaximized = 0; // 0
    // Double-click on the unit list: 0 Edit, 1 View, 2 View & Connect, 3 Connect/Disconnect.
    std::uint8_t ListDblClickAction = 0;      // 1
    std::uint8_t ConnectAllOnStart = 0;       // 2
    std::uint8_t AlwaysOnTop = 0;             // 3
    std::uint8_t BackupOnExit = 0;            // 4
    std::uint8_t OptimizeOnExit = 0;          // 5 (acts only with BackupOnExit)
    std::array<std::uint8_t, 2> Reserved6{};  // 6
    std::int32_t MapZoom = 0;                 // 8, percent
    std::int32_t MapScrollX = 0;              // 12
    std::int32_t MapScrollY = 0;              // 16
    std::uint8_t MapOpenOnStart = 0;          // 20
    std::uint8_t MapGray = 0;                 // 21
    std::uint8_t MapShowDeviceList = 0;       // 22
    std::uint8_t MapAutoFix = 0;              // 23
    std::uint8_t MapDblClickAction = 0;       // 24: 0 View, 1 Connect/Disconnect
    std::uint8_t LogSystemEvents = 0;         // 25 (acts only with LogEnabled)
    std::uint8_t LogEnabled = 0;              // 26
    std::uint8_t LogExpireDays = 0;           // 27, days (1 to 30)
    std::uint8_t LogExpireAlert = 0;          // 28
    std::array<std::uint8_t, 3> Reserved29{}; // 29

    TBytes ToBytes() const;
    // Reads the stored form (kSize bytes).
    static TCommonSettings FromBytes(const std::uint8_t* bytes);

    friend bool operator==(const TCommonSettings&, const TCommonSettings&) = default;
};

// ---------------------------------------------------------------------------
// What the data module needs of the main window, which owns it. The shell
// implements it; tests fill it in.
class IMainFormServices {
public:
    virtual ~IMainFormServices() = default;
    // The program file; the database lies in its folder.
    virtual std::string GetProgramFilePath() const = 0;
    // The settings record in use (the log writer reads LogEnabled and LogSystemEvents,
    // the maintenance LogExpireDays, BackupOnExit and OptimizeOnExit).
    virtual TCommonSettings& GetCommonSettings() = 0;
    // The unit manager the log writer looks units up in; null before it exists.
    virtual device_link::TDeviceManager* GetDeviceManager() = 0;
};

// The splash window's status line: shows the text at once, processes the pending
// application messages, then sleeps pauseMs (0 for none). Never fails.
class ISplashStatus {
public:
    virtual ~ISplashStatus() = default;
    virtual void SetStatus(const std::string& text, int pauseMs) = 0;
};

// ---------------------------------------------------------------------------
// The log filter of a unit: a switch of its settings record (offset 6 to 34 of the
// stored record) that stops logging of a set of event codes when it is 0.
struct TLogFilterRow {
    int Byte;                                                    // the switch's offset in the record
    std::uint8_t (*Switch)(const device_link::TDeviceSettings&); // the field at that offset
    std::span<const std::int32_t> Codes;                         // empty with AllCodes
    bool AllCodes;                                               // the row gates every code of the unit
};
// The rows in the order the writer tests them (byte 6 first, byte 34 last).
std::span<const TLogFilterRow> LogFilterTable();
// Codes that are never written.
std::span<const std::int32_t> NeverLoggedCodes();

// True when value occurs in table (an empty table gives False).
bool InList(std::int32_t value, std::span<const std::int32_t> table);

// ---------------------------------------------------------------------------
class TDM : public rtl::TComponent {
public:
    // Opens the database in the program folder and checks its version; with the
    // expected version it also opens the unit rows. Engine failures (a missing or
    // broken file) raise fb::EIBError. The new module is the global DM.
    TDM(rtl::TComponent* owner, IMainFormServices& mainForm);
    // Closes the unit rows, then the connection (which commits what waits).
    ~TDM() override;

    // --- components
    fb::TIBDatabase IBDatabase;
    fb::TIBTransaction IBTransaction;
    fb::TIBQuery IBQ_DEVICES_;
    fb::TIBUpdateSQL IBU_DEVICES_;
    fb::TIBQuery IBQ_CONFIG_;
    fb::TIBUpdateSQL IBU_CONFIG_;
    fb::TIBStoredProc getDBVersion;
    fb::TIBStoredProc addToLog;
    fb::TIBStoredProc getAlias; // declared; nothing runs it
    fb::TIBQuery IBQ_LOG_;      // "select * from get_log"; the log window sets its text
    db::TDataSource DS_LOG_;
    fb::TIBStoredProc getOutdatedLog;
    fb::TIBStoredProc emptyLog; // run directly by the shell's "Clear Entire Log?"
    fb::TIBStoredProc clearOutdatedLog;

    // True when the database reported version 1.
    bool DBVersionOk = false;

    // The splash window that shows the progress of Backup and Restore (null: none).
    ISplashStatus* Splash = nullptr;
    // Milliseconds of a steady clock; tests replace it.
    std::function<std::int64_t()> Clock;
    // The longest a written log record stays uncommitted.
    int LogCommitDelayMs = 1000;
    // The engine keeps about 30 bytes for every record written under one retained
    // transaction until that transaction really ends; so after this many log records
    // the log commit ends it and starts a new one (when no data set is being edited).
    int LogRecordsPerTransaction = 50000;

    // --- stored records
    // Commit retaining of IBTransaction; AfterPost of IBQ_DEVICES_ and IBQ_CONFIG_.
    void GlobalAfterPostAndDelete(db::TDataSet* dataSet);
    // Writes the defaults into the named fields (reserved bytes untouched).
    void CommonDefaults(TCommonSettings& common);
    // Fills common from CONFIG.COMMON; a stored record of any size other than 32
    // bytes is replaced by the defaults, stored at once.
    void LoadCommon(TCommonSettings& common);
    void SaveCommon(const TCommonSettings& common);
    // The decompressed map picture into dest (rewound; empty when none is stored).
    void LoadMap(rtl::TStream& dest);
    // Stores the compressed picture (all of source, possibly empty) and logs leMapStored.
    void SaveMap(rtl::TStream& source);
    // Appends the unit's row, stores its new ID into the unit's Id and logs leDeviceAdded.
    void AddDevice(device_link::TDevice& device);
    // Rewrites the unit's row; nothing when there is none.
    void UpdateDevice(device_link::TDevice& device);

    // --- event log
    // Writes at most one record of event code for unit id (0: a system event) with
    // the whole payload stream, after the global switches and the unit's filter.
    void AddToLog(std::int32_t id, std::int32_t code, rtl::TStream& data);
    // bytes[0] to bytes[high] as the payload.
    void AddToLogBytes(std::int32_t id, std::int32_t code, const std::uint8_t* bytes, int high);
    void AddToLogStr(std::int32_t id, std::int32_t code, const std::string& text);
    // Commits now when log records are waiting (the timer calls it, and a write that
    // finds a waiting record older than LogCommitDelayMs).
    void CommitPendingLog();
    // Whether written log records wait for their commit.
    bool HasPendingLog() const { return pendingSinceMs_ >= 0; }
    // OnCalcFields of IBQ_LOG_: CODES, DATAS and DTS of the current row.
    void IBQ_LOG_CalcFields(db::TDataSet* dataSet);

    // --- maintenance
    // The number of records older than LogExpireDays days; date := the reference date
    // (records with DT up to date - LogExpireDays are the outdated ones).
    int GetOutdatedLog(double& date);
    // Removes those records.
    void ClearOutdatedLog();
    // Backs the database up into its name + "_" through the services manager, showing
    // caption and progress dots on the splash. The backup is written beside the old one
    // and takes its place only when complete. Raises EDatabaseError when it fails (the
    // service could not start or reported an error, also one it went on after); the
    // old backup is then kept.
    void Backup(fb::TIBDatabase& database, const std::string& caption);
    // Rebuilds the database from name + "_" (replacing it), as Backup.
    void Restore(fb::TIBDatabase& database, const std::string& caption);
    // The exit steps, after the settings were saved, the end was logged and the splash
    // shows "Clean Database": closes the connection, then backs up when BackupOnExit is
    // 1 and, when OptimizeOnExit is also 1, the backup succeeded and the connection
    // closed, rebuilds. A failing step does not stop the others; the failures raise
    // together at the end (EDatabaseError, a line each). Nothing runs for a rejected
    // version.
    void ExitMaintenance();

    // Polls isRunning until it answers False, adding a progress dot to caption on the
    // splash each time more than 500 ms passed since the last one (the first counted
    // from sinceMs of Clock), up to 40.
    void ShowServiceProgress(const std::string& caption, std::int64_t sinceMs,
                             const std::function<bool()>& isRunning);

private:
    void DataModuleCreate();
    void DataModuleDestroy();
    void SetupComponents();
    void SetupLogQuery();
    std::string ReadConfigBlob(const char* column);
    void WriteConfigBlob(const char* column, const std::string& bytes);
    // Replaces the blob of the CONFIG row with all of source.
    void StoreConfigBlob(const char* column, rtl::TStream& source);
    bool PassesUnitFilter(std::int32_t id, std::int32_t code);
    // The one way into the log for the three entry points: the switches, the filters,
    // then the record with the payload bytes as they are.
    void WriteLog(std::int32_t id, std::int32_t code, std::string_view payload);
    void LogWritten();
    std::int64_t NowMs() const;
    void ShowStatus(const std::string& text, int pauseMs);
    template <typename Service>
    void RunService(Service& service, const std::string& caption);

    IMainFormServices& mainForm_;
    // A unit's log filter, worked out for each item code from its settings record of
    // that stamp.
    struct TUnitFilter {
        std::uint64_t Stamp = 0;
        std::bitset<256> ItemPasses;
        bool OthersPass = false; // the unit's system events (leDeviceStatus, leDeviceAction)
    };
    std::unordered_map<std::int32_t, TUnitFilter> unitFilters_;
    std::int64_t pendingSinceMs_ = -1; // when the oldest uncommitted log record was written
    int logRecordsInTransaction_ = 0;  // log records written since the transaction started
    bool CanRenewTransaction() const;
    void RenewTransaction();
    std::unique_ptr<QTimer> logCommitTimer_;
};

// The data module while it exists.
extern TDM* DM;

// The names of the database and service account.
inline constexpr const char* kDatabaseFileName = "kv7200.FDB";
inline constexpr const char* kDatabaseUser = "sysdba";
inline constexpr const char* kDatabasePassword = "quillbarn";

} // namespace storage
