#pragma once
// The grid's column model: one TColumnEx per column, bound to a field of the shown data
// set by name, with everything the grid needs to show and edit that field; its title;
// the collection that belongs to the grid; and the default values that columns, titles
// and footers derive from.
//
// Derived properties: a property whose assigned flag is clear reports what the field,
// the grid or the grid's ColumnDefValues give, and is stored (IsXStored) only when
// assigned and different from that. Every setter compares first; every change ends in
// one change notice, which the collection turns into a repaint or a new layout.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QMenu>
#include <QPointer>

#include "controls/editors/EditButtons.h"
#include "controls/editors/MRUList.h"
#include "controls/editors/SpecRow.h"
#include "controls/grid/DBGridExDropDownBox.h"
#include "controls/grid/DBGridExFilter.h"
#include "controls/grid/DBGridExFooters.h"
#include "controls/grid/DBGridExSeams.h"
#include "controls/grid/DBGridExTypes.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/Collection.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Bitmap.h"

namespace grid {

class TColumnDefValuesEx;

// Which column and title properties were set explicitly.
enum TColumnAssignedValue {
    // clang-format off
    cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvImeMode, cvImeName, cvWordWrap, cvLookupDisplayFields,
    cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis, cvAutoDropDown, cvDblClickNextVal, cvToolTips,
    cvDropDownSizing, cvDropDownShowTitles,
    cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont, cvTitleButton, cvTitleEndEllipsis,
    cvTitleToolTips, cvTitleOrientation
    // clang-format on
};
using TColumnAssignedValues = rtl::TSet<TColumnAssignedValue, std::uint32_t>;

// An ordered list of columns that does not own them (the visible columns, the
// sort-marked columns, the selected columns).
class TColumnsExList {
public:
    virtual ~TColumnsExList() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    // rtl::EListError outside the list.
    TColumnEx* Items(int index) const;
    int Add(TColumnEx* column);
    void Insert(int index, TColumnEx* column);
    void Delete(int index);
    // The index the column had, -1 when it was not listed.
    int Remove(const TColumnEx* column);
    int IndexOf(const TColumnEx* column) const;
    bool Contains(const TColumnEx* column) const { return IndexOf(column) >= 0; }
    void Exchange(int index1, int index2);
    virtual void Clear() { items_.clear(); }

    std::vector<TColumnEx*>::const_iterator begin() const { return items_.begin(); }
    std::vector<TColumnEx*>::const_iterator end() const { return items_.end(); }

private:
    void checkIndex(int index) const;
    std::vector<TColumnEx*> items_;
};

// ---- titles

class TColumnTitleEx : public rtl::TPersistent {
public:
    explicit TColumnTitleEx(TColumnEx& column);
    TColumnTitleEx(const TColumnTitleEx&) = delete;
    TColumnTitleEx& operator=(const TColumnTitleEx&) = delete;

    TColumnEx& Column() const { return column_; }

    using rtl::TPersistent::Assign;
    // From another title: its assigned alignment, colour, caption and font, then hint,
    // image, orientation, sort index and marker, title button, end ellipsis and tool
    // tips as the source reports them.
    void Assign(const rtl::TPersistent* source) override;
    // Clears the title's assigned flags and the caption, takes the derived font again.
    virtual void RestoreDefaults();

