#include "platform/ui/Themes.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>

namespace ui {

TThemeServices& ThemeServices()
{
    static TThemeServices services;
    return services;
}

namespace {

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

void fill(TCanvas& c, const TRect& r, TColor color)
{
    TColor keep = c.Brush().Color();
    TBrushStyle keepStyle = c.Brush().Style();
    c.Brush().SetColor(color);
    c.FillRect(r);
    c.Brush().SetColor(keep);
    c.Brush().SetStyle(keepStyle);
}

// A filled arrow of rows narrowing by one pixel per side, centred in r.
void drawArrow(TCanvas& c, const TRect& r, unsigned dir, TColor color, int shift)
{
    int side = std::min(r.Width(), r.Height());
    int depth = std::max(1, (side + 1) / 4);
    bool vertical = dir == DFCS_SCROLLUP || dir == DFCS_SCROLLDOWN || dir == DFCS_SCROLLCOMBOBOX;
    int cx = r.Left + r.Width() / 2 + shift;
    int cy = r.Top + r.Height() / 2 + shift;
    for (int i = 0; i < depth; ++i) {
        int half = (dir == DFCS_SCROLLUP || dir == DFCS_SCROLLLEFT) ? i : depth - 1 - i;
        if (vertical) {
            int y = cy - depth / 2 + i;
            fill(c, {cx - half, y, cx + half + 1, y + 1}, color);
        } else {
            int x = cx - depth / 2 + i;
            fill(c, {x, cy - half, x + 1, cy + half + 1}, color);
        }
    }
}

void drawCheckMark(TCanvas& c, const TRect& box, TColor color)
{
    // A seven-pixel tick, three rows thick, centred in the box.
    int x0 = box.Left + (box.Width() - 7) / 2;
    int y0 = box.Top + (box.Height() - 7) / 2;
    static const int rise[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i) fill(c, {x0 + i, y0 + rise[i], x0 + i + 1, y0 + rise[i] + 3}, color);
}

// Copies the common fields only, keeping the option's own type and version.
void copyBase(QStyleOption& o, const QStyleOption& b)
{
    o.rect = b.rect;
    o.state = b.state;
    o.palette = b.palette;
    o.direction = b.direction;
}

} // namespace

bool DrawFrameControl(TCanvas& c, const TRect& r, unsigned type, unsigned state)
{
    if (r.IsEmpty()) return false;
    const bool pushed = state & DFCS_PUSHED;
    const bool inactive = state & DFCS_INACTIVE;
    const bool flat = state & (DFCS_FLAT | DFCS_MONO);
    if (type == DFC_BUTTON && (state & DFCS_BUTTONPUSH)) {
        if (flat) {
            c.Brush().SetColor(clBtnShadow);
            c.FrameRect(r);
            fill(c, r.Inflated(-1, -1), clBtnFace);
        } else {
            c.DrawEdge(r, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
        }
        return true;
    }
    if (type == DFC_BUTTON) { // check box
        TRect box = r;
        TColor back = (inactive || pushed) ? clBtnFace : clWindow;
        if (flat) {
            c.Brush().SetColor(clBtnShadow);
            c.FrameRect(box);
            box.Inflate(-1, -1);
        } else {
            c.DrawEdge(box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        }
        bool grayed = state & DFCS_BUTTON3STATE;
        if (grayed && (state & DFCS_CHECKED)) back = clBtnFace;
        fill(c, box, back);
        if (state & DFCS_CHECKED)
            drawCheckMark(c, box, (inactive || grayed) ? clBtnShadow : clWindowText);
        return true;
    }
    if (type == DFC_SCROLL) {
        unsigned dir = state & 0xF;
        if (dir > DFCS_SCROLLRIGHT && dir != DFCS_SCROLLCOMBOBOX) return false;
        if (flat) {
            c.Brush().SetColor(clBtnShadow);
            c.FrameRect(r);
            fill(c, r.Inflated(-1, -1), clBtnFace);
        } else if (pushed) {
            c.Brush().SetColor(clBtnShadow);
            c.FrameRect(r);
            fill(c, r.Inflated(-1, -1), clBtnFace);
        } else {
            c.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        }
        int shift = pushed ? 1 : 0;
        if (inactive) {
            drawArrow(c, r, dir, clBtnHighlight, shift + 1);
            drawArrow(c, r, dir, clBtnShadow, shift);
        } else {
            drawArrow(c, r, dir, clBtnText, shift);
        }
        return true;
    }
    return false;
}

void TThemeServices::DrawPart(TCanvas& canvas, TThemedPart part, const TRect& r, unsigned state, TCheckState check)
{
    if (r.IsEmpty()) return;
    if (!enabled_) {
        unsigned s = 0;
        if (state & tsPressed) s |= DFCS_PUSHED;
        if (state & tsDisabled) s |= DFCS_INACTIVE;
        if (state & tsHot) s |= DFCS_HOT;
        switch (part) {
        case tpDropDown: DrawFrameControl(canvas, r, DFC_SCROLL, s | DFCS_SCROLLCOMBOBOX); break;
        case tpSpinUp: DrawFrameControl(canvas, r, DFC_SCROLL, s | DFCS_SCROLLUP); break;
        case tpSpinDown: DrawFrameControl(canvas, r, DFC_SCROLL, s | DFCS_SCROLLDOWN); break;
        case tpPushButton: DrawFrameControl(canvas, r, DFC_BUTTON, s | DFCS_BUTTONPUSH); break;
        case tpToolButton:
            if (state & (tsHot | tsPressed)) canvas.DrawEdge(r, (state & tsPressed) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            break;
        case tpCheckBox:
            if (check != csUnchecked) s |= DFCS_CHECKED;
            if (check == csGrayed) s |= DFCS_BUTTON3STATE;
            DrawFrameControl(canvas, r, DFC_BUTTON, s | DFCS_BUTTONCHECK);
            break;
        }
        return;
    }
    QPainter* p = canvas.Handle();
    if (!p) return;
    QStyle* style = QApplication::style();
    QStyleOption base;
    base.rect = toQRect(r);
    base.palette = QApplication::palette();
    base.state = QStyle::State_None;
    // Styles take a disabled part's colours from the palette's current group.
    if (state & tsDisabled) base.palette.setCurrentColorGroup(QPalette::Disabled);
    else base.state |= QStyle::State_Enabled;
    if (state & tsHot) base.state |= QStyle::State_MouseOver;
    if (state & tsPressed) base.state |= QStyle::State_Sunken;
    else base.state |= QStyle::State_Raised;
    p->save();
    switch (part) {
    case tpDropDown:
    case tpSpinUp:
    case tpSpinDown: {
        QStyleOptionButton button;
        copyBase(button, base);
        style->drawControl(QStyle::CE_PushButtonBevel, &button, p);
        QStyleOption arrow = base;
        int inset = std::max(2, std::min(r.Width(), r.Height()) / 4);
        arrow.rect = base.rect.adjusted(inset, inset, -inset, -inset);
        if (state & tsPressed) arrow.rect.translate(1, 1);
        style->drawPrimitive(part == tpSpinUp ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow, p);
        break;
    }
    case tpPushButton: {
        QStyleOptionButton button;
        copyBase(button, base);
        style->drawControl(QStyle::CE_PushButtonBevel, &button, p);
        break;
    }
    case tpToolButton: {
        QStyleOptionToolButton tool;
        copyBase(tool, base);
        tool.state |= QStyle::State_AutoRaise;
        style->drawPrimitive(QStyle::PE_PanelButtonTool, &tool, p);
        break;
    }
    case tpCheckBox: {
        QStyleOptionButton box;
        copyBase(box, base);
        box.state &= ~(QStyle::State_Raised);
        // clang-format off
        box.state |= check == csChecked ? QStyle::State_On : check == csGrayed ? QStyle::State_NoChange : QStyle::State_Off;
        // clang-format on
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, p);
        break;
    }
    }
    p->restore();
}

} // namespace ui
