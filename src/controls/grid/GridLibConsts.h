#pragma once
// Message and word texts of the grid library, one block per unit.
namespace grid::msg {

// ---- grid core: columns, data link, style
inline constexpr const char* TooManyColumns = "Grid requested to display more than 256 columns";

// ---- grid core: multi-level titles
inline constexpr const char* NodeNotInTree = "Node not in Tree";
inline constexpr const char* ATONotInLevel = "ATo not in level";

// ---- grid core: cell areas, keyboard and mouse
inline constexpr const char* GetCellTypeAlgorithmError = "Algorithm error in TCustomDBGridEx.GetCellType";
// The questions before one record or the selected ones are deleted, by Ctrl+Delete or by
// the delete action.
inline constexpr const char* DeleteRecordQuestion = "Delete record?";
inline constexpr const char* DeleteSelectedRecordsQuestion = "Delete all selected records?";

// ---- grid core: selection
// TopRow, BottomRow, LeftCol and RightCol of a rectangle without data share one text.
inline constexpr const char* SelectionRectRowError = "Error in TDBGridExSelectionRect.GetBottomRow";
inline constexpr const char* SelectionRectCellError = "Error in function TDBGridExSelectionRect.CellSelected";

// ---- scroll bars, drop-down box, tool tips and resources
// An external scroll bar that already hands its notices to another grid; %s is its name.
inline constexpr const char* ScrollBarAlreadyAttached = "Possible %s already attached to the other control.";

// ---- sums

// ---- export, import and clipboard
inline constexpr const char* ClearSelectedCells = "Clear selected cells?";
inline constexpr const char* InvalidKVDBIFFormat = "Invalid KVDBIF format";
inline constexpr const char* ErrorDuringInsertValue = "Error during insert value:";
inline constexpr const char* IgnoreError = "Ignore error?";

// ---- find dialog
inline constexpr const char* FindDialogStringNotFound = "String \"%s\" not found.";
// The dialog's own words.
inline constexpr const char* FindDialogCaption = "Find text";
inline constexpr const char* FindWhatLabel = "Fi&nd What:";
inline constexpr const char* FindInLabel = "Find &in:";
inline constexpr const char* MatchLabel = "Matc&h:";
inline constexpr const char* SearchLabel = "Sea&rch:";
inline constexpr const char* MatchCaseCaption = "Match &Case";
inline constexpr const char* MatchFormatCaption = "Match F&ormat";
inline constexpr const char* FindNextCaption = "&Find next";
inline constexpr const char* CloseCaption = "Close";
inline constexpr const char* AllColumnsItem = "<All>";
inline constexpr const char* FromAnyPartOfField = "From any part of field";
inline constexpr const char* WholeField = "Whole field";
inline constexpr const char* FromBeginningOfField = "From beging of field";
inline constexpr const char* SearchUp = "Up";
inline constexpr const char* SearchDown = "Down";
inline constexpr const char* SearchAll = "All";

// ---- lookup grid and lookup combo box
inline constexpr const char* PropDefByLookup = "Property already defined by lookup field";

// ---- property storage

// ---- filter expressions
// Errors; each is followed by the whole trimmed expression text.
inline constexpr const char* QuoteIsAbsent = "Quote is absent: ";
inline constexpr const char* LeftParenthesisExpected = "'(' expected: ";
inline constexpr const char* RightParenthesisExpected = "')' expected: ";
inline constexpr const char* ErrorInExpression = "Error in expression: ";
inline constexpr const char* UnexpectedExpressionBeforeNull = "Unexpected expression before Null: ";
inline constexpr const char* UnexpectedExpressionAfterOperator = "Unexpected expression after operator: ";
inline constexpr const char* IncorrectExpression = "Incorrect expression: ";
inline constexpr const char* UnexpectedAndOr = "Unexpected AND or OR: ";

// Filter keywords in the user's language; matched without regard to case, beside the
// English keywords.
inline constexpr const char* FilterNotWord = "Not";
inline constexpr const char* FilterAndWord = "AND";
inline constexpr const char* FilterOrWord = "OR";
inline constexpr const char* FilterInWord = "In";
inline constexpr const char* FilterNullWord = "Null";

} // namespace grid::msg
