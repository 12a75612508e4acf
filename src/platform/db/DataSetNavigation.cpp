// TDataSet: the visible rows, the record window, moving, bookmarks and calculated fields.
#include <algorithm>
#include <cstring>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"

namespace db {

// --- visible rows: the store's rows in order, or those the filter accepted

bool TDataSet::viewFetchFiltered(std::size_t i)
{
    while (filteredRows_.size() <= i) {
        if (filterScanned_ >= store_.Count() && !store_.FetchNext()) return false;
        TSlot slot = store_.SlotAt(filterScanned_++);
        if (filterAccepts(slot)) filteredRows_.push_back(slot);
    }
    return true;
}

void TDataSet::viewFetchAll()
{
    if (!filterActive_) {
        store_.FetchAll();
        return;
    }
    while (viewFetch(filteredRows_.size())) {}
}

std::size_t TDataSet::viewIndexOf(TSlot slot)
{
    std::size_t pos = store_.PositionOf(slot);
    if (!filterActive_ || pos == TRecordStore::npos) return pos;
    // A row the filter has not judged yet is judged now, with those before it.
    while (filterScanned_ <= pos && viewFetchFiltered(filteredRows_.size())) {}
    // Filtered rows keep the store's order: search by store position.
    auto it = std::lower_bound(filteredRows_.begin(), filteredRows_.end(), pos,
                               [this](TSlot s, std::size_t p) { return store_.PositionOf(s) < p; });
    if (it == filteredRows_.end() || *it != slot) return TRecordStore::npos;
    return static_cast<std::size_t>(it - filteredRows_.begin());
}

void TDataSet::viewInsert(std::size_t i, TSlot slot)
{
    if (!filterActive_) {
        store_.InsertAt(i, slot);
        return;
    }
    std::size_t storePos = i < filteredRows_.size() ? store_.PositionOf(filteredRows_[i]) : store_.Count();
    store_.InsertAt(storePos, slot);
    if (storePos <= filterScanned_) ++filterScanned_;
    filteredRows_.insert(filteredRows_.begin() + static_cast<std::ptrdiff_t>(i), slot);
}

void TDataSet::viewErase(std::size_t i)
{
    TSlot slot = viewSlot(i);
    std::size_t storePos = store_.PositionOf(slot);
    store_.RemoveAt(storePos);
    if (filterActive_) {
        filteredRows_.erase(filteredRows_.begin() + static_cast<std::ptrdiff_t>(i));
        if (storePos < filterScanned_) --filterScanned_;
    }
}

void TDataSet::readSlot(TSlot slot, std::vector<rtl::Variant>& values) const
{
    store_.Read(slot, values);
}

// --- the window

void TDataSet::clearWindow()
{
    first_ = 0;
    recordCount_ = 0;
    activeRecord_ = 0;
}

std::ptrdiff_t TDataSet::placeWindow(std::size_t target, Place place)
{
    const std::size_t oldFirst = first_;
    const std::size_t n = static_cast<std::size_t>(bufferCount_);
    std::size_t first = first_;
    bool inside = recordCount_ > 0 && target >= first && target < first + n;
    if (place == Place::Centre) {
        if (!inside) first = target >= n / 2 ? target - n / 2 : 0;
    } else if (target < first) {
        first = target;
    } else if (target >= first + n) {
        first = target - n + 1;
    }
    // Keep the window full: extend upwards when the rows below run out.
    if (!viewFetch(first + n - 1)) {
        std::size_t count = viewCount();
        first = count > n ? std::min(first, count - n) : 0;
    }
    first_ = first;
    recordCount_ = static_cast<int>(std::min(n, viewCount() - first));
    activeRecord_ = static_cast<int>(target - first);
    return static_cast<std::ptrdiff_t>(first_) - static_cast<std::ptrdiff_t>(oldFirst);
}

void TDataSet::resyncAt(std::size_t target)
{
    if (!viewFetch(target)) {
        std::size_t count = viewCount();
        if (count == 0) {
            clearWindow();
            syncRead();
            return;
        }
        target = count - 1;
    }
    placeWindow(target, Place::Keep);
    syncRead();
}

void TDataSet::syncRead()
{
    read_.store = &store_;
    read_.calcBuffer = -1;
    if (recordCount_ == 0 || state_ == dsInactive) {
        read_.slot = kNoSlot;
        read_.values = nullptr;
        read_.calc = nullptr;
        return;
    }
    TSlot slot = viewSlot(cursor());
    read_.slot = slot;
    if (editSlot_ != kNoSlot && slot == editSlot_) {
        read_.values = editBuf_.data();
        read_.calc = calcFields_.empty() ? nullptr : editCalc_.data();
    } else {
        // The calculated values cost an OnCalcFields: they are computed when a field first
        // reads them, so that a walk that reads none (the sums of a grid's footers) pays nothing.
        read_.values = nullptr;
        read_.calc = nullptr;
        if (!calcFields_.empty()) read_.calcBuffer = activeRecord_;
    }
}

rtl::Variant* TDataSet::dueCalc()
{
    if (read_.calc || read_.calcBuffer < 0) return read_.calc;
    rtl::Variant* calc = ensureCalc(read_.calcBuffer);
    read_.calc = calc;
    read_.calcBuffer = -1;
    return calc;
}

void TDataSet::SetActiveRecord(int index)
{
    if (index == activeRecord_) return;
    if (index < 0 || index >= recordCount_) DatabaseError("Record index out of range");
    activeRecord_ = index;
    syncRead();
}

void TDataSet::updateBufferCount()
{
    int n = 1;
    for (TDataSource* s : dataSources_)
        for (TDataLink* l : s->links_) n = std::max(n, l->bufferCount_);
    if (n == bufferCount_) return;
    bufferCount_ = n;
    if (!GetActive()) return;
    calcBufs_.assign(static_cast<std::size_t>(n), CalcBuffer{});
    std::size_t oldFirst = first_;
    if (recordCount_ > 0) resyncAt(cursor());
    // Links keep showing the same records where the window allows.
    int shift = static_cast<int>(static_cast<std::ptrdiff_t>(first_) - static_cast<std::ptrdiff_t>(oldFirst));
    for (TDataSource* s : dataSources_)
        for (TDataLink* l : s->links_) {
            l->firstRecord_ -= shift;
            if (l->active_) l->updateRange();
        }
}

// --- moving

int TDataSet::MoveBy(int distance)
{
    if (distance == 1 && quietNext()) return 1;
    CheckBrowseMode();
    int moved = 0;
    fire(BeforeScroll);
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        bof_ = eof_ = false;
        std::size_t cur = cursor();
        std::size_t target;
        if (distance > 0) {
            target = cur + static_cast<std::size_t>(distance);
            if (!viewFetch(target)) {
                target = viewCount() - 1;
                eof_ = true;
            }
        } else if (cur < static_cast<std::size_t>(-static_cast<long long>(distance))) {
            target = 0;
            bof_ = true;
        } else {
            target = cur - static_cast<std::size_t>(-static_cast<long long>(distance));
        }
        moved = static_cast<int>(static_cast<std::ptrdiff_t>(target) - static_cast<std::ptrdiff_t>(cur));
        std::ptrdiff_t shift = 0;
        if (recordCount_ > 0) {
            if (target >= first_ && target < first_ + static_cast<std::size_t>(recordCount_)) {
                activeRecord_ = static_cast<int>(target - first_); // inside the window
            } else {
                shift = placeWindow(target, Place::Keep);
            }
        }
        syncRead();
        DataEvent(deDataSetScroll, shift);
    }
    fire(AfterScroll);
    return moved;
}

