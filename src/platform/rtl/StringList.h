#pragma once
// Lists of 8-bit strings, each with an associated object pointer.
//
// TStrings is the abstract list (what a combo box's items or a memo's lines offer);
// TStringList keeps its strings itself and can be sorted, with change events.
// Indexes are 0-based; an index outside the list raises EListError
// "List index out of bounds (%d)".
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Stream.h"

namespace rtl {

class TStrings : public TPersistent {
public:
    int Add(const std::string& s) { return AddObject(s, nullptr); }
    virtual int AddObject(const std::string& s, void* object);
    void Append(const std::string& s) { Add(s); }
    void AddStrings(const TStrings& strings);
    virtual void Insert(int index, const std::string& s) = 0;
    void InsertObject(int index, const std::string& s, void* object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int GetCount() const = 0;

    // Strings[i] and Objects[i].
    std::string GetStrings(int index) const { return Get(index); }
    void SetStrings(int index, const std::string& s) { Put(index, s); }
    std::string operator[](int index) const { return Get(index); }
    void* GetObjects(int index) const { return GetObject(index); }
    void SetObjects(int index, void* object) { PutObject(index, object); }

    // The first index of s (case as the list compares), -1 when absent.
    virtual int IndexOf(const std::string& s) const;
    int IndexOfName(const std::string& name) const;
    int IndexOfObject(const void* object) const;
    virtual void Move(int curIndex, int newIndex);
    virtual void Exchange(int index1, int index2);
    bool Equals(const TStrings& other) const;

    // Lines, each followed by LineBreak ("\r\n" by default). Setting splits at CR LF,
    // LF or CR; a final line break adds no empty line.
    std::string GetText() const;
    void SetText(const std::string& text);
    const std::string& GetLineBreak() const { return lineBreak_; }
    void SetLineBreak(const std::string& lineBreak) { lineBreak_ = lineBreak; }

    // Items separated by Delimiter; an item holding a blank, a control character, the
    // quote or the delimiter is quoted (QuoteChar, with the quote doubled inside).
    // Reading: blanks around items are skipped; unless StrictDelimiter, a blank outside
    // quotes also separates items.
    std::string GetDelimitedText() const;
    void SetDelimitedText(const std::string& text);
    char GetDelimiter() const { return delimiter_; }
    void SetDelimiter(char c) { delimiter_ = c; }
    char GetQuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char c) { quoteChar_ = c; }
    bool GetStrictDelimiter() const { return strictDelimiter_; }
    void SetStrictDelimiter(bool v) { strictDelimiter_ = v; }
    // DelimitedText with ',' and '"' whatever Delimiter and QuoteChar are.
    std::string GetCommaText() const;
    void SetCommaText(const std::string& text);

    // "name=value" lines. Values[name] is "" for a missing name; setting "" deletes the line.
    char GetNameValueSeparator() const { return nameValueSeparator_; }
    void SetNameValueSeparator(char c) { nameValueSeparator_ = c; }
    std::string GetNames(int index) const; // "" when the line has no separator
    std::string GetValues(const std::string& name) const;
    void SetValues(const std::string& name, const std::string& value);
    std::string GetValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const std::string& value);

    // While the count is above 0 the list holds back its change notices; the first
    // BeginUpdate and the last EndUpdate call SetUpdateState.
    void BeginUpdate();
    void EndUpdate();
    int GetUpdateCount() const { return updateCount_; }

    // Reads the rest of the stream as Text; writes Text.
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;

    // From another TStrings: its strings and objects replace these.
    void Assign(const TPersistent* source) override;

protected:
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& s);
    // clang-format off
    virtual void* GetObject(int index) const { (void)index; return nullptr; }
    virtual void PutObject(int index, void* object) { (void)index; (void)object; }
    // clang-format on
    virtual void SetUpdateState(bool updating) { (void)updating; }
    // Case rule of IndexOf and IndexOfName: by default the locale's, case ignored.
    virtual int CompareStrings(const std::string& a, const std::string& b) const;
    [[noreturn]] void IndexError(int index) const;

private:
    std::string DelimitedText(char delimiter, char quote) const;
    void ParseDelimited(const std::string& text, char delimiter, char quote, bool strict);

    int updateCount_ = 0;
    std::string lineBreak_ = "\r\n";
    char delimiter_ = ',';
    char quoteChar_ = '"';
    bool strictDelimiter_ = false;
    char nameValueSeparator_ = '=';
};

// clang-format off
enum TDuplicates { dupIgnore, dupAccept, dupError };
// clang-format on

class TStringList : public TStrings {
public:
    // <0, 0, >0 for the strings at index1 and index2.
    using TStringListSortCompare = std::function<int(TStringList& list, int index1, int index2)>;

    int AddObject(const std::string& s, void* object) override;
    // EListError "Operation not allowed on sorted list" when Sorted.
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    // Strings[index] without a copy (searches over long lists).
    const std::string& StringAt(int index) const
    {
        if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) IndexError(index);
        return items_[static_cast<std::size_t>(index)].s;
    }
    int IndexOf(const std::string& s) const override;
    void Exchange(int index1, int index2) override;

    // Binary search of a sorted list: true when found (index of the first match), else
    // false with index where s would go.
    bool Find(const std::string& s, int& index) const;
    virtual void Sort();
    // Stable sort by the given comparison; not kept up afterwards.
    virtual void CustomSort(const TStringListSortCompare& compare);

    bool GetSorted() const { return sorted_; }
    void SetSorted(bool value); // sorting on switches on
    // What Add does with a string a sorted list already has (dupError: EListError
    // "String list does not allow duplicates").
    TDuplicates GetDuplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates value) { duplicates_ = value; }
    // Compare with case (locale collation either way); default off. A change re-sorts.
    bool GetCaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);

    // Fired around every change (and once around a BeginUpdate/EndUpdate bracket).
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    void* GetObject(int index) const override;
    void PutObject(int index, void* object) override;
    void SetUpdateState(bool updating) override;
    int CompareStrings(const std::string& a, const std::string& b) const override;
    virtual void Changed();
    virtual void Changing();

private:
    struct Item {
        std::string s;
        void* object = nullptr;
    };
    void CheckIndex(int index) const;
    void InsertItem(int index, const std::string& s, void* object);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

} // namespace rtl
