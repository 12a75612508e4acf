#pragma once
// The texts the log window shows for an event log record: the name of its event
// code (CODES), its payload as readable text (DATAS) and its date and time (DTS).
// The log query computes them for every row from DATACODE, DATA and DT. The units'
// live views name and show every item they receive with the same texts, and the unit
// list shows a link state as the leDeviceStatus text, so all of them agree.
//
// The payload is the record's bytes taken unchanged as 8-bit characters. A payload
// shorter than the bytes a rule reads gives an empty text for what depends on the
// missing bytes. Texts longer than their field are cut to the field's length.
// Numbers use the settings' decimal separator; "dB\xB5V" carries the micro sign 0xB5.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/rtl/SysUtils.h"

namespace storage {

// Lengths of the calculated string fields of the log query.
constexpr std::size_t kCodesFieldSize = 50;
constexpr std::size_t kDatasFieldSize = 50;
constexpr std::size_t kDtsFieldSize = 30;

// CODES: the display name of an event code ("Frequency", "Program Started" ...);
// empty for codes without a name.
std::string LogCodeText(int code, std::string_view payload);

// DATAS: the payload of an event as text ("107.5 MHz", "Tuner" ...); empty for
// codes whose payload is not shown.
std::string LogDataText(int code, std::string_view payload,
                        const rtl::TFormatSettings& settings = rtl::FormatSettings);

// DTS: the record's date and time as the short date, a blank and the long time; empty
// for a value that is no date (NaN, infinite, beyond the calendar).
std::string LogDateText(rtl::TDateTime dateTime,
                        const rtl::TFormatSettings& settings = rtl::FormatSettings);

} // namespace storage