    rtl::TAlignment GetAlignment() const;
    void SetAlignment(rtl::TAlignment value);
    bool IsAlignmentStored() const;
    // The field's display label, else the column's field name, until one is set. A
    // default column writes a new caption into the field's display label instead.
    std::string GetCaption() const;
    virtual void SetCaption(const std::string& value);
    bool IsCaptionStored() const;
    ui::TColor GetColor() const;
    void SetColor(ui::TColor value);
    bool IsColorStored() const;
    bool GetEndEllipsis() const;
    void SetEndEllipsis(bool value);
    bool IsEndEllipsisStored() const;
    // The grid's TitleFont (the column's font outside a grid) until the font is changed.
    ui::TFont& GetFont();
    const ui::TFont& GetFont() const;
    void SetFont(const ui::TFont& value);
    bool IsFontStored() const;
    const std::string& GetHint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    // An image of the grid's TitleImages; -1 for none.
    int GetImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    TTextOrientationEx GetOrientation() const;
    void SetOrientation(TTextOrientationEx value);
    bool IsOrientationStored() const;
    bool GetTitleButton() const;
    void SetTitleButton(bool value);
    bool IsTitleButtonStored() const;
    bool GetToolTips() const;
    void SetToolTips(bool value);
    bool IsToolTipsStored() const;

    // 0: not in the sort order; else the 1-based place of the column in it. Setting a
    // place that another marked column holds exchanges the two.
    int GetSortIndex() const { return sortIndex_; }
    void SetSortIndex(int value);
    // Marking a column puts it at the end of the sort order (the only one without
    // dghMultiSortMarking); unmarking closes the gap behind it.
    TSortMarkerEx GetSortMarker() const { return sortMarker_; }
    void SetSortMarker(TSortMarkerEx value);
    // The title click of automatic sort marking: none, down, up, then down again, or with
    // KeepMulti (Ctrl held) none again, keeping the other columns' markers.
    void SetNextSortMarkerValue(bool KeepMulti);
    // The width of the marker and its number in the title cell.
    int GetSortMarkingWidth() const;

private:
    friend class TColumnEx;
    friend class TDBGridColumnsEx;

    bool assigned(TColumnAssignedValue value) const;
    void assign(TColumnAssignedValue value);
    // Stores a derived look, marks it set and tells the column.
    template <typename T>
    void setValue(TColumnAssignedValue flag, T& field, const T& value);
    void refreshFont() const;
    void fontChanged(rtl::TObject* sender);
    bool inUpdateBracket() const;

    TColumnEx& column_;
    rtl::TAlignment alignment_ = rtl::taLeftJustify;
    std::string caption_;
    ui::TColor color_ = ui::clBtnFace;
    bool endEllipsis_ = false;
    mutable ui::TFont font_;
    mutable bool copyingFont_ = false;
    std::string hint_;
    int imageIndex_ = -1;
    TTextOrientationEx orientation_ = tohHorizontal;
    int sortIndex_ = 0;
    bool toolTips_ = false;
    TSortMarkerEx sortMarker_ = smNoneEx;
    bool titleButton_ = false;
};

// ---- columns

// The widest a column gets, however its width is set (the optimal width of a long text, a
// stored width, its bounds): no screen shows more than a few thousand pixels of one cell,
// and the grid's sums of widths stay far from the integer limit.
inline constexpr int MaxColumnWidth = 8192;

// A column is made by a collection (Add, AddDefault), which completes it with its
// companions (title, footers, edit buttons, filter setting and the rest).
class TColumnEx : public rtl::TCollectionItem, public ILookupGridHolderEx {
public:
    explicit TColumnEx(rtl::TCollection* collection);
    ~TColumnEx() override;

    // ---- binding
    // The owning grid; none when the collection is not a grid's column collection.
    TCustomDBGridEx* Grid() const;
    // The bound field, looked up by FieldName in the grid's data set when first asked
    // for (not in a closed data set that makes its fields when it opens).
    db::TField* Field() const;
    virtual void SetField(db::TField* value);
    // The field bound now, without looking it up.
    db::TField* BoundField() const { return field_; }
    // Drops the resolved field; the next Field() looks it up again.
    void ForgetField() const { field_ = nullptr; }
    const std::string& GetFieldName() const { return fieldName_; }
    void SetFieldName(const std::string& value);
    // Built by the grid from a field (not stored with the form).
    virtual bool IsDefaultColumn() const { return !stored_; }
    // Makes the column one the grid built from a field, or a stored one.
    void SetStored(bool value) { stored_ = value; }

