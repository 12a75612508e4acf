#pragma once
// The find dialog of the data grid: searches the cells of a grid for a text, record by
// record and column by column, and makes the first matching record current. The grid
// opens it through ShowDBGridExFindDialogProc; one dialog serves the whole run.
#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <QPointer>

#include "controls/editors/DBCheckBoxEx.h"
#include "controls/editors/DBComboBoxEx.h"
#include "controls/grid/DBGridEx.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdControls.h"

namespace grid {

class TDBGridExFindDlg : public ui::TForm {
public:
    explicit TDBGridExFindDlg(ui::TControl* owner = nullptr);

    // Offers the columns of the grid (or the choices given: caption and column) with the
    // grid's selected column chosen, and the text to find; a search starts anew. Modal:
    // shown modally; otherwise it stays on top and returns at once. The field name that
    // callers pass along is not used.
    void Execute(TCustomDBGridEx& Grid, const std::string& Text, const std::string& FieldName, bool Modal,
                 const std::vector<std::pair<std::string, TColumnEx*>>& Choices);
    // The grid searched; none when it went.
    TCustomDBGridEx* Grid() const { return grid_.data(); }
    // The columns the next search looks at (those still in the grid), and the one it
    // starts with.
    std::vector<TColumnEx*> SearchColumns() const;
    int ColumnIndex() const { return columnIndex_; }
    bool FirstSearch() const { return firstSearch_; }

    // The dialog's controls.
    editors::TDBComboBoxEx* cbText = nullptr;
    editors::TDBComboBoxEx* cbFindIn = nullptr;
    editors::TDBComboBoxEx* cbMatchinType = nullptr;
    editors::TDBComboBoxEx* cbFindDirection = nullptr;
    editors::TDBCheckBoxEx* cbCharCase = nullptr;
    editors::TDBCheckBoxEx* cbUseFormat = nullptr;
    ui::TButton* bFind = nullptr;
    ui::TButton* bCancel = nullptr;

    // One search step: the next matching cell after the last match (or from where the
    // search starts) becomes current; none: the view stays and a message says so. Ctrl
    // held turns the direction round.
    void bFindClick(rtl::TObject* Sender);
    void bCancelClick(rtl::TObject* Sender);
    // The text or the direction changed: the next search starts anew.
    void cbTextChange(rtl::TObject* Sender);
    // Other columns were chosen.
    void cbFindInChange(rtl::TObject* Sender);

    // Enter (Ctrl+Enter: the other way) searches, Esc closes, unless the focused control
    // takes the key.
    bool DialogKey(ui::Word key, ui::TShiftState shift) override;

protected:
    // A new font lays the dialog out anew.
    void FontChanged() override;

private:
    ui::TLabel* addLabel(const char* caption, editors::TDBComboBoxEx* control);
    editors::TDBComboBoxEx* addList(std::initializer_list<const char*> items);
    // Places the controls so that every caption shows whole in the dialog's font.
    void arrange();
    void fillFindIn(const std::vector<std::pair<std::string, TColumnEx*>>& Choices);
    void buildColumnList();
    // The grid's column with that collection ID; none when it went.
    TColumnEx* columnOfId(int id) const;
    std::string cellText(const TColumnEx& column) const;
    bool cellMatches(const std::string& cell, const std::string& wanted) const;
    // Steps to the next cell in the search direction; false at the end of the data.
    bool advance(db::TDataSet& dataSet, bool backward, int columnCount);

    std::array<ui::TLabel*, 4> labels_{};
    QPointer<TCustomDBGridEx> grid_;
    // The columns of cbFindIn's items and of the search, by their collection IDs (which a
    // column that goes leaves unused), -1 for "<All>".
    std::vector<int> itemColumnIds_;
    std::vector<int> searchColumnIds_;
    bool building_ = false;
    int columnIndex_ = -1;
    bool firstSearch_ = true;
};

// The program's find dialog, made on first use.
TDBGridExFindDlg& DBGridExFindDlg();

} // namespace grid
