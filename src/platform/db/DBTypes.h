#pragma once
// Enumerations and small types shared by fields, data sets, data sources and links.
#include <cstdint>
#include <string>

#include "platform/rtl/Delegate.h"
#include "platform/rtl/Persistent.h"

namespace db {

class TField;
class TDataSet;
class TDataSource;
class TDataLink;

enum TFieldType {
    // clang-format off
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftAutoInc, ftBlob, ftMemo, ftFmtMemo, ftFixedChar, ftWideString,
    ftLargeint, ftGuid, ftTimeStamp, ftFMTBcd
    // clang-format on
};

// Stored data, calculated in OnCalcFields (fkInternalCalc is kept with the record),
// or looked up in another data set.
// clang-format off
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter
};
// clang-format on

inline bool IsEditState(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }

using TAlignment = rtl::TAlignment;
using enum rtl::TAlignment;

// Notices a data set sends through its data sources to their links.
enum TDataEvent {
    deFieldChange,        // Info: the changed TField*
    deRecordChange,       // Info: 0 (the whole record)
    deDataSetChange,      // the buffered records changed
    deDataSetScroll,      // Info: how far the record window moved (records, + forwards)
    deLayoutChange,       // fields were added, removed, reordered or shown/hidden
    deUpdateRecord,       // controls are asked to write pending values
    deUpdateState,        // the data set's state changed
    deCheckBrowseMode,    // the record is about to be posted or left
    deFocusControl,       // Info: TField** whose control should take the focus
    deDisabledStateChange // Info: 0 when controls were disabled, 1 when enabled again
};

// Options of Locate: ored together.
using TLocateOptions = unsigned;
inline constexpr TLocateOptions loCaseInsensitive = 1u << 0;
inline constexpr TLocateOptions loPartialKey = 1u << 1;

// Bookmarks are strings; the empty string is no bookmark.
using TBookmark = std::string;

using TDataSetNotifyEvent = rtl::Delegate<void(TDataSet*)>;
using TFilterRecordEvent = rtl::Delegate<void(TDataSet*, bool& Accept)>;
using TFieldGetTextEvent = rtl::Delegate<void(TField*, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = rtl::Delegate<void(TField*, const std::string& Text)>;

} // namespace db
