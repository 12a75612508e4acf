#include "storage/LogTexts.h"

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device_link/Freq.h"
#include "platform/rtl/SysUtils.h"

using storage::LogCodeText;
using storage::LogDataText;
using storage::LogDateText;

namespace {

// Payload bytes in a heap block of exactly their size, so that a read past the end
// shows up under the address sanitizer.
class Payload {
public:
    Payload(std::initializer_list<int> bytes) : Payload(std::vector<int>(bytes)) {}
    explicit Payload(const std::vector<int>& bytes) : size_(bytes.size()), data_(new char[bytes.size()])
    {
        for (std::size_t i = 0; i < size_; ++i) data_[i] = static_cast<char>(bytes[i]);
    }
    explicit Payload(const std::string& text) : size_(text.size()), data_(new char[text.size()])
    {
        text.copy(data_.get(), size_);
    }
    operator std::string_view() const { return {data_.get(), size_}; }
private:
    std::size_t size_;
    std::unique_ptr<char[]> data_;
};

const std::string kDBuV = "dB\xB5V";

// Codes without a name, however the payload looks.
bool Unnamed(int code)
{
    // clang-format off
    static const std::set<int> kListed = {0,  15, 16, 18, 19, 23,  24,  25,  26,  27,  28,  29,  31,  32,
                                          33, 34, 58, 65, 66, 76,  77,  81,  82,  86,  87,  91,  95,  96,
                                          100, 101, 106, 107, 116, 117, 121, 122, 125, 126, 130, 131, 135, 136,
                                          142, 143, 162, 163, 165};
    // clang-format on
    return kListed.count(code) || (code >= 44 && code <= 53) || (code >= 171 && code <= 999) || code > 1005
           || code < 0;
}

// Codes whose DATAS is the payload text unchanged.
const std::set<int>& PayloadTextCodes()
{
    static const std::set<int> codes = [] {
        std::set<int> c = {12, 36, 37, 38, 54, 55, 56, 78, 79, 80, 83, 84, 85, 88, 89, 92, 93, 94, 97, 98, 99,
                           118, 119, 120, 123, 124, 127, 128, 129, 132, 133, 134, 1004, 1005};
        for (int code = 59; code <= 64; ++code) c.insert(code);
        for (int code = 67; code <= 75; ++code) c.insert(code);
        for (int code = 102; code <= 105; ++code) c.insert(code);
        for (int code = 108; code <= 115; ++code) c.insert(code);
        for (int code = 137; code <= 141; ++code) c.insert(code);
        for (int code = 144; code <= 161; ++code) c.insert(code);
        for (int code = 166; code <= 170; ++code) c.insert(code);
        return c;
    }();
    return codes;
}

// Codes named but whose payload is never shown.
const std::set<int> kNoDataCodes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 17, 21, 22, 1000, 1001};

} // namespace

TEST(LogTexts, EveryCodeIsNamedOrBlankAsListed)
{
    const rtl::TScopedFormatSettings invariant('.', ',');
    const Payload one{1};
    const Payload text(std::string("AB"));
    for (int code = -2; code <= 1100; ++code) {
        EXPECT_EQ(LogCodeText(code, one).empty(), Unnamed(code)) << code;
        const std::string datas = LogDataText(code, text);
        if (PayloadTextCodes().count(code))
            EXPECT_EQ(datas, "AB") << code;
        else
            EXPECT_NE(datas, "AB") << code;
        if (Unnamed(code) || kNoDataCodes.count(code)) {
            EXPECT_EQ(LogDataText(code, one), "") << code;
            EXPECT_EQ(datas, "") << code;
        }
    }
}

