#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SameFilterExpression.h"
#include "controls/grid/DbUtilsEx.h"
#include "platform/rtl/SysUtils.h"

namespace {

using namespace grid;
using rtl::Variant;

std::string Show(const Variant& v)
{
    if (v.IsEmpty()) return "Unassigned";
    if (v.IsArray()) {
        std::string s = "[";
        for (int i = v.LowBound(); i <= v.HighBound(); ++i) s += (i > v.LowBound() ? ", " : "") + Show(v[i]);
        return s + "]";
    }
    if (v.IsStr()) return "'" + v.AsString() + "'";
    return rtl::VarTypeAsText(v.VarType()) + " " + rtl::FloatToStr(v.AsFloat(), rtl::TFormatSettings::Invariant());
}

using filtertest::SameTyped;

Variant Num(double v) { return Variant(v); }
Variant Txt(const char* v) { return Variant(v); }
Variant Arr(std::initializer_list<Variant> values) { return rtl::VarArrayOf(values); }
Variant Day(int y, int m, int d) { return Variant::FromDateTime(rtl::EncodeDate(y, m, d)); }
const Variant None;

// The decimal separators a case is read under.
// clang-format off
enum TSeparators { Both, PointOnly, CommaOnly };
// clang-format on

std::vector<char> SeparatorsOf(TSeparators which)
{
    if (which == PointOnly) return {'.'};
    if (which == CommaOnly) return {','};
    return {'.', ','};
}

// Invariant settings (dates M/d/yyyy) with the given decimal separator.
rtl::TFormatSettings Settings(char decimalSeparator)
{
    rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
    fs.DecimalSeparator = decimalSeparator;
    fs.ThousandSeparator = decimalSeparator == ',' ? '.' : ',';
    return fs;
}

std::string Describe(const TSTFilterExpressionEx& e)
{
    return "op1 " + std::to_string(e.Operator1) + " " + Show(e.Operand1) + ", relation " + std::to_string(e.Relation)
           + ", op2 " + std::to_string(e.Operator2) + " " + Show(e.Operand2);
}

// Calls check with a fresh expression of the kind under each decimal separator the case holds under.
template <typename Check>
void UnderEachSeparator(const char* text, TSTOperandKindEx kind, TSeparators separators, Check check)
{
    for (char sep : SeparatorsOf(separators)) {
        SCOPED_TRACE(std::string("text \"") + text + "\", decimal separator " + sep);
        rtl::TScopedFormatSettings scoped(Settings(sep));
        TSTFilterExpressionEx e;
        e.OperandKind = kind;
        check(e);
    }
}

struct TParseCase {
    const char* text;
    TSTOperandKindEx kind;
    TSeparators separators;
    TSTFilterOperatorEx op1;
    Variant operand1;
    TSTFilterOperatorEx relation = foNoneEx;
    TSTFilterOperatorEx op2 = foNoneEx;
    Variant operand2 = {};
};

const TParseCase kParseCases[] = {
    // Bare values: like for text, equal otherwise, in for a list.
    {"abc", okTextEx, Both, foLikeEx, Txt("abc")},
    {"5", okNumberEx, Both, foEqualEx, Num(5)},
    {"-5", okNumberEx, Both, foEqualEx, Num(-5)},
    {"5", okNoneEx, Both, foEqualEx, Txt("5")},
    {"True", okBooleanEx, Both, foEqualEx, Txt("True")},
    {"1/2/2024", okDateTimeEx, Both, foEqualEx, Day(2024, 1, 2)},
    {"red,green", okTextEx, Both, foInEx, Arr({Txt("red"), Txt("green")})},
    {"red, green", okTextEx, Both, foInEx, Arr({Txt("red"), Txt(" green")})},
    {"red,", okTextEx, Both, foLikeEx, Txt("red")},
    {"a,,b", okTextEx, Both, foInEx, Arr({Txt("a"), Txt(""), Txt("b")})},
    {"1,5", okNumberEx, CommaOnly, foEqualEx, Num(1.5)},
    {"1,5", okNumberEx, PointOnly, foInEx, Arr({Num(1), Num(5)})},
    {"1.5", okNumberEx, PointOnly, foEqualEx, Num(1.5)},
    {"1/2/2024,1/3/2024", okDateTimeEx, Both, foInEx, Arr({Day(2024, 1, 2), Day(2024, 1, 3)})},
    {"'New York'", okTextEx, Both, foLikeEx, Txt("New York")},
    {"'a',b", okTextEx, Both, foInEx, Arr({Txt("a"), Txt("b")})},
    {"O'Brien", okTextEx, Both, foLikeEx, Txt("O'Brien")},
    {"café", okTextEx, Both, foLikeEx, Txt("café")},
    {"Android", okTextEx, Both, foLikeEx, Txt("Android")},
    {"Nulls", okTextEx, Both, foLikeEx, Txt("Nulls")},
    // A word that only looks like an operator stays in the value.
    {"red in stock", okTextEx, Both, foLikeEx, Txt("red in stock")},
    {"x !In y", okTextEx, Both, foLikeEx, Txt("x !In y")},
    {"a !b", okTextEx, Both, foLikeEx, Txt("a !b")},
    {"a 'b'", okTextEx, Both, foLikeEx, Txt("a 'b'")},
    {"> 5 !x", okTextEx, Both, foGreaterEx, Txt("5 !x")},
    // Comparisons.
    {"= abc", okTextEx, Both, foEqualEx, Txt("abc")},
    {"<> 5", okNumberEx, Both, foNotEqualEx, Num(5)},
    {"!=5", okNumberEx, Both, foNotEqualEx, Num(5)},
    {">5", okNumberEx, Both, foGreaterEx, Num(5)},
    {"< 5", okNumberEx, Both, foLessEx, Num(5)},
    {">= 5", okNumberEx, Both, foGreaterOrEqualEx, Num(5)},
    {"<=   5", okNumberEx, Both, foLessOrEqualEx, Num(5)},
    {"> -1E3", okNumberEx, Both, foGreaterEx, Num(-1000)},
    {">= 1/2/2024", okDateTimeEx, Both, foGreaterOrEqualEx, Day(2024, 1, 2)},
    {"~ abc", okTextEx, Both, foLikeEx, Txt("abc")},
    {"LIKE abc", okTextEx, Both, foLikeEx, Txt("abc")},
    {"!~ abc", okTextEx, Both, foNotLikeEx, Txt("abc")},
    {"! ~ abc", okTextEx, Both, foNotLikeEx, Txt("abc")},
    {"not like abc", okTextEx, Both, foNotLikeEx, Txt("abc")},
    {"~ 5", okNumberEx, Both, foLikeEx, Num(5)},
    // Only IN takes a list after an operator.
    {"= Smith, John", okTextEx, Both, foEqualEx, Txt("Smith, John")},
    {"~ a,b", okTextEx, Both, foLikeEx, Txt("a,b")},
    {"> a,b AND < c", okTextEx, Both, foGreaterEx, Txt("a,b"), foAndEx, foLessEx, Txt("c")},
    {"> 1,5", okNumberEx, CommaOnly, foGreaterEx, Num(1.5)},
    // Lists.
    {"In (1,2,3)", okNumberEx, Both, foInEx, Arr({Num(1), Num(2), Num(3)})},
    {"In (1, 2, 3)", okNumberEx, Both, foInEx, Arr({Num(1), Num(2), Num(3)})},
    {"In (1,5,2)", okNumberEx, Both, foInEx, Arr({Num(1), Num(5), Num(2)})},
    {"In ('1,5','2')", okNumberEx, CommaOnly, foInEx, Arr({Num(1.5), Num(2)})},
    {"In ('1,5', '2')", okNumberEx, CommaOnly, foInEx, Arr({Num(1.5), Num(2)})},
    {"in(a)", okTextEx, Both, foInEx, Txt("a")},
    {"In ( a )", okTextEx, Both, foInEx, Txt("a ")},
    {"In (a, b)", okTextEx, Both, foInEx, Arr({Txt("a"), Txt(" b")})},
    {"In ('a', 'b')", okTextEx, Both, foInEx, Arr({Txt("a"), Txt("b")})},
    {"In ('a',   'b',c)", okTextEx, Both, foInEx, Arr({Txt("a"), Txt("b"), Txt("c")})},
    {"In ('x)','y,z')", okTextEx, Both, foInEx, Arr({Txt("x)"), Txt("y,z")})},
    // Two quotes in a row inside a quoted value are one quote of the value.
    {"'a''b'", okTextEx, Both, foLikeEx, Txt("a'b")},
    {"= 'O''Brien'", okTextEx, Both, foEqualEx, Txt("O'Brien")},
    {"''''", okTextEx, Both, foLikeEx, Txt("'")},
    {"= ''", okTextEx, Both, foEqualEx, Txt("")},
    {"In ('a''', '''b', '')", okTextEx, Both, foInEx, Arr({Txt("a'"), Txt("'b"), Txt("")})},
    {"= 'x'' AND ''y' OR 'z'", okTextEx, Both, foEqualEx, Txt("x' AND 'y"), foOrEx, foLikeEx, Txt("z")},
    {"!In (1,2)", okNumberEx, Both, foNotInEx, Arr({Num(1), Num(2)})},
    {"NOT IN (1,2)", okNumberEx, Both, foNotInEx, Arr({Num(1), Num(2)})},
    {"In (1,2) OR 3", okNumberEx, Both, foInEx, Arr({Num(1), Num(2)}), foOrEx, foEqualEx, Num(3)},
    // Null.
    {"= Null", okNumberEx, Both, foNullEx, None},
    {"=null", okTextEx, Both, foNullEx, None},
    {"<> Null", okNumberEx, Both, foNotNullEx, None},
    {"!= Null", okNumberEx, Both, foNotNullEx, None},
    {"= Null OR = x", okTextEx, Both, foNullEx, None, foOrEx, foEqualEx, Txt("x")},
    {"= Null OR red,green", okTextEx, Both, foNullEx, None, foOrEx, foInEx, Arr({Txt("red"), Txt("green")})},
    {"> 1 AND 2,3", okNumberEx, PointOnly, foGreaterEx, Num(1), foAndEx, foInEx, Arr({Num(2), Num(3)})},
    // Two parts.
    {"> 5 AND < 10", okNumberEx, Both, foGreaterEx, Num(5), foAndEx, foLessEx, Num(10)},
    {"> 5 & < 10", okNumberEx, Both, foGreaterEx, Num(5), foAndEx, foLessEx, Num(10)},
    {"5 OR 7", okNumberEx, Both, foEqualEx, Num(5), foOrEx, foEqualEx, Num(7)},
    {"5 | 7", okNumberEx, Both, foEqualEx, Num(5), foOrEx, foEqualEx, Num(7)},
    {"Tom and Jerry", okTextEx, Both, foLikeEx, Txt("Tom"), foAndEx, foLikeEx, Txt("Jerry")},
    {"'a b' OR 'c'", okTextEx, Both, foLikeEx, Txt("a b"), foOrEx, foLikeEx, Txt("c")},
    {"> 5 AND", okNumberEx, Both, foGreaterEx, Num(5), foAndEx},
    {"> 5 OR", okNumberEx, Both, foGreaterEx, Num(5), foOrEx},
    {"> 5 AND !In (1,2", okNumberEx, Both, foGreaterEx, Num(5), foAndEx, foNotInEx, Arr({Num(1), Num(2)})},
    // What reads as no operator and no value is let be at the end of the text.
    {"5 (", okNumberEx, Both, foEqualEx, Num(5)},
    {"> 5 (", okNumberEx, Both, foGreaterEx, Num(5)},
    {"'x' (", okTextEx, Both, foLikeEx, Txt("x")},
    {"a,b (", okTextEx, Both, foInEx, Arr({Txt("a"), Txt("b ")})},
    {"In (1,2) (", okNumberEx, Both, foInEx, Arr({Num(1), Num(2)})},
    {"'x' NOT", okTextEx, Both, foLikeEx, Txt("x")},
    {"'x' !!", okTextEx, Both, foLikeEx, Txt("x")},
    {"=Null!", okTextEx, Both, foNullEx, None},
    {"> 5 AND (", okNumberEx, Both, foGreaterEx, Num(5), foAndEx},
    {"> 5 AND !", okNumberEx, Both, foGreaterEx, Num(5), foAndEx},
    {"> 5 AND !x", okNumberEx, Both, foGreaterEx, Num(5), foAndEx},
    // Nothing after the second operand is read.
    {"> 5 AND < 10) junk", okNumberEx, Both, foGreaterEx, Num(5), foAndEx, foLessEx, Num(10)},
    {"> 5 AND In (1) (", okNumberEx, Both, foGreaterEx, Num(5), foAndEx, foInEx, Num(1)},
    // Blanks and control characters at the ends are trimmed.
    {"  \t> 5 \n", okNumberEx, Both, foGreaterEx, Num(5)},
};

TEST(FilterExpressionParse, ReadsEveryForm)
{
    for (const TParseCase& c : kParseCases) {
        UnderEachSeparator(c.text, c.kind, c.separators, [&c](TSTFilterExpressionEx& e) {
            try {
                ParseFilterExpression(c.text, e);
            } catch (const rtl::Exception& error) {
                ADD_FAILURE() << "raised: " << error.Message;
                return;
            }
            EXPECT_EQ(e.OperandKind, c.kind);
            const bool same = e.Operator1 == c.op1 && SameTyped(e.Operand1, c.operand1) && e.Relation == c.relation
                              && e.Operator2 == c.op2 && SameTyped(e.Operand2, c.operand2);
            TSTFilterExpressionEx expected;
            expected.Operator1 = c.op1;
            expected.Operand1 = c.operand1;
            expected.Relation = c.relation;
            expected.Operator2 = c.op2;
            expected.Operand2 = c.operand2;
            EXPECT_TRUE(same) << "read " << Describe(e) << "\nexpected " << Describe(expected);
        });
    }
}

struct TErrorCase {
    const char* text;
    TSTOperandKindEx kind;
    TSeparators separators;
    std::string message;
    bool conversion = false; // an EConvertError of the operand's conversion
};

const TErrorCase kErrorCases[] = {
    {"In (1,2", okNumberEx, Both, "')' expected: In (1,2"},
    {"In (1,2 OR 3", okNumberEx, Both, "')' expected: In (1,2 OR 3"},
    {"In 1", okNumberEx, Both, "'(' expected: In 1"},
    {"!In", okTextEx, Both, "'(' expected: !In"},
    {"> Null", okNumberEx, Both, "Unexpected expression before Null: > Null"},
    {"~ Null", okTextEx, Both, "Unexpected expression before Null: ~ Null"},
    {"In (Null)", okTextEx, Both, "Unexpected expression before Null: In (Null)"},
    {"Null", okTextEx, Both, "Unexpected expression after operator: Null"},
    {"!Null", okTextEx, Both, "Unexpected expression after operator: !Null"},
    {"not null", okNumberEx, Both, "Unexpected expression after operator: not null"},
    {"=", okNumberEx, Both, "Unexpected expression after operator: ="},
    {"= = 5", okNumberEx, Both, "Unexpected expression after operator: = = 5"},
    {"= !Null", okNumberEx, Both, "Unexpected expression after operator: = !Null"},
    {"> 5 < 7", okNumberEx, Both, "Unexpected AND or OR: > 5 < 7"},
    {"5 In (1)", okNumberEx, Both, "Unexpected AND or OR: 5 In (1)"},
    {"'New York", okTextEx, Both, "Quote is absent: 'New York"},
    {"In ('a','b", okTextEx, Both, "Quote is absent: In ('a','b"},
    {"= '", okTextEx, Both, "Quote is absent: = '"},
    // A single quote inside a quoted value ends it.
    {"'O'Brien'", okTextEx, Both, "Unexpected AND or OR: 'O'Brien'"},
    {"= 'it''s", okTextEx, Both, "Quote is absent: = 'it''s"},
    {"'''", okTextEx, Both, "Quote is absent: '''"},
    // AND or OR cannot start a comparison.
    {"AND 5", okNumberEx, Both, "Error in expression: AND 5"},
    {"or = 5", okNumberEx, Both, "Error in expression: or = 5"},
    {"& 5", okNumberEx, Both, "Error in expression: & 5"},
    {"|", okNumberEx, Both, "Error in expression: |"},
    {"> 5 AND OR 7", okNumberEx, Both, "Error in expression: > 5 AND OR 7"},
    {"> 5 OR & 7", okNumberEx, Both, "Error in expression: > 5 OR & 7"},
    // Text that is neither an operator nor a value.
    {"(", okNumberEx, Both, "Error in expression: ("},
    {"!x", okTextEx, Both, "Error in expression: !x"},
    {"!!~ x", okTextEx, Both, "Error in expression: !!~ x"},
    {"> 5 AND (5", okNumberEx, Both, "Incorrect expression: > 5 AND (5"},
    {"5 ( 6", okNumberEx, Both, "Incorrect expression: 5 ( 6"},
    {"'x' NOT y OR 5", okTextEx, Both, "Incorrect expression: 'x' NOT y OR 5"},
    {"= Null ! = 5", okTextEx, Both, "Incorrect expression: = Null ! = 5"},
    // The message carries the trimmed text.
    {"   > Null \t", okNumberEx, Both, "Unexpected expression before Null: > Null"},
    // Operands that do not convert raise the conversion's own error.
    {"> 5 XOR 7", okNumberEx, Both, "'5 XOR 7' is not a valid floating point value", true},
    {"abc", okNumberEx, Both, "'abc' is not a valid floating point value", true},
    {"1.5", okNumberEx, CommaOnly, "'1.5' is not a valid floating point value", true},
    {"In ('1,5','2')", okNumberEx, PointOnly, "'1,5' is not a valid floating point value", true},
    {"> 1,5", okNumberEx, PointOnly, "'1,5' is not a valid floating point value", true},
    {"In (1,,2)", okNumberEx, Both, "'' is not a valid floating point value", true},
    {"> 5 AND < 10 junk", okNumberEx, Both, "'10 junk' is not a valid floating point value", true},
    {"> yesterday", okDateTimeEx, Both, "'yesterday' is not a valid date and time", true},
};

TEST(FilterExpressionParse, ReportsEachError)
{
    for (const TErrorCase& c : kErrorCases) {
        UnderEachSeparator(c.text, c.kind, c.separators, [&c](TSTFilterExpressionEx& e) {
            try {
                ParseFilterExpression(c.text, e);
                ADD_FAILURE() << "accepted: " << Describe(e);
            } catch (const rtl::EConvertError& error) {
                EXPECT_TRUE(c.conversion) << "conversion error";
                EXPECT_EQ(error.Message, c.message);
            } catch (const rtl::Exception& error) {
                EXPECT_FALSE(c.conversion) << "no conversion error";
                EXPECT_EQ(error.Message, c.message);
            }
        });
    }
}

TSTFilterExpressionEx Filled(TSTOperandKindEx kind)
{
    TSTFilterExpressionEx e;
    e.OperandKind = kind;
    e.Operator1 = foGreaterEx;
    e.Operand1 = Num(1);
    e.Relation = foAndEx;
    e.Operator2 = foLessEx;
    e.Operand2 = Num(2);
    return e;
}

void ExpectCleared(const TSTFilterExpressionEx& e, TSTOperandKindEx kind)
{
    EXPECT_EQ(e.OperandKind, kind);
    EXPECT_EQ(e.Operator1, foNoneEx);
    EXPECT_TRUE(e.Operand1.IsEmpty());
    EXPECT_EQ(e.Relation, foNoneEx);
    EXPECT_EQ(e.Operator2, foNoneEx);
    EXPECT_TRUE(e.Operand2.IsEmpty());
}

TEST(FilterExpressionParse, EmptyTextAndFailuresLeaveTheExpressionCleared)
{
    for (const char* text : {"", "   ", " \t\r\n ", "> 5 < 7", "> 5 AND < x", "'open"}) {
        SCOPED_TRACE(text);
        TSTFilterExpressionEx e = Filled(okNumberEx);
        try {
            ParseFilterExpression(text, e);
        } catch (const rtl::Exception&) {
        }
        ExpectCleared(e, okNumberEx);
    }
}

TEST(FilterExpressionParse, ClearKeepsTheOperandKind)
{
    TSTFilterExpressionEx e = Filled(okDateTimeEx);
    ClearFilterExpression(e);
    ExpectCleared(e, okDateTimeEx);
}

// Long hostile texts: no deep recursion and no work that grows with the square of the length.
TEST(FilterExpressionParse, LongTextsReadInOnePass)
{
    TSTFilterExpressionEx e;
    e.OperandKind = okTextEx;
    const std::string nots(1'000'000, '!');
    try {
        ParseFilterExpression(nots, e);
        FAIL() << "accepted";
    } catch (const rtl::Exception& error) {
        EXPECT_EQ(error.Message.rfind("Error in expression: !!!", 0), 0u);
    }

    std::string value = "a";
    for (int i = 0; i < 200'000; ++i) value += " !";
    ParseFilterExpression(value, e);
    EXPECT_EQ(e.Operator1, foLikeEx);
    EXPECT_EQ(e.Operand1.AsString(), value);

    std::string list = "In (";
    for (int i = 0; i < 100'000; ++i) list += std::to_string(i % 10) + ",";
    list += "7)";
    e.OperandKind = okNumberEx;
    ParseFilterExpression(list, e);
    ASSERT_EQ(e.Operator1, foInEx);
    ASSERT_EQ(e.Operand1.ElementCount(), 100'001);
    EXPECT_TRUE(SameTyped(e.Operand1[99'999], Num(9)));
    EXPECT_TRUE(SameTyped(e.Operand1[100'000], Num(7)));
}

// ---- the text the filter row shows

// A condition of random parts over awkward values: texts of quotes, commas, brackets,
// keywords and 8-bit characters; doubles of any bit pattern and with 16 to 19 digits;
// dates across the calendar.
class TConditionMaker {
public:
    explicit TConditionMaker(unsigned seed) : random_(seed) {}

    TSTFilterExpressionEx Make(TSTOperandKindEx kind)
    {
        TSTFilterExpressionEx e;
        e.OperandKind = kind;
        Part(kind, e.Operator1, e.Operand1);
        const int relation = Below(3);
        if (relation == 0) return e;
        e.Relation = relation == 1 ? foAndEx : foOrEx;
        if (Below(4) > 0) Part(kind, e.Operator2, e.Operand2);
        return e;
    }

private:
    int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    void Part(TSTOperandKindEx kind, TSTFilterOperatorEx& op, Variant& operand)
    {
        op = static_cast<TSTFilterOperatorEx>(1 + Below(12));
        if (op == foNullEx || op == foNotNullEx) return;
        if (op != foInEx && op != foNotInEx) {
            operand = Value(kind);
            return;
        }
        // One value stands alone; several make an array.
        const int count = 1 + Below(4);
        if (count == 1) {
            operand = Value(kind);
            return;
        }
        std::vector<Variant> values;
        for (int i = 0; i < count; ++i) values.push_back(Value(kind));
        operand = rtl::VarArrayOf(values);
    }

    Variant Value(TSTOperandKindEx kind)
    {
        if (kind == okNumberEx) return Variant(Number());
        if (kind == okDateTimeEx) {
            const double day = rtl::EncodeDate(1 + Below(9999), 1 + Below(12), 1 + Below(28));
            const int ms = Below(2) ? 0 : Below(1000);
            const double time = rtl::EncodeTime(Below(24), Below(60), Below(60), ms);
            return Variant::FromDateTime(day < 0 ? day - time : day + time);
        }
        static const char* const pieces[] = {"'", "''", "a", " ", ",", "(", ")", " AND ", "or", "NOT ", "In", "Null",
                                             "~", "!", "=", "<>", "&", "|", "\xE9", "\xFF", "\t", "1,5", "-", "\"", "x'y"};
        std::string text;
        for (int n = Below(6); n > 0; --n) text += pieces[Below(std::size(pieces))];
        return Variant(text);
    }

    double Number()
    {
        switch (Below(4)) {
        case 0: {
            double v = std::bit_cast<double>(static_cast<std::uint64_t>(random_()) << 32 | random_());
            return std::isfinite(v) ? v : 0.5;
        }
        case 1: { // 16 to 19 digits, whole
            std::uint64_t v = 1'000'000'000'000'000ull + random_() % 1'000'000;
            for (int i = Below(4); i > 0; --i) v = v * 10 + static_cast<unsigned>(Below(10));
            return Below(2) ? static_cast<double>(v) : -static_cast<double>(v);
        }
        case 2: return (Below(2000) - 1000) / 7.0;
        default: return 0.1 * Below(100) + 0.2;
        }
    }

    std::mt19937 random_;
};

TEST(FilterExpressionText, EveryConditionReadsBackAsItself)
{
    TConditionMaker maker(20240601);
    for (const char sep : {'.', ','}) {
        rtl::TScopedFormatSettings scoped(Settings(sep));
        for (const TSTOperandKindEx kind : {okNoneEx, okTextEx, okNumberEx, okDateTimeEx, okBooleanEx}) {
            for (int i = 0; i < 400; ++i) {
                const TSTFilterExpressionEx written = maker.Make(kind);
                const std::string text = FilterExpressionText(written);
                SCOPED_TRACE("\"" + text + "\", decimal separator " + sep);
                TSTFilterExpressionEx read;
                read.OperandKind = kind;
                try {
                    ParseFilterExpression(text, read);
                } catch (const rtl::Exception& error) {
                    ADD_FAILURE() << "raised: " << error.Message;
                    continue;
                }
                EXPECT_TRUE(filtertest::SameCondition(read, written))
                    << "read " << Describe(read) << "\nwritten " << Describe(written);
                EXPECT_EQ(FilterExpressionText(read), text);
            }
        }
    }
}

TEST(FilterExpressionText, QuotesAndLongNumbers)
{
    rtl::TScopedFormatSettings scoped(Settings('.'));
    TSTFilterExpressionEx e;
    e.OperandKind = okTextEx;
    ParseFilterExpression("= it's", e);
    EXPECT_EQ(FilterExpressionText(e), "= 'it''s'");
    EXPECT_EQ(QuotedFilterValue("''"), "''''''");
    e.OperandKind = okNumberEx;
    ParseFilterExpression("= 1234567890123456789 OR In (0.30000000000000004, 2)", e);
    EXPECT_EQ(FilterExpressionText(e), "= 1.2345678901234568E18 OR In (0.30000000000000004,2)");
    rtl::TScopedFormatSettings comma(Settings(','));
    EXPECT_EQ(FilterExpressionText(e), "= 1,2345678901234568E18 OR In ('0,30000000000000004','2')");
}

TEST(FilterOperatorTexts, BothNotations)
{
    // clang-format off
    struct TRow { TSTFilterOperatorEx op; const char* filterRow; const char* sql; };
    const TRow rows[] = {
        {foNoneEx, "", ""}, {foEqualEx, "=", "="}, {foNotEqualEx, "<>", "<>"}, {foGreaterEx, ">", ">"},
        {foLessEx, "<", "<"}, {foGreaterOrEqualEx, ">=", ">="}, {foLessOrEqualEx, "<=", "<="},
        {foLikeEx, "~", "LIKE"}, {foNotLikeEx, "!~", "NOT LIKE"}, {foInEx, "In", "IN"},
        {foNotInEx, "!In", "NOT IN"}, {foNullEx, "Null", "IS NULL"}, {foNotNullEx, "Null", "IS NOT NULL"},
        {foAndEx, "AND", "AND"}, {foOrEx, "OR", "OR"}, {foValueEx, "", ""},
        // clang-format on
    };
    for (const TRow& r : rows) {
        EXPECT_EQ(FilterOperatorText(r.op), r.filterRow) << int(r.op);
        EXPECT_EQ(FilterOperatorSqlText(r.op), r.sql) << int(r.op);
    }
    EXPECT_EQ(FilterOperatorText(static_cast<TSTFilterOperatorEx>(16)), "");
}

TEST(FilterOperandKind, ByFieldType)
{
    using namespace db;
    // clang-format off
    struct TRow { TFieldType type; TSTOperandKindEx kind; };
    const TRow rows[] = {
        {ftUnknown, okNoneEx}, {ftString, okTextEx}, {ftSmallint, okNumberEx}, {ftInteger, okNumberEx},
        {ftWord, okNumberEx}, {ftBoolean, okBooleanEx}, {ftFloat, okNumberEx}, {ftCurrency, okNumberEx},
        {ftBCD, okNumberEx}, {ftDate, okDateTimeEx}, {ftTime, okDateTimeEx}, {ftDateTime, okDateTimeEx},
        {ftAutoInc, okNumberEx}, {ftBlob, okNoneEx}, {ftMemo, okTextEx}, {ftFmtMemo, okTextEx},
        {ftFixedChar, okTextEx}, {ftWideString, okTextEx}, {ftLargeint, okNumberEx}, {ftGuid, okTextEx},
        {ftTimeStamp, okDateTimeEx}, {ftFMTBcd, okNumberEx},
        // clang-format on
    };
    static_assert(std::size(rows) == ftFMTBcd + 1, "every field type");
    for (const TRow& r : rows) EXPECT_EQ(OperandKindOfFieldType(r.type), r.kind) << int(r.type);
}

} // namespace
