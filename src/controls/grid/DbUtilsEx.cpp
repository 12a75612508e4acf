#include "controls/grid/DbUtilsEx.h"

#include <array>
#include <vector>

#include "controls/grid/GridLibConsts.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/ClassInfo.h"
#include "platform/rtl/SysUtils.h"

namespace grid {

namespace {

struct TOperatorTexts {
    std::string_view filterRow;
    std::string_view sql;
};

constexpr std::array<TOperatorTexts, 16> kOperatorTexts{{
    {"", ""},
    {"=", "="},
    {"<>", "<>"},
    {">", ">"},
    {"<", "<"},
    {">=", ">="},
    {"<=", "<="},
    {"~", "LIKE"},
    {"!~", "NOT LIKE"},
    {"In", "IN"},
    {"!In", "NOT IN"},
    {"Null", "IS NULL"},
    {"Null", "IS NOT NULL"},
    {"AND", "AND"},
    {"OR", "OR"},
    {"", ""},
}};

bool IsComparison(TSTFilterOperatorEx op) { return op >= foEqualEx && op <= foNotInEx; }
bool IsOperator(TSTFilterOperatorEx op) { return op >= foEqualEx && op <= foOrEx; }
bool IsInList(TSTFilterOperatorEx op) { return op == foInEx || op == foNotInEx; }
bool IsRelation(TSTFilterOperatorEx op) { return op == foAndEx || op == foOrEx; }

// NOT before LIKE, IN and NULL; anything else after NOT is no operator.
TSTFilterOperatorEx Negated(TSTFilterOperatorEx op)
{
    switch (op) {
    case foLikeEx: return foNotLikeEx;
    case foInEx: return foNotInEx;
    case foNullEx: return foNotNullEx;
    default: return foNoneEx;
    }
}

bool IsWordChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u < 32) return false;
    switch (c) {
    // clang-format off
    case ' ': case '!': case '"': case '&': case '\'': case '(': case ')': case '+': case ',':
    case '-': case '.': case '<': case '=': case '>': case '|': case '~':
        // clang-format on
        return false;
    default:
        return true;
    }
}

