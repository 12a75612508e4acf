// Any text, under every operand kind and both decimal separators, either reads into a
// well-formed filter expression or fails with the runtime's Exception and leaves the
// expression cleared; what reads is shown as a text that reads back as the same
// expression and shows the same again. The first byte picks the kind (low bits) and the
// separator (top bit).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../SameFilterExpression.h"
#include "controls/grid/DbUtilsEx.h"
#include "platform/rtl/SysUtils.h"

namespace {

using namespace grid;

void Require(bool condition)
{
    if (!condition) std::abort();
}

rtl::TVarType ConvertedType(TSTOperandKindEx kind)
{
    if (kind == okNumberEx) return rtl::varDouble;
    if (kind == okDateTimeEx) return rtl::varDate;
    return rtl::varString;
}

void CheckPart(TSTFilterOperatorEx op, const rtl::Variant& operand, TSTOperandKindEx kind)
{
    Require(op <= foNotNullEx);
    if (op == foNoneEx || op == foNullEx || op == foNotNullEx) {
        Require(operand.IsEmpty());
        return;
    }
    if (!operand.IsArray()) {
        Require(operand.VarType() == ConvertedType(kind));
        return;
    }
    Require(op == foInEx || op == foNotInEx);
    Require(operand.ElementCount() >= 2);
    for (int i = operand.LowBound(); i <= operand.HighBound(); ++i)
        Require(operand[i].VarType() == ConvertedType(kind));
}

void CheckShownTextReadsBack(const TSTFilterExpressionEx& e)
{
    const std::string shown = FilterExpressionText(e);
    TSTFilterExpressionEx back;
    back.OperandKind = e.OperandKind;
    try {
        ParseFilterExpression(shown, back);
    } catch (const rtl::Exception&) {
        std::abort();
    }
    Require(filtertest::SameCondition(back, e));
    Require(FilterExpressionText(back) == shown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const auto kind = static_cast<TSTOperandKindEx>(data[0] % 5);
    rtl::FormatSettings = rtl::TFormatSettings::Invariant();
    if (data[0] & 0x80) {
        rtl::FormatSettings.DecimalSeparator = ',';
        rtl::FormatSettings.ThousandSeparator = '.';
    }
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    TSTFilterExpressionEx e;
    e.OperandKind = kind;
    e.Operator1 = foLessEx;
    e.Operand1 = rtl::Variant(1.0);
    try {
        ParseFilterExpression(text, e);
    } catch (const rtl::Exception&) {
        Require(e.OperandKind == kind && e.Operator1 == foNoneEx && e.Operand1.IsEmpty());
        Require(e.Relation == foNoneEx && e.Operator2 == foNoneEx && e.Operand2.IsEmpty());
        return 0;
    }
    Require(e.OperandKind == kind);
    Require((e.Operator1 == foNoneEx) == rtl::Trim(text).empty());
    CheckPart(e.Operator1, e.Operand1, kind);
    Require(e.Relation == foNoneEx || e.Relation == foAndEx || e.Relation == foOrEx);
    Require(e.Relation != foNoneEx || e.Operator2 == foNoneEx);
    CheckPart(e.Operator2, e.Operand2, kind);
    CheckShownTextReadsBack(e);
    return 0;
}
