// The cell editor's layout: its buttons and their separators, the text rectangle, the
// image beside the text, what the buttons do when pressed and clicked, and the grid's
// edit text following the editor's.
#include <algorithm>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPointer>

#include "controls/editors/ButtonPainting.h"
#include "controls/editors/DropDownWindows.h"
#include "controls/editors/ToolCtrlsEx.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace grid {

namespace {

editors::TEditButtonStyleEx MainButtonStyle(TColumnEditStyleEx style)
{
    switch (style) {
    case cesEllipsisEx: return editors::ebsEllipsisEx;
    case cesUpDownEx: return editors::ebsUpDownEx;
    default: return editors::ebsDropDownEx;
    }
}

// The height of a button of this width in an editor of this client height: a tall
// editor keeps the button at its usual height, a low one gives it the whole height.
int ButtonHeight(int clientHeight, int width, int usualHeight)
{
    return clientHeight > rtl::Round(width * 3.0 / 2) ? usualHeight : clientHeight;
}

} // namespace

int TDBGridInplaceEdit::GetFontHeight(const ui::TFont& Font) { return QFontMetrics(Font.ToQFont()).height(); }

bool TDBGridInplaceEdit::rightToLeft() const { return grid_.UseRightToLeftAlignment(); }

int TDBGridInplaceEdit::treeIndent() const
{
    if (!grid_.ShowsTreeNodes(Column())) return 0;
    return grid_.TreeNodeWidth(grid_.MemTable()->MemTableRecNo());
}

// ---- the buttons ----

editors::TEditButtonControlEx* TDBGridInplaceEdit::CreateEditButtonControl()
{
    auto* control = new editors::TEditButtonControlEx(this);
    control->SetBounds(0, 0, 10, 17);
    control->SetTransparent(false);
    control->SetVisible(true);
    return control;
}

int TDBGridInplaceEdit::buttonIndexOf(const rtl::TObject* sender) const
{
    // Each button carries the index of its pair.
    const auto* component = dynamic_cast<const rtl::TComponent*>(sender);
    const int index = component ? static_cast<int>(component->GetTag()) : -1;
    if (index < 0 || index >= ButtonControlCount() || EditButtonControl(index) != sender) return -1;
    return index;
}

editors::TEditButtonEx* TDBGridInplaceEdit::extraButton(int pair) const
{
    const TColumnEx* column = Column();
    if (!column || pair < 1 || pair > column->EditButtons()->GetCount()) return nullptr;
    return column->EditButtons()->Items(pair - 1);
}

void TDBGridInplaceEdit::wireButton(int Pair, int Tag)
{
    editors::TEditButtonControlEx* control = buttons_[static_cast<std::size_t>(Pair)].Button;
    control->OnDown = editors::TButtonDownEventEx(this, &TDBGridInplaceEdit::EditButtonDown);
    control->OnClick = rtl::TNotifyEvent(this, &TDBGridInplaceEdit::EditButtonControlClick);
    control->OnMouseMove = ui::TMouseMoveEvent(this, &TDBGridInplaceEdit::EditButtonMouseMove);
    control->OnMouseUp = ui::TMouseEvent(this, &TDBGridInplaceEdit::EditButtonMouseUp);
    control->SetTag(Tag);
}

