#include "controls/editors/SpecRow.h"

#include "controls/editors/ToolCtrlsEx.h"
#include "platform/rtl/UpdateScope.h"
#include "platform/ui/Control.h"

namespace editors {

namespace {
bool isControlChar(char c) { return c >= 1 && c <= 31; }
} // namespace

std::vector<std::string> SplitCellsText(const std::string& text)
{
    std::vector<std::string> cells;
    // A zero byte ends the text, as it ends a C string.
    const std::size_t n = std::min(text.size(), text.find('\0'));
    std::size_t i = 0;
    auto skipControls = [&] {
        while (i < n && isControlChar(text[i])) ++i;
    };
    skipControls();
    while (i < n) {
        std::string cell;
        if (text[i] == '"') {
            for (++i; i < n; ++i) {
                if (text[i] != '"') {
                    cell += text[i];
                } else if (i + 1 < n && text[i + 1] == '"') {
                    cell += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            const std::size_t start = i;
            while (i < n && text[i] != ';' && !isControlChar(text[i])) ++i;
            cell = text.substr(start, i - start);
        }
        cells.push_back(std::move(cell));
        skipControls();
        if (i < n && text[i] == ';') {
            ++i;
            if (i == n) cells.emplace_back();
            skipControls();
        }
    }
    return cells;
}

TSpecRowEx::TSpecRowEx(rtl::TPersistent* owner) : owner_(owner)
{
    font_.OnChange = rtl::TNotifyEvent::FromFunction([this](rtl::TObject*) { fontChanged(); });
}

void TSpecRowEx::Assign(const rtl::TPersistent* source)
{
    auto* other = dynamic_cast<const TSpecRowEx*>(source);
    if (!other) {
        rtl::TPersistent::Assign(source);
        return;
    }
    const rtl::TUpdateScope update(*this);
    SetCellsText(other->cellsText_);
    if (other->colorAssigned_) SetColor(other->color_);
    if (other->fontAssigned_) SetFont(other->font_);
    SetShortCut(other->shortCut_);
    SetShowIfNotInKeyList(other->showIfNotInKeyList_);
    SetValue(other->value_);
    SetVisible(other->visible_);
}

void TSpecRowEx::changed()
{
    if (updateCount_ == 0 && OnChange) OnChange(this);
}

void TSpecRowEx::EndUpdate()
{
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) changed();
}

void TSpecRowEx::SetCellsText(const std::string& value)
{
    if (cellsText_ == value) return;
    cellsText_ = value;
    cells_ = SplitCellsText(value);
    changed();
}

std::string TSpecRowEx::CellText(int Index) const
{
    if (Index < 0 || Index >= CellCount()) return {};
    return cells_[static_cast<std::size_t>(Index)];
}

ui::TColor TSpecRowEx::GetColor() const
{
    if (colorAssigned_) return color_;
    if (auto* control = dynamic_cast<const ui::TControl*>(owner_)) return control->Color();
    return color_;
}

void TSpecRowEx::SetColor(ui::TColor value)
{
    if (colorAssigned_ && color_ == value) return;
    color_ = value;
    colorAssigned_ = true;
    changed();
}

ui::TFont& TSpecRowEx::GetFont()
{
    if (!fontAssigned_)
        if (auto* control = dynamic_cast<const ui::TControl*>(owner_)) {
            const rtl::TFlagScope copying(copyingOwnerFont_);
            font_.Assign(control->Font());
        }
    return font_;
}

void TSpecRowEx::SetFont(const ui::TFont& value)
{
    font_.Assign(value); // its change notice marks the font as the row's own
}

void TSpecRowEx::fontChanged()
{
    if (copyingOwnerFont_) return;
    fontAssigned_ = true;
    changed();
}

void TSpecRowEx::SetShortCut(ui::TShortCut value)
{
    if (shortCut_ == value) return;
    shortCut_ = value;
    changed();
}

void TSpecRowEx::SetShowIfNotInKeyList(bool value)
{
    if (showIfNotInKeyList_ == value) return;
    showIfNotInKeyList_ = value;
    changed();
}

void TSpecRowEx::SetValue(const rtl::Variant& value)
{
    if (VarEquals(value_, value) && value_.VarType() == value.VarType()) return;
    value_ = value;
    changed();
}

void TSpecRowEx::SetVisible(bool value)
{
    if (visible_ == value) return;
    visible_ = value;
    changed();
}

bool TSpecRowEx::ValueMatches(const rtl::Variant& Value) const
{
    return visible_ && VarEquals(value_, Value);
}

} // namespace editors
