#pragma once
// Settings of the grid's filter row: the grid's switch for the row (STFilter) and each
// column's condition, with the list a condition may be picked from.
#include <string>

#include "controls/grid/DbUtilsEx.h"
#include "controls/grid/DBGridExTypes.h"
#include "platform/db/DataSource.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Variant.h"

namespace grid {

// The grid's filter-row settings. While its update count is above 0 the filter row's
// editor is not refreshed.
class TSTDBGridExFilter : public rtl::TPersistent {
public:
    explicit TSTDBGridExFilter(TCustomDBGridEx& grid);

    TCustomDBGridEx& Grid() const { return grid_; }
    using rtl::TPersistent::Assign;
    // Visible and Local of another grid's settings.
    void Assign(const rtl::TPersistent* source) override;

    // Filter locally rather than in the data set's query; only recorded here.
    bool GetLocal() const { return local_; }
    void SetLocal(bool value) { local_ = value; }
    // The filter row under the titles. Hiding it ends its editing; the grid lays out again.
    bool GetVisible() const { return visible_; }
    void SetVisible(bool value);
    bool IsVisibleStored() const { return visible_; }

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate()
    {
        if (updateCount_ > 0) --updateCount_;
    }
    int UpdateCount() const { return updateCount_; }

private:
    TCustomDBGridEx& grid_;
    bool local_ = false;
    int updateCount_ = 0;
    bool visible_ = false;
};

// A column's filter-row condition.
class TSTColumnFilterEx : public rtl::TPersistent {
public:
    explicit TSTColumnFilterEx(TColumnEx& column);

    TColumnEx& Column() const { return column_; }
    using rtl::TPersistent::Assign;
    // DataField, Visible, KeyField, ListField and ListSource of another column's.
    void Assign(const rtl::TPersistent* source) override;

    const std::string& GetDataField() const { return dataField_; }
    void SetDataField(const std::string& value) { dataField_ = value; }
    const std::string& GetKeyField() const { return keyField_; }
    void SetKeyField(const std::string& value) { keyField_ = value; }
    const std::string& GetListField() const { return listField_; }
    void SetListField(const std::string& value) { listField_ = value; }
    // The data set whose ListField values the condition is picked from.
    db::TDataSource* GetListSource() const { return listLink_.GetDataSource(); }
    void SetListSource(db::TDataSource* value) { listLink_.SetDataSource(value); }
    // The column shows a filter cell; a change tells the column.
    bool GetVisible() const { return visible_; }
    void SetVisible(bool value);
    bool IsVisibleStored() const { return !visible_; }

    // The list's key values and display values, in the same order.
    rtl::TStringList& KeyValues() { return keyValues_; }
    rtl::TStringList& ListValues() { return listValues_; }
    const rtl::Variant& CurrentKeyValue() const { return currentKeyValue_; }
    TSTFilterExpressionEx& Expression() { return expression_; }
    const TSTFilterExpressionEx& Expression() const { return expression_; }
    const std::string& ExpressionText() const { return expressionText_; }

    // The condition as the filter row shows it: empty without one; a pick from a list
    // source (In) as the picked texts, quoted when there are several; else the text that
    // reads back as the same condition (FilterExpressionText).
    virtual std::string FilterText() const;
    virtual bool HasListSource() const { return GetListSource() != nullptr; }
    // The field the condition applies to: DataField, else (without a list source) the
    // column's field name.
    virtual std::string FilteredFieldName() const;
    // The key picked from the list: the current key value without a KeyField, else
    // the expression's first operand.
    virtual rtl::Variant GetKeyValue() const;
    virtual rtl::Variant GetOperand2() const { return expression_.Operand2; }

    // The condition from what the user typed in the cell, its operands read as the
    // filtered field's kind of value; the text is then rebuilt from it. A text that does
    // not read raises and changes nothing.
    void SetExpressionFromText(const std::string& text);
    // The condition from a key picked from the list, shown as text: "In" the text alone,
    // or, for a Null key, the condition the text reads as.
    void SetExpressionFromKeyValue(const rtl::Variant& value, const std::string& text);
    // The kind of value of the filtered field: the grid data set's DataField, else the
    // column's field.
    TSTOperandKindEx OperandKind() const;
    // Reads the list data set from its first record to its end: each record's ListField
    // text into Texts and, with Keys, its KeyField text into Keys (both emptied first);
    // the list's current record stays current. Nothing without an open list or a
    // ListField, nor while the list data set edits a record.
    void ReadListValues(rtl::TStrings& Texts, rtl::TStrings* Keys);

private:
    // The condition and its key are taken, and the grid is told.
    void takeExpression(TSTFilterExpressionEx expression, const rtl::Variant& key);
    // The list data set changed: the key and display values are read again.
    void ListDataChanged(db::TFieldDataLink* link);

    TColumnEx& column_;
    std::string dataField_;
    std::string keyField_;
    rtl::TStringList keyValues_;
    rtl::Variant currentKeyValue_ = rtl::Null();
    rtl::TStringList listValues_;
    std::string listField_;
    db::TFieldDataLink listLink_;
    bool visible_ = true;
    TSTFilterExpressionEx expression_;
    std::string expressionText_;
    bool readingList_ = false;
};

} // namespace grid
