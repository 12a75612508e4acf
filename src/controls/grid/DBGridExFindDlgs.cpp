// The grid's find dialog and the hook that opens it.
#include "controls/grid/DBGridExFindDlgs.h"

#include <algorithm>

#include "controls/grid/DBGridExUtils.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DBConsts.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/InputState.h"
#include "platform/ui/Metrics.h"

namespace grid {

namespace {

// Items of the match and direction lists, in their order.
enum TMatchType { mtAnyPart,
                  mtWholeField,
                  mtFromBeginning };
enum TDirection { dirUp,
                  dirDown,
                  dirAll };

constexpr int LabelLeft = 8;
constexpr int ListLeft = 84;

void SetTexts(rtl::TStringList& list, std::initializer_list<const char*> texts)
{
    list.BeginUpdate();
    list.Clear();
    for (const char* text : texts) list.Add(text);
    list.EndUpdate();
}

void ShowFindDialog(TCustomDBGridEx& grid, const std::string& Text, const std::string& FieldName, bool Modal,
                    const std::vector<std::pair<std::string, TColumnEx*>>& Choices)
{
    DBGridExFindDlg().Execute(grid, Text, FieldName, Modal, Choices);
}

} // namespace

TShowDBGridExFindDialogProc ShowDBGridExFindDialogProc = &ShowFindDialog;

TDBGridExFindDlg& DBGridExFindDlg()
{
    static QPointer<TDBGridExFindDlg> dialog;
    if (!dialog) dialog = new TDBGridExFindDlg(nullptr);
    return *dialog;
}

TDBGridExFindDlg::TDBGridExFindDlg(ui::TControl* owner) : ui::TForm(owner)
{
    SetCaption(msg::FindDialogCaption);
    SetFormBorderStyle(ui::bsDialog);
    SetPosition(ui::poScreenCenter);
    SetKeyPreview(true);

    // Created in the order the Tab key visits them.
    cbText = new editors::TDBComboBoxEx(this);
    cbText->DropDownBox().SetRows(17);
    cbText->DropDownBox().SetSizable(true);
    cbFindIn = addList({});
    cbMatchinType = addList({msg::FromAnyPartOfField, msg::WholeField, msg::FromBeginningOfField});
    cbMatchinType->SetItemIndex(mtAnyPart);
    cbFindDirection = addList({msg::SearchUp, msg::SearchDown, msg::SearchAll});
    cbFindDirection->SetItemIndex(dirAll);
    cbCharCase = new editors::TDBCheckBoxEx(this);
    cbCharCase->SetCaption(msg::MatchCaseCaption);
    cbUseFormat = new editors::TDBCheckBoxEx(this);
    cbUseFormat->SetCaption(msg::MatchFormatCaption);
    cbUseFormat->SetState(cbChecked);
    bFind = new ui::TButton(this);
    bFind->SetCaption(msg::FindNextCaption);
    bFind->SetDefault(true);
    bCancel = new ui::TButton(this);
    bCancel->SetCaption(msg::CloseCaption);
    bCancel->SetCancel(true);

    labels_ = {addLabel(msg::FindWhatLabel, cbText), addLabel(msg::FindInLabel, cbFindIn),
               addLabel(msg::MatchLabel, cbMatchinType), addLabel(msg::SearchLabel, cbFindDirection)};
    arrange();

    bFind->OnClick = {this, &TDBGridExFindDlg::bFindClick};
    bCancel->OnClick = {this, &TDBGridExFindDlg::bCancelClick};
    cbText->OnChange = {this, &TDBGridExFindDlg::cbTextChange};
    cbFindDirection->OnChange = {this, &TDBGridExFindDlg::cbTextChange};
    cbFindIn->OnChange = {this, &TDBGridExFindDlg::cbFindInChange};
}

ui::TLabel* TDBGridExFindDlg::addLabel(const char* caption, editors::TDBComboBoxEx* control)
{
    auto* label = new ui::TLabel(this);
    label->SetCaption(caption);
    label->SetFocusControl(control);
    return label;
}

editors::TDBComboBoxEx* TDBGridExFindDlg::addList(std::initializer_list<const char*> items)
{
    // Only items can be chosen: each item is its own key.
    auto* list = new editors::TDBComboBoxEx(this);
    SetTexts(list->Items(), items);
    SetTexts(list->KeyItems(), items);
    return list;
}

void TDBGridExFindDlg::FontChanged()
{
    ui::TForm::FontChanged();
    if (bCancel) arrange();
}

void TDBGridExFindDlg::arrange()
{
    // The layout of 505 x 124 at the standard font, widened and heightened wherever a
    // caption of the dialog's font needs more room.
    ui::TCanvas canvas;
    canvas.Font().Assign(Font());
    auto textSize = [&canvas](const std::string& caption) {
        ui::TRect r{0, 0, 0, 0};
        canvas.DrawText(caption, r, ui::DT_SINGLELINE | ui::DT_CALCRECT);
        return r;
    };
    const int textHeight = textSize("Wg").Height();
    const int rowHeight = std::max(21, textHeight + 6);
    const int rowPitch = rowHeight + 6;
    int labelWidth = ListLeft - LabelLeft - 4;
    for (const ui::TLabel* label : labels_) labelWidth = std::max(labelWidth, textSize(label->Caption()).Width());
    const int listLeft = LabelLeft + labelWidth + 4;
    const int top = 8;
    editors::TDBComboBoxEx* lists[] = {cbText, cbFindIn, cbMatchinType, cbFindDirection};
    for (int i = 0; i < 4; ++i) {
        const int rowTop = top + i * rowPitch;
        lists[i]->SetBounds(listLeft, rowTop, i < 3 ? 312 : 100, rowHeight);
        const int labelHeight = std::max(15, textHeight);
        labels_[static_cast<std::size_t>(i)]->SetBounds(LabelLeft, rowTop + (rowHeight - labelHeight) / 2, labelWidth,
                                                        labelHeight);
    }

    // The check boxes beside the direction: the box, a gap and the caption with its focus frame.
    const int lastRow = top + 3 * rowPitch;
    const int boxHeight = std::max(17, textHeight + 2);
    auto checkWidth = [&](const editors::TDBCheckBoxEx* box, int least) {
        return std::max(least, ui::Metrics().CheckBoxWidth + 6 + textSize(box->Caption()).Width());
    };
    const int charCaseLeft = listLeft + 100 + 16;
    cbCharCase->SetBounds(charCaseLeft, lastRow + (rowHeight - boxHeight) / 2, checkWidth(cbCharCase, 96), boxHeight);
    cbUseFormat->SetBounds(cbCharCase->Left() + cbCharCase->Width() + 4, cbCharCase->Top(), checkWidth(cbUseFormat, 100),
                           boxHeight);

    const int buttonLeft = std::max(listLeft + 312 + 16, cbUseFormat->Left() + cbUseFormat->Width() + 12);
    const int buttonWidth =
        std::max({85, textSize(bFind->Caption()).Width() + 16, textSize(bCancel->Caption()).Width() + 16});
    const int buttonHeight = std::max(25, textHeight + 10);
    bFind->SetBounds(buttonLeft, top, buttonWidth, buttonHeight);
    bCancel->SetBounds(buttonLeft, top + buttonHeight + 6, buttonWidth, buttonHeight);
    SetClientSize(buttonLeft + buttonWidth + 8, std::max(lastRow + rowHeight, bCancel->Top() + buttonHeight) + 14);
}

// ---- opening

void TDBGridExFindDlg::Execute(TCustomDBGridEx& Grid, const std::string& Text, const std::string&, bool Modal,
                               const std::vector<std::pair<std::string, TColumnEx*>>& Choices)
{
    columnIndex_ = -1;
    grid_ = &Grid;
    cbText->SetText(Text);
    fillFindIn(Choices);
    const int selected = Grid.SelectedIndex();
    if (selected >= 0 && selected < Grid.Columns().Count()) {
        const int id = Grid.Columns().Items(selected)->GetID();
        for (std::size_t i = 0; i + 1 < itemColumnIds_.size(); ++i)
            if (itemColumnIds_[i] == id) {
                cbFindIn->SetItemIndex(static_cast<int>(i));
                break;
            }
    }
    firstSearch_ = true;
    if (Visible()) Close();
    SetActiveControl(cbText);
    buildColumnList();
    if (Modal) {
        SetFormStyle(ui::fsNormal);
        ShowModal();
    } else {
        SetFormStyle(ui::fsStayOnTop);
        Show();
        // Typing goes to the dialog at once.
        activateWindow();
    }
}

void TDBGridExFindDlg::fillFindIn(const std::vector<std::pair<std::string, TColumnEx*>>& Choices)
{
    rtl::TStringList texts;
    itemColumnIds_.clear();
    TCustomDBGridEx& grid = *grid_;
    if (!Choices.empty()) {
        // Columns of another grid cannot be searched here.
        for (const auto& [caption, column] : Choices) {
            const bool ours = column && column->GetCollection() == &grid.Columns();
            texts.Add(caption);
            itemColumnIds_.push_back(ours ? column->GetID() : -2);
        }
    } else {
        for (TColumnEx* column : grid.VisibleColumns()) {
            texts.Add(column->Title()->GetCaption());
            itemColumnIds_.push_back(column->GetID());
        }
    }
    texts.Add(msg::AllColumnsItem);
    itemColumnIds_.push_back(-1);
    building_ = true;
    cbFindIn->SetItemIndex(-1);
    cbFindIn->Items().Assign(&texts);
    cbFindIn->KeyItems().Assign(&texts);
    building_ = false;
}

TColumnEx* TDBGridExFindDlg::columnOfId(int id) const
{
    if (!grid_ || id < 0) return nullptr;
    return static_cast<TColumnEx*>(grid_->Columns().FindItemID(id));
}

void TDBGridExFindDlg::buildColumnList()
{
    if (building_ || !grid_) return;
    building_ = true;
    const int allItem = static_cast<int>(itemColumnIds_.size()) - 1;
    if (cbFindIn->ItemIndex() < 0) cbFindIn->SetItemIndex(allItem);
    const int chosen = cbFindIn->ItemIndex();
    searchColumnIds_.clear();
    if (chosen == allItem) {
        for (int i = 0; i < allItem; ++i) searchColumnIds_.push_back(itemColumnIds_[static_cast<std::size_t>(i)]);
    } else if (chosen >= 0) {
        searchColumnIds_.push_back(itemColumnIds_[static_cast<std::size_t>(chosen)]);
    }
    building_ = false;
    cbTextChange(this);
}

std::vector<TColumnEx*> TDBGridExFindDlg::SearchColumns() const
{
    std::vector<TColumnEx*> columns;
    for (int id : searchColumnIds_)
        if (TColumnEx* column = columnOfId(id)) columns.push_back(column);
    return columns;
}

// ---- changes

void TDBGridExFindDlg::cbTextChange(rtl::TObject*)
{
    firstSearch_ = true;
    const bool up = cbFindDirection->ItemIndex() == dirUp;
    columnIndex_ = up ? static_cast<int>(searchColumnIds_.size()) - 1 : 0;
}

void TDBGridExFindDlg::cbFindInChange(rtl::TObject*)
{
    buildColumnList();
}

void TDBGridExFindDlg::bCancelClick(rtl::TObject*)
{
    Close();
}

bool TDBGridExFindDlg::DialogKey(ui::Word key, ui::TShiftState shift)
{
    const bool plain = !(shift & (ui::ssShift | ui::ssAlt));
    if (key == ui::VK_RETURN && plain) {
        bFindClick(this);
        cbText->SetModified(false);
        return true;
    }
    if (key == ui::VK_ESCAPE && plain && !(shift & ui::ssCtrl)) {
        Close();
        cbText->SetModified(false);
        return true;
    }
    return ui::TForm::DialogKey(key, shift);
}

// ---- searching

std::string TDBGridExFindDlg::cellText(const TColumnEx& column) const
{
    if (cbUseFormat->GetState() == cbChecked) return column.DisplayText();
    const db::TField* field = column.Field();
    return field ? field->GetText() : std::string();
}

bool TDBGridExFindDlg::cellMatches(const std::string& cell, const std::string& wanted) const
{
    const bool exact = cbCharCase->GetState() == cbChecked;
    switch (cbMatchinType->ItemIndex()) {
    case mtWholeField: return cell.size() == wanted.size() && (exact ? cell == wanted : rtl::AnsiStartsText(wanted, cell));
    case mtFromBeginning: return exact ? cell.compare(0, wanted.size(), wanted) == 0 : rtl::AnsiStartsText(wanted, cell);
    default: return exact ? cell.find(wanted) != std::string::npos : rtl::AnsiContainsText(cell, wanted);
    }
}

bool TDBGridExFindDlg::advance(db::TDataSet& dataSet, bool backward, int columnCount)
{
    if (!backward) {
        if (columnIndex_ < columnCount - 1) {
            ++columnIndex_;
            return true;
        }
        if (dataSet.MoveBy(1) == 0) return false;
        columnIndex_ = 0;
        return true;
    }
    if (columnIndex_ > 0) {
        --columnIndex_;
        return true;
    }
    if (dataSet.MoveBy(-1) == 0) return false;
    columnIndex_ = columnCount - 1;
    return true;
}

void TDBGridExFindDlg::bFindClick(rtl::TObject*)
{
    const int direction = cbFindDirection->ItemIndex();
    const bool backward = (direction == dirUp) != ((ui::KeyboardShiftState() & ui::ssCtrl) != 0);
    const std::string wanted = cbText->Text();
    // Nothing to find: nothing moves.
    if (wanted.empty()) return;
    if (cbText->Items().IndexOf(wanted) < 0) cbText->Items().Add(wanted);
    TCustomDBGridEx* grid = grid_;
    if (!grid) return;
    db::TDataSet* dataSet = grid->DataLink().DataSet();
    if (!grid->DataLink().Active() || !dataSet) RaiseGridError(db::msg::DataSetClosed);
    const std::vector<TColumnEx*> columns = SearchColumns();
    if (columns.empty()) return;
    // Leaving a record being edited would post or drop it.
    if (db::IsEditState(dataSet->State())) {
        ui::MessageBeep();
        return;
    }
    const int count = static_cast<int>(columns.size());
    const int startColumn = columnIndex_;
    columnIndex_ = std::clamp(columnIndex_, 0, count - 1);
    bool found = false;
    {
        TCustomDBGridEx::TRecordWalk walk(*grid, *dataSet, false);
        if (direction == dirAll && firstSearch_) dataSet->First();
        // After a match the search goes on from the next cell.
        bool more = !dataSet->IsEmpty() && (firstSearch_ || advance(*dataSet, backward, count));
        while (more) {
            if (cellMatches(cellText(*columns[static_cast<std::size_t>(columnIndex_)]), wanted)) {
                found = true;
                walk.Keep();
                break;
            }
            more = advance(*dataSet, backward, count);
        }
    }
    if (!found) {
        columnIndex_ = startColumn;
        ui::ShowMessage(rtl::Format(msg::FindDialogStringNotFound, wanted));
        return;
    }
    firstSearch_ = false;
    // The matching cell becomes the current one.
    grid->SetSelectedIndex(columns[static_cast<std::size_t>(columnIndex_)]->GetIndex());
}

} // namespace grid
