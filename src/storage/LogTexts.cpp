#include "storage/LogTexts.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "device_link/Freq.h"
#include "storage/LogEvents.h"

namespace storage {

namespace {

// What DATAS holds for a code with a fixed name.
enum class Datas {
    Empty,   // nothing
    Payload, // the payload text
    Rule,    // computed from the payload bytes (LogDataText)
};

struct TCodeName {
    int Code;
    const char* Name;
    Datas Data;
};

// Codes with a fixed CODES text, ascending. 17, leProgram and leMapStored name themselves
// from their payload and are not here.
constexpr TCodeName kCodeNames[] = {
    {1, "Device Ping", Datas::Empty},
    {2, "Firmware Check", Datas::Empty},
    {3, "Network Settings", Datas::Empty},
    {4, "RDS Lock Alarm Settings", Datas::Empty},
    {5, "RDS Level Alarm Settings", Datas::Empty},
    {6, "RF Level Alarm Settings", Datas::Empty},
    {7, "Start Save Settings", Datas::Empty},
    {8, "Password Change", Datas::Empty},
    {9, "Main Email Settings", Datas::Empty},
    {10, "Alternative Email Settings", Datas::Empty},
    {11, "Mail Server Settings", Datas::Empty},
    {12, "Unit Name", Datas::Payload},
    {13, "Domain Settings", Datas::Empty},
    {14, "DHCP Status", Datas::Empty},
    {20, "Band Scan", Datas::Rule},
    {21, "Band Scan Premature Stop", Datas::Empty},
    {22, "Band Scan Stop", Datas::Empty},
    {30, "RDS Presence", Datas::Rule},
    {35, "RDS/RBDS", Datas::Rule},
    {36, "PI", Datas::Payload},
    {37, "TP", Datas::Payload},
    {38, "PTY", Datas::Payload},
    {39, "Frequency", Datas::Rule},
    {40, "Source Change", Datas::Rule},
    {41, "MPX Level", Datas::Rule},
    {42, "RF Level", Datas::Rule},
    {43, "Stereo Presence", Datas::Rule},
    {54, "PS", Datas::Payload},
    {55, "TA", Datas::Payload},
    {56, "MS", Datas::Payload},
    {57, "DI", Datas::Rule},
    {59, "AF Total", Datas::Payload},
    {60, "AF Method", Datas::Payload},
    {61, "AF Tune", Datas::Payload},
    {62, "AF Regional", Datas::Payload},
    {63, "AF Same", Datas::Payload},
    {64, "AF", Datas::Payload},
    {67, "Variant Code", Datas::Payload},
    {68, "PIN", Datas::Payload},
    {69, "Paging", Datas::Payload},
    {70, "Paging ID", Datas::Payload},
    {71, "Country", Datas::Payload},
    {72, "Language", Datas::Payload},
    {73, "EWS ID", Datas::Payload},
    {74, "TMC ID", Datas::Payload},
    {75, "Group 1 Reserved", Datas::Payload},
    {78, "RTA", Datas::Payload},
    {79, "RTB", Datas::Payload},
    {80, "RT A/B", Datas::Payload},
    {83, "AID", Datas::Payload},
    {84, "Message", Datas::Payload},
    {85, "Type Code", Datas::Payload},
    {88, "Date", Datas::Payload},
    {89, "Time", Datas::Payload},
    {90, "Date / Time", Datas::Rule},
    {92, "Channel Number", Datas::Payload},
    {93, "TDS1", Datas::Payload},
    {94, "TDS2", Datas::Payload},
    {97, "Group 6 Block B", Datas::Payload},
    {98, "Group 6 Block C", Datas::Payload},
    {99, "Group 6 Block D", Datas::Payload},
    {102, "Paging A/B", Datas::Payload},
    {103, "Segment Address Code", Datas::Payload},
    {104, "Paging Data 1", Datas::Payload},
    {105, "Paging Data 2", Datas::Payload},
    {108, "TMC D", Datas::Payload},
    {109, "TMC Event", Datas::Payload},
    {110, "TMC Ext", Datas::Payload},
    {111, "TMC F", Datas::Payload},
    {112, "TMC Location", Datas::Payload},
    {113, "TMC DP", Datas::Payload},
    {114, "TMC T", Datas::Payload},
    {115, "TMC Provider", Datas::Payload},
    {118, "Group 9 Block B", Datas::Payload},
    {119, "Group 9 Block C", Datas::Payload},
    {120, "Group 9 Block D", Datas::Payload},
    {123, "PTYN A/B", Datas::Payload},
    {124, "PTYN", Datas::Payload},
    {127, "Group 11 Block B", Datas::Payload},
    {128, "Group 11 Block C", Datas::Payload},
    {129, "Group 11 Block D", Datas::Payload},
    {132, "Group 12 Block B", Datas::Payload},
    {133, "Group 12 Block C", Datas::Payload},
    {134, "Group 12 Block D", Datas::Payload},
    {137, "Group 13 Address", Datas::Payload},
    {138, "Group 13 CS", Datas::Payload},
    {139, "Group 13 Interval", Datas::Payload},
    {140, "Group 13 Sorting", Datas::Payload},
    {141, "Group 13 Sub Type Code", Datas::Payload},
    {144, "EON PI", Datas::Payload},
    {145, "EON PS", Datas::Payload},
    {146, "EON PIN", Datas::Payload},
    {147, "EON PTY", Datas::Payload},
    {148, "EON TA", Datas::Payload},
    {149, "EON TP", Datas::Payload},
    {150, "EON Variant Code", Datas::Payload},
    {151, "EON AF Total", Datas::Payload},
    {152, "EON AF Method", Datas::Payload},
    {153, "EON AF Tune", Datas::Payload},
    {154, "EON AF Regional", Datas::Payload},
    {155, "EON AF Same", Datas::Payload},
    {156, "EON AF", Datas::Payload},
    {157, "EON AF TUNED 1", Datas::Payload},
    {158, "EON AF TUNED 2", Datas::Payload},
    {159, "EON AF TUNED 3", Datas::Payload},
    {160, "EON AF TUNED 4", Datas::Payload},
    {161, "EON AF TUNED AM", Datas::Payload},
    {164, "TUNING AND SWITCHING DI", Datas::Rule},
    {166, "TUNING AND SWITCHING PS", Datas::Payload},
    {167, "TUNING AND SWITCHING MS", Datas::Payload},
    {168, "TUNING AND SWITCHING PTY", Datas::Payload},
    {169, "TUNING AND SWITCHING TA", Datas::Payload},
    {170, "TUNING AND SWITCHING TP", Datas::Payload},
    {leDeviceStatus, "Device Status", Datas::Rule},
    {leDeviceAction, "Device Action", Datas::Rule},
    {leDeviceAdded, "New Device Added", Datas::Payload},
    {leDeviceRemoved, "Device Removed", Datas::Payload},
};

static_assert(std::is_sorted(std::begin(kCodeNames), std::end(kCodeNames),
                             [](const TCodeName& a, const TCodeName& b) { return a.Code < b.Code; }));

const TCodeName* FindCode(int code)
{
    const auto it = std::lower_bound(std::begin(kCodeNames), std::end(kCodeNames), code,
                                     [](const TCodeName& entry, int c) { return entry.Code < c; });
    return (it != std::end(kCodeNames) && it->Code == code) ? it : nullptr;
}

std::string Cut(std::string text, std::size_t size)
{
    if (text.size() > size) text.resize(size);
    return text;
}

// The payload's bytes, each read only after the length was checked.
class TPayload {
public:
    explicit TPayload(std::string_view bytes) : bytes_(bytes) {}
    bool Has(std::size_t count) const { return bytes_.size() >= count; }
    unsigned operator[](std::size_t index) const { return static_cast<std::uint8_t>(bytes_[index]); }
    // b[index] + 256 x b[index + 1]
    unsigned Word(std::size_t index) const { return (*this)[index] + 256u * (*this)[index + 1]; }
private:
    std::string_view bytes_;
};

// The text of byte 0 among choices[0 .. count-1]; empty for other values.
template <std::size_t N>
std::string Choice(const TPayload& b, const char* const (&choices)[N])
{
    if (!b.Has(1) || b[0] >= N || choices[b[0]] == nullptr) return {};
    return choices[b[0]];
}

// "1, STEREO, Not AH, Not Compressed, Static": the DI value, then each of its four flags.
std::string DIText(const TPayload& b)
{
    if (!b.Has(2)) return {};
    const std::uint8_t validMask = static_cast<std::uint8_t>(b[0]);
    const std::uint8_t value = static_cast<std::uint8_t>(b[1]);
    std::string text = rtl::IntToStr(value);
    for (int bit = 0; bit <= 3; ++bit) text += ", " + device_link::RdsDIText(value, validMask, bit);
    return text;
}

// The clock time as group 4A carries it: a 17-bit modified Julian day and a 17-bit
// packed hour, minute and local offset, stored shifted by one bit.
std::string ClockText(const TPayload& b)
{
    if (!b.Has(5)) return {};
    const std::uint32_t mjd = b.Word(0) + 65536u * (b[2] & 1u);
    const std::uint32_t packed = (b.Word(2) + 65536u * (b[4] & 3u)) >> 1;
    device_link::TRDSDateTime clock;
    device_link::RdsCTText(mjd, packed, clock);
    return clock.Text;
}

std::string RuleText(int code, const TPayload& b, const rtl::TFormatSettings& settings)
{
    // clang-format off
    static constexpr const char* kLevelUnit = "dB\xB5" "V";
    // clang-format on
    switch (code) {
    case 20: // band scan point: frequency in 10 kHz steps, unit level step
        if (!b.Has(3)) return {};
        return rtl::Format(settings, std::string("%3.1f MHz, %3.1f ") + kLevelUnit + " ",
                           b.Word(0) / 100.0, device_link::ADCToDBuV(b[2]));
    case 30: {
        static constexpr const char* kTexts[] = {"No", "Yes"};
        return Choice(b, kTexts);
    }
    case 35: {
        static constexpr const char* kTexts[] = {"RDS", "RBDS"};
        return Choice(b, kTexts);
    }
    case 39: // tuned frequency in 100 kHz steps
        if (!b.Has(2)) return {};
        return rtl::Format(settings, "%3.1f MHz", b.Word(0) / 10.0);
    case 40: {
        static constexpr const char* kTexts[] = {"Extrenal MPX", "Tuner"};
        return Choice(b, kTexts);
    }
    case 41:
        if (!b.Has(2)) return {};
        return rtl::Format(settings, "%3.1f kHz", b.Word(0) / 10.0);
    case 42: // level step in tenths
        if (!b.Has(1)) return {};
        return rtl::Format(settings, std::string("%3.1f ") + kLevelUnit,
                           device_link::ADCToDBuV(b[0] / 10.0));
    case 43: {
        static constexpr const char* kTexts[] = {"Mono", "Stereo"};
        return Choice(b, kTexts);
    }
    case 57:
    case 164:
        return DIText(b);
    case 90:
        return ClockText(b);
    case leDeviceStatus: { // link states the transports report; socket error and the rest stay blank
        static constexpr const char* kTexts[] = {
            "Connected", "Disconnected", nullptr, "Connection Timeout", nullptr, "Connection Refused",
            "Disconnected from Device", "Ubable to Connect", nullptr, nullptr, nullptr, nullptr,
            "Idle", "Attempt Connection"};
        return Choice(b, kTexts);
    }
    case leDeviceAction: {
        static constexpr const char* kTexts[] = {"Connect", "Disconnect"};
        return Choice(b, kTexts);
    }
    default:
        return {};
    }
}

} // namespace

std::string LogCodeText(int code, std::string_view payload)
{
    const TPayload b(payload);
    switch (code) {
    case 17: {
        static constexpr const char* kTexts[] = {"Wrong Password", "Password Accepted"};
        return Choice(b, kTexts);
    }
    case leProgram: {
        static constexpr const char* kTexts[] = {nullptr, "Program Started", "Program Terminated"};
        return Choice(b, kTexts);
    }
    case leMapStored: {
        static constexpr const char* kTexts[] = {nullptr, "New Map Loaded"};
        return Choice(b, kTexts);
    }
    default:
        break;
    }
    const TCodeName* entry = FindCode(code);
    return entry ? Cut(entry->Name, kCodesFieldSize) : std::string();
}

std::string LogDataText(int code, std::string_view payload, const rtl::TFormatSettings& settings)
{
    const TCodeName* entry = FindCode(code);
    if (entry == nullptr) return {};
    switch (entry->Data) {
    case Datas::Empty: return {};
    case Datas::Payload: return std::string(payload.substr(0, kDatasFieldSize));
    case Datas::Rule: return Cut(RuleText(code, TPayload(payload), settings), kDatasFieldSize);
    }
    return {};
}

std::string LogDateText(rtl::TDateTime dateTime, const rtl::TFormatSettings& settings)
{
    // A corrupt DT (not a number, or beyond the calendar) must not stop the log from
    // being read: its record shows without a date.
    try {
        return Cut(rtl::FormatDateTime("ddddd tt", dateTime, settings), kDtsFieldSize);
    } catch (const rtl::EConvertError&) {
        return {};
    }
}

} // namespace storage
