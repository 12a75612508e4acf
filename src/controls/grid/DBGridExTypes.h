#pragma once
// Types shared by the units of the data grid: option sets, cell parameters, cell areas
// and the event signatures. Each block belongs to the part of the grid that defines it.
#include <cstdint>
#include <string>

#include "controls/editors/CheckBoxState.h"
#include "controls/editors/EditButtons.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Variant.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Grids.h"

namespace grid {

class TCustomDBGridEx;
class TColumnEx;
class TDBGridColumnsEx;
class TColumnTitleEx;
class TColumnFooterEx;
class THeadTreeNode;
class TDBGridInplaceEdit;
class TDBLookupGridEx;
class TPopupDataGridEx;
class TInplaceFilterEditEx;
class TDBSum;

using editors::TCheckBoxState;
using editors::cbUnchecked;
using editors::cbChecked;
using editors::cbGrayed;

// ---- grid object

enum TDBGridOption {
    // clang-format off
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
    dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect
    // clang-format on
};
using TDBGridOptions = rtl::TSet<TDBGridOption, std::uint16_t>;

enum TDBGridExOption {
    // clang-format off
    dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart, dghHighlightFocus,
    dghClearSelection, dghFitRowHeightToText, dghAutoSortMarking, dghMultiSortMarking, dghEnterAsTab,
    dghTraceColSizing, dghIncSearch, dghPreferIncSearch, dghRowHighlight, dghDblClickOptimizeColWidth,
    // clang-format on
    dghDialogFind
};
using TDBGridExOptions = rtl::TSet<TDBGridExOption, std::uint32_t>;

// clang-format off
enum TDBGridExAllowedOperation { alopInsertEx, alopUpdateEx, alopDeleteEx, alopAppendEx };
using TDBGridExAllowedOperations = rtl::TSet<TDBGridExAllowedOperation, std::uint8_t>;

enum TDBGridExEditAction { geaCutEx, geaCopyEx, geaPasteEx, geaDeleteEx, geaSelectAllEx };
// clang-format on
using TDBGridExEditActions = rtl::TSet<TDBGridExEditAction, std::uint8_t>;

// The grid's defaults.
inline constexpr TDBGridOptions DefaultDBGridOptions = {dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines,
                                                        dgRowLines, dgTabs, dgConfirmDelete, dgCancelOnExit};
inline constexpr TDBGridExOptions DefaultDBGridExOptions = {dghFixed3D, dghHighlightFocus, dghClearSelection,
                                                            dghDialogFind};
inline constexpr TDBGridExAllowedOperations DefaultAllowedOperations = {alopInsertEx, alopUpdateEx, alopDeleteEx,
                                                                        alopAppendEx};

// Stored values only: input methods belong to Qt.
// clang-format off
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
    imSHanguel, imHanguel };
// clang-format on

using TDBGridExClickEvent = rtl::Delegate<void(TColumnEx* Column)>;
using TMovedEvent = rtl::Delegate<void(rtl::TObject* Sender, int FromIndex, int ToIndex)>;
using TDrawColumnExCellEvent = rtl::Delegate<void(rtl::TObject* Sender, const ui::TRect& Rect, int DataCol,
                                                  TColumnEx* Column, ui::TGridDrawState State)>;
using TDrawDataCellEvent = rtl::Delegate<void(rtl::TObject* Sender, const ui::TRect& Rect, db::TField* Field,
                                              ui::TGridDrawState State)>;
using TGetCellExParamsEvent = rtl::Delegate<void(rtl::TObject* Sender, TColumnEx* Column, ui::TFont& AFont,
                                                 ui::TColor& Background, ui::TGridDrawState State)>;

// ---- cell drawing and painting

// Where a grid cell lies. Row kinds are numbered as the style's fixed-cell colours test them.
// clang-format off
enum TCellColumnKind : std::uint8_t { cckIndicator = 0, cckData = 1 };
enum TCellRowKind : std::uint8_t { crkTitle = 0, crkSubTitle = 1, crkData = 2, crkAboveFooter = 3, crkFooter = 4 };
// clang-format on
struct TCellArea {
    TCellColumnKind ColKind = cckIndicator;
    int Col = 0; // index inside the kind
    TCellRowKind RowKind = crkTitle;
    int Row = 0; // footer rows count from 1
    // Column kind in the low byte, row kind in the high byte.
    unsigned Code() const { return unsigned(RowKind) << 8 | ColKind; }
};