    // ---- properties
    rtl::TAlignment GetAlignment() const;
    virtual void SetAlignment(rtl::TAlignment value);
    bool IsAlignmentStored() const;
    bool GetAlwaysShowEditButton() const;
    void SetAlwaysShowEditButton(bool value);
    bool IsAlwaysShowEditButtonStored() const;
    bool GetAutoDropDown() const;
    void SetAutoDropDown(bool value);
    bool IsAutoDropDownStored() const;
    bool GetAutoFitColWidth() const { return autoFitColWidth_; }
    virtual void SetAutoFitColWidth(bool value);
    TColumnButtonStyleEx GetButtonStyle() const { return buttonStyle_; }
    void SetButtonStyle(TColumnButtonStyleEx value);
    bool GetCheckboxes() const;
    void SetCheckboxes(bool value);
    bool IsCheckboxesStored() const { return assigned(cvCheckboxes); }
    ui::TColor GetColor() const;
    void SetColor(ui::TColor value);
    bool IsColorStored() const;
    bool GetDblClickNextVal() const;
    void SetDblClickNextVal(bool value);
    bool IsDblClickNextValStored() const;
    const std::string& GetDisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& value);
    int GetDropDownRows() const { return dropDownRows_; }
    // A negative count is refused.
    void SetDropDownRows(int value);
    bool GetDropDownShowTitles() const;
    void SetDropDownShowTitles(bool value);
    bool IsDropDownShowTitlesStored() const;
    bool GetDropDownSizing() const;
    void SetDropDownSizing(bool value);
    bool IsDropDownSizingStored() const;
    // -1 fits the drop-down's columns, 0 takes the editor's width.
    int GetDropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int value);
    const std::string& GetEditMask() const { return editMask_; }
    void SetEditMask(const std::string& value);
    bool GetEndEllipsis() const;
    void SetEndEllipsis(bool value);
    bool IsEndEllipsisStored() const;
    // The grid's font (outside a grid the column's own) until the font is changed.
    ui::TFont& GetFont();
    const ui::TFont& GetFont() const;
    void SetFont(const ui::TFont& value);
    bool IsFontStored() const { return assigned(cvFont); }
    ui::TCustomImageList* GetImageList() const { return imageList_; }
    void SetImageList(ui::TCustomImageList* value);
    TImeMode GetImeMode() const;
    virtual void SetImeMode(TImeMode value);
    bool IsImeModeStored() const;
    std::string GetImeName() const;
    virtual void SetImeName(const std::string& value);
    bool IsImeNameStored() const;
    double GetIncrement() const { return increment_; }
    void SetIncrement(double value);
    bool IsIncrementStored() const { return increment_ != 1.0; }
    // Made on first use; setting none frees it.
    rtl::TStrings& GetKeyList();
    void SetKeyList(const rtl::TStrings* value);
    int KeyListCount() const { return keyList_ ? keyList_->GetCount() : 0; }
    std::string GetLookupDisplayFields() const;
    virtual void SetLookupDisplayFields(const std::string& value);
    bool IsLookupDisplayFieldsStored() const;
    // 0: no bound. A bound the width violates moves the width there.
    int GetMaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int value);
    int GetMinWidth() const { return minWidth_; }
    void SetMinWidth(int value);
    int GetNotInKeyListIndex() const { return notInKeyListIndex_; }
    void SetNotInKeyListIndex(int value);
    // Made on first use; setting none frees it.
    rtl::TStrings& GetPickList();
    void SetPickList(const rtl::TStrings* value);
    int PickListCount() const { return pickList_ ? pickList_->GetCount() : 0; }
    QMenu* GetPopupMenu() const { return popupMenu_.data(); }
    void SetPopupMenu(QMenu* value) { popupMenu_ = value; }
    // True on a read-only grid, else the field's, until set. A default column writes
    // the value into its field.
    bool GetReadOnly() const;
    virtual void SetReadOnly(bool value);
    bool IsReadOnlyStored() const;
    bool GetShowImageAndText() const { return showImageAndText_; }
    void SetShowImageAndText(bool value);
    int GetTag() const { return tag_; }
    void SetTag(int value);
    bool GetToolTips() const;
    void SetToolTips(bool value);
    bool IsToolTipsStored() const;
    bool GetVisible() const { return visible_; }
    void SetVisible(bool value);
    // DefaultWidth until set. A default column also writes the field's DisplayWidth.
    int GetWidth() const;
    virtual void SetWidth(int value);
    bool IsWidthStored() const;
    // True for string, memo and wide-string fields until set.
    bool GetWordWrap() const;
    virtual void SetWordWrap(bool value);
    bool IsWordWrapStored() const;

    const TColumnAssignedValues& AssignedValues() const { return assignedValues_; }

    // ---- widths
    // 64 outside a grid; the grid's default column width without a field; else the
    // field's DisplayWidth in characters of the column font.
    int DefaultWidth() const;
    // The width from which automatic fitting scales this column's width.
    int GetInitWidth() const { return initWidth_; }
    void SetInitWidth(int value) { initWidth_ = value; }
    // Set by the automatic fitting for a column its bounds hold.
    bool GetClamped() const { return clamped_; }
    void SetClamped(bool value) { clamped_ = value; }
    // The width within MinWidth and MaxWidth (MinWidth wins when the two cross), and at
    // most MaxColumnWidth.
    int ClampWidth(int width) const;
    // Asks the grid to fit this column's width to its content.
    virtual void OptimizeWidth();

    // ---- owned companions
    TColumnTitleEx* Title() const { return title_.get(); }
    void SetTitle(const TColumnTitleEx& value) { title_->Assign(&value); }
    TColumnFooterEx* Footer() const { return footer_.get(); }
    void SetFooter(const TColumnFooterEx& value) { footer_->Assign(&value); }
    TColumnFootersEx* Footers() const { return footers_.get(); }
    void SetFooters(const TColumnFootersEx& value) { footers_->Assign(&value); }
    // Footer row r: Footers[r] when there is one, else Footer.
    TColumnFooterEx* FooterForRow(int row) const;
    TSTColumnFilterEx* STFilter() const { return stFilter_.get(); }
    void SetSTFilter(const TSTColumnFilterEx& value) { stFilter_->Assign(&value); }
    TColumnDropDownBoxEx* DropDownBox() const { return dropDownBox_.get(); }
    void SetDropDownBox(const TColumnDropDownBoxEx& value) { dropDownBox_->Assign(&value); }
    editors::TSpecRowEx* DropDownSpecRow() const { return dropDownSpecRow_.get(); }
    void SetDropDownSpecRow(const editors::TSpecRowEx& value) { dropDownSpecRow_->Assign(&value); }
    editors::TEditButtonsEx* EditButtons() const { return editButtons_.get(); }
    void SetEditButtons(const editors::TEditButtonsEx& value) { editButtons_->Assign(&value); }
    editors::TMRUListEx* MRUList() const { return mruList_.get(); }
    void SetMRUList(const editors::TMRUListEx& value) { mruList_->Assign(&value); }
    // The footers take their sums again (their fields or kinds may have changed).
    void RefreshFooterSums() const;

    // ---- cell values, for the data set's current record
    TColumnKindEx GetColumnKind() const;
    // What the cell editor offers for this column.
    TColumnEditStyleEx GetColumnEditStyle() const;
    std::string DisplayText() const;
    // The value whose formatted field text (DisplayText of a column without a key list,
    // with the column's or the field's display format) is exactly Text; false when none
    // is, or the field shows no such text.
    bool FormattedTextToValue(const std::string& Text, rtl::Variant& Value) const;
    int GetImageIndex() const;
    TCheckBoxState GetCheckboxState() const;
    void SetValueAsCheckboxState(TCheckBoxState value);
    // Alignment, background, check-box state, image index, read-only state and text of the
    // cell; the column's font is copied into Params.Font when one is given.
    void FillColCellParams(TColCellParamsEx& Params) const;
    // Fires OnGetCellParams.
    virtual void GetColCellParams(bool EditMode, TColCellParamsEx& Params);
    // Writes a value into the field: Text through the field's text conversion with
    // UseText, else Value (into the key fields of a lookup field); OnUpdateData first.
    void UpdateDataValues(const std::string& Text, const rtl::Variant& Value, bool UseText);
    // Steps the cell's value: the next list line, record or number for a positive
    // Increment, the previous for a negative one (a negated 0 too).
    void SetNextFieldValue(double Increment);
    // Whether the cell may be changed; with TryEdit the data set goes into edit state.
    bool CanModify(bool TryEdit);
    // The pixels the column's visible edit buttons take in a cell.
    int EditButtonsWidth() const;
    // The place of the lookup result field among LookupDisplayFields: the special row's
    // cell and the drop-down's column that a lookup cell shows (0 when it is not there).
    int LookupResultIndex() const;
    // The data set the lookup drop-down lists, and the field's lookup data set.
    db::TDataSet* LookupListDataSet() const;
    db::TDataSet* LookupDataSet() const;

    // ---- collection item
    using rtl::TCollectionItem::Assign;
    // From another column, in one update of the collection.
    void Assign(const rtl::TPersistent* source) override;
    std::string GetDisplayName() const override;
    // A default column moves its field along first.
    void SetIndex(int value) override;
    // Forgets every assigned value.
    virtual void RestoreDefaults();
    // The change notice: this column (false), or the whole grid (true).
    void Changed(bool AllItems) { rtl::TCollectionItem::Changed(AllItems); }

    // ---- the lookup drop-down
    void LookupGridFreeNotification(rtl::TComponent* component) override;
    TCustomDBGridEx* LookupGrid() override;
    // The column's drop-down data grid, made on first use (a pop-up of the column's grid);
    // none outside a grid.
    TPopupDataGridEx* PopupLookupGrid();
    TDBLookupGridExOptions GetLookupGridOptions() const override;
    void SetLookupGridOptions(TDBLookupGridExOptions options) override;
    // Kept here and handed to the drop-down grid when it is made and on every change.
    const TCheckTitleExBtnEvent& GetOnDropDownBoxCheckButton() const { return onDropDownBoxCheckButton_; }
    void SetOnDropDownBoxCheckButton(const TCheckTitleExBtnEvent& value);
    const TDrawColumnExCellEvent& GetOnDropDownBoxDrawColumnCell() const { return onDropDownBoxDrawColumnCell_; }
    void SetOnDropDownBoxDrawColumnCell(const TDrawColumnExCellEvent& value);
    const TGetCellExParamsEvent& GetOnDropDownBoxGetCellParams() const { return onDropDownBoxGetCellParams_; }
    void SetOnDropDownBoxGetCellParams(const TGetCellExParamsEvent& value);
    const rtl::TNotifyEvent& GetOnDropDownBoxSortMarkingChanged() const { return onDropDownBoxSortMarkingChanged_; }
    void SetOnDropDownBoxSortMarkingChanged(const rtl::TNotifyEvent& value);
    const TTitleExClickEvent& GetOnDropDownBoxTitleBtnClick() const { return onDropDownBoxTitleBtnClick_; }
    void SetOnDropDownBoxTitleBtnClick(const TTitleExClickEvent& value);

    // ---- events
    const TGetColCellParamsEventEx& GetOnGetCellParams() const { return onGetCellParams_; }
    // The grid repaints.
    void SetOnGetCellParams(const TGetColCellParamsEventEx& value);
    TButtonClickEventEx OnEditButtonClick;
    TButtonDownEventEx OnEditButtonDown;
    TNotInListEventEx OnNotInList;
    TColCellUpdateDataEventEx OnUpdateData;

