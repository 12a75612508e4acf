#pragma once
// What the user has marked in a grid: nothing, a set of records, a rectangle of cells, a
// set of columns, or everything. Copy, cut, delete, export and paste work on it; the
// drawing asks it whether a cell is selected.
//
// Records are held by bookmark. The selected records are kept in the data set's bookmark
// order (the order records were first fetched or posted), which stays the same whatever
// the view does, so the list stays sorted and is searched by halving. A rectangle spans
// records as the grid shows them: its rows are compared by their place on screen.
#include <string>
#include <vector>

#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExSeams.h"
#include "controls/grid/DBGridExTypes.h"
#include "platform/db/DBTypes.h"
#include "platform/ui/Grids.h"

namespace grid {

class TDBGridExSelection;

// The grid cells nothing on screen stands for.
inline constexpr ui::TGridRect NoGridRect{-1, -1, -1, -1};

// The selected records of a grid, in bookmark order, with the last search kept.
class TBookmarkListEx {
public:
    explicit TBookmarkListEx(TCustomDBGridEx& grid) : grid_(grid) {}
    TBookmarkListEx(const TBookmarkListEx&) = delete;
    TBookmarkListEx& operator=(const TBookmarkListEx&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    // rtl::EListError outside the list.
    const db::TBookmark& Items(int Index) const;
    int IndexOf(const db::TBookmark& Bookmark) const;
    // Whether the bookmark is listed; Index is where it stands or would be inserted.
    bool Find(const db::TBookmark& Bookmark, int& Index) const;

    // The data set's current record; ui::EInvalidGridOperation while the link is inactive.
    db::TBookmark CurrentRow() const;
    bool CurrentRowSelected() const;
    // Selects or deselects the current record; a record selection replaces any other.
    void SetCurrentRowSelected(bool Value);
    // Empties the list (the selection falls back to none) and repaints the grid.
    void Clear();
    // Deletes every listed record from the data set, the last first. A record that is no
    // longer there is only taken off the list; a failed delete stops with the records
    // not deleted yet still listed.
    void Delete();
    // The same from the first listed record on.
    void DeleteInListOrder();

    bool GetLinkActive() const { return linkActive_; }
    // Opening or closing the grid's data empties the list.
    void SetLinkActive(bool Value);

    // The grid rows on screen that show listed records: (0, first, last column, last);
    // NoGridRect when none shows.
    ui::TGridRect RowsOnScreenRect() const;

private:
    int compare(const db::TBookmark& a, const db::TBookmark& b) const;
    void deleteRecords(bool fromFirst);
    void changed();
    TDBGridExSelection& selection() const;

    TCustomDBGridEx& grid_;
    bool linkActive_ = false;
    std::vector<db::TBookmark> items_;
    // The last Find: its bookmark, answer and place (index -1: nothing kept).
    mutable db::TBookmark cacheBookmark_;
    mutable bool cacheResult_ = false;
    mutable int cacheIndex_ = -1;
};

// The selected columns, in column order.
class TDBGridExSelectionCols : public TColumnsExList {
public:
    explicit TDBGridExSelectionCols(TCustomDBGridEx& grid) : grid_(grid) {}

    // Repaints the selected columns and empties the list; no anchor afterwards.
    void Clear() override;
    // Ctrl-click: the column's selected state flips; it becomes the anchor.
    void Toggle(TColumnEx* Column);
    // A plain click selects the column (besides those selected with AddSelection); it
    // becomes the anchor.
    void Select(TColumnEx* Column, bool AddSelection);
    // Shift-click: the columns from the anchor to Column take the anchor's state; the
    // columns a previous extension changed beyond Column get their state back.
    void ExtendTo(TColumnEx* Column);
    // Drops columns that left the grid and puts the rest in column order.
    void Refresh();
    // From the first to the last selected grid column over all rows; NoGridRect when empty.
    ui::TGridRect RepaintRect() const;

