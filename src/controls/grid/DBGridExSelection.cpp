// The grid's selection: selected records by bookmark, selected columns, a rectangle of
// cells, or everything.
#include "controls/grid/DBGridExSelection.h"

#include <algorithm>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExUtils.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DBConsts.h"
#include "platform/db/DataSetScopes.h"

namespace grid {

namespace {

// The bookmarks of the records on screen, top to bottom (empty for a record being
// inserted), and the grid row of the first.
std::vector<db::TBookmark> BufferedBookmarks(TCustomDBGridEx& grid, int& firstRow)
{
    std::vector<db::TBookmark> bookmarks;
    firstRow = grid.TitleOffset();
    const db::TDataSet* dataSet = grid.DataLink().DataSet();
    if (!dataSet) return bookmarks;
    grid.ForEachRecordOnScreen([&](int row) {
        if (bookmarks.empty()) firstRow = row;
        bookmarks.push_back(dataSet->GetBookmark());
    });
    return bookmarks;
}

// Repaints a box of grid cells, their lower and right lines included.
void InvalidateBox(TCustomDBGridEx& grid, const ui::TGridRect& box)
{
    if (box.Left < 0 || box.Top < 0 || !grid.HandleAllocated()) return;
    const ui::TRect rect = grid.BoxRect(box.Left, box.Top, box.Right, box.Bottom);
    if (rect.IsEmpty()) return;
    const int line = grid.GridLineWidth();
    grid.InvalidateRect({rect.Left, rect.Top, rect.Right + line, rect.Bottom + line});
}

} // namespace

// ---- selected records

const db::TBookmark& TBookmarkListEx::Items(int Index) const
{
    if (Index < 0 || Index >= Count()) throw rtl::EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return items_[static_cast<std::size_t>(Index)];
}

int TBookmarkListEx::IndexOf(const db::TBookmark& Bookmark) const
{
    int index = -1;
    return Find(Bookmark, index) ? index : -1;
}

int TBookmarkListEx::compare(const db::TBookmark& a, const db::TBookmark& b) const
{
    if (const db::TDataSet* dataSet = grid_.DataLink().DataSet()) return dataSet->CompareBookmarks(a, b);
    return a.compare(b);
}

bool TBookmarkListEx::Find(const db::TBookmark& Bookmark, int& Index) const
{
    if (cacheIndex_ >= 0 && Bookmark == cacheBookmark_) {
        Index = cacheIndex_;
        return cacheResult_;
    }
    bool found = false;
    int low = 0;
    int high = Count() - 1;
    while (low <= high) {
        const int middle = static_cast<int>(static_cast<unsigned>(low + high) >> 1);
        const int c = compare(items_[static_cast<std::size_t>(middle)], Bookmark);
        if (c < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (c == 0) {
                found = true;
                low = middle;
            }
        }
    }
    Index = low;
    cacheBookmark_ = Bookmark;
    cacheIndex_ = low;
    cacheResult_ = found;
    return found;
}

void TBookmarkListEx::changed()
{
    cacheBookmark_.clear();
    cacheIndex_ = -1;
}

TDBGridExSelection& TBookmarkListEx::selection() const
{
    return grid_.Selection();
}

db::TBookmark TBookmarkListEx::CurrentRow() const
{
    if (!linkActive_) RaiseGridError(db::msg::DataSetClosed);
    return grid_.DataLink().DataSet()->GetBookmark();
}

bool TBookmarkListEx::CurrentRowSelected() const
{
    int index = 0;
    return Find(CurrentRow(), index);
}

void TBookmarkListEx::SetCurrentRowSelected(bool Value)
{
    const db::TBookmark current = CurrentRow();
    int index = 0;
    const bool found = Find(current, index);
    // A record without a bookmark (one being inserted) cannot be found again: never listed.
    if (Value != found && !(Value && current.empty())) {
        if (Value) items_.insert(items_.begin() + index, current);
        else items_.erase(items_.begin() + index);
        changed();
        grid_.InvalidateRow(grid_.Row());
    }
    TDBGridExSelection& owner = selection();
    if (owner.SelectionType() != gstRecordBookmarks && !items_.empty()) {
        owner.Clear();
        owner.SetSelectionType(gstRecordBookmarks);
    }
    owner.CheckEmpty();
}

void TBookmarkListEx::Clear()
{
    if (items_.empty()) return;
    items_.clear();
    changed();
    selection().CheckEmpty();
    grid_.Invalidate();
}

void TBookmarkListEx::Delete() { deleteRecords(false); }

void TBookmarkListEx::DeleteInListOrder() { deleteRecords(true); }

void TBookmarkListEx::deleteRecords(bool fromFirst)
{
    db::TDataSet* dataSet = grid_.DataLink().DataSet();
    if (items_.empty() || !dataSet) return;
    {
        db::TDisableControlsScope quiet(*dataSet);
        while (!items_.empty()) {
            const auto item = fromFirst ? items_.begin() : items_.end() - 1;
            if (dataSet->BookmarkValid(*item)) {
                dataSet->GotoBookmark(*item);
                dataSet->Delete();
            }
            items_.erase(item);
            changed();
        }
    }
    selection().CheckEmpty();
    grid_.Invalidate();
}

void TBookmarkListEx::SetLinkActive(bool Value)
{
    Clear();
    selection().CheckEmpty();
    linkActive_ = Value;
}

ui::TGridRect TBookmarkListEx::RowsOnScreenRect() const
{
    if (items_.empty()) return NoGridRect;
    int firstRow = 0;
    const std::vector<db::TBookmark> shown = BufferedBookmarks(grid_, firstRow);
    int first = -1;
    int last = -1;
    for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
        int index = 0;
        if (shown[static_cast<std::size_t>(i)].empty() || !Find(shown[static_cast<std::size_t>(i)], index)) continue;
        if (first < 0) first = i;
        last = i;
    }
    if (first < 0) return NoGridRect;
    return {0, firstRow + first, grid_.ColCount() - 1, firstRow + last};
}

