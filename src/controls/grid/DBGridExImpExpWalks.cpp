// The records and columns a selection names, and the field a cell stands for.
#include "controls/grid/DBGridExImpExpWalks.h"

#include <algorithm>

#include "controls/grid/DBGridEx.h"

namespace grid {

void VisibleColumnsBetween(TCustomDBGridEx& grid, int First, int Last, TColumnsExList& Columns)
{
    TDBGridColumnsEx& all = grid.Columns();
    for (int i = std::max(First, 0); i <= Last && i < all.Count(); ++i)
        if (all.Items(i)->GetVisible()) Columns.Add(all.Items(i));
}

void SelectionColumns(TCustomDBGridEx& grid, TDBGridExSelectionType kind, TColumnsExList& Columns)
{
    TDBGridExSelection& selection = grid.Selection();
    switch (kind) {
    case gstRectangle:
        VisibleColumnsBetween(grid, selection.Rect().LeftCol(), selection.Rect().RightCol(), Columns);
        break;
    case gstColumns:
        for (TColumnEx* column : selection.Columns()) Columns.Add(column);
        break;
    default:
        for (TColumnEx* column : grid.VisibleColumns()) Columns.Add(column);
        break;
    }
}

db::TField* CellValueField(TColumnEx& column)
{
    db::TField* field = column.Field();
    if (!field || !field->Lookup()) return field;
    const std::string& keys = field->GetKeyFields();
    if (keys.empty() || keys.find(';') != std::string::npos || !field->DataSet()) return nullptr;
    return field->DataSet()->FindField(keys);
}

void ForEachRectangleRecord(TCustomDBGridEx& grid, db::TDataSet& dataSet, const std::function<bool()>& fn)
{
    const db::TBookmark& anchor = grid.Selection().Rect().AnchorCell().Row;
    const db::TBookmark& shift = grid.Selection().Rect().ShiftCell().Row;
    const bool anchorThere = !anchor.empty() && dataSet.BookmarkValid(anchor);
    const bool shiftThere = !shift.empty() && dataSet.BookmarkValid(shift);
    if (!anchorThere && !shiftThere) return;
    // The rows are ordered by where they stand in the data set, which is the order the
    // walk takes; bookmarks may compare otherwise (a record inserted between others).
    bool anchorFirst = anchorThere;
    if (anchorThere && shiftThere) anchorFirst = dataSet.RecNoOfBookmark(anchor) <= dataSet.RecNoOfBookmark(shift);
    const db::TBookmark& first = anchorFirst ? anchor : shift;
    const db::TBookmark& last = anchorFirst ? shift : anchor;
    dataSet.GotoBookmark(first);
    while (!dataSet.Eof()) {
        if (!fn()) return;
        if (dataSet.GetBookmark() == last) return;
        dataSet.Next();
    }
}

void ForEachRecord(db::TDataSet& dataSet, const std::function<bool()>& fn)
{
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        if (!fn()) return;
}

void ForEachSelectedRecord(TCustomDBGridEx& grid, db::TDataSet& dataSet, TDBGridExSelectionType kind,
                           const std::function<bool()>& fn)
{
    switch (kind) {
    case gstRecordBookmarks: {
        const TBookmarkListEx& rows = grid.SelectedRows();
        for (int i = 0; i < rows.Count(); ++i) {
            // A listed record that has gone since is passed over.
            if (!dataSet.BookmarkValid(rows.Items(i))) continue;
            dataSet.GotoBookmark(rows.Items(i));
            if (!fn()) return;
        }
        break;
    }
    case gstRectangle: ForEachRectangleRecord(grid, dataSet, fn); break;
    default: ForEachRecord(dataSet, fn); break;
    }
}

} // namespace grid