protected:
    // Handler of DropDownSpecRow changes.
    virtual void SpecRowChanged(rtl::TObject* sender);
    // The owned companions, made once the column is constructed (so that a descendant's
    // factories are the ones called); each returns a new object the column then owns.
    void AfterConstruction() override;
    virtual editors::TEditButtonsEx* CreateEditButtons();
    virtual TColumnFooterEx* CreateFooter();
    virtual TColumnFootersEx* CreateFooters();
    virtual TSTColumnFilterEx* CreateSTFilter();
    virtual TColumnTitleEx* CreateTitle();

private:
    friend class TColumnTitleEx;

    bool assigned(TColumnAssignedValue value) const { return assignedValues_.Contains(value); }
    void assign(TColumnAssignedValue value) { assignedValues_.Include(value); }
    // Stores a derived property's value and marks it assigned; notify: the change notice.
    template <typename T>
    void setDerived(TColumnAssignedValue flag, T& field, const T& value, bool notify)
    {
        if (assigned(flag) && field == value) return;
        field = value;
        assign(flag);
        if (notify) Changed(false);
    }
    // Stores a value of its own and sends the change notice.
    template <typename T>
    void setPlain(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        Changed(false);
    }
    TColumnDefValuesEx* defValues() const;
    // A Boolean that follows the grid's ColumnDefValues (False outside a grid) until set.
    bool defaultFlag(bool (TColumnDefValuesEx::*get)() const) const;
    bool derivedFlag(TColumnAssignedValue flag, bool value, bool (TColumnDefValuesEx::*get)() const) const;
    bool flagStored(TColumnAssignedValue flag, bool value, bool (TColumnDefValuesEx::*get)() const) const;
    // The grid's link is active and the column writes through to its field.
    db::TField* writeThroughField() const;
    void bindField(db::TField* field) const;
    void refreshFont() const;
    void fontChanged(rtl::TObject* sender);
    void imageListChanged(rtl::TObject* sender);
    void keyListChanged(rtl::TObject* sender);
    void pickListChanged(rtl::TObject* sender);
    void editButtonsChanged(rtl::TObject*) { Changed(false); }
    void invalidateGrid() const;
    void writeDisplayWidth(db::TField& field, int width) const;
    void removeFromSortOrder();
    // The drop-down grid takes the five OnDropDownBox events.
    void HandDropDownBoxEventsToLookupGrid();
    void freeLookupGrid();
    void stepList(const rtl::TStrings& list, bool forward, bool viaPickList);
    void stepLookup(db::TField& field, bool forward);

    TColumnAssignedValues assignedValues_;
    rtl::TAlignment alignment_ = rtl::taLeftJustify;
    TColumnButtonStyleEx buttonStyle_ = cbsAuto;
    bool checkboxes_ = false;
    ui::TColor color_ = ui::clWindow;
    bool dblClickNextVal_ = false;
    std::string displayFormat_;
    std::unique_ptr<TColumnDropDownBoxEx> dropDownBox_;
    int dropDownRows_ = 7;
    bool dropDownShowTitles_ = false;
    std::unique_ptr<editors::TSpecRowEx> dropDownSpecRow_;
    std::unique_ptr<editors::TEditButtonsEx> editButtons_;
    std::string editMask_;
    mutable db::TField* field_ = nullptr;
    mutable std::string fieldName_;
    mutable ui::TFont font_;
    mutable bool copyingFont_ = false;
    std::unique_ptr<TColumnFooterEx> footer_;
    std::unique_ptr<TColumnFootersEx> footers_;
    ui::TCustomImageList* imageList_ = nullptr;
    TImeMode imeMode_ = imDontCare;
    std::string imeName_;
    double increment_ = 1.0;
    std::unique_ptr<rtl::TStringList> keyList_;
    int maxWidth_ = 0;
    int minWidth_ = 0;
    std::unique_ptr<editors::TMRUListEx> mruList_;
    int notInKeyListIndex_ = -1;
    TGetColCellParamsEventEx onGetCellParams_;
    std::unique_ptr<rtl::TStringList> pickList_;
    QPointer<QMenu> popupMenu_;
    bool readOnly_ = false;
    bool stored_ = true;
    bool showImageAndText_ = false;
    int tag_ = 0;
    std::unique_ptr<TColumnTitleEx> title_;
    bool toolTips_ = false;
    bool visible_ = true;
    int width_ = 0;
    std::unique_ptr<TSTColumnFilterEx> stFilter_;
    bool alwaysShowEditButton_ = false;
    bool autoDropDown_ = false;
    bool autoFitColWidth_ = true;
    int dropDownWidth_ = 0;
    bool endEllipsis_ = false;
    bool clamped_ = false;
    int initWidth_ = 0;
    std::string lookupDisplayFields_;
    bool wordWrap_ = false;
    bool dropDownSizing_ = false;
    TCheckTitleExBtnEvent onDropDownBoxCheckButton_;
    TDrawColumnExCellEvent onDropDownBoxDrawColumnCell_;
    TGetCellExParamsEvent onDropDownBoxGetCellParams_;
    rtl::TNotifyEvent onDropDownBoxSortMarkingChanged_;
    TTitleExClickEvent onDropDownBoxTitleBtnClick_;
    TPopupDataGridEx* popupLookupGrid_ = nullptr;
};

