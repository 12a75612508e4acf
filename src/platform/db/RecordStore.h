#pragma once
// The rows behind a data set: field definitions, the provider that delivers rows on
// demand and writes posted changes back, and the store that keeps the rows read so
// far in typed columns (one array per field), in their order, with stable ids.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Variant.h"

namespace db {

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;      // characters of a string field, decimals of a BCD field
    int Precision = 0; // digits of a BCD or float field (0: the field's default)
    bool Required = false;
};

// The column layout of a data set's rows.
class TFieldDefs {
public:
    TFieldDef& Add(std::string name, TFieldType type, int size = 0, bool required = false);
    int Count() const { return static_cast<int>(items_.size()); }
    const TFieldDef& operator[](int i) const { return items_.at(static_cast<std::size_t>(i)); }
    TFieldDef& operator[](int i) { return items_.at(static_cast<std::size_t>(i)); }
    // Index of the definition with that name (case ignored), -1 when absent.
    int IndexOf(std::string_view name) const;
    void Clear() { items_.clear(); }

private:
    std::vector<TFieldDef> items_;
};

// Where rows come from and where posted changes go: a database cursor, or nothing
// for rows that live only in memory. Values are one per field definition, in order.
class TRecordProvider {
public:
    virtual ~TRecordProvider() = default;
    // Reads the next row; false when there are no more.
    virtual bool FetchRow(std::vector<rtl::Variant>& values) = 0;
    // Write a posted record back. They may complete values (generated keys, a refresh);
    // an exception refuses the change and the data set keeps the record being edited.
    virtual void ApplyInsert(std::vector<rtl::Variant>& values) { (void)values; }
    virtual void ApplyUpdate(const std::vector<rtl::Variant>& oldValues, std::vector<rtl::Variant>& newValues)
    {
        // clang-format off
        (void)oldValues; (void)newValues;
        // clang-format on
    }
    virtual void ApplyDelete(const std::vector<rtl::Variant>& values) { (void)values; }

    // A column whose values are read only when first asked for (a blob): FetchRow gives
    // a 64-bit key in its place (Null for a null value) and ReadDeferred the value of a
    // key, as long as the provider is open.
    virtual bool Defers(int /*column*/) const { return false; }
    virtual std::string ReadDeferred(int /*column*/, std::int64_t /*key*/) { return {}; }
};

// A row of the store; stays the same while the row exists (its position may change).
using TSlot = std::uint32_t;
inline constexpr TSlot kNoSlot = std::numeric_limits<TSlot>::max();

// How a column keeps its values.
// clang-format off
enum class TStorage { Int, Float, Currency, Boolean, String };
// clang-format on
TStorage StorageOf(TFieldType type);

class TRecordStore;

// Where a data set's fields read their values now: a stored row, or the record being
// edited, and the calculated values of that record.
struct TRecordRef {
    const TRecordStore* store = nullptr;
    TSlot slot = kNoSlot;                 // a stored row ...
    const rtl::Variant* values = nullptr; // ... or the record being edited
    rtl::Variant* calc = nullptr;         // calculated and lookup values
    int calcBuffer = -1;                  // without calc: the window's record whose values are due
};

class TRecordStore {
public:
    static constexpr std::size_t npos = std::numeric_limits<std::size_t>::max();

    // The values of one field, by slot.
    struct Column {
        TFieldType type = ftUnknown;
        TStorage storage = TStorage::Int;
        std::vector<std::uint8_t> null;
        std::vector<std::int64_t> ints;   // Int, Currency (scaled), Boolean
        std::vector<double> floats;       // Float, dates and times
        std::vector<std::string> strings; // String, blobs
        // A column the provider defers: per slot, whether the value is still to be read
        // (its key in ints).
        bool deferred = false;
        std::vector<std::uint8_t> pending;
        bool Pending(TSlot slot) const { return deferred && pending[slot] != 0; }
    };
    // Stays at the same address while the store is open.
    const Column& ColumnAt(int col) const { return cols_[static_cast<std::size_t>(col)]; }

    // Starts an empty store with these columns; provider (not owned, may be null) is read on demand.
    void Open(const TFieldDefs& defs, TRecordProvider* provider);
    void Close();
    TRecordProvider* Provider() const { return provider_; }
    int ColumnCount() const { return static_cast<int>(cols_.size()); }

    // Rows in order, as far as they are fetched.
    std::size_t Count() const { return order_.size(); }
    TSlot SlotAt(std::size_t pos) const { return order_[pos]; }
    // Fetches until a row exists at pos; false when there are fewer rows.
    bool Fetch(std::size_t pos) { return pos < order_.size() || fetchUntil(pos); }
    // Fetches one more row at the end; false when the provider has no more.
    bool FetchNext();
    void FetchAll();
    bool AllFetched() const { return provider_ == nullptr || providerDone_; }
    // Position of a row in the order, npos when it is not in it.
    std::size_t PositionOf(TSlot slot);

    // Ids grow in the order rows were fetched or first posted; 0 for a row never posted.
    std::uint64_t IdOf(TSlot slot) const { return ids_[slot]; }
    TSlot SlotOfId(std::uint64_t id) const;
    void AssignId(TSlot slot);

    // Values of a row. A deferred value is read from the provider when first asked for.
    bool IsNull(TSlot slot, int col) const { return cols_[col].null[slot] != 0; }
    std::int64_t GetInt(TSlot slot, int col) const { return cols_[col].ints[slot]; }
    double GetFloat(TSlot slot, int col) const { return cols_[col].floats[slot]; }
    const std::string& GetString(TSlot slot, int col) const
    {
        if (cols_[col].Pending(slot)) readDeferred(slot, col);
        return cols_[col].strings[slot];
    }
    TStorage Storage(int col) const { return cols_[col].storage; }
    rtl::Variant Get(TSlot slot, int col) const;
    void Read(TSlot slot, std::vector<rtl::Variant>& values) const;
    // Stores values converted to each column's type (conversion errors pass through).
    void Write(TSlot slot, const std::vector<rtl::Variant>& values);

    // A new row with every value Null, id 0, not yet in the order.
    TSlot NewSlot();
    void InsertAt(std::size_t pos, TSlot slot);
    void RemoveAt(std::size_t pos);
    // Forgets a row that is not in the order; its slot may be reused.
    void FreeSlot(TSlot slot);

private:
    struct Cell {
        bool null = true;
        std::int64_t i = 0;
        double d = 0;
        std::string s;
    };
    void convert(int col, const rtl::Variant& v, Cell& cell) const;
    // Fetched: deferred columns hold keys.
    void write(TSlot slot, const std::vector<rtl::Variant>& values, bool fetched);
    // Reading a deferred value fills its cell; the row's value does not change.
    void readDeferred(TSlot slot, int col) const;
    bool fetchUntil(std::size_t pos);
    void renumber();

    std::vector<Column> cols_;
    TRecordProvider* provider_ = nullptr;
    bool providerDone_ = false;
    std::vector<rtl::Variant> fetchBuffer_;
    std::vector<Cell> scratch_;

    std::vector<TSlot> order_;
    std::vector<std::uint64_t> ids_; // per slot
    std::vector<std::size_t> pos_;   // per slot; valid for order_[0 .. posValidBelow_)
    std::size_t posValidBelow_ = 0;
    std::vector<TSlot> slotOfId_; // per id (index id - 1)
    std::vector<TSlot> freeSlots_;
    std::uint64_t nextId_ = 1;
};

} // namespace db
