// The event log writer with its filters and the commit bound of its records, and the
// texts of the log view.
#include "storage/DModule.h"

#include <QTimer>

#include <algorithm>

#include "device_link/Device.h"
#include "device_link/DeviceManager.h"
#include "platform/db/Field.h"
#include "platform/rtl/SysUtils.h"
#include "storage/LogEvents.h"
#include "storage/LogTexts.h"

namespace storage {

namespace {

// Code sets of the unit filter bytes.
constexpr std::int32_t kNegotiation[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 24, 27, 32, 53};
constexpr std::int32_t kPI[] = {36};
constexpr std::int32_t kTP[] = {37};
constexpr std::int32_t kPTY[] = {38};
constexpr std::int32_t kGroup0[] = {54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64};
constexpr std::int32_t kGroup1[] = {67, 68, 69, 70, 71, 72, 73, 74, 75};
constexpr std::int32_t kGroup2[] = {78, 79, 80};
constexpr std::int32_t kGroup3[] = {83, 84, 85};
constexpr std::int32_t kGroup4[] = {88, 89, 90};
constexpr std::int32_t kGroup5[] = {92, 93, 94};
constexpr std::int32_t kGroup6[] = {97, 98, 99};
constexpr std::int32_t kGroup7[] = {102, 103, 104, 105};
constexpr std::int32_t kGroup8[] = {108, 109, 110, 111, 112, 113, 114, 115};
constexpr std::int32_t kGroup9[] = {118, 119, 120};
constexpr std::int32_t kGroup10[] = {123, 124};
constexpr std::int32_t kGroup11[] = {127, 128, 129};
constexpr std::int32_t kGroup12[] = {132, 133, 134};
constexpr std::int32_t kGroup13[] = {137, 138, 139, 140, 141};
constexpr std::int32_t kGroup14[] = {144, 145, 146, 147, 148, 149, 150, 151, 152,
                                     153, 154, 155, 156, 157, 158, 159, 160, 161};
constexpr std::int32_t kGroup15[] = {164, 165, 166, 167, 168, 169, 170};
constexpr std::int32_t kFreq[] = {39};
constexpr std::int32_t kSource[] = {40};
constexpr std::int32_t kRDSMode[] = {35};
constexpr std::int32_t kStereo[] = {43};
constexpr std::int32_t kRDSLock[] = {30};
constexpr std::int32_t kRFLevel[] = {42};
constexpr std::int32_t kMPXLevel[] = {41};
constexpr std::int32_t kBandScan[] = {20, 21, 22};
constexpr std::int32_t kNeverLogged[] = {0};

using device_link::TDeviceSettings;

// The switch of a row: a field of the record, or the byte of one RDS group.
template <std::uint8_t TDeviceSettings::*Field>
std::uint8_t Switch(const TDeviceSettings& s)
{
    return s.*Field;
}
template <std::size_t Group>
std::uint8_t GroupSwitch(const TDeviceSettings& s)
{
    return s.LogGroup[Group];
}

constexpr TLogFilterRow kFilterTable[] = {
    {6, Switch<&TDeviceSettings::LogUnitEnabled>, {}, true},
    {7, Switch<&TDeviceSettings::LogNegotiation>, kNegotiation, false},
    {8, Switch<&TDeviceSettings::LogPI>, kPI, false},
    {9, Switch<&TDeviceSettings::LogTP>, kTP, false},
    {10, Switch<&TDeviceSettings::LogPTY>, kPTY, false},
    {11, GroupSwitch<0>, kGroup0, false},
    {12, GroupSwitch<1>, kGroup1, false},
    {13, GroupSwitch<2>, kGroup2, false},
    {14, GroupSwitch<3>, kGroup3, false},
    {15, GroupSwitch<4>, kGroup4, false},
    {16, GroupSwitch<5>, kGroup5, false},
    {17, GroupSwitch<6>, kGroup6, false},
    {18, GroupSwitch<7>, kGroup7, false},
    {19, GroupSwitch<8>, kGroup8, false},
    {20, GroupSwitch<9>, kGroup9, false},
    {21, GroupSwitch<10>, kGroup10, false},
    {22, GroupSwitch<11>, kGroup11, false},
    {23, GroupSwitch<12>, kGroup12, false},
    {24, GroupSwitch<13>, kGroup13, false},
    {25, GroupSwitch<14>, kGroup14, false},
    {26, GroupSwitch<15>, kGroup15, false},
    {27, Switch<&TDeviceSettings::LogFreq>, kFreq, false},
    {28, Switch<&TDeviceSettings::LogSource>, kSource, false},
    {29, Switch<&TDeviceSettings::LogRDSMode>, kRDSMode, false},
    {30, Switch<&TDeviceSettings::LogStereo>, kStereo, false},
    {31, Switch<&TDeviceSettings::LogRDSLock>, kRDSLock, false},
    {32, Switch<&TDeviceSettings::LogRFLevel>, kRFLevel, false},
    {33, Switch<&TDeviceSettings::LogMPXLevel>, kMPXLevel, false},
    {34, Switch<&TDeviceSettings::LogBandScan>, kBandScan, false},
};

} // namespace

std::span<const TLogFilterRow> LogFilterTable() { return kFilterTable; }
std::span<const std::int32_t> NeverLoggedCodes() { return kNeverLogged; }

bool InList(std::int32_t value, std::span<const std::int32_t> table)
{
    return std::find(table.begin(), table.end(), value) != table.end();
}

namespace {

// Whether a unit with these settings logs code.
bool FilterPasses(const TDeviceSettings& settings, std::int32_t code)
{
    for (const TLogFilterRow& row : kFilterTable)
        if (row.Switch(settings) == 0 && (row.AllCodes || InList(code, row.Codes)))
            return false;
    return true;
}

} // namespace

bool TDM::PassesUnitFilter(std::int32_t id, std::int32_t code)
{
    device_link::TDeviceManager* manager = mainForm_.GetDeviceManager();
    device_link::TDevice* device = manager ? manager->FindById(id) : nullptr;
    if (!device)
        return false;
    // The unit's record is decoded once per change, not once per record.
    TUnitFilter& filter = unitFilters_[id];
    if (filter.Stamp != device->GetSettingsStamp()) {
        TDeviceSettings settings;
        device->GetSettings(settings);
        for (std::size_t c = 0; c < filter.ItemPasses.size(); ++c)
            filter.ItemPasses[c] = FilterPasses(settings, static_cast<std::int32_t>(c));
        filter.OthersPass = FilterPasses(settings, leFirstSystemEvent);
        filter.Stamp = device->GetSettingsStamp();
    }
    if (code >= 0 && static_cast<std::size_t>(code) < filter.ItemPasses.size())
        return filter.ItemPasses[static_cast<std::size_t>(code)];
    return filter.OthersPass;
}

void TDM::AddToLog(std::int32_t id, std::int32_t code, rtl::TStream& data)
{
    std::string payload(static_cast<std::size_t>(std::max<std::int64_t>(data.GetSize(), 0)), '\0');
    data.SetPosition(0);
    payload.resize(static_cast<std::size_t>(data.Read(payload.data(), static_cast<std::int64_t>(payload.size()))));
    WriteLog(id, code, payload);
}

void TDM::AddToLogBytes(std::int32_t id, std::int32_t code, const std::uint8_t* bytes, int high)
{
    std::string_view payload;
    if (bytes && high >= 0)
        payload = std::string_view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(high) + 1);
    WriteLog(id, code, payload);
}