// The word equals the keyword once both are in upper case.
bool IsKeyword(std::string_view word, std::string_view keyword)
{
    if (word.size() != keyword.size() || word.empty()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (rtl::AnsiUpperChar(word[i]) != rtl::AnsiUpperChar(keyword[i])) return false;
    return true;
}

// What starts at a position, found without reading a value.
struct THead {
    // clang-format off
    enum Kind { End, Quote, Value, Operator, Not, In, Open };
    // clang-format on
    Kind kind;
    TSTFilterOperatorEx op = foNoneEx; // for Operator
    std::size_t next = 0;              // behind the symbol or keyword
};

struct TToken {
    TSTFilterOperatorEx code = foNoneEx;
    rtl::Variant value; // for foValueEx
};

class TFilterParser {
public:
    TFilterParser(std::string_view text, TSTOperandKindEx kind)
        : s_(text), kind_(kind), listMode_(DefaultListMode(kind))
    {
    }

    TSTFilterExpressionEx Parse()
    {
        TSTFilterExpressionEx e;
        e.OperandKind = kind_;
        pos_ = SkipBlanks(0);
        TToken token = Lex(listMode_);
        if (token.code == foNoneEx || IsRelation(token.code)) Fail(msg::ErrorInExpression);
        ReadPart(std::move(token), e.Operator1, e.Operand1, true);

        if (NextToken(token)) {
            if (!IsRelation(token.code)) Fail(msg::UnexpectedAndOr);
            e.Relation = token.code;
            // A trailing AND or OR is accepted; nothing after the second operand is read.
            if (NextToken(token)) {
                if (IsRelation(token.code)) Fail(msg::ErrorInExpression);
                ReadPart(std::move(token), e.Operator2, e.Operand2, false);
            }
        }
        Convert(e.Operator1, e.Operand1);
        Convert(e.Operator2, e.Operand2);
        return e;
    }

private:
    static bool DefaultListMode(TSTOperandKindEx kind)
    {
        return kind != okNumberEx || rtl::FormatSettings.DecimalSeparator != ',';
    }

    [[noreturn]] void Fail(const char* message) const
    {
        std::string text(message);
        text.append(s_);
        throw rtl::Exception(std::move(text));
    }

    bool AtEnd() const { return pos_ >= s_.size(); }

    // The token after the blanks; false at the end of the text. Text that reads as no
    // operator and no value ("(", NOT before a value) ends the expression when it ends the
    // text, and is an error before anything else.
    bool NextToken(TToken& token)
    {
        pos_ = SkipBlanks(pos_);
        if (AtEnd()) return false;
        token = Lex(listMode_);
        if (token.code != foNoneEx) return true;
        if (AtEnd()) return false;
        Fail(msg::IncorrectExpression);
    }

    // The first non-blank from p; p itself when only blanks follow.
    std::size_t SkipBlanks(std::size_t p) const
    {
        std::size_t q = p;
        while (q < s_.size() && s_[q] == ' ') ++q;
        return q < s_.size() ? q : p;
    }

    THead HeadAt(std::size_t p) const
    {
        const std::size_t n = s_.size();
        if (p >= n) return {THead::End};
        const char c = s_[p];
        const char d = p + 1 < n ? s_[p + 1] : '\0';
        switch (c) {
        case '\'': return {THead::Quote};
        case '>': return d == '=' ? THead{THead::Operator, foGreaterOrEqualEx, p + 2}
                                  : THead{THead::Operator, foGreaterEx, p + 1};
        case '<':
            if (d == '=') return {THead::Operator, foLessOrEqualEx, p + 2};
            if (d == '>') return {THead::Operator, foNotEqualEx, p + 2};
            return {THead::Operator, foLessEx, p + 1};
        case '=': return {THead::Operator, foEqualEx, p + 1};
        case '!': return d == '=' ? THead{THead::Operator, foNotEqualEx, p + 2} : THead{THead::Not, foNoneEx, p + 1};
        case '&': return {THead::Operator, foAndEx, p + 1};
        case '|': return {THead::Operator, foOrEx, p + 1};
        case '~': return {THead::Operator, foLikeEx, p + 1};
        case '(': return {THead::Open, foNoneEx, p + 1};
        default: break;
        }
        std::size_t end = p;
        while (end < n && IsWordChar(s_[end])) ++end;
        const std::string_view word = s_.substr(p, end - p);
        if (word.empty()) return {THead::Value};
        const auto is = [word](const char* english, const char* local) {
            return IsKeyword(word, english) || IsKeyword(word, local);
        };
        if (is("NOT", msg::FilterNotWord)) return {THead::Not, foNoneEx, end};
        if (is("AND", msg::FilterAndWord)) return {THead::Operator, foAndEx, end};
        if (is("OR", msg::FilterOrWord)) return {THead::Operator, foOrEx, end};
        if (IsKeyword(word, "LIKE")) return {THead::Operator, foLikeEx, end};
        if (is("IN", msg::FilterInWord)) return {THead::In, foNoneEx, end};
        if (is("NULL", msg::FilterNullWord)) return {THead::Operator, foNullEx, end};
        return {THead::Value};
    }

    // The next token; pos_ moves behind it (and behind the blanks after an operator).
    TToken Lex(bool listMode)
    {
        // NOT NOT ... is read in a loop: only a single NOT can make an operator.
        int nots = 0;
        THead head = HeadAt(pos_);
        for (; head.kind == THead::Not; head = HeadAt(pos_)) {
            ++nots;
            pos_ = SkipBlanks(head.next);
        }
        TToken token;
        switch (head.kind) {
        case THead::End:
            break;
        case THead::Quote:
        case THead::Value:
            token.value = ReadValueList(listMode);
            token.code = token.value.IsEmpty() ? foNoneEx : foValueEx;
            break;
        case THead::Open:
            pos_ = SkipBlanks(head.next);
            break;
        case THead::Operator:
            pos_ = SkipBlanks(head.next);
            token.code = head.op;
            break;
        case THead::In:
            pos_ = SkipBlanks(head.next);
            if (AtEnd() || s_[pos_] != '(') Fail(msg::LeftParenthesisExpected);
            ++pos_;
            token.code = foInEx;
            break;
        case THead::Not:
            break;
        }
        if (nots == 0) return token;
        return TToken{nots == 1 ? Negated(token.code) : foNoneEx, {}};
    }

    // The operator that starts at p, or foValueEx: the look-ahead that ends a plain value.
    // It reads no value and never fails; what would fail to read is no operator.
    TSTFilterOperatorEx OperatorAt(std::size_t p) const
    {
        THead head = HeadAt(p);
        bool negated = false;
        if (head.kind == THead::Not) {
            negated = true;
            head = HeadAt(SkipBlanks(head.next));
        }
        TSTFilterOperatorEx op = foValueEx;
        switch (head.kind) {
        case THead::End:
        case THead::Open:
        case THead::Not: // NOT NOT
            op = foNoneEx;
            break;
        case THead::Operator:
            op = head.op;
            break;
        case THead::In: {
            const std::size_t q = SkipBlanks(head.next);
            if (q < s_.size() && s_[q] == '(') op = foInEx;
            break;
        }
        case THead::Quote:
        case THead::Value:
            break;
        }
        return negated ? Negated(op) : op;
    }

    // One value; unassigned at the end of the text.
    rtl::Variant ReadValue(bool listMode)
    {
        const std::size_t n = s_.size();
        if (pos_ >= n) return {};
        // Blanks after a list's comma belong to a plain value, not to a quoted one.
        std::size_t q = pos_;
        while (q < n && s_[q] == ' ') ++q;
        if (q < n && s_[q] == '\'') {
            std::string text;
            for (std::size_t from = q + 1;;) {
                const std::size_t close = s_.find('\'', from);
                if (close == std::string_view::npos) Fail(msg::QuoteIsAbsent);
                text.append(s_.substr(from, close - from));
                // Two quotes in a row are one quote of the text.
                if (close + 1 < n && s_[close + 1] == '\'') {
                    text += '\'';
                    from = close + 2;
                    continue;
                }
                pos_ = close + 1;
                return rtl::Variant(std::move(text));
            }
        }
        const std::size_t start = pos_;
        std::size_t i = start;
        while (i < n) {
            const char c = s_[i];
            if (c == '(' || c == ')' || (listMode && c == ',')) break;
            if (c == ' ') {
                std::size_t next = i;
                while (next < n && s_[next] == ' ') ++next;
                if (next < n && IsOperator(OperatorAt(next))) break;
                i = next;
                continue;
            }
            ++i;
        }
        pos_ = i;
        return rtl::Variant(s_.substr(start, i - start));
    }

    // Values separated by commas in list mode: one value, or an array of several.
    rtl::Variant ReadValueList(bool listMode)
    {
        rtl::Variant first = ReadValue(listMode);
        if (!listMode || first.IsEmpty() || AtEnd() || s_[pos_] != ',') return first;
        std::vector<rtl::Variant> values;
        values.push_back(std::move(first));
        while (!AtEnd() && s_[pos_] == ',') {
            ++pos_;
            rtl::Variant value = ReadValue(listMode);
            if (value.IsEmpty()) break; // a comma at the end adds nothing
            values.push_back(std::move(value));
        }
        if (values.size() == 1) return std::move(values.front());
        return rtl::VarArrayOf(values);
    }

    // One comparison from its first token: a bare value, or an operator and its operand.
    void ReadPart(TToken token, TSTFilterOperatorEx& op, rtl::Variant& operand, bool closeInList)
    {
        if (token.code == foValueEx) {
            // clang-format off
            op = token.value.IsArray() ? foInEx : kind_ == okTextEx ? foLikeEx : foEqualEx;
            // clang-format on
            operand = std::move(token.value);
            return;
        }
        op = token.code;
        // Commas separate the values of IN (...); any other operator takes one value.
        const bool inList = IsInList(op);
        pos_ = SkipBlanks(pos_);
        TToken next = Lex(inList);
        if (next.code == foNullEx) {
            if (op == foEqualEx) op = foNullEx;
            else if (op == foNotEqualEx) op = foNotNullEx;
            else Fail(msg::UnexpectedExpressionBeforeNull);
            return;
        }
        if (next.code != foValueEx) Fail(msg::UnexpectedExpressionAfterOperator);
        operand = std::move(next.value);
        if (!inList || !closeInList) return;
        pos_ = SkipBlanks(pos_);
        if (AtEnd() || s_[pos_] != ')') Fail(msg::RightParenthesisExpected);
        ++pos_;
    }

    rtl::Variant ConvertValue(const rtl::Variant& value) const
    {
        if (!value.IsStr()) return value;
        if (kind_ == okNumberEx) return rtl::Variant(rtl::StrToFloat(value.AsString()));
        return rtl::Variant::FromDateTime(rtl::StrToDateTime(value.AsString()));
    }

    void Convert(TSTFilterOperatorEx op, rtl::Variant& operand) const
    {
        if (!IsComparison(op)) {
            operand = rtl::Variant();
            return;
        }
        if (kind_ != okNumberEx && kind_ != okDateTimeEx) return;
        if (!operand.IsArray()) {
            operand = ConvertValue(operand);
            return;
        }
        for (int i = operand.LowBound(); i <= operand.HighBound(); ++i) operand[i] = ConvertValue(operand[i]);
    }

    std::string_view s_;
    TSTOperandKindEx kind_;
    const bool listMode_; // commas separate bare values
    std::size_t pos_ = 0;
};

} // namespace

