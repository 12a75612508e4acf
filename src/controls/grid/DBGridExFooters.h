#pragma once
// The footer cells of a column: what each footer row shows under the data rows (a sum,
// an average or a count kept by the grid's sum list, a field's value or a fixed text)
// and how it looks. Unassigned looks follow the column's field and the grid. Also the
// grid's sum list, which keeps one total for each footer that shows one.
#include <cstdint>
#include <string>

#include "controls/grid/DBGridExSeams.h"
#include "controls/grid/DBGridExTypes.h"
#include "controls/grid/DBSumList.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/Set.h"
#include "platform/ui/Graphics.h"

namespace grid {

enum TColumnFooterAssignedValue { fvAlignment,
                                  fvFont,
                                  fvColor,
                                  fvToolTips };
using TColumnFooterAssignedValues = rtl::TSet<TColumnFooterAssignedValue, std::uint8_t>;

class TColumnFooterEx : public rtl::TCollectionItem {
public:
    // An item of a column's Footers (a TColumnFootersEx).
    explicit TColumnFooterEx(rtl::TCollection* collection);
    // A column's single Footer, in no collection.
    explicit TColumnFooterEx(TColumnEx& column);
    // Gives up its sum.
    ~TColumnFooterEx() override;

    TColumnEx* Column() const { return column_; }

    using rtl::TCollectionItem::Assign;
    // From another footer: its assigned alignment, colour, font and tool tips, and every
    // other property.
    void Assign(const rtl::TPersistent* source) override;
    // Forgets the assigned values and takes the derived font again.
    virtual void RestoreDefaults();

    // The alignment of the column's field (left without one) until set.
    rtl::TAlignment GetAlignment() const;
    void SetAlignment(rtl::TAlignment value);
    bool IsAlignmentStored() const;
    // The grid's FooterColor (clWindow outside a grid) until set.
    ui::TColor GetColor() const;
    void SetColor(ui::TColor value);
    bool IsColorStored() const;
    const std::string& GetDisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& value);
    bool GetEndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool value);
    // The field summed or shown; the column's field when empty.
    const std::string& GetFieldName() const { return fieldName_; }
    void SetFieldName(const std::string& value);
    // The grid's FooterFont (the column's font outside a grid) until changed.
    ui::TFont& GetFont();
    const ui::TFont& GetFont() const;
    void SetFont(const ui::TFont& value);
    bool IsFontStored() const { return assignedValues_.Contains(fvFont); }
    // The grid's ColumnDefValues.Footer.ToolTips until set.
    bool GetToolTips() const;
    void SetToolTips(bool value);
    bool IsToolTipsStored() const { return assignedValues_.Contains(fvToolTips) && toolTips_; }
    // The fixed text of fvtStaticText.
    const std::string& GetValue() const { return value_; }
    void SetValue(const std::string& value);
    TFooterValueType GetValueType() const { return valueType_; }
    void SetValueType(TFooterValueType value);
    bool GetWordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

    const TColumnFooterAssignedValues& AssignedValues() const { return assignedValues_; }

    // The sum kept for this footer; set by the sum list only.
    TDBSum* Sum() const { return sum_; }
    void SetSum(TDBSum* sum) { sum_ = sum; }
    // Asks the sum list for the sum this footer's kind and field need.
    void BindSum();

private:
    void init();
    void changed();
    void refreshFont() const;
    void fontChanged(rtl::TObject* sender);
    TCustomDBGridEx* grid() const;

    TColumnEx* column_ = nullptr;
    TColumnFooterAssignedValues assignedValues_;
    rtl::TAlignment alignment_ = rtl::taLeftJustify;
    ui::TColor color_ = ui::clWindow;
    std::string displayFormat_;
    bool endEllipsis_ = false;
    std::string fieldName_;
    mutable ui::TFont font_;
    mutable bool copyingFont_ = false;
    bool toolTips_ = false;
    std::string value_;
    TFooterValueType valueType_ = fvtNon;
    bool wordWrap_ = false;
    TDBSum* sum_ = nullptr;
};

// The footers of a column, one per footer row; a change tells the column.
class TColumnFootersEx : public rtl::TCollection {
public:
    explicit TColumnFootersEx(TColumnEx& column);
    ~TColumnFootersEx() override;

    TColumnEx& Column() const { return column_; }
    TColumnFooterEx* Items(int index) const { return static_cast<TColumnFooterEx*>(GetItem(index)); }
    TColumnFooterEx* Add() { return static_cast<TColumnFooterEx*>(rtl::TCollection::Add()); }
    int Count() const { return GetCount(); }

protected:
    void Update(rtl::TCollectionItem* item) override;

private:
    TColumnEx& column_;
};

// The grid's sum list over the grid's data set: each sum, average and count footer of
// the grid's columns has its total here, made when the footer asks for one and freed
// when it no longer does. Its owner (the sender of its events) is the grid.
class TDBGridExSumList : public TDBSumListProducer, public IDBGridExSumList {
public:
    explicit TDBGridExSumList(TCustomDBGridEx& grid);

    TCustomDBGridEx& Grid() const { return grid_; }

    void SetDataSet(db::TDataSet* dataSet) override { TDBSumListProducer::SetDataSet(dataSet); }
    bool Active() const override { return TDBSumListProducer::Active(); }
    void SetActive(bool value) override { TDBSumListProducer::SetActive(value); }
    void RecalcAll() override { TDBSumListProducer::RecalcAll(); }
    bool Recalculating() const override { return TDBSumListProducer::Recalculating(); }
    bool IsSequenced() const override { return TDBSumListProducer::IsSequenced(); }
    int RecNo() const override { return TDBSumListProducer::RecNo(); }
    void SetRecNo(int recNo) override { TDBSumListProducer::SetRecNo(recNo); }
    int RecordCount() const override { return TDBSumListProducer::RecordCount(); }
    // Gives the footer the total its kind and field ask for; a footer whose total is
    // already the right one costs a comparison (every layout binds the footers again).
    void BindFooter(TColumnFooterEx& footer) override;
    void UnbindFooter(TColumnFooterEx& footer) override;

protected:
    // A total taken out of the collection by other code: the footers forget it.
    void SumRemoving(const rtl::TCollectionItem* sum) override;

private:
    TCustomDBGridEx& grid_;
};

// A total as a footer over a field of this type shows it: through format when it is not
// empty, else through the field's DisplayFormat, else in the field type's plain form. "0"
// for a field of a type that is not added up.
// By rule, whole numbers of up to 32 bits, fractions and BCD; a large integer's
// total shows "0" like a text's (and exports as an empty cell, FooterTotalText).
std::string SumAmountText(const std::string& format, const db::TField& field, const TDBSumAmount& value);

} // namespace grid