    // Where the last plain or Ctrl selection happened, and where the Shift extension ends.
    TColumnEx* Anchor() const { return anchor_; }
    TColumnEx* ShiftColumn() const { return shiftColumn_; }
    // A column leaves the grid (it may be half destroyed: only its address is used).
    void ColumnRemoved(const rtl::TCollectionItem* Column);

private:
    TDBGridExSelection& selection() const;
    void insertSorted(TColumnEx* column);
    void add(TColumnEx* column);
    void remove(TColumnEx* column);
    void setKindFromList();

    TCustomDBGridEx& grid_;
    TColumnEx* anchor_ = nullptr;
    TColumnEx* shiftColumn_ = nullptr;
    // The columns the running Shift extension added or removed.
    TColumnsExList shiftAdded_;
};

// One cell of a rectangle: a data column and a record.
struct TDBCell {
    int Col = -1;
    db::TBookmark Row;
};

// A rectangle of cells between an anchor and a shift cell, both included.
class TDBGridExSelectionRect {
public:
    explicit TDBGridExSelectionRect(TCustomDBGridEx& grid) : grid_(grid) {}

    // Both cells back to none; the old rectangle is repainted.
    void Clear();
    // A plain selection anchors at the cell; with AddSel an existing anchor stays and the
    // rectangle stretches to the cell. A rectangle of one cell is no selection.
    void Select(int ACol, const db::TBookmark& ARow, bool AddSel);
    // The upper and lower records and the left and right data columns of the rectangle;
    // ui::EInvalidGridOperation while the grid has no active data.
    db::TBookmark TopRow() const;
    db::TBookmark BottomRow() const;
    int LeftCol() const;
    int RightCol() const;
    bool CellSelected(int DataCol, const db::TBookmark& Bookmark) const;
    // The grid cells of the rectangle on screen; NoGridRect when none shows.
    ui::TGridRect RepaintRect() const;
    // The grid has a data set and its link is active.
    bool IsLinkActive() const;

    const TDBCell& AnchorCell() const { return anchor_; }
    const TDBCell& ShiftCell() const { return shift_; }

private:
    void checkLinkActive(const char* message) const;
    // Where the anchor and the shift records stand on screen (RecNo; -1: not shown).
    int anchorRecNo() const;
    int shiftRecNo() const;
    // The grid cells of the range between two cells, the rows cut to those on screen.
    ui::TGridRect gridRectOf(const TDBCell& a, const TDBCell& b) const;

    TCustomDBGridEx& grid_;
    TDBCell anchor_;
    TDBCell shift_;
};

class TDBGridExSelection : public IDBGridExSelection {
public:
    explicit TDBGridExSelection(TCustomDBGridEx& grid);
    TDBGridExSelection(const TDBGridExSelection&) = delete;
    TDBGridExSelection& operator=(const TDBGridExSelection&) = delete;

    TDBGridExSelectionCols& Columns() { return columns_; }
    const TDBGridExSelectionCols& Columns() const { return columns_; }
    TDBGridExSelectionRect& Rect() { return rect_; }
    const TDBGridExSelectionRect& Rect() const { return rect_; }
    // The grid's selected records.
    TBookmarkListEx& Rows() const;

    TDBGridExSelectionType SelectionType() const override { return selectionType_; }
    // A new kind repaints the grid.
    void SetSelectionType(TDBGridExSelectionType value);
    // Empties what the kind holds; nothing is selected afterwards.
    void Clear() override;
    void ClearRows() override;
    void SelectAll();
    // A record or column selection whose list became empty is none.
    void CheckEmpty();
    bool IsCellSelected(int dataCol, const db::TBookmark& bookmark) const override;
    bool IsRowSelected(const db::TBookmark& bookmark) const override;
    int SelectedRowCount() const override;
    bool IsColumnSelected(int dataCol) const override;
    // The grid's data opened or closed: nothing stays selected.
    void SetLinkActive(bool active) override;
    void RefreshColumns() override { columns_.Refresh(); }
    // The grid cells to repaint for the selection.
    ui::TGridRect RepaintRect() const;

private:
    TCustomDBGridEx& grid_;
    TDBGridExSelectionType selectionType_ = gstNon;
    TDBGridExSelectionCols columns_;
    TDBGridExSelectionRect rect_;
};

} // namespace grid
