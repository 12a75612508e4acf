#pragma once
// A data-set feature object of the tests' own: it filters a memory data set by the
// conditions of a grid's filter row (the program registers none), and counts its calls.
#include <string>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DbUtilsEx.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/SysUtils.h"

namespace gridtest {

class TFilterRowFeatures : public grid::TDatasetFeaturesEx {
public:
    void ApplyFilter(rtl::TComponent* grid, db::TDataSet* dataSet, bool isReopen) override
    {
        ++Calls;
        LastGrid = grid;
        LastReopen = isReopen;
        grid_ = dynamic_cast<grid::TCustomDBGridEx*>(grid);
        dataSet->OnFilterRecord = {this, &TFilterRowFeatures::filterRecord};
        dataSet->SetFiltered(false);
        dataSet->SetFiltered(true);
    }

    int Calls = 0;
    rtl::TComponent* LastGrid = nullptr;
    bool LastReopen = false;

private:
    void filterRecord(db::TDataSet* dataSet, bool& accept)
    {
        for (int i = 0; accept && grid_ && i < grid_->Columns().Count(); ++i) {
            const grid::TSTColumnFilterEx& filter = *grid_->Columns().Items(i)->STFilter();
            const grid::TSTFilterExpressionEx& e = filter.Expression();
            const db::TField* field = dataSet->FindField(filter.FilteredFieldName());
            if (!field || e.Operator1 == grid::foNoneEx) continue;
            // A condition picked from a list compares the key; one typed is read as typed.
            if (filter.HasListSource() && !filter.CurrentKeyValue().IsNull()) {
                accept = Compare(*field, filter.CurrentKeyValue()) == 0;
                continue;
            }
            const bool first = Holds(*field, e.Operator1, e.Operand1);
            if (e.Relation == grid::foNoneEx || e.Operator2 == grid::foNoneEx) accept = first;
            else if (e.Relation == grid::foAndEx) accept = first && Holds(*field, e.Operator2, e.Operand2);
            else accept = first || Holds(*field, e.Operator2, e.Operand2);
        }
    }

    // The field's value compared with one operand: below 0, 0 or above 0.
    static int Compare(const db::TField& field, const rtl::Variant& operand)
    {
        if (operand.IsStr()) return rtl::AnsiCompareText(field.GetAsString(), operand.AsString());
        const double a = field.GetAsFloat(), b = operand.AsFloat();
        return (a > b) - (a < b);
    }

    static bool Holds(const db::TField& field, grid::TSTFilterOperatorEx op, const rtl::Variant& operand)
    {
        using namespace grid;
        if (op == foNullEx || op == foNotNullEx) return field.IsNull() == (op == foNullEx);
        if (field.IsNull()) return false;
        switch (op) {
        case foEqualEx: return Compare(field, operand) == 0;
        case foNotEqualEx: return Compare(field, operand) != 0;
        case foGreaterEx: return Compare(field, operand) > 0;
        case foLessEx: return Compare(field, operand) < 0;
        case foGreaterOrEqualEx: return Compare(field, operand) >= 0;
        case foLessOrEqualEx: return Compare(field, operand) <= 0;
        case foLikeEx:
        case foNotLikeEx:
            return rtl::AnsiContainsText(field.GetAsString(), operand.AsString()) == (op == foLikeEx);
        case foInEx:
        case foNotInEx: {
            bool found = false;
            if (!operand.IsArray()) found = Compare(field, operand) == 0;
            for (int i = operand.IsArray() ? operand.LowBound() : 1; operand.IsArray() && i <= operand.HighBound(); ++i)
                found = found || Compare(field, operand[i]) == 0;
            return found == (op == foInEx);
        }
        default: return true;
        }
    }

    grid::TCustomDBGridEx* grid_ = nullptr;
};

} // namespace gridtest
