// The data module's connection, the settings record, the map picture and the unit rows.
#include "storage/DModule.h"

#include <QTimer>

#include <chrono>

#include "device_link/Device.h"
#include "device_link/common.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/UpdateScope.h"
#include "storage/LogEvents.h"
#include "storage/LogTexts.h"

namespace storage {

TDM* DM = nullptr;

// ---------------------------------------------------------------- settings record

namespace {

// Field by field over the stored layout, one routine for both directions so the
// offsets are written down once.
template <typename Settings, typename Bytes, typename Visit>
void Layout(Settings& s, Bytes* b, Visit visit)
{
    visit(b + 0, s.MainMaximized);
    visit(b + 1, s.ListDblClickAction);
    visit(b + 2, s.ConnectAllOnStart);
    visit(b + 3, s.AlwaysOnTop);
    visit(b + 4, s.BackupOnExit);
    visit(b + 5, s.OptimizeOnExit);
    visit(b + 6, s.Reserved6[0]);
    visit(b + 7, s.Reserved6[1]);
    visit(b + 8, s.MapZoom);
    visit(b + 12, s.MapScrollX);
    visit(b + 16, s.MapScrollY);
    visit(b + 20, s.MapOpenOnStart);
    visit(b + 21, s.MapGray);
    visit(b + 22, s.MapShowDeviceList);
    visit(b + 23, s.MapAutoFix);
    visit(b + 24, s.MapDblClickAction);
    visit(b + 25, s.LogSystemEvents);
    visit(b + 26, s.LogEnabled);
    visit(b + 27, s.LogExpireDays);
    visit(b + 28, s.LogExpireAlert);
    for (std::size_t i = 0; i < s.Reserved29.size(); ++i) visit(b + 29 + i, s.Reserved29[i]);
}

using Writer = rtl::LittleEndianWriter;
using Reader = rtl::LittleEndianReader;

// The folder part of a file path, with its trailing '/'.
std::string ExtractFilePath(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Closes a query on every way out.
class TCloseOnExit {
public:
    explicit TCloseOnExit(db::TDataSet& dataSet) : dataSet_(dataSet) {}
    ~TCloseOnExit()
    {
        try {
            dataSet_.Close();
        } catch (...) {
            // Closing a fetched query does not fail; nothing to report from here.
        }
    }
    TCloseOnExit(const TCloseOnExit&) = delete;
    TCloseOnExit& operator=(const TCloseOnExit&) = delete;

private:
    db::TDataSet& dataSet_;
};

// An edit of a row (Edit) or a new row (Append) that Post posts; on every other way
// out, a failed post included, it is cancelled, so that the query is not left in edit
// state to fail again on its next move.
class TEditScope {
public:
    // clang-format off
    enum TStart { Edit, Append };
    // clang-format on
    TEditScope(db::TDataSet& dataSet, TStart start) : dataSet_(dataSet)
    {
        if (start == Append) dataSet_.Append();
        else dataSet_.Edit();
    }
    ~TEditScope() noexcept(false)
    {
        rtl::CloseScope(uncaught_, [this] {
            if (db::IsEditState(dataSet_.State()))
                dataSet_.Cancel();
        });
    }
    TEditScope(const TEditScope&) = delete;
    TEditScope& operator=(const TEditScope&) = delete;

    void Post() { dataSet_.Post(); }

private:
    db::TDataSet& dataSet_;
    int uncaught_ = std::uncaught_exceptions();
};

// IP1 to IP4, octet 0 the most significant.
void SetIPColumns(db::TDataSet& q, const std::array<std::uint8_t, 4>& ip)
{
    static constexpr const char* kColumns[] = {"IP1", "IP2", "IP3", "IP4"};
    for (std::size_t i = 0; i < ip.size(); ++i) q.FieldByName(kColumns[i])->SetAsInteger(ip[i]);
}

db::TBlobField& BlobField(db::TDataSet& dataSet, const char* name)
{
    db::TField* field = dataSet.FieldByName(name);
    auto* blob = dynamic_cast<db::TBlobField*>(field);
    if (!blob)
        throw rtl::EDatabaseError(std::string("Field '") + name + "' is not a blob");
    return *blob;
}

// The four statements of an update object over a table's columns: each keyword and
// column on a line of its own.
void SetUpdateStatements(fb::TIBUpdateSQL& update, const std::string& table, std::initializer_list<const char*> columns)
{
    std::string list, selected, assignments, values;
    std::size_t k = 0;
    for (const char* c : columns) {
        const bool first = k++ == 0;
        const bool last = k == columns.size();
        list += std::string(first ? "  (" : "   ") + c + (last ? ")" : ",\n");
        values += std::string(first ? "  (:" : "   :") + c + (last ? ")" : ",\n");
        selected += std::string("  ") + c + (last ? "\n" : ",\n");
        assignments += std::string("  ") + c + " = :" + c + (last ? "\n" : ",\n");
    }
    update.RefreshSQL = "Select\n" + selected + "from " + table + "\nwhere\n  ID = :ID";
    update.ModifySQL = "update " + table + "\nset\n" + assignments + "where\n  ID = :OLD_ID";
    update.InsertSQL = "insert into " + table + "\n" + list + "\nvalues\n" + values;
    update.DeleteSQL = "delete from " + table + "\nwhere\n  ID = :OLD_ID";
}

} // namespace

TCommonSettings::TBytes TCommonSettings::ToBytes() const
{
    TBytes bytes{};
    Layout(*this, bytes.data(), Writer{});
    return bytes;
}

TCommonSettings TCommonSettings::FromBytes(const std::uint8_t* bytes)
{
    TCommonSettings s;
    Layout(s, bytes, Reader{});
    return s;
}

// ---------------------------------------------------------------- creation

TDM::TDM(rtl::TComponent* owner, IMainFormServices& mainForm)
    : rtl::TComponent(owner), mainForm_(mainForm), logCommitTimer_(std::make_unique<QTimer>())
{
    Clock = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    logCommitTimer_->setSingleShot(true);
    QObject::connect(logCommitTimer_.get(), &QTimer::timeout, [this] {
        try {
            CommitPendingLog();
        } catch (const std::exception&) {
            // The records keep waiting: the next tick tries again, and the next write
            // reports a failure that lasts.
            logCommitTimer_->start(std::max(LogCommitDelayMs, 0));
        }
    });
    SetupComponents();
    DataModuleCreate();
    DM = this;
}

TDM::~TDM()
{
    if (DM == this)
        DM = nullptr;
    try {
        DataModuleDestroy();
    } catch (const std::exception&) {
        // The engine ends the attachment with the process; nothing to report to.
    }
}

void TDM::SetupComponents()
{
    IBDatabase.Params = {std::string("user_name=") + kDatabaseUser, std::string("password=") + kDatabasePassword};
    IBDatabase.LoginPrompt = false;
    IBDatabase.SQLDialect = 3;
    IBDatabase.SetDefaultTransaction(&IBTransaction);
    IBTransaction.Params = {"read_committed", "rec_version", "nowait"};
    IBTransaction.DefaultAction = fb::TTransactionAction::TACommitRetaining;

    const auto afterPost = db::TDataSetNotifyEvent(this, &TDM::GlobalAfterPostAndDelete);

    SetUpdateStatements(IBU_DEVICES_, "DEVICES",
                        {"ID", "IP1", "IP2", "IP3", "IP4", "PORT", "SERIAL", "DEVICETYPE", "USERID", "PASS",
                         "USBSERIAL", "COMPORT", "ALIAS", "CONFIG", "POS", "MAPX", "MAPY", "MAPLOCK"});
    IBQ_DEVICES_.SetName("IBQ_DEVICES_");
    IBQ_DEVICES_.SetDatabase(&IBDatabase);
    IBQ_DEVICES_.SetTransaction(&IBTransaction);
    IBQ_DEVICES_.SetSQL("select * from DEVICES\norder by pos");
    IBQ_DEVICES_.SetUpdateObject(&IBU_DEVICES_);
    IBQ_DEVICES_.GeneratorField = {"ID", "GEN_DEVICES_ID"};
    IBQ_DEVICES_.AfterPost = afterPost;

    SetUpdateStatements(IBU_CONFIG_, "CONFIG", {"ID", "DBVERSION", "COMMON", "MAP"});
    IBQ_CONFIG_.SetName("IBQ_CONFIG_");
    IBQ_CONFIG_.SetDatabase(&IBDatabase);
    IBQ_CONFIG_.SetTransaction(&IBTransaction);
    IBQ_CONFIG_.SetSQL("select * from config");
    IBQ_CONFIG_.SetUpdateObject(&IBU_CONFIG_);
    IBQ_CONFIG_.AfterPost = afterPost;

    const std::pair<fb::TIBStoredProc*, const char*> procedures[] = {
        // clang-format off
        {&getDBVersion, "GET_DB_VERSION"}, {&addToLog, "ADD_TO_LOG"}, {&getAlias, "GET_ALIAS"},
        {&getOutdatedLog, "GET_OUTDATED_LOG"}, {&emptyLog, "EMPTY_LOG"}, {&clearOutdatedLog, "CLEAR_OUTDATED_LOG"},
        // clang-format on
    };
    for (const auto& [procedure, name] : procedures) {
        procedure->SetDatabase(&IBDatabase);
        procedure->SetTransaction(&IBTransaction);
        procedure->SetStoredProcName(name);
    }

    SetupLogQuery();
    DS_LOG_.SetName("DS_LOG_");
    DS_LOG_.SetDataSet(&IBQ_LOG_);
}

void TDM::SetupLogQuery()
{
    IBQ_LOG_.SetName("IBQ_LOG_");
    IBQ_LOG_.SetDatabase(&IBDatabase);
    IBQ_LOG_.SetTransaction(&IBTransaction);
    IBQ_LOG_.SetSQL("select * from get_log");
    IBQ_LOG_.AddField<db::TBlobField>("DATA");
    IBQ_LOG_.AddField<db::TIntegerField>("DATACODE");
    IBQ_LOG_.AddField<db::TStringField>("ALIAS", db::fkData, 50);
    IBQ_LOG_.AddField<db::TFloatField>("DT");
    IBQ_LOG_.AddField<db::TIntegerField>("ID");
    IBQ_LOG_.AddField<db::TIntegerField>("DEVICEID");
    IBQ_LOG_.AddField<db::TStringField>("CODES", db::fkCalculated, static_cast<int>(kCodesFieldSize));
    IBQ_LOG_.AddField<db::TStringField>("DATAS", db::fkCalculated, static_cast<int>(kDatasFieldSize));
    IBQ_LOG_.AddField<db::TStringField>("DTS", db::fkCalculated, static_cast<int>(kDtsFieldSize));
    IBQ_LOG_.OnCalcFields = db::TDataSetNotifyEvent(this, &TDM::IBQ_LOG_CalcFields);
}

void TDM::DataModuleCreate()
{
    IBDatabase.DatabaseName = ExtractFilePath(mainForm_.GetProgramFilePath()) + kDatabaseFileName;
    IBDatabase.Open();
    getDBVersion.ExecProc();
    DBVersionOk = getDBVersion.ParamByName("DBVER").GetAsInteger() == 1;
    // A database of another version may not hold the unit rows this program reads.
    if (DBVersionOk)
        IBQ_DEVICES_.Open();
}

void TDM::DataModuleDestroy()
{
    logCommitTimer_->stop();
    IBQ_DEVICES_.Close();
    // Queries left open by their users go with the connection.
    IBQ_CONFIG_.Close();
    IBQ_LOG_.Close();
    // Ends the transaction with its default action: the waiting log records are committed.
    IBDatabase.Close();
    pendingSinceMs_ = -1;
}

std::int64_t TDM::NowMs() const { return Clock(); }

void TDM::GlobalAfterPostAndDelete(db::TDataSet*)
{
    IBTransaction.CommitRetaining();
    pendingSinceMs_ = -1;
    logCommitTimer_->stop();
}

// ---------------------------------------------------------------- settings and map

void TDM::CommonDefaults(TCommonSettings& common)
{
    common.MainMaximized = 0;
    common.ListDblClickAction = 2;
    common.ConnectAllOnStart = 1;
    common.AlwaysOnTop = 0;
    common.BackupOnExit = 1;
    common.OptimizeOnExit = 0;
    common.MapZoom = 100;
    common.MapScrollX = 0;
    common.MapScrollY = 0;
    common.MapOpenOnStart = 1;
    common.MapGray = 0;
    common.MapShowDeviceList = 1;
    common.MapAutoFix = 0;
    common.MapDblClickAction = 0;
    common.LogSystemEvents = 1;
    common.LogEnabled = 0;
    common.LogExpireDays = 30;
    common.LogExpireAlert = 0;
}

std::string TDM::ReadConfigBlob(const char* column)
{
    TCloseOnExit closer(IBQ_CONFIG_);
    IBQ_CONFIG_.Open();
    IBQ_CONFIG_.First();
    rtl::TMemoryStream stream;
    BlobField(IBQ_CONFIG_, column).SaveToStream(stream);
    return stream.ToString();
}

void TDM::WriteConfigBlob(const char* column, const std::string& bytes)
{
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    StoreConfigBlob(column, stream);
}

void TDM::StoreConfigBlob(const char* column, rtl::TStream& source)
{
    TCloseOnExit closer(IBQ_CONFIG_);
    IBQ_CONFIG_.Open();
    IBQ_CONFIG_.First();
    TEditScope edit(IBQ_CONFIG_, TEditScope::Edit);
    BlobField(IBQ_CONFIG_, column).LoadFromStream(source);
    edit.Post();
}

void TDM::LoadCommon(TCommonSettings& common)
{
    std::string stored = ReadConfigBlob("COMMON");
    if (stored.size() != TCommonSettings::kSize) {
        TCommonSettings defaults;
        CommonDefaults(defaults);
        const auto bytes = defaults.ToBytes();
        stored.assign(bytes.begin(), bytes.end());
        WriteConfigBlob("COMMON", stored);
    }
    common = TCommonSettings::FromBytes(reinterpret_cast<const std::uint8_t*>(stored.data()));
}

void TDM::SaveCommon(const TCommonSettings& common)
{
    const auto bytes = common.ToBytes();
    WriteConfigBlob("COMMON", std::string(bytes.begin(), bytes.end()));
}

void TDM::LoadMap(rtl::TStream& dest)
{
    rtl::TMemoryStream packed;
    const std::string stored = ReadConfigBlob("MAP");
    packed.WriteBuffer(stored.data(), static_cast<std::int64_t>(stored.size()));
    packed.SetPosition(0);
    dest.SetPosition(0);
    device_link::DecompressStream(packed, dest);
}

void TDM::SaveMap(rtl::TStream& source)
{
    StoreConfigBlob("MAP", source);
    const std::uint8_t loaded = 1;
    AddToLogBytes(0, leMapStored, &loaded, 0);
}

// ---------------------------------------------------------------- unit rows

void TDM::AddDevice(device_link::TDevice& device)
{
    db::TDataSet& q = IBQ_DEVICES_;
    {
        TEditScope edit(q, TEditScope::Append);
        q.FieldByName("DEVICETYPE")->SetAsInteger(device.Kind);
        q.FieldByName("POS")->SetAsInteger(-1);
        q.FieldByName("MAPX")->SetAsInteger(10);
        q.FieldByName("MAPY")->SetAsInteger(10);
        q.FieldByName("MAPLOCK")->SetAsInteger(0);
        switch (device.Kind) {
        case device_link::dkUSB:
        case device_link::dkCOM:
            SetIPColumns(q, {0, 0, 0, 0});
            q.FieldByName("PORT")->SetAsInteger(0);
            if (!device.Serial.empty())
                q.FieldByName("SERIAL")->SetAsString(device.Serial);
            q.FieldByName("ALIAS")->SetAsString(device.Alias);
            q.FieldByName("PASS")->SetAsString(device.GetPassword());
            if (device.Kind == device_link::dkUSB)
                q.FieldByName("USBSERIAL")->SetAsString(device.UsbSerial);
            else
                q.FieldByName("COMPORT")->SetAsString(device.ComPort);
            break;
        case device_link::dkTCP:
            SetIPColumns(q, device.IP);
            if (!device.Serial.empty())
                q.FieldByName("SERIAL")->SetAsString(device.Serial);
            q.FieldByName("ALIAS")->SetAsString(device.Alias);
            q.FieldByName("USERID")->SetAsString(device.UserId);
            q.FieldByName("PASS")->SetAsString(device.GetPassword());
            break;
        default:
            break;
        }
        edit.Post();
    }
    device.Id = q.FieldByName("ID")->GetAsInteger();
    AddToLogStr(0, leDeviceAdded, device.Alias + ":" + device.GetAddressText());
}

void TDM::UpdateDevice(device_link::TDevice& device)
{
    db::TDataSet& q = IBQ_DEVICES_;
    if (!q.Locate("ID", rtl::Variant(device.Id)))
        return;
    TEditScope edit(q, TEditScope::Edit);
    if (device.Kind == device_link::dkTCP)
        SetIPColumns(q, device.IP);
    if (!device.Serial.empty())
        q.FieldByName("SERIAL")->SetAsString(device.Serial);
    q.FieldByName("ALIAS")->SetAsString(device.Alias);
    if (device.Kind == device_link::dkTCP)
        q.FieldByName("USERID")->SetAsString(device.UserId);
    q.FieldByName("PASS")->SetAsString(device.GetPassword());
    rtl::TMemoryStream& settings = device.GetSettingsStream();
    settings.SetPosition(0);
    BlobField(q, "CONFIG").LoadFromStream(settings);
    q.FieldByName("POS")->SetAsInteger(device.Pos);
    q.FieldByName("MAPX")->SetAsInteger(device.MapX);
    q.FieldByName("MAPY")->SetAsInteger(device.MapY);
    q.FieldByName("MAPLOCK")->SetAsInteger(device.MapLock);
    edit.Post();
}

} // namespace storage