void TDBGridInplaceEdit::LayoutEditButtonControls()
{
    const TColumnEx* column = Column();
    const std::size_t count = 1 + static_cast<std::size_t>(column ? column->EditButtons()->GetCount() : 0);
    while (buttons_.size() > count) {
        // A surplus pair leaves the list; its click may be what runs now, so it goes once
        // the event is done.
        TButtonPair pair = buttons_.back();
        buttons_.pop_back();
        pair.Button->OnDown = nullptr;
        pair.Button->OnClick = nullptr;
        pair.Button->OnMouseMove = nullptr;
        pair.Button->OnMouseUp = nullptr;
        pair.Button->Hide();
        pair.Separator->Hide();
        pair.Button->Release();
        pair.Separator->Release();
    }
    while (buttons_.size() < count) {
        TButtonPair pair;
        pair.Button = CreateEditButtonControl();
        pair.Separator = new ui::TShape(this);
        buttons_.push_back(pair);
    }

    const bool flat = grid_.GetFlat();
    const int defaultWidth = flat ? editors::GetDefaultFlatButtonWidth() : ui::Metrics().VScrollWidth;
    const int clientHeight = ClientHeight();
    // The main button.
    TButtonPair& main = buttons_.front();
    const bool mainVisible = editStyle_ != cesNoneEx;
    main.Button->SetVisible(mainVisible);
    main.Button->SetStyle(MainButtonStyle(editStyle_));
    main.Button->SetGlyph(ui::TBitmap());
    main.Button->SetHint(std::string());
    main.Button->SetFlat(flat);
    main.Width = mainVisible ? defaultWidth : 0;
    main.Height = ButtonHeight(clientHeight, main.Width, editors::DefaultEditButtonHeight(main.Width, flat));
    main.SeparatorWidth = flat && mainVisible ? 1 : 0;
    main.Separator->SetVisible(main.SeparatorWidth > 0);
    wireButton(0, 0);
    for (std::size_t i = 1; i < count; ++i)
        SetupEditButtonControl(static_cast<int>(i), column->EditButtons()->Items(static_cast<int>(i) - 1),
                               static_cast<int>(i));

    // Every button is as high as the lowest visible one.
    int height = clientHeight;
    bool anyVisible = false;
    for (const TButtonPair& pair : buttons_) {
        if (!pair.Button->Visible()) continue;
        height = anyVisible ? std::min(height, pair.Height) : pair.Height;
        anyVisible = true;
    }
    // From the right edge leftwards (from the left edge rightwards right to left): the
    // last pair first, each button with its separator before it.
    const bool rtl = rightToLeft();
    int x = rtl ? 0 : Width();
    for (std::size_t i = count; i-- > 0;) {
        TButtonPair& pair = buttons_[i];
        if (rtl) {
            pair.Button->SetBounds(x, 0, pair.Width, height);
            x += pair.Width;
            pair.Separator->SetBounds(x, 0, pair.SeparatorWidth, height);
            x += pair.SeparatorWidth;
        } else {
            x -= pair.Width;
            pair.Button->SetBounds(x, 0, pair.Width, height);
            x -= pair.SeparatorWidth;
            pair.Separator->SetBounds(x, 0, pair.SeparatorWidth, height);
        }
    }
    buttonsWidth_ = rtl ? x : ClientWidth() - x;
}

void TDBGridInplaceEdit::SetupEditButtonControl(int Pair, editors::TEditButtonEx* EditButton, int Tag)
{
    TButtonPair& pair = buttons_.at(static_cast<std::size_t>(Pair));
    editors::TEditButtonControlEx* control = pair.Button;
    const bool flat = grid_.GetFlat();
    const bool visible = EditButton->GetVisible();
    control->TakeButton(*EditButton, flat);
    pair.Width = editors::EditButtonControlWidth(*EditButton, flat);
    pair.Height = ButtonHeight(ClientHeight(), pair.Width, pair.Width);
    pair.SeparatorWidth = flat && visible ? 1 : 0;
    pair.Separator->SetVisible(pair.SeparatorWidth > 0);
    wireButton(Pair, Tag);
}

void TDBGridInplaceEdit::UpdateEditButtonControls()
{
    for (TButtonPair& pair : buttons_) {
        pair.Button->SetEnabled(true);
        pair.Button->SetActive(true);
        pair.Separator->Pen().SetColor(ui::clBtnFace);
        pair.Separator->Brush().SetColor(ui::clBtnFace);
        pair.Separator->Invalidate();
    }
}

