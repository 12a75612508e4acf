#pragma once
// The grid's clipboard actions: copy, cut, paste and delete of the selection (or of the
// whole grid), and whether each is possible now.
#include "controls/grid/DBGridExTypes.h"

namespace grid {

bool CanGridCopy(TCustomDBGridEx& grid, bool ForWholeGrid);
bool CanGridCut(TCustomDBGridEx& grid, bool ForWholeGrid);
bool CanGridPaste(TCustomDBGridEx& grid, bool ForWholeGrid);
bool CanGridDelete(TCustomDBGridEx& grid, bool ForWholeGrid);

void GridCopyAction(TCustomDBGridEx& grid, bool ForWholeGrid);
void GridCutAction(TCustomDBGridEx& grid, bool ForWholeGrid);
void GridPasteAction(TCustomDBGridEx& grid, bool ForWholeGrid);
void GridDeleteAction(TCustomDBGridEx& grid, bool ForWholeGrid);

} // namespace grid
