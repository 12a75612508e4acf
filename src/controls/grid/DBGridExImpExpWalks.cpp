// The records and columns a selection names.
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

} // namespace grid