// ---- the text rectangle ----

void TDBGridInplaceEdit::BoundsChanged()
{
    // A button's menu closed before the editor moved: that marker is no longer waited for.
    RemovePostedMessage(editors::CM_BUTTONMENUMARKER);
    LayoutEditButtonControls();
    UpdateEditButtonControls();
    const int width = Width();
    const int height = Height();
    ui::TRect r = grid_.GetFlat() ? ui::TRect{2, 1, width - 2, height - 1} : ui::TRect{2, 2, width - 2, height};
    if (GetFontHeight(Font()) > r.Height() && r.Bottom < height) ++r.Bottom;
    const bool rtl = rightToLeft();
    if (buttonsWidth_ > 0) {
        if (rtl) r.Left += buttonsWidth_;
        else r.Right -= buttonsWidth_;
    }
    const TColumnEx* column = Column();
    if (column && column->GetImageList() && column->GetShowImageAndText()) {
        const int room = column->GetImageList()->Width() + 5;
        if (rtl) r.Right -= room;
        else r.Left += room;
    }
    if (const int tree = treeIndent(); tree > 0) {
        if (rtl) r.Right -= tree + 1;
        else r.Left += tree + 1;
    }
    // A cell too small for any text keeps a box of one pixel (an empty one would fill it).
    r.Right = std::max(r.Right, r.Left + 1);
    r.Bottom = std::max(r.Bottom, r.Top + 1);
    SetTextRect(r);
}

// ---- the image ----

ui::TRect TDBGridInplaceEdit::GetImageRect() const
{
    const TColumnEx* column = Column();
    const int width = column && column->GetImageList() ? column->GetImageList()->Width() : 0;
    // After the tree nodes; right to left in the room the text leaves at the right edge.
    const int tree = treeIndent();
    if (rightToLeft()) return {Width() - tree - width - 2, 0, Width() - tree - 2, Height()};
    return {tree + 2, 0, tree + width + 2, Height()};
}

void TDBGridInplaceEdit::Paint()
{
    const TColumnEx* column = Column();
    if (const int tree = treeIndent(); tree > 0) {
        const ui::TRect nodes = rightToLeft() ? ui::TRect{Width() - tree, 0, Width(), Height()}
                                              : ui::TRect{0, 0, tree, Height()};
        grid_.PaintTreeNodes(Canvas(), nodes, grid_.MemTable()->MemTableRecNo(), column->GetColor());
    }
    if (column && column->GetImageList() && column->GetShowImageAndText()) PaintImage(Canvas());
}

void TDBGridInplaceEdit::PaintImage(ui::TCanvas& Canvas)
{
    const TColumnEx* column = Column();
    if (!Visible() || !column || !column->GetImageList() || imageIndex_ < 0) return;
    editors::DrawImageCentered(Canvas, GetImageRect(), column->GetImageList(), imageIndex_, false);
}

// ---- pressing and clicking the buttons ----

void TDBGridInplaceEdit::EditButtonDown(rtl::TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
    if (CanFocus() && !Focused()) SetFocus();
    const int index = buttonIndexOf(Sender);
    if (index < 0) return;
    // The press that closed this button's menu opens nothing.
    ui::TMessage marker;
    if (RemovePostedMessage(editors::CM_BUTTONMENUMARKER, &marker)) {
        if (marker.WParam == index) return;
        PostMessage(marker.Msg, marker.WParam, marker.LParam);
    }
    TColumnEx* column = Column();
    if (!column) return;
    if (index == 0) {
        QPointer<TDBGridInplaceEdit> self(this);
        if (column->OnEditButtonDown) column->OnEditButtonDown(Sender, TopButton, AutoRepeat, Handled);
        if (self && !Handled) EditButtonClick(!TopButton);
        return;
    }
    editors::TEditButtonEx* button = extraButton(index);
    if (!button) return;
    QPointer<TDBGridInplaceEdit> self(this);
    if (button->OnDown) button->OnDown(Sender, TopButton, AutoRepeat, Handled);
    if (!self || Handled) return;
    auto* control = dynamic_cast<editors::TEditButtonControlEx*>(Sender);
    if (QMenu* menu = button->GetDropdownMenu(); menu && control) editors::PopupEditButtonMenu(this, control, menu);
}

