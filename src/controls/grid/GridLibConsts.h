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

// ---- scroll bars, drop-down box, tool tips and resources

// ---- sums

// ---- export, import and clipboard

// ---- find dialog

// ---- lookup grid and lookup combo box

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