// The published column class of the grid.
class TDBGridColumnEx : public TColumnEx {
public:
    using TColumnEx::TColumnEx;
};

// ---- the grid's column collection

class TDBGridColumnsEx : public rtl::TCollection {
public:
    TDBGridColumnsEx(TCustomDBGridEx& grid, ItemFactory itemClass);
    // Frees the columns while they still know their grid.
    ~TDBGridColumnsEx() override;

    TCustomDBGridEx& Grid() const { return grid_; }
    // A stored (user-defined) column at the end.
    TColumnEx* Add();
    // A column the grid builds from a field (not stored).
    TColumnEx* AddDefault();
    TColumnEx* Items(int index) const { return static_cast<TColumnEx*>(GetItem(index)); }
    int Count() const { return GetCount(); }
    int UpdateCount() const { return GetUpdateCount(); }
    // Not empty, and the first column is stored.
    bool Customized() const;

protected:
    // A column's change repaints its grid column and hands its width to the grid; a
    // change of the whole collection lays the grid out again.
    void Update(rtl::TCollectionItem* item) override;
    // A column leaving the grid leaves its selection too.
    void Notify(rtl::TCollectionItem* item, rtl::TCollectionNotification action) override;

private:
    friend class TColumnTitleEx;
    friend class TColumnEx;