void TDataSet::First()
{
    CheckBrowseMode();
    fire(BeforeScroll);
    std::size_t oldFirst = first_;
    if (viewFetch(0)) placeWindow(0, Place::Keep);
    else clearWindow();
    bof_ = true;
    eof_ = recordCount_ == 0;
    syncRead();
    DataEvent(deDataSetScroll, static_cast<std::ptrdiff_t>(first_) - static_cast<std::ptrdiff_t>(oldFirst));
    fire(AfterScroll);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    fire(BeforeScroll);
    std::size_t oldFirst = first_;
    viewFetchAll();
    if (viewCount() > 0) placeWindow(viewCount() - 1, Place::Keep);
    else clearWindow();
    eof_ = true;
    bof_ = recordCount_ == 0;
    syncRead();
    DataEvent(deDataSetScroll, static_cast<std::ptrdiff_t>(first_) - static_cast<std::ptrdiff_t>(oldFirst));
    fire(AfterScroll);
}

// Makes a row current by a jump (bookmark, record number, search).
void TDataSet::gotoView(std::size_t index)
{
    placeWindow(index, Place::Centre);
    bof_ = eof_ = false;
    syncRead();
    DataEvent(deDataSetChange, 0);
    fire(AfterScroll);
}

int TDataSet::GetRecNo() const
{
    if (recordCount_ == 0 || state_ == dsInsert) return -1;
    return static_cast<int>(cursor()) + 1;
}

void TDataSet::SetRecNo(int recNo)
{
    CheckBrowseMode();
    if (recNo < 1 || !viewFetch(static_cast<std::size_t>(recNo) - 1)) return;
    if (static_cast<std::size_t>(recNo) - 1 == cursor()) return;
    fire(BeforeScroll);
    gotoView(static_cast<std::size_t>(recNo) - 1);
}

int TDataSet::RecordCount()
{
    if (!GetActive()) return 0;
    viewFetchAll();
    std::size_t count = viewCount();
    if (state_ == dsInsert && count > 0) --count;
    return static_cast<int>(count);
}

bool TDataSet::IsSequenced() const
{
    return store_.AllFetched();
}

// --- rows numbered by the data set itself

int TDataSet::FetchedRowCount() const
{
    return GetActive() ? static_cast<int>(viewCount()) : 0;
}

int TDataSet::CurrentRow() const
{
    return GetActive() && recordCount_ > 0 ? static_cast<int>(cursor()) + 1 : 0;
}

