#include "platform/db/RecordStore.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace db {

TFieldDef& TFieldDefs::Add(std::string name, TFieldType type, int size, bool required)
{
    TFieldDef def;
    def.Name = std::move(name);
    def.DataType = type;
    def.Size = size;
    def.Required = required;
    items_.push_back(std::move(def));
    return items_.back();
}

int TFieldDefs::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (rtl::AnsiSameText(items_[i].Name, name)) return static_cast<int>(i);
    return -1;
}

TStorage StorageOf(TFieldType type)
{
    switch (type) {
    // clang-format off
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
        // clang-format on
        return TStorage::Int;
    case ftBoolean:
        return TStorage::Boolean;
    // clang-format off
    case ftFloat: case ftCurrency: case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
        return TStorage::Float;
    case ftBCD: case ftFMTBcd:
        // clang-format on
        return TStorage::Currency;
    default:
        return TStorage::String;
    }
}

void TRecordStore::Open(const TFieldDefs& defs, TRecordProvider* provider)
{
    Close();
    cols_.resize(static_cast<std::size_t>(defs.Count()));
    for (int i = 0; i < defs.Count(); ++i) {
        Column& c = cols_[static_cast<std::size_t>(i)];
        c.type = defs[i].DataType;
        c.storage = StorageOf(defs[i].DataType);
        c.deferred = provider && c.storage == TStorage::String && provider->Defers(i);
    }
    provider_ = provider;
    providerDone_ = false;
}

void TRecordStore::Close()
{
    cols_.clear();
    provider_ = nullptr;
    providerDone_ = false;
    fetchBuffer_.clear();
    order_.clear();
    ids_.clear();
    pos_.clear();
    posValidBelow_ = 0;
    slotOfId_.clear();
    freeSlots_.clear();
    nextId_ = 1;
}

bool TRecordStore::FetchNext()
{
    if (AllFetched()) return false;
    fetchBuffer_.assign(cols_.size(), rtl::Variant());
    if (!provider_->FetchRow(fetchBuffer_)) {
        providerDone_ = true;
        return false;
    }
    TSlot slot = NewSlot();
    try {
        write(slot, fetchBuffer_, true);
    } catch (...) {
        FreeSlot(slot);
        throw;
    }
    AssignId(slot);
    InsertAt(order_.size(), slot);
    return true;
}

bool TRecordStore::fetchUntil(std::size_t pos)
{
    while (order_.size() <= pos)
        if (!FetchNext()) return false;
    return true;
}

void TRecordStore::FetchAll()
{
    while (FetchNext()) {}
}

void TRecordStore::renumber()
{
    for (std::size_t i = posValidBelow_; i < order_.size(); ++i) pos_[order_[i]] = i;
    posValidBelow_ = order_.size();
}

std::size_t TRecordStore::PositionOf(TSlot slot)
{
    if (slot >= pos_.size()) return npos;
    std::size_t p = pos_[slot];
    if (p < posValidBelow_ && order_[p] == slot) return p;
    renumber();
    p = pos_[slot];
    return (p < order_.size() && order_[p] == slot) ? p : npos;
}

TSlot TRecordStore::SlotOfId(std::uint64_t id) const
{
    if (id == 0 || id > slotOfId_.size()) return kNoSlot;
    return slotOfId_[id - 1];
}

void TRecordStore::AssignId(TSlot slot)
{
    ids_[slot] = nextId_++;
    slotOfId_.push_back(slot);
}

TSlot TRecordStore::NewSlot()
{
    TSlot slot;
    if (!freeSlots_.empty()) {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        slot = static_cast<TSlot>(ids_.size());
        if (slot == kNoSlot) throw rtl::EDatabaseError("Too many records");
        ids_.push_back(0);
        pos_.push_back(npos);
        for (Column& c : cols_) {
            c.null.push_back(1);
            switch (c.storage) {
            case TStorage::Float: c.floats.push_back(0); break;
            case TStorage::String:
                c.strings.emplace_back();
                if (c.deferred) {
                    c.ints.push_back(0);
                    c.pending.push_back(0);
                }
                break;
            default: c.ints.push_back(0); break;
            }
        }
        return slot;
    }
    ids_[slot] = 0;
    pos_[slot] = npos;
    for (Column& c : cols_) {
        c.null[slot] = 1;
        if (c.storage == TStorage::String) std::string().swap(c.strings[slot]);
        if (c.deferred) c.pending[slot] = 0;
    }
    return slot;
}

void TRecordStore::InsertAt(std::size_t pos, TSlot slot)
{
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(pos), slot);
    if (pos == order_.size() - 1 && posValidBelow_ == pos) {
        pos_[slot] = pos;
        posValidBelow_ = pos + 1;
    } else {
        posValidBelow_ = std::min(posValidBelow_, pos);
    }
}