void TDM::AddToLogStr(std::int32_t id, std::int32_t code, const std::string& text) { WriteLog(id, code, text); }

void TDM::WriteLog(std::int32_t id, std::int32_t code, std::string_view payload)
{
    const TCommonSettings& common = mainForm_.GetCommonSettings();
    if (common.LogEnabled == 0)
        return;
    if (common.LogSystemEvents == 0 && code >= leFirstSystemEvent)
        return;
    if (id == 0 && code < leFirstSystemEvent)
        return;
    if (InList(code, kNeverLogged))
        return;
    if (id != 0 && !PassesUnitFilter(id, code))
        return;
    if (payload.size() == 1 && payload[0] == ' ')
        return;

    addToLog.ParamByName("DEVICEID").SetAsInteger(id);
    addToLog.ParamByName("DATACODE").SetAsInteger(code);
    addToLog.ParamByName("DATA").SetAsString(std::string(payload));
    addToLog.ParamByName("DT").SetAsDouble(rtl::Now());
    addToLog.ExecProc();
    LogWritten();
}

// ---------------------------------------------------------------- commit bound
//
// Log records share the transaction of the unit rows and settings, whose posts
// commit it. Between such posts, records would stay uncommitted for hours and a crash
// would lose them; so a record is committed at the latest LogCommitDelayMs after it
// was written: a write finds older waiting records and commits, and a timer armed by
// the first waiting record commits when nothing else comes.

void TDM::LogWritten()
{
    ++logRecordsInTransaction_;
    const std::int64_t now = NowMs();
    if (pendingSinceMs_ < 0) {
        pendingSinceMs_ = now;
        logCommitTimer_->start(std::max(LogCommitDelayMs, 0));
    } else if (now - pendingSinceMs_ >= LogCommitDelayMs) {
        CommitPendingLog();
    }
}

void TDM::CommitPendingLog()
{
    if (pendingSinceMs_ < 0)
        return;
    if (IBTransaction.GetInTransaction()) {
        if (logRecordsInTransaction_ >= LogRecordsPerTransaction && CanRenewTransaction())
            RenewTransaction();
        else
            IBTransaction.CommitRetaining();
    }
    pendingSinceMs_ = -1;
    logCommitTimer_->stop();
}

// A hard commit closes every cursor: only when no row is being edited and the log
// query (which the log window browses) is closed.
bool TDM::CanRenewTransaction() const
{
    return !IBQ_LOG_.GetActive() && !IBQ_CONFIG_.GetActive()
           && (IBQ_DEVICES_.State() == db::dsInactive || IBQ_DEVICES_.State() == db::dsBrowse);
}

void TDM::RenewTransaction()
{
    const bool devicesOpen = IBQ_DEVICES_.GetActive();
    if (devicesOpen) IBQ_DEVICES_.Close();
    try {
        IBTransaction.Commit();
        IBTransaction.StartTransaction();
    } catch (...) {
        // A refused commit keeps the transaction; the unit rows must stay readable in it.
        if (devicesOpen && IBDatabase.GetConnected()) IBQ_DEVICES_.Open();
        throw;
    }
    if (devicesOpen) IBQ_DEVICES_.Open();
    logRecordsInTransaction_ = 0;
}

// ---------------------------------------------------------------- log view texts

void TDM::IBQ_LOG_CalcFields(db::TDataSet* dataSet)
{
    const std::string payload = dataSet->FieldByName("DATA")->GetAsString();
    const int code = dataSet->FieldByName("DATACODE")->GetAsInteger();
    dataSet->FieldByName("DTS")->SetAsString(LogDateText(dataSet->FieldByName("DT")->GetAsFloat()));
    dataSet->FieldByName("CODES")->SetAsString(LogCodeText(code, payload));
    dataSet->FieldByName("DATAS")->SetAsString(LogDataText(code, payload));
}

} // namespace storage