// ---- selected columns

TDBGridExSelection& TDBGridExSelectionCols::selection() const
{
    return grid_.Selection();
}

void TDBGridExSelectionCols::Clear()
{
    for (const TColumnEx* column : *this) grid_.InvalidateColumn(column->GetIndex());
    TColumnsExList::Clear();
    shiftAdded_.Clear();
    anchor_ = nullptr;
    shiftColumn_ = nullptr;
}

void TDBGridExSelectionCols::insertSorted(TColumnEx* column)
{
    const int index = column->GetIndex();
    int place = 0;
    while (place < Count() && Items(place)->GetIndex() <= index) ++place;
    Insert(place, column);
}

void TDBGridExSelectionCols::add(TColumnEx* column)
{
    insertSorted(column);
    grid_.InvalidateColumn(column->GetIndex());
}

void TDBGridExSelectionCols::remove(TColumnEx* column)
{
    Remove(column);
    grid_.InvalidateColumn(column->GetIndex());
}

void TDBGridExSelectionCols::setKindFromList()
{
    selection().SetSelectionType(Count() > 0 ? gstColumns : gstNon);
}

void TDBGridExSelectionCols::Toggle(TColumnEx* Column)
{
    if (!Column) return;
    if (selection().SelectionType() != gstColumns) selection().Clear();
    if (Contains(Column)) remove(Column);
    else add(Column);
    anchor_ = shiftColumn_ = Column;
    setKindFromList();
    shiftAdded_.Clear();
}

void TDBGridExSelectionCols::Select(TColumnEx* Column, bool AddSelection)
{
    if (!Column) return;
    if (selection().SelectionType() != gstColumns) selection().Clear();
    if (!AddSelection) {
        for (const TColumnEx* column : *this) grid_.InvalidateColumn(column->GetIndex());
        TColumnsExList::Clear();
    }
    if (!Contains(Column)) add(Column);
    anchor_ = shiftColumn_ = Column;
    selection().SetSelectionType(gstColumns);
    shiftAdded_.Clear();
}