std::string_view FilterOperatorText(TSTFilterOperatorEx op)
{
    return op < kOperatorTexts.size() ? kOperatorTexts[op].filterRow : std::string_view();
}

std::string_view FilterOperatorSqlText(TSTFilterOperatorEx op)
{
    return op < kOperatorTexts.size() ? kOperatorTexts[op].sql : std::string_view();
}

TSTOperandKindEx OperandKindOfFieldType(db::TFieldType type)
{
    using namespace db;
    switch (type) {
    // clang-format off
    case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftWideString: case ftGuid:
        return okTextEx;
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftAutoInc:
    case ftLargeint: case ftFMTBcd:
        return okNumberEx;
    case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
        // clang-format on
        return okDateTimeEx;
    case ftBoolean:
        return okBooleanEx;
    default:
        return okNoneEx;
    }
}

void ParseFilterExpression(const std::string& text, TSTFilterExpressionEx& expression)
{
    ClearFilterExpression(expression);
    const std::string trimmed = rtl::Trim(text);
    if (trimmed.empty()) return;
    expression = TFilterParser(trimmed, expression.OperandKind).Parse();
}

void ClearFilterExpression(TSTFilterExpressionEx& expression)
{
    expression.Operator1 = foNoneEx;
    expression.Operand1 = rtl::Variant();
    expression.Relation = foNoneEx;
    expression.Operator2 = foNoneEx;
    expression.Operand2 = rtl::Variant();
}

