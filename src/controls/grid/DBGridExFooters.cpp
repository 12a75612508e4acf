// Footer settings of a column, the grid's sum list, and the texts of the footer cells.
#include "controls/grid/DBGridExFooters.h"

#include <utility>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/UpdateScope.h"

namespace grid {

// ---- TColumnFooterEx

TColumnFooterEx::TColumnFooterEx(rtl::TCollection* collection) : rtl::TCollectionItem(collection)
{
    if (auto* footers = dynamic_cast<TColumnFootersEx*>(collection)) column_ = &footers->Column();
    init();
}

TColumnFooterEx::TColumnFooterEx(TColumnEx& column) : rtl::TCollectionItem(nullptr)
{
    column_ = &column;
    init();
}

void TColumnFooterEx::init()
{
    refreshFont();
    font_.OnChange = {this, &TColumnFooterEx::fontChanged};
}

TColumnFooterEx::~TColumnFooterEx()
{
    if (TCustomDBGridEx* g = grid()) g->SumList().UnbindFooter(*this);
}

TCustomDBGridEx* TColumnFooterEx::grid() const
{
    return column_ ? column_->Grid() : nullptr;
}

void TColumnFooterEx::changed()
{
    if (GetCollection()) rtl::TCollectionItem::Changed(false);
    else if (column_) column_->Changed(false);
}

void TColumnFooterEx::BindSum()
{
    if (TCustomDBGridEx* g = grid()) g->SumList().BindFooter(*this);
}

void TColumnFooterEx::Assign(const rtl::TPersistent* source)
{
    const auto* src = dynamic_cast<const TColumnFooterEx*>(source);
    if (!src) {
        rtl::TCollectionItem::Assign(source);
        return;
    }
    if (src->assignedValues_.Contains(fvAlignment)) SetAlignment(src->alignment_);
    if (src->assignedValues_.Contains(fvColor)) SetColor(src->color_);
    if (src->assignedValues_.Contains(fvFont)) SetFont(src->font_);
    if (src->assignedValues_.Contains(fvToolTips)) SetToolTips(src->toolTips_);
    SetDisplayFormat(src->displayFormat_);
    SetEndEllipsis(src->endEllipsis_);
    SetFieldName(src->fieldName_);
    SetValue(src->value_);
    SetValueType(src->valueType_);
    SetWordWrap(src->wordWrap_);
}

void TColumnFooterEx::RestoreDefaults()
{
    assignedValues_ = {};
    refreshFont();
    changed();
}

rtl::TAlignment TColumnFooterEx::GetAlignment() const
{
    if (assignedValues_.Contains(fvAlignment)) return alignment_;
    const db::TField* field = column_ ? column_->Field() : nullptr;
    return field ? field->GetAlignment() : rtl::taLeftJustify;
}

void TColumnFooterEx::SetAlignment(rtl::TAlignment value)
{
    if (assignedValues_.Contains(fvAlignment) && value == alignment_) return;
    alignment_ = value;
    assignedValues_.Include(fvAlignment);
    changed();
}

bool TColumnFooterEx::IsAlignmentStored() const
{
    if (!assignedValues_.Contains(fvAlignment)) return false;
    const db::TField* field = column_ ? column_->Field() : nullptr;
    return alignment_ != (field ? field->GetAlignment() : rtl::taLeftJustify);
}

ui::TColor TColumnFooterEx::GetColor() const
{
    if (assignedValues_.Contains(fvColor)) return color_;
    const TCustomDBGridEx* g = grid();
    return g ? g->GetFooterColor() : ui::clWindow;
}

void TColumnFooterEx::SetColor(ui::TColor value)
{
    if (assignedValues_.Contains(fvColor) && value == color_) return;
    color_ = value;
    assignedValues_.Include(fvColor);
    changed();
}

bool TColumnFooterEx::IsColorStored() const
{
    const TCustomDBGridEx* g = grid();
    return assignedValues_.Contains(fvColor) && color_ != (g ? g->GetFooterColor() : ui::clWindow);
}

void TColumnFooterEx::SetDisplayFormat(const std::string& value)
{
    if (value == displayFormat_) return;
    displayFormat_ = value;
    changed();
}

void TColumnFooterEx::SetEndEllipsis(bool value)
{
    if (value == endEllipsis_) return;
    endEllipsis_ = value;
    changed();
}

void TColumnFooterEx::SetFieldName(const std::string& value)
{
    if (value == fieldName_) return;
    fieldName_ = value;
    BindSum();
    changed();
}

void TColumnFooterEx::refreshFont() const
{
    if (assignedValues_.Contains(fvFont) || !column_) return;
    const TCustomDBGridEx* g = grid();
    TakeDerivedFont(font_, g ? g->FooterFont() : column_->GetFont(), copyingFont_);
}

ui::TFont& TColumnFooterEx::GetFont()
{
    refreshFont();
    return font_;
}

const ui::TFont& TColumnFooterEx::GetFont() const
{
    refreshFont();
    return font_;
}

void TColumnFooterEx::SetFont(const ui::TFont& value)
{
    GetFont().Assign(value);
}

void TColumnFooterEx::fontChanged(rtl::TObject*)
{
    if (copyingFont_) return;
    assignedValues_.Include(fvFont);
    changed();
}

bool TColumnFooterEx::GetToolTips() const
{
    if (assignedValues_.Contains(fvToolTips)) return toolTips_;
    const TCustomDBGridEx* g = grid();
    return g && g->ColumnDefValues().Footer().GetToolTips();
}

void TColumnFooterEx::SetToolTips(bool value)
{
    if (assignedValues_.Contains(fvToolTips) && value == toolTips_) return;
    toolTips_ = value;
    assignedValues_.Include(fvToolTips);
    changed();
}

void TColumnFooterEx::SetValue(const std::string& value)
{
    if (value == value_) return;
    value_ = value;
    changed();
}

void TColumnFooterEx::SetValueType(TFooterValueType value)
{
    if (value == valueType_) return;
    valueType_ = value;
    BindSum();
    changed();
}

void TColumnFooterEx::SetWordWrap(bool value)
{
    if (value == wordWrap_) return;
    wordWrap_ = value;
    changed();
}

// ---- TColumnFootersEx

TColumnFootersEx::TColumnFootersEx(TColumnEx& column)
    : rtl::TCollection(ItemClass<TColumnFooterEx>(), &column), column_(column)
{
}

TColumnFootersEx::~TColumnFootersEx() = default;

void TColumnFootersEx::Update(rtl::TCollectionItem*)
{
    column_.Changed(false);
}

// ---- TDBGridExSumList

TDBGridExSumList::TDBGridExSumList(TCustomDBGridEx& grid) : TDBSumListProducer(&grid), grid_(grid)
{
}

void TDBGridExSumList::BindFooter(TColumnFooterEx& footer)
{
    TColumnEx* column = footer.Column();
    if (!column || column->Grid() != &grid_) return;
    TDBSum* sum = footer.Sum();
    TGroupOperation operation;
    switch (footer.GetValueType()) {
    case fvtSum: operation = goSum; break;
    case fvtAvg: operation = goAvg; break;
    case fvtCount: operation = goCount; break;
    default:
        if (sum) {
            footer.SetSum(nullptr);
            FreeSum(sum);
        }
        return;
    }
    const std::string& own = footer.GetFieldName();
    // A count counts the records.
    std::string fieldName;
    if (operation != goCount) fieldName = own.empty() ? column->GetFieldName() : own;
    // Field names are found without regard to case: a name that only changed case keeps its total.
    if (sum && sum->GetGroupOperation() == operation && rtl::AnsiSameText(sum->GetFieldName(), fieldName)) return;
    TDBSumCollection& sums = SumCollection();
    const rtl::TUpdateScope update(sums);
    if (!sum) {
        sum = sums.Add();
        footer.SetSum(sum);
    }
    sum->SetGroupOperation(operation);
    sum->SetFieldName(fieldName);
}

void TDBGridExSumList::UnbindFooter(TColumnFooterEx& footer)
{
    TDBSum* sum = footer.Sum();
    if (!sum) return;
    footer.SetSum(nullptr);
    FreeSum(sum);
}

void TDBGridExSumList::SumRemoving(const rtl::TCollectionItem* sum)
{
    if (FreeingSum() || grid_.HasState(rtl::csDestroying)) return;
    auto forget = [sum](TColumnFooterEx* footer) {
        if (footer && static_cast<const rtl::TCollectionItem*>(footer->Sum()) == sum) footer->SetSum(nullptr);
    };
    for (int i = 0; i < grid_.Columns().Count(); ++i) {
        TColumnEx* column = grid_.Columns().Items(i);
        forget(column->Footer());
        for (int row = 0; row < column->Footers()->Count(); ++row) forget(column->Footers()->Items(row));
    }
}

// ---- the grid's footer values

std::string SumAmountText(const std::string& format, const db::TField& field, const TDBSumAmount& value)
{
    const std::string& fieldFormat = field.GetDisplayFormat();
    const bool currency = field.GetCurrency();
    const int currencyDecimals = currency ? rtl::FormatSettings.CurrencyDecimals : 0;
    switch (field.DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftAutoInc:
        if (!format.empty()) return rtl::FormatFloat(format, value.ToDouble());
        if (!fieldFormat.empty()) return rtl::FormatFloat(fieldFormat, value.ToDouble());
        return value.WholeText();
    case db::ftFloat:
    case db::ftCurrency:
        if (!format.empty()) return rtl::FormatFloat(format, value.ToDouble());
        if (!fieldFormat.empty()) return rtl::FormatFloat(fieldFormat, value.ToDouble());
        return rtl::FloatToStrF(value.ToDouble(), currency ? rtl::ffCurrency : rtl::ffGeneral, field.GetPrecision(),
                                currencyDecimals);
    case db::ftBCD:
    case db::ftFMTBcd:
        if (!format.empty()) return rtl::FormatFloat(format, value.ToDouble());
        if (!value.FitsCurrency()) {
            if (!fieldFormat.empty()) return rtl::FormatFloat(fieldFormat, value.ToDouble());
            return rtl::FloatToStrF(value.ToDouble(), currency ? rtl::ffCurrency : rtl::ffGeneral, 15,
                                    currencyDecimals);
        }
        if (!fieldFormat.empty()) return rtl::FormatCurr(fieldFormat, value.ToCurrency());
        return currency ? rtl::CurrToStrF(value.ToCurrency(), rtl::ffCurrency, currencyDecimals)
                        : rtl::CurrToStr(value.ToCurrency());
    default: return "0";
    }
}

namespace {

// The field's value in the current record, through the footer's format when it has one.
std::string FieldValueText(const db::TField& field, const std::string& format)
{
    if (field.IsNull()) return {};
    if (format.empty()) return field.DisplayText();
    // By rule, every number type, large integers included, goes through the format
    // as a number, dates and times as a date-time; the rest as the field shows itself.
    switch (field.DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftAutoInc:
    case db::ftLargeint:
    case db::ftFloat:
    case db::ftCurrency:
    case db::ftBCD:
    case db::ftFMTBcd: return rtl::FormatFloat(format, field.GetAsFloat());
    case db::ftDate:
    case db::ftTime:
    case db::ftDateTime:
    case db::ftTimeStamp: return rtl::FormatDateTime(format, field.GetAsDateTime());
    default: return field.DisplayText();
    }
}

} // namespace

std::string TCustomDBGridEx::GetFooterValue(int Row, TColumnEx* Column)
{
    const TColumnFooterEx* footer = Column ? Column->FooterForRow(Row) : nullptr;
    if (!footer) return {};
    db::TDataSet* dataSet = DataLink().DataSet();
    switch (footer->GetValueType()) {
    case fvtSum:
    case fvtAvg: {
        const std::string& own = footer->GetFieldName();
        const db::TField* field = dataSet ? dataSet->FindField(own.empty() ? Column->GetFieldName() : own) : nullptr;
        if (!field) return "0";
        const TDBSum* sum =
            sumList_->SumCollection().Find(footer->GetValueType() == fvtSum ? goSum : goAvg, field->GetFieldName());
        return sum ? SumAmountText(footer->GetDisplayFormat(), *field, sum->SumValue()) : "0";
    }
    case fvtCount: {
        const TDBSum* sum = sumList_->SumCollection().Find(goCount, {});
        if (!sum) return {};
        const double count = sum->SumValue().ToDouble();
        return footer->GetDisplayFormat().empty() ? rtl::FloatToStr(count)
                                                  : rtl::FormatFloat(footer->GetDisplayFormat(), count);
    }
    case fvtFieldValue:
        if (!dataSet || !dataSet->GetActive() || footer->GetFieldName().empty()) return {};
        return FieldValueText(*dataSet->FieldByName(footer->GetFieldName()), footer->GetDisplayFormat());
    case fvtStaticText: return footer->GetValue();
    case fvtNon: break;
    }
    return {};
}

void TCustomDBGridEx::GetFooterParams(int DataCol, int Row, TColumnEx* Column, ui::TFont& AFont,
                                      ui::TColor& Background, rtl::TAlignment& Alignment, ui::TGridDrawState State,
                                      std::string& Text)
{
    if (OnGetFooterParams) OnGetFooterParams(this, DataCol, Row, Column, AFont, Background, Alignment, State, Text);
}

std::unique_ptr<TDBGridExSumList> TCustomDBGridEx::CreateSumList()
{
    auto sumList = std::make_unique<TDBGridExSumList>(*this);
    sumList->SumListChanged = {this, &TCustomDBGridEx::sumListChanged};
    sumList->OnRecalcAll = {this, &TCustomDBGridEx::sumListRecalcAll};
    sumList->OnAfterRecalcAll = {this, &TCustomDBGridEx::sumListAfterRecalcAll};
    return sumList;
}

void TCustomDBGridEx::sumListChanged(rtl::TObject*)
{
    if (HasState(rtl::csDestroying)) return;
    // In design mode the refresh itself recalculates: it is not asked for again.
    if (!sumList_->Recalculating() && std::exchange(refreshAfterRecalc_, false) && !IsDesigning()) RefreshLayout();
    InvalidateFooters();
}

void TCustomDBGridEx::sumListRecalcAll(rtl::TObject* Sender)
{
    if (OnSumListRecalcAll) OnSumListRecalcAll(Sender);
}

void TCustomDBGridEx::sumListAfterRecalcAll(rtl::TObject* Sender)
{
    refreshAfterRecalc_ = true;
    if (OnSumListAfterRecalcAll) OnSumListAfterRecalcAll(Sender);
}

void TCustomDBGridEx::ColorChanged()
{
    ui::TCustomGrid::ColorChanged();
    if (!ParentColor()) return;
    footerColor_ = Color();
    Invalidate();
}

} // namespace grid