void TDBGridExSelectionCols::ExtendTo(TColumnEx* Column)
{
    if (!Column) return;
    if (selection().SelectionType() != gstColumns) selection().Clear();
    if (!anchor_) {
        Select(Column, true);
        setKindFromList();
        return;
    }
    const int a = anchor_->GetIndex();
    const int p = (shiftColumn_ ? shiftColumn_ : anchor_)->GetIndex();
    const int n = Column->GetIndex();
    int start = n;
    int end = n;
    int step = 1;
    bool extend = true;
    int crossing = -1;
    if (a < p && p < n) {
        start = p;
    } else if (a < p && p > n) {
        start = p;
        step = -1;
        extend = false;
        if (a > n) crossing = a;
        else end = n + 1;
    } else if (a > p && p > n) {
        start = p;
        step = -1;
    } else if (a > p && p < n) {
        start = p;
        extend = false;
        if (a < n) crossing = a;
        else end = n - 1;
    } else if (a == p) {
        start = a;
        step = a > n ? -1 : 1;
    }
    const bool anchorSelected = Contains(anchor_);
    TDBGridColumnsEx& columns = grid_.Columns();
    for (int i = start; i >= 0 && i < columns.Count(); i += step) {
        if (i == crossing) extend = !extend;
        TColumnEx* column = columns.Items(i);
        const bool selected = Contains(column);
        const bool noted = shiftAdded_.Contains(column);
        if (extend && anchorSelected && !selected && column->GetVisible()) {
            add(column);
            shiftAdded_.Add(column);
        } else if (extend && !anchorSelected && selected && column != anchor_) {
            remove(column);
            shiftAdded_.Add(column);
        } else if (!extend && anchorSelected && selected && column != anchor_ && noted) {
            remove(column);
            shiftAdded_.Remove(column);
        } else if (!extend && !anchorSelected && !selected && column->GetVisible() && noted) {
            add(column);
            shiftAdded_.Remove(column);
        }
        if (i == end) break;
    }
    shiftColumn_ = Column;
    setKindFromList();
}

void TDBGridExSelectionCols::Refresh()
{
    TDBGridColumnsEx& columns = grid_.Columns();
    std::vector<TColumnEx*> kept;
    for (TColumnEx* column : *this) {
        bool inGrid = false;
        for (int i = 0; i < columns.Count() && !inGrid; ++i) inGrid = columns.Items(i) == column;
        if (inGrid) kept.push_back(column);
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const TColumnEx* x, const TColumnEx* y) { return x->GetIndex() < y->GetIndex(); });
    TColumnsExList::Clear();
    for (TColumnEx* column : kept) Add(column);
}

ui::TGridRect TDBGridExSelectionCols::RepaintRect() const
{
    if (Count() == 0) return NoGridRect;
    return {grid_.DataToRawColumn(Items(0)->GetIndex()), 0, grid_.DataToRawColumn(Items(Count() - 1)->GetIndex()),
            grid_.RowCount() - 1};
}

void TDBGridExSelectionCols::ColumnRemoved(const rtl::TCollectionItem* Column)
{
    auto isIt = [Column](const TColumnEx* column) { return static_cast<const rtl::TCollectionItem*>(column) == Column; };
    for (int i = Count() - 1; i >= 0; --i)
        if (isIt(Items(i))) Delete(i);
    for (int i = shiftAdded_.Count() - 1; i >= 0; --i)
        if (isIt(shiftAdded_.Items(i))) shiftAdded_.Delete(i);
    if (anchor_ && isIt(anchor_)) {
        anchor_ = shiftColumn_ = nullptr;
        shiftAdded_.Clear();
    } else if (shiftColumn_ && isIt(shiftColumn_)) {
        shiftColumn_ = anchor_;
        shiftAdded_.Clear();
    }
    selection().CheckEmpty();
}

// ---- rectangle

bool TDBGridExSelectionRect::IsLinkActive() const
{
    return grid_.DataLink().DataSet() && grid_.DataLink().Active();
}

void TDBGridExSelectionRect::checkLinkActive(const char* message) const
{
    if (!IsLinkActive()) RaiseGridError(message);
}

int TDBGridExSelectionRect::anchorRecNo() const
{
    return grid_.DataLink().DataSet()->RecNoOfBookmark(anchor_.Row);
}

int TDBGridExSelectionRect::shiftRecNo() const
{
    return grid_.DataLink().DataSet()->RecNoOfBookmark(shift_.Row);
}

db::TBookmark TDBGridExSelectionRect::TopRow() const
{
    checkLinkActive(msg::SelectionRectRowError);
    return shiftRecNo() < anchorRecNo() ? shift_.Row : anchor_.Row;
}

