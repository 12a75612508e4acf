#include "platform/rtl/StringList.h"

#include <algorithm>
#include <numeric>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"

namespace rtl {

// ===========================================================================
// TStrings

void TStrings::IndexError(int index) const
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

int TStrings::AddObject(const std::string& s, void* object)
{
    const int index = GetCount();
    InsertObject(index, s, object);
    return index;
}

void TStrings::AddStrings(const TStrings& strings)
{
    const TUpdateScope update(*this);
    const int count = strings.GetCount(); // fixed: the source may be this list
    for (int i = 0; i < count; ++i) AddObject(strings.Get(i), strings.GetObject(i));
}

void TStrings::InsertObject(int index, const std::string& s, void* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::Put(int index, const std::string& s)
{
    void* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

int TStrings::CompareStrings(const std::string& a, const std::string& b) const
{
    return AnsiCompareText(a, b);
}

int TStrings::IndexOf(const std::string& s) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& name) const
{
    for (int i = 0; i < GetCount(); ++i) {
        const std::string line = Get(i);
        const std::size_t p = line.find(nameValueSeparator_);
        if (p != std::string::npos && CompareStrings(line.substr(0, p), name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const void* object) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == object) return i;
    return -1;
}

void TStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex) return;
    if (newIndex < 0 || newIndex >= GetCount()) IndexError(newIndex);
    const TUpdateScope update(*this);
    const std::string s = Get(curIndex);
    void* object = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, object);
}

void TStrings::Exchange(int index1, int index2)
{
    const TUpdateScope update(*this);
    const std::string s = Get(index1);
    void* object = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, s);
    PutObject(index2, object);
}

bool TStrings::Equals(const TStrings& other) const
{
    if (GetCount() != other.GetCount()) return false;
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) != other.Get(i)) return false;
    return true;
}

std::string TStrings::GetText() const
{
    std::string out;
    for (int i = 0; i < GetCount(); ++i) {
        out += Get(i);
        out += lineBreak_;
    }
    return out;
}

void TStrings::SetText(const std::string& text)
{
    const TUpdateScope update(*this);
    Clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        Add(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        start = end;
    }
}

std::string TStrings::DelimitedText(char delimiter, char quote) const
{
    const int count = GetCount();
    if (count == 1 && Get(0).empty()) return std::string(2, quote);
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string s = Get(i);
        const bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == quote || c == delimiter;
        });
        if (i) out += delimiter;
        out += needsQuotes ? AnsiQuotedStr(s, quote) : s;
    }
    return out;
}

void TStrings::ParseDelimited(const std::string& text, char delimiter, char quote, bool strict)
{
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const TUpdateScope update(*this);
    Clear();
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (!strict)
        while (i < n && isBlank(text[i])) ++i;
    while (i < n) {
        std::string item;
        if (text[i] == quote) {
            // Quoted: up to the closing quote, doubled quotes stand for one.
            ++i;
            while (i < n) {
                if (text[i] == quote) {
                    // clang-format off
                    if (i + 1 < n && text[i + 1] == quote) { item += quote; i += 2; continue; }
                    // clang-format on
                    ++i;
                    break;
                }
                item += text[i++];
            }
            // Text right after the closing quote belongs to the item.
            while (i < n && text[i] != delimiter && (strict || !isBlank(text[i]))) item += text[i++];
        } else {
            while (i < n && text[i] != delimiter && (strict || !isBlank(text[i]))) item += text[i++];
        }
        Add(item);
        if (!strict)
            while (i < n && isBlank(text[i])) ++i;
        if (i < n && text[i] == delimiter) {
            ++i;
            if (!strict)
                while (i < n && isBlank(text[i])) ++i;
            if (i == n) Add(std::string()); // a trailing delimiter ends with an empty item
        }
    }
}

std::string TStrings::GetDelimitedText() const { return DelimitedText(delimiter_, quoteChar_); }
void TStrings::SetDelimitedText(const std::string& text) { ParseDelimited(text, delimiter_, quoteChar_, strictDelimiter_); }
std::string TStrings::GetCommaText() const { return DelimitedText(',', '"'); }
void TStrings::SetCommaText(const std::string& text) { ParseDelimited(text, ',', '"', false); }

std::string TStrings::GetNames(int index) const
{
    const std::string line = Get(index);
    const std::size_t p = line.find(nameValueSeparator_);
    return p == std::string::npos ? std::string() : line.substr(0, p);
}