void TDBGridInplaceEdit::EditButtonControlClick(rtl::TObject* Sender)
{
    const int index = buttonIndexOf(Sender);
    if (index < 0) return;
    bool handled = false;
    QPointer<TDBGridInplaceEdit> self(this);
    if (index == 0 && (editStyle_ == cesEllipsisEx || editStyle_ == cesDropDownEx)) grid_.EditButtonClick();
    if (!self) return;
    if (index == 0) {
        if (TColumnEx* column = Column(); column && column->OnEditButtonClick) column->OnEditButtonClick(Sender, handled);
    } else if (editors::TEditButtonEx* button = extraButton(index); button && button->OnClick) {
        button->OnClick(Sender, handled);
    }
    if (!self) return;
    // The click that ends the press which opened the drop-down leaves it open; a later
    // one closes it.
    if (!handled && index == 0 && listVisible_ && !openedByButton_) CloseUp(false);
    openedByButton_ = false;
}

void TDBGridInplaceEdit::EditButtonMouseMove(rtl::TObject* Sender, ui::TShiftState Shift, int X, int Y)
{
    // Dragging from the main button into the open list goes on there.
    if (!listVisible_ || !(Shift & ui::ssLeft) || !dropDown_ || buttonIndexOf(Sender) != 0) return;
    editors::TEditButtonControlEx* button = EditButtonControl(0);
    const ui::TPoint screen = button->ClientToScreen({X, Y});
    if (dropDown_->ClientRect().Contains(dropDown_->ScreenToClient(screen)))
        editors::PassButtonPressTo(button, dropDown_, screen);
}

void TDBGridInplaceEdit::EditButtonMouseUp(rtl::TObject* Sender, ui::TMouseButton, ui::TShiftState, int X, int Y)
{
    const auto* control = dynamic_cast<const ui::TControl*>(Sender);
    if (control && (X < 0 || X >= control->Width() || Y < 0 || Y > control->Height())) openedByButton_ = false;
}

bool TDBGridInplaceEdit::PressButtonAt(ui::TPoint screenPoint)
{
    for (const TButtonPair& pair : buttons_) {
        editors::TEditButtonControlEx* control = pair.Button;
        if (!control->Visible() || control->Width() <= 0) continue;
        const ui::TPoint at = control->ScreenToClient(screenPoint);
        if (!control->ClientRect().Contains(at)) continue;
        const ui::TPoint offset = control->ClientOffset();
        // The button holds the mouse until the release, which ends the press of whoever
        // handed it over (the grid's release then reaches the button, not a cell).
        control->SetMouseCapture(true);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at.X + offset.X, at.Y + offset.Y),
                          QPointF(screenPoint.X, screenPoint.Y), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(control, &press);
        return true;
    }
    return false;
}

// ---- the grid's edit text ----

void TDBGridInplaceEdit::UpdateGridEditValue()
{
    TColumnEx* column = Column();
    if (!column || !column->CanModify(true)) return;
    const std::string text = Text();
    GridSetEditText(grid_.Col(), grid_.Row(), text);
    if (editStyle_ != cesDataListEx) return;
    rtl::Variant key = rtl::Null();
    db::TDataSet* list = column->LookupListDataSet();
    const db::TField* field = column->Field();
    if (list && list->GetActive() && field
        && list->Locate(field->GetLookupResultField(), rtl::Variant(text), db::loCaseInsensitive))
        key = list->GetFieldValues(field->GetLookupKeyFields());
    grid_.SetEditKeyValue(key, text);
}

} // namespace grid
