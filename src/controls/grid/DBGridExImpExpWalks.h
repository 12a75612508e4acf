#pragma once
// The records and columns a selection names, as the grid's exports, imports and cell
// clearing walk them.
#include <functional>

#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExTypes.h"
#include "platform/db/DataSet.h"

namespace grid {

// The visible columns among the grid's columns First to Last (data column indexes), in
// column order. A rectangle names its columns so; the same positions serve writing and
// reading when columns are hidden.
void VisibleColumnsBetween(TCustomDBGridEx& grid, int First, int Last, TColumnsExList& Columns);

// The columns a selection of this kind names: a rectangle's visible columns, the selected
// columns, else every visible column.
void SelectionColumns(TCustomDBGridEx& grid, TDBGridExSelectionType kind, TColumnsExList& Columns);

// The field a column's cells are written from and read into: its field, or a lookup
// field's key field. None for a lookup over several key fields, which one cell cannot hold.
db::TField* CellValueField(TColumnEx& column);

// Makes each record of the selection's rectangle current in turn, from whichever of its
// two rows comes first in the data set to the other; when one of them is gone, from the
// other to the end of the data. The walk stops early when fn returns false.
void ForEachRectangleRecord(TCustomDBGridEx& grid, db::TDataSet& dataSet, const std::function<bool()>& fn);

// Makes each record current in turn, from the first to the last, while fn returns true.
void ForEachRecord(db::TDataSet& dataSet, const std::function<bool()>& fn);

// Makes each record a selection of this kind names current in turn, while fn returns
// true: the selected records that are still there, a rectangle's records, else every
// record.
void ForEachSelectedRecord(TCustomDBGridEx& grid, db::TDataSet& dataSet, TDBGridExSelectionType kind,
                           const std::function<bool()>& fn);

} // namespace grid