std::string TStrings::GetValues(const std::string& name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : GetValueFromIndex(i);
}

void TStrings::SetValues(const std::string& name, const std::string& value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    const std::string line = name + nameValueSeparator_ + value;
    if (i >= 0) Put(i, line);
    else Add(line);
}

std::string TStrings::GetValueFromIndex(int index) const
{
    const std::string line = Get(index);
    const std::size_t p = line.find(nameValueSeparator_);
    return p == std::string::npos ? std::string() : line.substr(p + 1);
}

void TStrings::SetValueFromIndex(int index, const std::string& value)
{
    if (value.empty()) {
        Delete(index);
        return;
    }
    Put(index, GetNames(index) + nameValueSeparator_ + value);
}

void TStrings::BeginUpdate()
{
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate()
{
    if (updateCount_ == 0) return;
    --updateCount_;
    if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& stream)
{
    const std::int64_t size = stream.GetSize() - stream.GetPosition();
    std::string text(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)), '\0');
    if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const
{
    const std::string text = GetText();
    stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
}

void TStrings::LoadFromFile(const std::string& path)
{
    TFileStream f(path, fmOpenRead);
    LoadFromStream(f);
}

void TStrings::SaveToFile(const std::string& path) const
{
    TFileStream f(path, fmCreate);
    SaveToStream(f);
}

void TStrings::Assign(const TPersistent* source)
{
    if (const auto* src = dynamic_cast<const TStrings*>(source)) {
        if (src == this) return;
        const TUpdateScope update(*this);
        Clear();
        AddStrings(*src);
        return;
    }
    TPersistent::Assign(source);
}

// ===========================================================================
// TStringList

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= GetCount()) IndexError(index);
}

void TStringList::Changed()
{
    if (GetUpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing()
{
    if (GetUpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating)
{
    if (updating) Changing();
    else Changed();
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const
{
    return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

std::string TStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].s;
}

void* TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::Put(int index, const std::string& s)
{
    if (sorted_) throw EListError("Operation not allowed on sorted list");
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].s = s;
    Changed();
}

void TStringList::PutObject(int index, void* object)
{
    CheckIndex(index);
    Changing();
    items_[static_cast<std::size_t>(index)].object = object;
    Changed();
}

void TStringList::InsertItem(int index, const std::string& s, void* object)
{
    Changing();
    items_.insert(items_.begin() + index, Item{s, object});
    Changed();
}

int TStringList::AddObject(const std::string& s, void* object)
{
    int index = GetCount();
    if (sorted_ && Find(s, index)) {
        switch (duplicates_) {
        case dupIgnore: return index;
        case dupError: throw EListError("String list does not allow duplicates");
        case dupAccept:
            // After the equal ones, so equal strings keep their order of arrival.
            while (index < GetCount() && CompareStrings(items_[static_cast<std::size_t>(index)].s, s) == 0) ++index;
            break;
        }
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Insert(int index, const std::string& s)
{
    if (sorted_) throw EListError("Operation not allowed on sorted list");
    if (index < 0 || index > GetCount()) IndexError(index);
    InsertItem(index, s, nullptr);
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty()) return;
    Changing();
    items_.clear();
    Changed();
}

void TStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
    Changed();
}

int TStringList::IndexOf(const std::string& s) const
{
    if (!sorted_) return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const std::string& s, int& index) const
{
    int lo = 0, hi = GetCount() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = CompareStrings(items_[static_cast<std::size_t>(mid)].s, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) found = true; // keep going left for the first match
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort()
{
    CustomSort([](TStringList& list, int a, int b) {
        return list.CompareStrings(list.items_[static_cast<std::size_t>(a)].s,
                                   list.items_[static_cast<std::size_t>(b)].s);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& compare)
{
    if (items_.size() < 2) return;
    Changing();
    // Sort positions with the comparison on the unchanged list, then rebuild it.
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order) sorted.push_back(std::move(items_[static_cast<std::size_t>(i)]));
    items_ = std::move(sorted);
    Changed();
}

void TStringList::SetSorted(bool value)
{
    if (sorted_ == value) return;
    if (value) Sort();
    sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value)
{
    if (caseSensitive_ == value) return;
    caseSensitive_ = value;
    if (sorted_) Sort();
}

} // namespace rtl