TEST(LogTexts, FixedNames)
{
    const Payload none{};
    // clang-format off
    const std::vector<std::pair<int, std::string>> names = {
        {1, "Device Ping"},           {10, "Alternative Email Settings"},
        {12, "Unit Name"},            {20, "Band Scan"},
        {21, "Band Scan Premature Stop"}, {35, "RDS/RBDS"},
        {39, "Frequency"},            {40, "Source Change"},
        {57, "DI"},                   {80, "RT A/B"},
        {90, "Date / Time"},          {141, "Group 13 Sub Type Code"},
        {161, "EON AF TUNED AM"},     {164, "TUNING AND SWITCHING DI"},
        {170, "TUNING AND SWITCHING TP"}, {1002, "Device Status"},
        {1003, "Device Action"},      {1004, "New Device Added"},
        {1005, "Device Removed"}};
    // clang-format on
    // The name does not depend on the payload, not even on an empty one.
    for (const auto& [code, name] : names) {
        EXPECT_EQ(LogCodeText(code, none), name) << code;
        EXPECT_EQ(LogCodeText(code, Payload{0xFF, 0xFF}), name) << code;
    }
}

TEST(LogTexts, NamesTakenFromThePayload)
{
    EXPECT_EQ(LogCodeText(17, Payload{0}), "Wrong Password");
    EXPECT_EQ(LogCodeText(17, Payload{1}), "Password Accepted");
    EXPECT_EQ(LogCodeText(17, Payload{5}), "");
    EXPECT_EQ(LogCodeText(1000, Payload{1}), "Program Started");
    EXPECT_EQ(LogCodeText(1000, Payload{2}), "Program Terminated");
    EXPECT_EQ(LogCodeText(1000, Payload{0}), "");
    EXPECT_EQ(LogCodeText(1000, Payload{3}), "");
    EXPECT_EQ(LogCodeText(1001, Payload{1}), "New Map Loaded");
    EXPECT_EQ(LogCodeText(1001, Payload{0}), "");
    EXPECT_EQ(LogCodeText(1001, Payload{2}), "");
    for (int code : {17, 1000, 1001}) {
        EXPECT_EQ(LogCodeText(code, Payload{}), "") << code;
        EXPECT_EQ(LogDataText(code, Payload{1}), "") << code;
    }
}