int TDataSet::FetchRows(int count)
{
    if (!GetActive() || count <= 0) return 0;
    const std::size_t before = viewCount();
    viewFetch(before + static_cast<std::size_t>(count) - 1);
    return static_cast<int>(viewCount() - before);
}

bool TDataSet::BeginReadRow(int row)
{
    if (!GetActive() || row < 1 || !viewFetch(static_cast<std::size_t>(row) - 1)) return false;
    rowReads_.push_back({first_, recordCount_, activeRecord_});
    // A window of that one row: the fields, the bookmark and the record number read it.
    first_ = static_cast<std::size_t>(row) - 1;
    recordCount_ = 1;
    activeRecord_ = 0;
    syncRead();
    return true;
}

void TDataSet::EndReadRow()
{
    if (rowReads_.empty()) return;
    const TWindowPlace place = rowReads_.back();
    rowReads_.pop_back();
    first_ = place.First;
    recordCount_ = place.RecordCount;
    activeRecord_ = place.ActiveRecord;
    syncRead();
}

// --- bookmarks: the record's id, eight bytes big-endian

static TBookmark encodeBookmark(std::uint64_t id)
{
    TBookmark b(8, '\0');
    for (int i = 7; i >= 0; --i) {
        b[static_cast<std::size_t>(i)] = static_cast<char>(id & 0xFF);
        id >>= 8;
    }
    return b;
}

static std::uint64_t decodeBookmark(const TBookmark& b)
{
    if (b.size() != 8) return 0;
    std::uint64_t id = 0;
    for (char c : b) id = (id << 8) | static_cast<unsigned char>(c);
    return id;
}

TBookmark TDataSet::GetBookmark() const
{
    if (recordCount_ == 0 || state_ == dsInactive) return {};
    std::uint64_t id = store_.IdOf(viewSlot(cursor()));
    return id == 0 ? TBookmark() : encodeBookmark(id);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark)
{
    if (!GetActive()) return false;
    TSlot slot = store_.SlotOfId(decodeBookmark(bookmark));
    return slot != kNoSlot && viewIndexOf(slot) != TRecordStore::npos;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    CheckBrowseMode();
    TSlot slot = store_.SlotOfId(decodeBookmark(bookmark));
    std::size_t index = slot == kNoSlot ? TRecordStore::npos : viewIndexOf(slot);
    if (index == TRecordStore::npos) DatabaseError(msg::RecordNotFound);
    fire(BeforeScroll);
    gotoView(index);
}

int TDataSet::RecNoOfBookmark(const TBookmark& bookmark)
{
    if (!GetActive()) return -1;
    const TSlot slot = store_.SlotOfId(decodeBookmark(bookmark));
    const std::size_t index = slot == kNoSlot ? TRecordStore::npos : viewIndexOf(slot);
    return index == TRecordStore::npos ? -1 : static_cast<int>(index) + 1;
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const
{
    if (a.empty() || b.empty()) return a.empty() ? (b.empty() ? 0 : -1) : 1;
    std::uint64_t x = decodeBookmark(a);
    std::uint64_t y = decodeBookmark(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

// --- calculated and lookup fields

void TDataSet::calculate(TSlot slot, const rtl::Variant* values, std::vector<rtl::Variant>& calc)
{
    calc.assign(calcFields_.size(), rtl::Null());
    ReadScope scope(*this);
    read_.store = &store_;
    read_.slot = slot;
    read_.values = values;
    read_.calc = calc.data();
    state_ = dsCalcFields;
    for (TField* f : calcFields_) {
        if (!f || !f->Lookup()) continue;
        TDataSet* other = f->lookupDataSet_;
        if (!other || !other->GetActive()) continue;
        rtl::Variant key = GetFieldValues(f->keyFields_);
        bool anyNull = key.IsArray() ? false : rtl::VarIsClear(key);
        for (int i = 0; key.IsArray() && i < key.ElementCount(); ++i)
            anyNull = anyNull || rtl::VarIsClear(key[key.LowBound() + i]);
        // clang-format off
        if (!anyNull) calc[static_cast<std::size_t>(f->calcIndex_)] =
            other->Lookup(f->lookupKeyFields_, key, f->lookupResultField_);
        // clang-format on
    }
    DoOnCalcFields();
}

rtl::Variant* TDataSet::ensureCalc(int bufferIndex)
{
    CalcBuffer& b = calcBufs_[static_cast<std::size_t>(bufferIndex)];
    TSlot slot = viewSlot(first_ + static_cast<std::size_t>(bufferIndex));
    if (b.slot != slot || b.version != calcVersion_) {
        b.slot = kNoSlot;
        calculate(slot, nullptr, b.values);
        b.slot = slot;
        b.version = calcVersion_;
    }
    return b.values.data();
}

void TDataSet::recalcEditRecord()
{
    if (calcFields_.empty() || editSlot_ == kNoSlot) return;
    calculate(editSlot_, editBuf_.data(), editCalc_);
    syncRead();
}

} // namespace db