    // Sort markers set inside an update bracket are put in order at its end.
    void markSortOrderStale() { sortOrderStale_ = true; }
    // Gives the sort-marked columns dense places 1..n by their present order, and every
    // other column 0; a sort-marked column whose place changes is told so unless it is
    // the one named.
    void renumberSortOrder(const TColumnEx* changing);
    // Rebuilds the sort order from the stored markers and places.
    void normalizeSortOrder();
    void updateItem(TColumnEx& column);

    TCustomDBGridEx& grid_;
    bool sortOrderStale_ = false;
};

// ---- default values

class TColumnTitleDefValuesEx : public rtl::TPersistent {
public:
    explicit TColumnTitleDefValuesEx(TColumnDefValuesEx& owner);

    TColumnDefValuesEx& Owner() const { return owner_; }
    using rtl::TPersistent::Assign;
    void Assign(const rtl::TPersistent* source) override;

    // taCenter with the grid's UseMultiTitle, else taLeftJustify, until set; a change
    // lays the grid out again.
    rtl::TAlignment GetAlignment() const;
    void SetAlignment(rtl::TAlignment value);
    bool IsAlignmentStored() const;
    // The grid's FixedColor until set; a change repaints the grid.
    ui::TColor GetColor() const;
    void SetColor(ui::TColor value);
    bool IsColorStored() const;
    bool GetEndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool value);
    TTextOrientationEx GetOrientation() const { return orientation_; }
    void SetOrientation(TTextOrientationEx value);
    bool GetTitleButton() const { return titleButton_; }
    void SetTitleButton(bool value) { titleButton_ = value; }
    bool GetToolTips() const { return toolTips_; }
    void SetToolTips(bool value) { toolTips_ = value; }