// ---- titles and sort markers

// clang-format off
enum TTextOrientationEx { tohHorizontal, tohVertical };
enum TSortMarkerEx { smNoneEx, smDownEx, smUpEx };
// clang-format on

using TGetBtnExParamsEvent = rtl::Delegate<void(rtl::TObject* Sender, TColumnEx* Column, ui::TFont& AFont,
                                                ui::TColor& Background, TSortMarkerEx& SortMarker, bool IsDown)>;
using TCheckTitleExBtnEvent = rtl::Delegate<void(rtl::TObject* Sender, int ACol, TColumnEx* Column, bool& Enabled)>;
using TTitleExClickEvent = rtl::Delegate<void(rtl::TObject* Sender, int ACol, TColumnEx* Column)>;

// ---- columns and cell values

// clang-format off
enum TColumnButtonStyleEx { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown };

// A column's kind, in order of precedence.
enum TColumnKindEx { ckCheckBox, ckLookupField, ckPickList, ckImageList, ckKeyPickList, ckText };

// What the cell editor offers for a column; every style but none shows a main button.
enum TColumnEditStyleEx { cesNoneEx, cesEllipsisEx, cesUpDownEx, cesDropDownEx, cesPickListEx, cesDateEx,
                          // clang-format on
                          cesDataListEx };

// What the grid fills for a cell before drawing, editing or exporting it.
struct TColCellParamsEx {
    rtl::TAlignment Alignment = rtl::taLeftJustify;
    ui::TColor Background = ui::clWindow;
    TCheckBoxState CheckboxState = cbUnchecked;
    int Col = -1;
    ui::TFont* Font = nullptr; // not owned: the font the hooks may change
    int ImageIndex = -1;
    bool ReadOnly = false;
    int Row = -1;
    ui::TGridDrawState State = 0;
    std::string Text;
};

using TGetColCellParamsEventEx = rtl::Delegate<void(rtl::TObject* Sender, bool EditMode, TColCellParamsEx& Params)>;
using TColCellUpdateDataEventEx = rtl::Delegate<void(rtl::TObject* Sender, std::string& Text, rtl::Variant& Value,
                                                     bool& UseText, bool& Handled)>;
// A text typed into a list column is not in the list; RecheckInList looks again.
using TNotInListEventEx = rtl::Delegate<void(rtl::TObject* Sender, const std::string& NewText, bool& RecheckInList)>;
using editors::TButtonClickEventEx;
using editors::TButtonDownEventEx;

// ---- footers and sums

// clang-format off
enum TFooterValueType : std::uint8_t { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };
enum TGroupOperation : std::uint8_t { goSum, goAvg, goCount };
// clang-format on

using TGetFooterParamsEvent = rtl::Delegate<void(rtl::TObject* Sender, int DataCol, int Row, TColumnEx* Column,
                                                 ui::TFont& AFont, ui::TColor& Background,
                                                 rtl::TAlignment& Alignment, ui::TGridDrawState State,
                                                 std::string& Text)>;
using TDrawFooterCellEvent = rtl::Delegate<void(rtl::TObject* Sender, int DataCol, int Row, TColumnEx* Column,
                                                const ui::TRect& Rect, ui::TGridDrawState State)>;

// ---- selection

// clang-format off
enum TDBGridExSelectionType : std::uint8_t { gstNon, gstRecordBookmarks, gstRectangle, gstColumns, gstAll };
// clang-format on
using TDBGridExSelectionTypes = rtl::TSet<TDBGridExSelectionType, std::uint8_t>;
inline constexpr TDBGridExSelectionTypes DefaultAllowedSelections = {gstRecordBookmarks, gstRectangle, gstColumns,
                                                                     gstAll};

// ---- incremental search

// clang-format off
enum TIncSearchDirection { isdFromTop, isdDown, isdUp };
// clang-format on

// ---- scroll bars

// clang-format off
enum TScrollBarVisibleModeEx : std::uint8_t { sbAlwaysShowEx, sbNeverShowEx, sbAutoShowEx };
// clang-format on

// ---- lookup grid

// clang-format off
enum TDBLookupGridExOption { dlgColumnResizeEx, dlgColLinesEx, dlgRowLinesEx, dlgAutoSortMarkingEx,
                             // clang-format on
                             dlgMultiSortMarkingEx };
using TDBLookupGridExOptions = rtl::TSet<TDBLookupGridExOption, std::uint8_t>;

} // namespace grid