db::TBookmark TDBGridExSelectionRect::BottomRow() const
{
    checkLinkActive(msg::SelectionRectRowError);
    return shiftRecNo() < anchorRecNo() ? anchor_.Row : shift_.Row;
}

int TDBGridExSelectionRect::LeftCol() const
{
    checkLinkActive(msg::SelectionRectRowError);
    return std::min(anchor_.Col, shift_.Col);
}

int TDBGridExSelectionRect::RightCol() const
{
    checkLinkActive(msg::SelectionRectRowError);
    return std::max(anchor_.Col, shift_.Col);
}

bool TDBGridExSelectionRect::CellSelected(int DataCol, const db::TBookmark& Bookmark) const
{
    checkLinkActive(msg::SelectionRectCellError);
    if (DataCol < std::min(anchor_.Col, shift_.Col) || DataCol > std::max(anchor_.Col, shift_.Col)) return false;
    // Rows count in the order shown; a rectangle whose end is no longer shown holds nothing.
    const int a = anchorRecNo();
    const int s = shiftRecNo();
    const int recNo = grid_.DataLink().DataSet()->RecNoOfBookmark(Bookmark);
    return a > 0 && s > 0 && recNo >= std::min(a, s) && recNo <= std::max(a, s);
}

ui::TGridRect TDBGridExSelectionRect::gridRectOf(const TDBCell& a, const TDBCell& b) const
{
    if (!IsLinkActive() || a.Col < 0 || b.Col < 0) return NoGridRect;
    db::TDataSet* dataSet = grid_.DataLink().DataSet();
    int firstRow = 0;
    const std::vector<db::TBookmark> shown = BufferedBookmarks(grid_, firstRow);
    if (shown.empty()) return NoGridRect;
    // A record above the rows on screen counts as the first row, one below as the last.
    auto rowOf = [&](const db::TBookmark& bookmark) {
        const int recNo = dataSet->RecNoOfBookmark(bookmark);
        for (int i = 0; i < static_cast<int>(shown.size()); ++i)
            if (dataSet->RecNoOfBookmark(shown[static_cast<std::size_t>(i)]) >= recNo) return i;
        return static_cast<int>(shown.size()) - 1;
    };
    const int rowA = rowOf(a.Row);
    const int rowB = rowOf(b.Row);
    return {grid_.DataToRawColumn(std::min(a.Col, b.Col)), firstRow + std::min(rowA, rowB),
            grid_.DataToRawColumn(std::max(a.Col, b.Col)), firstRow + std::max(rowA, rowB)};
}

void TDBGridExSelectionRect::Clear()
{
    const ui::TGridRect old = gridRectOf(anchor_, shift_);
    anchor_ = TDBCell();
    shift_ = TDBCell();
    InvalidateBox(grid_, old);
}

void TDBGridExSelectionRect::Select(int ACol, const db::TBookmark& ARow, bool AddSel)
{
    TDBGridExSelection& selection = grid_.Selection();
    if (selection.SelectionType() != gstRectangle) selection.Clear();
    const TDBCell oldAnchor = anchor_;
    const TDBCell oldShift = shift_;
    if (anchor_.Col == -1 || !AddSel) anchor_ = {ACol, ARow};
    shift_ = {ACol, ARow};
    const bool oneCell = anchor_.Col == shift_.Col && anchor_.Row == shift_.Row;
    if (!oneCell) selection.SetSelectionType(gstRectangle);
    else if (selection.SelectionType() == gstRectangle) selection.SetSelectionType(gstNon);
    // The old and the new range are painted again.
    InvalidateBox(grid_, gridRectOf(oldAnchor, oldShift));
    InvalidateBox(grid_, gridRectOf(anchor_, shift_));
}

