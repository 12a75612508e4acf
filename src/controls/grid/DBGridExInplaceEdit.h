#pragma once
// The data grid's cell editor: the base grid's in-place edit, refreshed from the current
// column each time the grid moves it, with what the column offers around the text.
//
// - Edit style (the column's GetColumnEditStyle): the main button at the right edge is an
//   ellipsis, an up/down pair or a drop-down arrow, or there is none. Drop-downs: the
//   column's pick list, a month calendar for dates, a calculator for numbers of a
//   drop-down column, the lookup list of a lookup field (data list). The column's further
//   edit buttons stand right of the main one, each with a one-pixel separator in a flat
//   grid; an image column that shows its text too keeps the image's room left of it.
// - Drop-downs open with the main button, Ctrl+Enter, Alt+Down or Alt+Up (which also
//   close an open one, accepting), or the first typed letter with AutoDropDown; Enter
//   closes accepting, Esc without. Moving keys go to the open drop-down while the focus
//   stays here. What a closed drop-down accepted becomes the editor's text and the grid's
//   edit text (a date is written into the field at once). A resized pick list keeps its
//   rows and width in the column.
// - Typing into a pick-list column completes the text from the pick list, the untyped
//   tail selected; in a key pick list or a lookup only listed texts can be typed (or any,
//   with a null key, when the column has OnNotInList).
// - Up/down columns step the value through the column's SetNextFieldValue; a double
//   click steps a column with DblClickNextVal.
// - The column's list of recently used texts drops down under the text as it is typed.
#include <string>
#include <vector>

#include <QPointer>

#include "controls/editors/EditButtons.h"
#include "controls/editors/EditInterfaces.h"
#include "controls/grid/DBGridExTypes.h"
#include "platform/db/DataSource.h"
#include "platform/ui/InplaceEdit.h"

namespace editors {
class TMRUListboxEx;
class TPopupCalculatorEx;
class TPopupListboxEx;
class TPopupMonthCalendarEx;
} // namespace editors

namespace ui {
class TShape;
}

namespace grid {

class TDBGridInplaceEdit : public ui::TInplaceEdit, public editors::IPopupOwnerEx {
public:
    explicit TDBGridInplaceEdit(TCustomDBGridEx& grid);
    ~TDBGridInplaceEdit() override;

    TCustomDBGridEx& DBGrid() const { return grid_; }
    // The column of the cell being edited; none on the indicator.
    TColumnEx* Column() const;

    // Refreshes from the current column: edit style, drop-down, read-only state, font,
    // colour, then mask, text and length limit, and the image.
    void UpdateContents() override;

    // ---- what the grid core asks of the editor
    // A drop-down is open.
    bool ListVisible() const { return listVisible_; }
    // Set by the grid while it reloads the editor under an open drop-down.
    bool Closing() const { return closing_; }
    void SetClosing(bool value) { closing_ = value; }
    // The column's cell hook, not the column, decided the read-only state.
    bool ReadOnlySetByCellParams() const { return readOnlySetByCellParams_; }
    void SetReadOnlyByCellParams(bool readOnly);
    // The editor stands on a column whose most-recently-used list is active.
    bool MRUListInUse() const;
    // A press at a screen point on one of the editor's buttons; true when one took it.
    bool PressButtonAt(ui::TPoint screenPoint);

    // ---- edit style and drop-downs
    TColumnEditStyleEx EditStyle() const { return editStyle_; }
    // Opens the drop-down of the edit style under the cell (nothing while one is open).
    virtual void DropDown();
    // Closes the open drop-down; with Accept what it shows is taken.
    void CloseUp(bool Accept) override;
    // The main button's action: steps an up/down column, else opens the drop-down.
    virtual void EditButtonClick(bool BottomButton);
    // The drop-down of the edit style (whether open or not); none for styles without one.
    ui::TControl* DropDownControl() const { return dropDown_.data(); }
    // The column's drop-down grid while the editor stands on a data-list column.
    TPopupDataGridEx* LookupGrid() const;
    // The drop-downs, once made.
    editors::TPopupListboxEx* PickListBox() const { return pickList_; }
    editors::TPopupMonthCalendarEx* Calendar() const { return calendar_; }
    editors::TPopupCalculatorEx* Calculator() const { return calculator_; }
    editors::TMRUListboxEx* MRUListBox() const { return mruListBox_; }
    // The list of recently used texts is down.
    bool MRUListDropped() const;

