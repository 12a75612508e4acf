#pragma once
// Whether two filter conditions are the same: operators, relation and operands of the same
// type and value (arrays element by element; Variant's own == takes "5" for 5.0). Shared by
// the parser's tests and its fuzz program.
#include "controls/grid/DbUtilsEx.h"
#include "platform/rtl/Variant.h"

namespace filtertest {

inline bool SameTyped(const rtl::Variant& a, const rtl::Variant& b)
{
    if (a.VarType() != b.VarType()) return false;
    if (!a.IsArray()) return a == b;
    if (a.LowBound() != b.LowBound() || a.HighBound() != b.HighBound()) return false;
    for (int i = a.LowBound(); i <= a.HighBound(); ++i)
        if (!SameTyped(a[i], b[i])) return false;
    return true;
}

// The parts the parser fills (OperandKind is the caller's).
inline bool SameCondition(const grid::TSTFilterExpressionEx& a, const grid::TSTFilterExpressionEx& b)
{
    return a.Operator1 == b.Operator1 && SameTyped(a.Operand1, b.Operand1) && a.Relation == b.Relation
           && a.Operator2 == b.Operator2 && SameTyped(a.Operand2, b.Operand2);
}

} // namespace filtertest