ui::TGridRect TDBGridExSelectionRect::RepaintRect() const
{
    if (!IsLinkActive() || anchor_.Col < 0) return NoGridRect;
    db::TDataSet* dataSet = grid_.DataLink().DataSet();
    const int a = anchorRecNo();
    const int s = shiftRecNo();
    if (a < 1 || s < 1) return NoGridRect;
    int firstRow = 0;
    const std::vector<db::TBookmark> shown = BufferedBookmarks(grid_, firstRow);
    int first = -1;
    int last = -1;
    for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
        const int recNo = dataSet->RecNoOfBookmark(shown[static_cast<std::size_t>(i)]);
        if (recNo < std::min(a, s) || recNo > std::max(a, s)) continue;
        if (first < 0) first = i;
        last = i;
    }
    if (first < 0) return NoGridRect;
    return {grid_.DataToRawColumn(std::min(anchor_.Col, shift_.Col)), firstRow + first,
            grid_.DataToRawColumn(std::max(anchor_.Col, shift_.Col)), firstRow + last};
}

// ---- the selection

TDBGridExSelection::TDBGridExSelection(TCustomDBGridEx& grid) : grid_(grid), columns_(grid), rect_(grid)
{
}

TBookmarkListEx& TDBGridExSelection::Rows() const
{
    return grid_.SelectedRows();
}

void TDBGridExSelection::SetSelectionType(TDBGridExSelectionType value)
{
    if (value == selectionType_) return;
    selectionType_ = value;
    grid_.Invalidate();
}

void TDBGridExSelection::Clear()
{
    switch (selectionType_) {
    case gstRecordBookmarks: Rows().Clear(); break;
    case gstRectangle: rect_.Clear(); break;
    case gstColumns: columns_.Clear(); break;
    case gstAll: grid_.Invalidate(); break;
    case gstNon: break;
    }
    SetSelectionType(gstNon);
    // The editor comes back where the selection hid it (not on a grid without data).
    if (grid_.HasState(rtl::csDestroying) || !grid_.DataLink().Active()) return;
    if (grid_.GetOptions().Contains(dgAlwaysShowEditor) && grid_.AlwaysShowEditor()) grid_.ShowEditor();
}

void TDBGridExSelection::ClearRows()
{
    Rows().Clear();
}

void TDBGridExSelection::SelectAll()
{
    if (selectionType_ == gstAll) return;
    if (selectionType_ != gstNon) Clear();
    SetSelectionType(gstAll);
    grid_.Invalidate();
}

void TDBGridExSelection::CheckEmpty()
{
    if ((selectionType_ == gstRecordBookmarks && Rows().Count() == 0)
        || (selectionType_ == gstColumns && columns_.Count() == 0))
        SetSelectionType(gstNon);
}

bool TDBGridExSelection::IsCellSelected(int dataCol, const db::TBookmark& bookmark) const
{
    switch (selectionType_) {
    case gstRecordBookmarks: return IsRowSelected(bookmark);
    case gstRectangle: return dataCol >= 0 && rect_.CellSelected(dataCol, bookmark);
    case gstColumns: return IsColumnSelected(dataCol);
    case gstAll: return true;
    case gstNon: break;
    }
    return false;
}

bool TDBGridExSelection::IsRowSelected(const db::TBookmark& bookmark) const
{
    return Rows().IndexOf(bookmark) >= 0;
}

int TDBGridExSelection::SelectedRowCount() const
{
    return Rows().Count();
}

bool TDBGridExSelection::IsColumnSelected(int dataCol) const
{
    if (selectionType_ != gstColumns || dataCol < 0 || dataCol >= grid_.Columns().Count()) return false;
    return columns_.Contains(grid_.Columns().Items(dataCol));
}

void TDBGridExSelection::SetLinkActive(bool active)
{
    Rows().SetLinkActive(active);
    Clear();
}

ui::TGridRect TDBGridExSelection::RepaintRect() const
{
    switch (selectionType_) {
    case gstRecordBookmarks: return Rows().RowsOnScreenRect();
    case gstRectangle: return rect_.RepaintRect();
    case gstColumns: return columns_.RepaintRect();
    case gstAll: return {0, 0, grid_.ColCount() - 1, grid_.RowCount() - 1};
    case gstNon: break;
    }
    return NoGridRect;
}

// ---- the grid's selection objects

std::unique_ptr<IDBGridExSelection> TCustomDBGridEx::CreateSelection()
{
    selectedRows_ = std::make_unique<TBookmarkListEx>(*this);
    return std::make_unique<TDBGridExSelection>(*this);
}

} // namespace grid