private:
    TColumnDefValuesEx& owner_;
    rtl::TAlignment alignment_ = rtl::taLeftJustify;
    bool alignmentAssigned_ = false;
    ui::TColor color_ = ui::clBtnFace;
    bool colorAssigned_ = false;
    bool endEllipsis_ = false;
    TTextOrientationEx orientation_ = tohHorizontal;
    bool titleButton_ = false;
    bool toolTips_ = false;
};

class TColumnFooterDefValuesEx : public rtl::TPersistent {
public:
    using rtl::TPersistent::Assign;
    void Assign(const rtl::TPersistent* source) override;
    bool GetToolTips() const { return toolTips_; }
    void SetToolTips(bool value) { toolTips_ = value; }

private:
    bool toolTips_ = false;
};

// What a grid's columns, titles and footers derive from while theirs are not set.
class TColumnDefValuesEx : public rtl::TPersistent {
public:
    explicit TColumnDefValuesEx(TCustomDBGridEx& grid);
    ~TColumnDefValuesEx() override;

    TCustomDBGridEx& Grid() const { return grid_; }
    using rtl::TPersistent::Assign;
    void Assign(const rtl::TPersistent* source) override;

    // A change repaints the grid.
    bool GetAlwaysShowEditButton() const { return alwaysShowEditButton_; }
    void SetAlwaysShowEditButton(bool value);
    bool GetAutoDropDown() const { return autoDropDown_; }
    void SetAutoDropDown(bool value) { autoDropDown_ = value; }
    bool GetDblClickNextVal() const { return dblClickNextVal_; }
    void SetDblClickNextVal(bool value) { dblClickNextVal_ = value; }
    bool GetDropDownShowTitles() const { return dropDownShowTitles_; }
    void SetDropDownShowTitles(bool value) { dropDownShowTitles_ = value; }
    bool GetDropDownSizing() const { return dropDownSizing_; }
    void SetDropDownSizing(bool value) { dropDownSizing_ = value; }
    // A change repaints the grid.
    bool GetEndEllipsis() const { return endEllipsis_; }
    void SetEndEllipsis(bool value);
    bool GetToolTips() const { return toolTips_; }
    void SetToolTips(bool value) { toolTips_ = value; }
    TColumnTitleDefValuesEx& Title() const { return *title_; }
    void SetTitle(const TColumnTitleDefValuesEx& value) { title_->Assign(&value); }
    TColumnFooterDefValuesEx& Footer() const { return *footer_; }
    void SetFooter(const TColumnFooterDefValuesEx& value) { footer_->Assign(&value); }

private:
    TCustomDBGridEx& grid_;
    bool alwaysShowEditButton_ = false;
    bool autoDropDown_ = false;
    bool dblClickNextVal_ = false;
    bool dropDownShowTitles_ = false;
    bool dropDownSizing_ = false;
    bool endEllipsis_ = false;
    bool toolTips_ = false;
    std::unique_ptr<TColumnTitleDefValuesEx> title_;
    std::unique_ptr<TColumnFooterDefValuesEx> footer_;
};

// The published default-values class of the grid.
class TDBGridExColumnDefValuesEx : public TColumnDefValuesEx {
public:
    using TColumnDefValuesEx::TColumnDefValuesEx;
};

} // namespace grid