void TRecordStore::RemoveAt(std::size_t pos)
{
    TSlot slot = order_[pos];
    order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(pos));
    pos_[slot] = npos;
    posValidBelow_ = std::min(posValidBelow_, pos);
}

void TRecordStore::FreeSlot(TSlot slot)
{
    if (ids_[slot] != 0) slotOfId_[ids_[slot] - 1] = kNoSlot;
    ids_[slot] = 0;
    pos_[slot] = npos;
    for (Column& c : cols_) {
        c.null[slot] = 1;
        if (c.storage == TStorage::String) std::string().swap(c.strings[slot]);
        if (c.deferred) c.pending[slot] = 0;
    }
    freeSlots_.push_back(slot);
}

rtl::Variant TRecordStore::Get(TSlot slot, int col) const
{
    const Column& c = cols_[static_cast<std::size_t>(col)];
    if (c.null[slot]) return rtl::Null();
    switch (c.storage) {
    case TStorage::Int:
        if (c.type == ftLargeint) return rtl::Variant(static_cast<long long>(c.ints[slot]));
        if (c.type == ftSmallint) return rtl::Variant::FromInteger(c.ints[slot], rtl::varSmallint);
        if (c.type == ftWord) return rtl::Variant::FromInteger(c.ints[slot], rtl::varWord);
        return rtl::Variant(static_cast<int>(c.ints[slot]));
    case TStorage::Boolean:
        return rtl::Variant(c.ints[slot] != 0);
    case TStorage::Currency:
        return rtl::Variant(rtl::Currency::FromScaled(c.ints[slot]));
    case TStorage::Float:
        if (c.type == ftFloat || c.type == ftCurrency) return rtl::Variant(c.floats[slot]);
        return rtl::Variant::FromDateTime(c.floats[slot]);
    case TStorage::String:
        return rtl::Variant(GetString(slot, col));
    }
    return rtl::Null();
}

void TRecordStore::readDeferred(TSlot slot, int col) const
{
    if (!provider_) throw rtl::EDatabaseError("The value cannot be read: its data set is closed");
    // Reading does not change the row: the cell is filled as if it had been fetched so.
    auto& c = const_cast<Column&>(cols_[static_cast<std::size_t>(col)]);
    c.strings[slot] = provider_->ReadDeferred(col, c.ints[slot]);
    c.pending[slot] = 0;
}

void TRecordStore::Read(TSlot slot, std::vector<rtl::Variant>& values) const
{
    values.resize(cols_.size());
    for (std::size_t i = 0; i < cols_.size(); ++i) values[i] = Get(slot, static_cast<int>(i));
}

void TRecordStore::convert(int col, const rtl::Variant& v, Cell& cell) const
{
    const Column& c = cols_[static_cast<std::size_t>(col)];
    cell.null = rtl::VarIsClear(v);
    if (cell.null) return;
    switch (c.storage) {
    case TStorage::Int: cell.i = v.AsInt64(); break;
    case TStorage::Boolean: cell.i = v.AsBoolean() ? 1 : 0; break;
    case TStorage::Currency: cell.i = v.AsCurrency().Scaled; break;
    case TStorage::Float:
        cell.d = (c.type == ftFloat || c.type == ftCurrency) ? v.AsFloat() : v.AsDateTime();
        break;
    case TStorage::String: cell.s = v.AsString(); break;
    }
}

void TRecordStore::Write(TSlot slot, const std::vector<rtl::Variant>& values)
{
    write(slot, values, false);
}

void TRecordStore::write(TSlot slot, const std::vector<rtl::Variant>& values, bool fetched)
{
    // Convert everything first so that a bad value leaves the row unchanged.
    scratch_.resize(cols_.size());
    static const rtl::Variant null = rtl::Null();
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        const rtl::Variant& v = i < values.size() ? values[i] : null;
        Cell& cell = scratch_[i];
        if (fetched && cols_[i].deferred) {
            cell.null = rtl::VarIsClear(v);
            cell.i = cell.null ? 0 : v.AsInt64();
        } else {
            convert(static_cast<int>(i), v, cell);
        }
    }
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        Column& c = cols_[i];
        Cell& cell = scratch_[i];
        c.null[slot] = cell.null ? 1 : 0;
        switch (c.storage) {
        case TStorage::Float: c.floats[slot] = cell.null ? 0.0 : cell.d; break;
        case TStorage::String:
            if (c.deferred) {
                // A fetched key waits to be read; a written value is there.
                const bool key = fetched && !cell.null;
                c.pending[slot] = key ? 1 : 0;
                c.ints[slot] = key ? cell.i : 0;
                if (key) {
                    c.strings[slot].clear();
                    break;
                }
            }
            if (cell.null) c.strings[slot].clear();
            else c.strings[slot].swap(cell.s);
            break;
        default: c.ints[slot] = cell.null ? 0 : cell.i; break;
        }
    }
}

} // namespace db
