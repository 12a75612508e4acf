#pragma once
// The lookup drop-down settings of a grid column (and the base of the lookup combo
// box's). The drop-down grid's own columns, default values and options are read from
// and written to the holder's drop-down grid; while there is none they read as none and
// writes are dropped.
#include <memory>

#include "controls/editors/DropDownPlacement.h"
#include "controls/editors/SpecRow.h"
#include "controls/grid/DBGridExSeams.h"
#include "platform/db/DataSource.h"
#include "platform/rtl/Persistent.h"

namespace grid {

class TColumnDefValuesEx;

class TColumnDropDownBoxEx : public rtl::TPersistent {
public:
    // holder: the column or combo box whose drop-down this is (may be none).
    explicit TColumnDropDownBoxEx(ILookupGridHolderEx* holder);
    ~TColumnDropDownBoxEx() override;
    TColumnDropDownBoxEx(const TColumnDropDownBoxEx&) = delete;
    TColumnDropDownBoxEx& operator=(const TColumnDropDownBoxEx&) = delete;

    ILookupGridHolderEx* Holder() const { return holder_; }

    using rtl::TPersistent::Assign;
    // Every setting of another drop-down box.
    void Assign(const rtl::TPersistent* source) override;

    editors::TDropDownAlign GetAlign() const { return align_; }
    void SetAlign(editors::TDropDownAlign value) { align_ = value; }
    bool GetAutoDrop() const { return autoDrop_; }
    void SetAutoDrop(bool value) { autoDrop_ = value; }
    bool GetAutoFitColWidths() const { return autoFitColWidths_; }
    void SetAutoFitColWidths(bool value) { autoFitColWidths_ = value; }
    // The list the drop-down shows (the field's lookup data set without one).
    db::TDataSource* GetListSource() const { return listSource_; }
    void SetListSource(db::TDataSource* value);
    int GetRows() const { return rows_; }
    void SetRows(int value) { rows_ = value; }
    bool GetShowTitles() const { return showTitles_; }
    void SetShowTitles(bool value) { showTitles_ = value; }
    bool GetSizable() const { return sizable_; }
    void SetSizable(bool value) { sizable_ = value; }
    editors::TSpecRowEx& SpecRow() const { return *specRow_; }
    void SetSpecRow(const editors::TSpecRowEx& value) { specRow_->Assign(&value); }
    bool GetUseMultiTitle() const { return useMultiTitle_; }
    void SetUseMultiTitle(bool value) { useMultiTitle_ = value; }
    int GetWidth() const { return width_; }
    void SetWidth(int value) { width_ = value; }

    // The drop-down grid's columns, default values and options.
    TDBGridColumnsEx* GetColumns() const;
    void SetColumns(const TDBGridColumnsEx& value);
    // Stored only when the drop-down grid's columns are not built from its fields.
    bool IsColumnsStored() const;
    TColumnDefValuesEx* GetColumnDefValues() const;
    void SetColumnDefValues(const TColumnDefValuesEx& value);
    TDBLookupGridExOptions GetOptions() const;
    void SetOptions(TDBLookupGridExOptions value);

private:
    TCustomDBGridEx* lookupGrid() const { return holder_ ? holder_->LookupGrid() : nullptr; }

    ILookupGridHolderEx* holder_;
    editors::TDropDownAlign align_ = editors::daLeft;
    bool autoDrop_ = false;
    bool autoFitColWidths_ = true;
    db::TDataSource* listSource_ = nullptr;
    int rows_ = 7;
    bool showTitles_ = false;
    bool sizable_ = false;
    std::unique_ptr<editors::TSpecRowEx> specRow_;
    bool useMultiTitle_ = false;
    int width_ = 0;
};

} // namespace grid