// ---- the condition as text

namespace {

// Numbers in the shortest text that reads back, bare unless a decimal comma would split
// them in a list; dates in the short date format, with the time down to its milliseconds;
// anything else quoted.
std::string ValueText(const rtl::Variant& value, bool inList)
{
    if (value.VarType() == rtl::varDouble) {
        std::string text = rtl::FloatToStrShortest(value.AsFloat());
        return inList && rtl::FormatSettings.DecimalSeparator == ',' ? QuotedFilterValue(text) : text;
    }
    if (value.VarType() == rtl::varDate) {
        const rtl::TDateTime when = value.AsDateTime();
        int hour, minute, second, millisecond;
        rtl::DecodeTime(when, hour, minute, second, millisecond);
        if (millisecond == 0) return rtl::DateTimeToStr(when);
        // The long time form has no milliseconds: they are written in a time of their own.
        return rtl::DateToStr(when) + " " + rtl::FormatDateTime("h:nn:ss.zzz", when);
    }
    return QuotedFilterValue(value.AsString());
}

std::string ConditionText(TSTFilterOperatorEx op, const rtl::Variant& operand)
{
    switch (op) {
    case foNoneEx: return {};
    case foNullEx: return "=Null";
    case foNotNullEx: return "<>Null";
    case foInEx:
    case foNotInEx: {
        std::string text = std::string(FilterOperatorText(op)) + " (";
        if (!operand.IsArray()) {
            text += ValueText(operand, true);
        } else {
            for (int i = operand.LowBound(); i <= operand.HighBound(); ++i) {
                if (i > operand.LowBound()) text += ',';
                text += ValueText(operand[i], true);
            }
        }
        return text + ")";
    }
    default: return std::string(FilterOperatorText(op)) + " " + ValueText(operand, false);
    }
}

} // namespace

std::string QuotedFilterValue(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c;
        if (c == '\'') quoted += c;
    }
    return quoted + "'";
}

std::string FilterExpressionText(const TSTFilterExpressionEx& e)
{
    if (e.Operator1 == foNoneEx) return {};
    std::string text = ConditionText(e.Operator1, e.Operand1);
    if (e.Relation == foNoneEx) return text;
    text += ' ';
    text += FilterOperatorText(e.Relation);
    // A condition that ends with its AND or OR is written so.
    if (e.Operator2 != foNoneEx) text += " " + ConditionText(e.Operator2, e.Operand2);
    return text;
}

// ---- data-set features

namespace {

using TDatasetFeaturesRegistry = rtl::TClassRegistry<std::unique_ptr<TDatasetFeaturesEx>>;

TDatasetFeaturesRegistry& DatasetFeaturesRegistry()
{
    static TDatasetFeaturesRegistry registry;
    return registry;
}

} // namespace

void TDatasetFeaturesEx::ApplySorting(rtl::TComponent*, db::TDataSet*, bool) {}
void TDatasetFeaturesEx::ApplyFilter(rtl::TComponent*, db::TDataSet*, bool) {}

void RegisterDatasetFeaturesEx(const std::string& dataSetClassName, std::unique_ptr<TDatasetFeaturesEx> features)
{
    if (features) DatasetFeaturesRegistry().Register(dataSetClassName, std::move(features));
}

void UnregisterDatasetFeaturesEx(const std::string& dataSetClassName)
{
    DatasetFeaturesRegistry().Unregister(dataSetClassName);
}

TDatasetFeaturesEx* GetDatasetFeatures(const db::TDataSet* dataSet)
{
    if (!dataSet) return nullptr;
    const auto* features = DatasetFeaturesRegistry().Find(*dataSet);
    return features ? features->get() : nullptr;
}

} // namespace grid