TEST(LogTexts, ChoicesOfOneByte)
{
    struct Case {
        int code;
        std::vector<std::string> texts; // by b0 from 0; later values give ""
    };
    const std::vector<Case> cases = {
        // clang-format off
        {30, {"No", "Yes"}},
        {35, {"RDS", "RBDS"}},
        {40, {"Extrenal MPX", "Tuner"}},
        {43, {"Mono", "Stereo"}},
        {1003, {"Connect", "Disconnect"}},
        {1002, {"Connected", "Disconnected", "", "Connection Timeout", "", "Connection Refused",
                "Disconnected from Device", "Ubable to Connect", "", "", "", "", "Idle", "Attempt Connection"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        for (int b0 = 0; b0 < 256; ++b0) {
            const std::string expected = b0 < static_cast<int>(c.texts.size()) ? c.texts[b0] : "";
            EXPECT_EQ(LogDataText(c.code, Payload{b0}), expected) << c.code << " " << b0;
        }
        // Bytes after the first do not count.
        EXPECT_EQ(LogDataText(c.code, Payload{1, 0x55}), c.texts[1]) << c.code;
    }
    // Socket error: a status without text.
    EXPECT_EQ(LogCodeText(1002, Payload{2}), "Device Status");
    EXPECT_EQ(LogDataText(1002, Payload{2}), "");
}

TEST(LogTexts, FrequenciesAndLevels)
{
    const rtl::TScopedFormatSettings invariant('.', ',');
    EXPECT_EQ(LogDataText(39, Payload{0x33, 0x04}), "107.5 MHz");
    EXPECT_EQ(LogDataText(39, Payload{0x6B, 0x03}), "87.5 MHz");
    EXPECT_EQ(LogDataText(39, Payload{0x00, 0x00}), "0.0 MHz");
    EXPECT_EQ(LogDataText(41, Payload{0x4B, 0x00}), "7.5 kHz");
    EXPECT_EQ(LogDataText(41, Payload{0xFF, 0xFF}), "6553.5 kHz");

    // Level in tenths of a step.
    EXPECT_EQ(LogDataText(42, Payload{150}), "54.6 " + kDBuV);
    EXPECT_EQ(LogDataText(42, Payload{145}), "53.7 " + kDBuV);
    EXPECT_EQ(LogDataText(42, Payload{5}), "0.0 " + kDBuV);
    EXPECT_EQ(LogDataText(42, Payload{200}), "64.5 " + kDBuV);

    // Band scan point: 10 kHz steps and a whole level step, with a trailing blank.
    EXPECT_EQ(LogDataText(20, Payload{0xFE, 0x29, 15}), "107.5 MHz, 54.6 " + kDBuV + " ");
    EXPECT_EQ(LogDataText(20, Payload{0x2E, 0x22, 0}), "87.5 MHz, 0.0 " + kDBuV + " ");
    EXPECT_EQ(LogDataText(20, Payload{0x2E, 0x22, 12, 99}), "87.5 MHz, 46.0 " + kDBuV + " ");

    // The micro sign is the single byte 0xB5.
    const std::string level = LogDataText(42, Payload{150});
    ASSERT_EQ(level.size(), 9u);
    EXPECT_EQ(static_cast<unsigned char>(level[7]), 0xB5);
}

TEST(LogTexts, NumbersUseTheDecimalSeparatorOfTheSettings)
{
    rtl::TFormatSettings comma = rtl::TFormatSettings::Invariant();
    comma.DecimalSeparator = ',';
    comma.ThousandSeparator = '.';
    EXPECT_EQ(LogDataText(39, Payload{0x33, 0x04}, comma), "107,5 MHz");
    EXPECT_EQ(LogDataText(41, Payload{0xFF, 0xFF}, comma), "6553,5 kHz");
    EXPECT_EQ(LogDataText(20, Payload{0xFE, 0x29, 15}, comma), "107,5 MHz, 54,6 " + kDBuV + " ");
    {
        const rtl::TScopedFormatSettings global(',', '.');
        EXPECT_EQ(LogDataText(39, Payload{0x33, 0x04}), "107,5 MHz");
    }
}

TEST(LogTexts, DecoderIdentification)
{
    for (int code : {57, 164}) {
        EXPECT_EQ(LogDataText(code, Payload{15, 1}), "1, STEREO, Not AH, Not Compressed, Static") << code;
        EXPECT_EQ(LogDataText(code, Payload{15, 0x0A}), "10, MONO, AH, Not Compressed, Dynamic") << code;
        EXPECT_EQ(LogDataText(code, Payload{0, 255}), "255, ??, ??, ??, ??") << code;
        EXPECT_EQ(LogDataText(code, Payload{0x05, 0x0F}), "15, STEREO, ??, Compressed, ??") << code;
    }
}

namespace {

// The five bytes of a clock-time item: a 17-bit day and a 17-bit packed time, the
// time stored one bit up so that byte 2 shares the day's top bit.
Payload ClockItem(std::uint32_t mjd, std::uint32_t packed, int spareBits = 0)
{
    const std::uint32_t time = packed << 1;
    return Payload{static_cast<int>(mjd & 0xFF), static_cast<int>((mjd >> 8) & 0xFF),
                   static_cast<int>(((mjd >> 16) & 1) | (time & 0xFE)), static_cast<int>((time >> 8) & 0xFF),
                   static_cast<int>(((time >> 16) & 3) | (spareBits & 0xFC))};
}

std::string ClockText(std::uint32_t mjd, std::uint32_t packed)
{
    device_link::TRDSDateTime t;
    device_link::RdsCTText(mjd, packed, t);
    return t.Text;
}

} // namespace

TEST(LogTexts, ClockTime)
{
    // 25 Feb 2023 14:05, +2 h.
    EXPECT_EQ(LogDataText(90, Payload{0x60, 0xEA, 0x88, 0xC2, 0x01}), "25 Feb 2023, Sat, week 08, 14:5  + 2:0 ");
    EXPECT_EQ(LogDataText(90, ClockItem(59215, 38819)), "01 Jan 2021, Fri, week 53, 9 :30 - 1:30");
    // Top bits of the day and of the time, and bits beyond them ignored.
    const std::uint32_t lateTime = (23u << 12) | (59u << 6) | 32u | 3u;
    EXPECT_EQ(LogDataText(90, ClockItem(70000, lateTime, 0xFC)), ClockText(70000, lateTime));
    EXPECT_EQ(LogDataText(90, ClockItem(65536, 1u << 16)), ClockText(65536, 1u << 16));
    EXPECT_NE(ClockText(70000, lateTime), ClockText(70000 - 65536, lateTime));

    EXPECT_EQ(LogDataText(90, ClockItem(0, 57668)), "not transmitted");
    EXPECT_EQ(LogDataText(90, ClockItem(60000, 0)), "not transmitted");
    // Only the day's top bit in byte 2: the time is still 0.
    EXPECT_EQ(LogDataText(90, ClockItem(65536, 0)), "not transmitted");
}

TEST(LogTexts, TextsAreCutToTheirFields)
{
    std::string sixty;
    for (int i = 0; i < 60; ++i) sixty += static_cast<char>('A' + i % 26);
    const std::string datas = LogDataText(12, Payload(sixty));
    EXPECT_EQ(datas, sixty.substr(0, 50));
    EXPECT_EQ(LogDataText(1004, Payload(sixty)).size(), storage::kDatasFieldSize);

    // Payload text is taken byte for byte, zero and high bytes included.
    const std::string raw("Ra\0di\xF6 1:COM3", 14);
    EXPECT_EQ(LogDataText(1004, Payload(raw)), raw);
    EXPECT_EQ(LogDataText(12, Payload{}), "");
}

TEST(LogTexts, ShortPayloadsGiveEmptyTexts)
{
    struct Case {
        int code;
        std::vector<int> full; // the bytes the rule reads
    };
    const std::vector<Case> cases = {
        // clang-format off
        {20, {0xFE, 0x29, 15}}, {30, {1}}, {35, {1}}, {39, {0x33, 0x04}}, {40, {1}},
        {41, {0x4B, 0x00}}, {42, {150}}, {43, {1}}, {57, {15, 1}}, {164, {15, 1}},
        {90, {0x60, 0xEA, 0x88, 0xC2, 0x01}}, {1002, {0}}, {1003, {0}},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_NE(LogDataText(c.code, Payload(c.full)), "") << c.code;
        for (std::size_t size = 0; size < c.full.size(); ++size) {
            const std::vector<int> part(c.full.begin(), c.full.begin() + static_cast<long>(size));
            EXPECT_EQ(LogDataText(c.code, Payload(part)), "") << c.code << " with " << size << " bytes";
            EXPECT_FALSE(LogCodeText(c.code, Payload(part)).empty()) << c.code;
        }
    }
}

TEST(LogTexts, DateAndTime)
{
    const double when = rtl::EncodeDate(2023, 2, 25) + rtl::EncodeTime(14, 5, 9, 0);
    const rtl::TFormatSettings us = rtl::TFormatSettings::Invariant();
    EXPECT_EQ(LogDateText(when, us), "2/25/2023 2:05:09 PM");

    rtl::TFormatSettings german = us;
    german.DateSeparator = '.';
    german.ShortDateFormat = "dd/mm/yyyy";
    german.LongTimeFormat = "hh:nn:ss";
    EXPECT_EQ(LogDateText(when, german), "25.02.2023 14:05:09");
    {
        const rtl::TScopedFormatSettings global(german);
        EXPECT_EQ(LogDateText(when), "25.02.2023 14:05:09");
    }

    rtl::TFormatSettings wordy = us;
    wordy.ShortDateFormat = "dddd, mmmm d, yyyy";
    const std::string text = LogDateText(when, wordy);
    EXPECT_EQ(text, std::string("Saturday, February 25, 2023 2:05:09 PM").substr(0, storage::kDtsFieldSize));

    // A corrupt record shows without a date; the rows after it are read as ever.
    for (const double corrupt : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e12})
        EXPECT_EQ(LogDateText(corrupt, us), "") << corrupt;
    EXPECT_EQ(LogDateText(when, us), "2/25/2023 2:05:09 PM");
}
