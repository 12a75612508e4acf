// TDataSet: Locate, Lookup and filtering.
#include <cmath>
#include <string_view>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/FilterExpression.h"

namespace db {

namespace {

bool isTextField(const TField* f)
{
    return StorageOf(f->DataType()) == TStorage::String;
}

// One key of a search, prepared once for the whole scan.
struct KeyMatcher {
    TField* field = nullptr;
    int column = -1; // stored column, -1 for calculated and lookup fields
    TStorage storage = TStorage::String;
    bool keyNull = false;    // matches Null values only
    bool impossible = false; // the key cannot equal any value of the field
    bool text = false;
    bool partial = false;
    bool caseless = false;
    std::string s;
    std::int64_t i = 0;
    double d = 0;
    rtl::Variant v;

    bool textMatches(std::string_view value) const
    {
        if (partial) {
            if (value.size() < s.size()) return false;
            value = value.substr(0, s.size());
        } else if (value.size() != s.size()) {
            return false; // case folding keeps the length of 8-bit text
        }
        return caseless ? rtl::AnsiSameText(value, s) : value == s;
    }
};

KeyMatcher prepare(TField* f, const rtl::Variant& key, TLocateOptions options)
{
    KeyMatcher m;
    m.field = f;
    m.column = f->GetFieldKind() == fkData ? f->FieldNo() - 1 : -1;
    m.storage = StorageOf(f->DataType());
    m.keyNull = rtl::VarIsClear(key);
    if (m.keyNull) return m;
    m.text = isTextField(f);
    if (m.text) {
        m.s = rtl::VarToStr(key);
        m.partial = (options & loPartialKey) != 0;
        m.caseless = (options & loCaseInsensitive) != 0;
        return m;
    }
    try {
        switch (m.storage) {
        case TStorage::Int: {
            double k = key.AsFloat();
            m.impossible = std::trunc(k) != k;
            m.i = static_cast<std::int64_t>(k);
            m.v = rtl::Variant(static_cast<long long>(m.i));
            break;
        }
        // clang-format off
        case TStorage::Boolean: m.i = key.AsBoolean() ? 1 : 0; m.v = rtl::Variant(m.i != 0); break;
        case TStorage::Currency: m.i = key.AsCurrency().Scaled; m.v = rtl::Variant(key.AsCurrency()); break;
        // clang-format on
        case TStorage::Float:
            m.d = (f->DataType() == ftFloat || f->DataType() == ftCurrency) ? key.AsFloat() : key.AsDateTime();
            m.v = rtl::Variant(m.d);
            break;
        case TStorage::String: break;
        }
    } catch (const rtl::Exception&) {
        m.impossible = true; // a key of another kind ("abc" for a number) matches nothing
    }
    return m;
}

bool storedMatches(const KeyMatcher& m, const TRecordStore& store, TSlot slot)
{
    bool null = store.IsNull(slot, m.column);
    if (m.keyNull) return null;
    if (null || m.impossible) return false;
    switch (m.storage) {
    case TStorage::String: return m.textMatches(store.GetString(slot, m.column));
    case TStorage::Float: return store.GetFloat(slot, m.column) == m.d;
    default: return store.GetInt(slot, m.column) == m.i;
    }
}

bool valueMatches(const KeyMatcher& m, const TField& f)
{
    rtl::Variant value = f.GetValue();
    if (m.keyNull) return rtl::VarIsClear(value);
    if (rtl::VarIsClear(value) || m.impossible) return false;
    if (m.text) return m.textMatches(value.AsString());
    return value == m.v;
}

} // namespace

std::ptrdiff_t TDataSet::findRecord(const std::vector<TField*>& fields, const rtl::Variant& keyValues,
                                    TLocateOptions options)
{
    std::vector<KeyMatcher> matchers;
    if (fields.size() == 1 && !(keyValues.IsArray() && keyValues.ElementCount() == 1)) {
        matchers.push_back(prepare(fields[0], keyValues, options));
    } else {
        if (!keyValues.IsArray() || keyValues.ElementCount() != static_cast<int>(fields.size()))
            DatabaseError(rtl::Format("%d key values expected, one per key field", static_cast<int>(fields.size())));
        for (std::size_t i = 0; i < fields.size(); ++i)
            matchers.push_back(prepare(fields[i], keyValues[keyValues.LowBound() + static_cast<int>(i)], options));
    }
    bool needCalc = false;
    for (const KeyMatcher& m : matchers) needCalc = needCalc || m.column < 0;

    std::vector<rtl::Variant> calc;
    for (std::size_t i = 0; viewFetch(i); ++i) {
        TSlot slot = viewSlot(i);
        if (state_ == dsInsert && slot == editSlot_) continue;
        bool match = true;
        // clang-format off
        for (const KeyMatcher& m : matchers)
            if (m.column >= 0 && !storedMatches(m, store_, slot)) { match = false; break; }
        // clang-format on
        if (!match) continue;
        if (needCalc) {
            calculate(slot, nullptr, calc);
            ReadScope scope(*this);
            read_.slot = slot;
            read_.values = nullptr;
            read_.calc = calc.data();
            // clang-format off
            for (const KeyMatcher& m : matchers)
                if (m.column < 0 && !valueMatches(m, *m.field)) { match = false; break; }
            // clang-format on
        }
        if (match) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

bool TDataSet::Locate(std::string_view keyFields, const rtl::Variant& keyValues, TLocateOptions options)
{
    CheckBrowseMode();
    std::vector<TField*> fields = GetFieldList(keyFields);
    fire(BeforeScroll);
    std::ptrdiff_t index = findRecord(fields, keyValues, options);
    if (index < 0) return false;
    gotoView(static_cast<std::size_t>(index));
    return true;
}

rtl::Variant TDataSet::Lookup(std::string_view keyFields, const rtl::Variant& keyValues, std::string_view resultFields)
{
    if (!GetActive()) return rtl::Null();
    std::vector<TField*> fields = GetFieldList(keyFields);
    std::vector<TField*> results = GetFieldList(resultFields);
    std::ptrdiff_t index = findRecord(fields, keyValues, 0);
    if (index < 0) return rtl::Null();
    TSlot slot = viewSlot(static_cast<std::size_t>(index));
    std::vector<rtl::Variant> calc;
    if (!calcFields_.empty()) calculate(slot, nullptr, calc);
    ReadScope scope(*this);
    read_.slot = slot;
    read_.values = nullptr;
    read_.calc = calc.empty() ? nullptr : calc.data();
    return GetFieldValues(resultFields);
}

// --- filtering

bool TDataSet::filterAccepts(TSlot slot)
{
    std::vector<rtl::Variant> calc;
    if (!calcFields_.empty()) calculate(slot, nullptr, calc);
    ReadScope scope(*this);
    read_.store = &store_;
    read_.slot = slot;
    read_.values = nullptr;
    read_.calc = calc.empty() ? nullptr : calc.data();
    state_ = dsFilter;
    if (filterExpr_ && !filterExpr_->Evaluate()) return false;
    bool accept = true;
    if (OnFilterRecord) OnFilterRecord(this, accept);
    return accept;
}

void TDataSet::rebuildFilter()
{
    filterActive_ = filtered_;
    filteredRows_.clear();
    filterScanned_ = 0;
    if (filterActive_ && filterExpr_) filterExpr_->Bind(*this);
}

void TDataSet::SetFilter(std::string text)
{
    if (text == filterText_) return;
    std::unique_ptr<TFilterExpression> expr;
    if (!rtl::Trim(text).empty()) expr = TFilterExpression::Parse(text);
    if (GetActive() && filtered_) {
        CheckBrowseMode();
        if (expr) expr->Bind(*this);
    }
    filterExpr_ = std::move(expr);
    filterText_ = std::move(text);
    if (GetActive() && filtered_) refilter();
}

void TDataSet::SetFiltered(bool filtered)
{
    if (filtered == filtered_) return;
    if (GetActive()) {
        CheckBrowseMode();
        if (filtered && filterExpr_) filterExpr_->Bind(*this);
    }
    filtered_ = filtered;
    if (GetActive()) refilter();
}

// The visible rows changed: start again at the first one.
void TDataSet::refilter()
{
    fire(BeforeScroll);
    rebuildFilter();
    clearWindow();
    calcBufs_.assign(static_cast<std::size_t>(bufferCount_), CalcBuffer{});
    if (viewFetch(0)) placeWindow(0, Place::Keep);
    bof_ = true;
    eof_ = recordCount_ == 0;
    syncRead();
    DataEvent(deDataSetChange, 0);
    fire(AfterScroll);
}

} // namespace db
