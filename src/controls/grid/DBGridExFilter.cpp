// Filter-row settings of the grid and of its columns.
#include "controls/grid/DBGridExFilter.h"

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSetScopes.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

// ---- TSTDBGridExFilter

TSTDBGridExFilter::TSTDBGridExFilter(TCustomDBGridEx& grid) : grid_(grid)
{
}

void TSTDBGridExFilter::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TSTDBGridExFilter*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetVisible(src->visible_);
    SetLocal(src->local_);
}

void TSTDBGridExFilter::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    if (!value) grid_.StopFilterEdit();
    grid_.LayoutChanged();
    grid_.UpdateFilterEditor(false);
}

// ---- TSTColumnFilterEx

TSTColumnFilterEx::TSTColumnFilterEx(TColumnEx& column) : column_(column)
{
    listLink_.OnDataChange = {this, &TSTColumnFilterEx::ListDataChanged};
}

void TSTColumnFilterEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TSTColumnFilterEx*>(source);
    if (!src) {
        rtl::TPersistent::Assign(source);
        return;
    }
    SetDataField(src->dataField_);
    SetVisible(src->visible_);
    SetKeyField(src->keyField_);
    SetListField(src->listField_);
    SetListSource(src->GetListSource());
}

void TSTColumnFilterEx::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    column_.Changed(false);
}

std::string TSTColumnFilterEx::FilteredFieldName() const
{
    if (!dataField_.empty()) return dataField_;
    return HasListSource() ? std::string() : column_.GetFieldName();
}

rtl::Variant TSTColumnFilterEx::GetKeyValue() const
{
    return keyField_.empty() ? currentKeyValue_ : expression_.Operand1;
}

// ---- the condition as text

std::string TSTColumnFilterEx::FilterText() const
{
    const TSTFilterExpressionEx& e = expression_;
    if (e.OperandKind == okNoneEx || e.Operator1 == foNoneEx) return {};
    // A pick from the list; any other condition is written as typed conditions are.
    if (HasListSource() && e.Operator1 == foInEx) {
        if (!e.Operand1.IsArray()) return e.Operand1.AsString();
        std::string text;
        for (int i = e.Operand1.LowBound(); i <= e.Operand1.HighBound(); ++i) {
            if (i > e.Operand1.LowBound()) text += ',';
            text += QuotedFilterValue(e.Operand1[i].AsString());
        }
        return text;
    }
    return FilterExpressionText(e);
}

TSTOperandKindEx TSTColumnFilterEx::OperandKind() const
{
    const TCustomDBGridEx* grid = column_.Grid();
    const db::TDataSet* dataSet = grid ? grid->DataLink().DataSet() : nullptr;
    const db::TField* field = dataSet && !dataField_.empty() ? dataSet->FindField(dataField_) : nullptr;
    if (!field) field = column_.Field();
    return field ? OperandKindOfFieldType(field->DataType()) : okNoneEx;
}

void TSTColumnFilterEx::SetExpressionFromText(const std::string& text)
{
    // A text that does not read changes nothing.
    TSTFilterExpressionEx expression;
    expression.OperandKind = OperandKind();
    ParseFilterExpression(text, expression);
    takeExpression(std::move(expression), rtl::Variant(currentKeyValue_));
}

void TSTColumnFilterEx::SetExpressionFromKeyValue(const rtl::Variant& value, const std::string& text)
{
    TSTFilterExpressionEx expression;
    expression.OperandKind = OperandKind();
    if (value.IsNull() || value.IsEmpty()) {
        ParseFilterExpression(text, expression);
        takeExpression(std::move(expression), rtl::Null());
        return;
    }
    // The picked text is the whole condition; it is not read as a condition text (a
    // list's text may hold a quote or a word such as AND).
    expression.Operator1 = foInEx;
    expression.Operand1 = rtl::Variant(text);
    takeExpression(std::move(expression), value);
}

void TSTColumnFilterEx::takeExpression(TSTFilterExpressionEx expression, const rtl::Variant& key)
{
    expression_ = std::move(expression);
    expressionText_ = FilterText();
    // The key goes with the condition before anyone is told: the open editor shows both.
    currentKeyValue_ = key;
    if (TCustomDBGridEx* grid = column_.Grid()) grid->FilterSettingsChanged(column_);
}

// ---- the list a condition is picked from

void TSTColumnFilterEx::ListDataChanged(db::TFieldDataLink*)
{
    if (!keyField_.empty()) ReadListValues(listValues_, &keyValues_);
}

void TSTColumnFilterEx::ReadListValues(rtl::TStrings& Texts, rtl::TStrings* Keys)
{
    // Walking the list moves its data set, which tells the link again.
    if (readingList_ || !listLink_.Active() || listField_.empty()) return;
    db::TDataSet& dataSet = *listLink_.DataSet();
    // A record being edited would be posted by the walk; the post tells the link again.
    if (dataSet.State() != db::dsBrowse) return;
    const rtl::TFlagScope reading(readingList_);
    const rtl::TUpdateScope textsUpdate(Texts);
    Texts.Clear();
    if (Keys) Keys->Clear();
    const db::TField* listField = dataSet.FieldByName(listField_);
    const db::TField* keyField = Keys ? dataSet.FieldByName(keyField_) : nullptr;
    db::TDisableControlsScope quiet(dataSet);
    db::TBookmarkScope position(dataSet);
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        Texts.Add(listField->GetAsString());
        if (Keys) Keys->Add(keyField->GetAsString());
    }
}

} // namespace grid
