#pragma once
// The filter row's condition texts: "> 5 AND < 10", "~ abc", "In (1, 2, 3)", "= Null",
// "red,green" or a bare value, read into at most two comparisons joined by AND or OR,
// with the operands converted to the column's kind of value.
//
// Syntax, in short (keywords in any case; "!" is NOT, "&" AND, "|" OR, "~" LIKE):
//   part [ (AND | OR) part ]
//   part:  value[,value...]  |  op value  |  [NOT] LIKE value  |  [NOT] IN (value[,value...])
//          |  = NULL  |  <> NULL  |  != NULL
//   op:    =  <>  !=  >  <  >=  <=
// A value is 'quoted text' (two quotes in a row stand for one quote of the text:
// 'it''s') or plain text, which runs up to a
// blank followed by an operator or keyword, up to "(" or ")", or, where commas separate
// values, up to ",". Commas separate the values of IN (...), and of a bare value list
// except in a number column while the decimal separator is ","; so a number with a
// decimal comma is written quoted in a list: In ('1,5','2'). The other operators take
// one value, commas included. Nothing after the second operand is read. At the end of
// the text a lone AND or OR, a "(" and a NOT that makes no operator ("'x' NOT") are let be.
//
// Beside the parser: the registry of data-set feature objects that the grids' data
// service asks to apply a filter or a sort order.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variant.h"

namespace rtl {
class TComponent;
}

namespace grid {

enum TSTFilterOperatorEx : std::uint8_t {
    foNoneEx,           // no operator; also the end of the text
    foEqualEx,          // =
    foNotEqualEx,       // <>
    foGreaterEx,        // >
    foLessEx,           // <
    foGreaterOrEqualEx, // >=
    foLessOrEqualEx,    // <=
    foLikeEx,           // ~
    foNotLikeEx,        // !~
    foInEx,             // In
    foNotInEx,          // !In
    foNullEx,           // is Null
    foNotNullEx,        // is not Null
    foAndEx,
    foOrEx,
    foValueEx // an operand, not an operator
};

// The kind of value a column's operands are converted to.
// clang-format off
enum TSTOperandKindEx : std::uint8_t { okNoneEx, okTextEx, okNumberEx, okDateTimeEx, okBooleanEx };
// clang-format on

struct TSTFilterExpressionEx {
    TSTOperandKindEx OperandKind = okNoneEx; // set by the caller; the parser leaves it
    TSTFilterOperatorEx Operator1 = foNoneEx;
    rtl::Variant Operand1;                   // an array of values for foInEx and foNotInEx
    TSTFilterOperatorEx Relation = foNoneEx; // foNoneEx, foAndEx or foOrEx
    TSTFilterOperatorEx Operator2 = foNoneEx;
    rtl::Variant Operand2;
};

// The operator's text in the filter row ("=", "!~", "In", "Null", "AND" ...) and in SQL
// ("=", "NOT LIKE", "IN", "IS NOT NULL", "AND" ...); empty for foNoneEx and foValueEx.
std::string_view FilterOperatorText(TSTFilterOperatorEx op);
std::string_view FilterOperatorSqlText(TSTFilterOperatorEx op);

// Text for string and memo types, number for integer, float and BCD types, date and
// time for date and time types, Boolean for ftBoolean, none for the rest.
TSTOperandKindEx OperandKindOfFieldType(db::TFieldType type);

// Reads the condition text into the expression (OperandKind set by the caller). Number
// operands become doubles, date and time operands dates, both read with FormatSettings;
// other kinds keep their texts. Raises rtl::Exception with one of the grid::msg filter
// texts followed by the trimmed text, or the conversion's EConvertError; the expression
// is then left cleared. An empty or all-blank text leaves it cleared.
void ParseFilterExpression(const std::string& text, TSTFilterExpressionEx& expression);

// Operators and relation none, operands unassigned; OperandKind stays.
void ClearFilterExpression(TSTFilterExpressionEx& expression);

// The condition as the filter row shows it, which ParseFilterExpression reads back to the
// same expression: each comparison as its operator and operand ("In (a,b)" for a list),
// joined by the relation. Texts are quoted (QuotedFilterValue), numbers written in the
// shortest form that reads back as the same double (quoted in a list under a decimal
// comma), dates and times by DateTimeToStr (a time with milliseconds as "h:nn:ss.zzz").
// Empty when Operator1 is foNoneEx.
std::string FilterExpressionText(const TSTFilterExpressionEx& expression);

// A text value in single quotes, each quote in it doubled: it's -> 'it''s'.
std::string QuotedFilterValue(std::string_view text);

// ---- data-set features

// What a kind of data set does for the grids' data service: it applies a grid's filter
// row and its sort markers to the data set. The grid comes as a component, so that this
// unit needs nothing of the grid. The defaults leave the data set as it is.
class TDatasetFeaturesEx : public rtl::TObject {
public:
    virtual void ApplySorting(rtl::TComponent* grid, db::TDataSet* dataSet, bool isReopen);
    virtual void ApplyFilter(rtl::TComponent* grid, db::TDataSet* dataSet, bool isReopen);
};

// Binds features to the data sets of the class named dataSetClassName (letter case
// ignored) and of the classes derived from it. The registry owns them until they are
// unregistered or the program ends; an empty pointer registers nothing.
void RegisterDatasetFeaturesEx(const std::string& dataSetClassName, std::unique_ptr<TDatasetFeaturesEx> features);
// Frees every feature object registered for that class name.
void UnregisterDatasetFeaturesEx(const std::string& dataSetClassName);
// The features registered for the data set's own class or its nearest registered
// ancestor (the first registered on a tie); none without a data set or a registration.
TDatasetFeaturesEx* GetDatasetFeatures(const db::TDataSet* dataSet);

} // namespace grid