    // ---- buttons and layout
    // Pair 0 is the main button, pair i the column's edit button i - 1.
    int ButtonControlCount() const { return static_cast<int>(buttons_.size()); }
    editors::TEditButtonControlEx* EditButtonControl(int Index) const { return buttons_.at(Index).Button; }
    ui::TShape* ButtonSeparator(int Index) const { return buttons_.at(Index).Separator; }
    // The room the buttons and separators take at the right edge (left edge right to left).
    int ButtonsWidth() const { return buttonsWidth_; }
    // The image of the current value; -1 for none.
    int ImageIndex() const { return imageIndex_; }
    // Recomputes the image index of an image column from the text.
    void UpdateImageIndex();
    // The text with its selected characters removed.
    std::string GetTextWithoutSelection() const;
    // The grid's edit text (and in a data list its key) follow the editor's text.
    void UpdateGridEditValue();
    // The height of a line of Font.
    static int GetFontHeight(const ui::TFont& Font);

protected:
    // ---- layout and painting
    // A button control: 10 x 17, visible and opaque, on the editor (the layout sizes it).
    virtual editors::TEditButtonControlEx* CreateEditButtonControl();
    void BoundsChanged() override;
    void LayoutEditButtonControls();
    void SetupEditButtonControl(int Pair, editors::TEditButtonEx* EditButton, int Tag);
    void UpdateEditButtonControls();
    // The tree nodes and the image beside the text.
    void Paint() override;
    void PaintImage(ui::TCanvas& Canvas);
    ui::TRect GetImageRect() const;
    // A button control's press and click.
    virtual void EditButtonDown(rtl::TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonControlClick(rtl::TObject* Sender);
    void EditButtonMouseMove(rtl::TObject* Sender, ui::TShiftState Shift, int X, int Y);
    void EditButtonMouseUp(rtl::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);

    // ---- keys and typing
    void KeyDown(ui::Word& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    void TypedCharacter(char& key) override;
    // Completes a typed character from the pick list or the lookup list; 0 swallows it.
    virtual void TypeAhead(char& Key);
    void PasteFromClipboard() override;
    void DblClick() override;
    bool DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos) override;
    void Change() override;

    // ---- focus and visibility
    void FocusOut(ui::TControl* next) override;
    void CancelMode(ui::TControl* sender) override;
    void VisibleChanged() override;
    void WndProc(ui::TMessage& message) override;

    // ---- recently used texts
    // Fills, sizes and shows the list under the text, or places it again when it is down.
    void DropDownMRUList();
    void CloseUpMRUList(bool Accept);

    // The image list's item images: each item shows the image of its own index.
    void PickListGetItemImageIndex(rtl::TObject* Sender, int ItemIndex, int& ImageIndex);

private:
    struct TButtonPair {
        ui::TShape* Separator = nullptr;
        editors::TEditButtonControlEx* Button = nullptr;
        // What the layout gives them.
        int Width = 0;
        int Height = 0;
        int SeparatorWidth = 0;
    };
    void wireButton(int Pair, int Tag);

    // ---- drop-downs
    editors::TPopupListboxEx* pickList();
    editors::TPopupMonthCalendarEx* calendar();
    editors::TPopupCalculatorEx* calculator();
    void dropDownPickList(TColumnEx& column);
    void dropDownCalendar();
    void dropDownCalculator();
    // False when the column has no list to drop down.
    bool dropDownDataList(TColumnEx& column);
    // Shows the drop-down below the cell.
    void showDropDown(ui::TControl* control, bool sizeGrip);
    // What a closed drop-down hands over.
    void acceptPickList(TColumnEx& column, int index);
    void acceptCalendar(TColumnEx& column);
    void acceptCalculator(TColumnEx& column);
    void acceptDataList(TColumnEx& column, const rtl::Variant& key, const std::string& text);
    // The drop-down grid's callbacks: a row picked, the selection moved by the user.
    void lookupGridCloseUp(rtl::TObject*, bool accept);
    void lookupGridChanged(rtl::TObject*);
    void lookupGridDestroyed();
    void pickListMouseUp(rtl::TObject*, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    // The keys the open drop-down or the list of recently used texts take; true when taken.
    bool routeListKey(ui::Word& key, ui::TShiftState shift);
    bool routeMRUKey(ui::Word& key, ui::TShiftState shift);
    // The pick list's line for the editor's text (after its keys moved it).
    void showPickListItem();
    bool listStyle() const { return dropDown_ != nullptr; }
    bool ownsControl(const ui::TControl* control) const;

    // ---- recently used texts
    editors::TMRUListboxEx* mruListBox();
    void mruListMouseUp(rtl::TObject*, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void mruListResized(rtl::TObject*);
    void updateMRUList();

    // ---- keys
    bool deleteInListColumn(ui::Word key);
    bool typeAheadPickList(TColumnEx& column, char& key);
    bool typeAheadLookup(TColumnEx& column, char& key);
    // Shows a completed or typed text (the part after Typed characters selected) and hands
    // it with its key to the grid; the open drop-down follows.
    void showFoundText(const std::string& text, int typed, const rtl::Variant& key);
    // Shows the first line of the column's list (its lookup data set or pick list) that
    // begins with text, case ignored; false when none does.
    bool showListLine(TColumnEx& column, const std::string& text);
    // Matches text (a typed or pasted one) as type-ahead does; true when it was taken.
    bool matchListText(TColumnEx& column, const std::string& text);
    bool runButtonShortCut(ui::Word key, ui::TShiftState shift);
    void applySpecRow(TColumnEx& column);

    // ---- values
    // Steps the cell's value by Increment (the typed text written first).
    void stepValue(double Increment);
    // The cell's text as the field now has it (after a value was written directly).
    void reloadFromField();
    // Sets the text as the editor itself does (no list of recently used texts opens) and
    // hands it to the grid.
    void setOwnText(const std::string& text);
    // The pick list's lines that can be chosen: all, or as many as there are keys.
    int pickListCount(const TColumnEx& column) const;
    bool keyPickList(const TColumnEx& column) const;
    bool lookupColumn(const TColumnEx& column) const;
    bool rightToLeft() const;
    // The room the current record's tree nodes take at the text's side (0 outside the
    // grid's tree column).
    int treeIndent() const;
    int buttonIndexOf(const rtl::TObject* sender) const;
    editors::TEditButtonEx* extraButton(int pair) const;

    TCustomDBGridEx& grid_;
    TColumnEditStyleEx editStyle_ = cesNoneEx;
    // The drop-down of the style (one of those below, or the column's lookup grid).
    QPointer<ui::TControl> dropDown_;
    QPointer<TPopupDataGridEx> lookupGrid_;
    // Tells the editor when that grid goes.
    QMetaObject::Connection lookupGridWatch_;
    // The lookup grid's list, for as long as it is down.
    db::TDataSource listSource_;
    // The column whose drop-down is open (only compared: the column may be gone by then).
    const TColumnEx* listColumn_ = nullptr;
    editors::TPopupListboxEx* pickList_ = nullptr;
    editors::TPopupMonthCalendarEx* calendar_ = nullptr;
    editors::TPopupCalculatorEx* calculator_ = nullptr;
    editors::TMRUListboxEx* mruListBox_ = nullptr;
    std::vector<TButtonPair> buttons_;
    int buttonsWidth_ = 0;
    int imageIndex_ = -1;
    bool listVisible_ = false;
    bool closing_ = false;
    bool openedByButton_ = false;
    bool readOnlySetByCellParams_ = false;
    int ownText_ = 0;
};

} // namespace grid
