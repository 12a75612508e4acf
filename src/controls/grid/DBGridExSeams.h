#pragma once
// What the grid core asks of the companions that plug into it: the sum list behind the
// footers, the selection, and the owner of a lookup drop-down. The grid owns one object
// of each interface; until the full companion is there it holds one that answers "no
// sums, nothing selected". Also the hook that opens the find dialog.
#include <string>
#include <utility>
#include <vector>

#include "controls/grid/DBGridExTypes.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"

namespace grid {

// What the grid, its footers and its scroll bar ask of the sum list.
class IDBGridExSumList {
public:
    virtual ~IDBGridExSumList() = default;
    virtual void SetDataSet(db::TDataSet* dataSet) = 0;
    virtual bool Active() const = 0;
    virtual void SetActive(bool value) = 0;
    virtual void RecalcAll() = 0;
    // The layout waits while a recalculation runs.
    virtual bool Recalculating() const = 0;
    // Record numbers for the vertical scroll bar.
    virtual bool IsSequenced() const = 0;
    virtual int RecNo() const = 0;
    virtual void SetRecNo(int recNo) = 0;
    virtual int RecordCount() const = 0;
    // A footer's value kind or field changed: it gets (or loses) its sum.
    virtual void BindFooter(TColumnFooterEx& footer) = 0;
    // The footer is being destroyed.
    virtual void UnbindFooter(TColumnFooterEx& footer) = 0;
};

// What the grid core, the drawing and the style ask of the selection.
class IDBGridExSelection {
public:
    virtual ~IDBGridExSelection() = default;
    virtual TDBGridExSelectionType SelectionType() const = 0;
    virtual void Clear() = 0;
    // The selected-rows list only.
    virtual void ClearRows() = 0;
    virtual bool IsCellSelected(int dataCol, const db::TBookmark& bookmark) const = 0;
    // Rows selected by bookmark.
    virtual bool IsRowSelected(const db::TBookmark& bookmark) const = 0;
    virtual int SelectedRowCount() const = 0;
    // The title of a selected column is highlighted.
    virtual bool IsColumnSelected(int dataCol) const = 0;
    virtual void SetLinkActive(bool active) = 0;
    // After a new layout.
    virtual void RefreshColumns() = 0;
};

// The owner of a lookup drop-down box: a grid column or a lookup combo box.
class ILookupGridHolderEx {
public:
    virtual ~ILookupGridHolderEx() = default;
    // The component is watched for removal by the holder's control.
    virtual void LookupGridFreeNotification(rtl::TComponent* component) = 0;
    // The holder's drop-down lookup grid seen as a data grid, made on first use; none when
    // it cannot be made.
    virtual TCustomDBGridEx* LookupGrid() = 0;
    virtual TDBLookupGridExOptions GetLookupGridOptions() const = 0;
    virtual void SetLookupGridOptions(TDBLookupGridExOptions options) = 0;
};

// Opens the grid's find dialog with a text to search, the field to search in, and the
// columns offered (caption, column). Set by the find dialog's unit.
using TShowDBGridExFindDialogProc = void (*)(TCustomDBGridEx& grid, const std::string& Text,
                                             const std::string& FieldName, bool Modal,
                                             const std::vector<std::pair<std::string, TColumnEx*>>& Choices);
extern TShowDBGridExFindDialogProc ShowDBGridExFindDialogProc;

} // namespace grid
