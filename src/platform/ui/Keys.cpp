#include "platform/ui/Keys.h"

#include "platform/ui/QtText.h"

namespace ui {

namespace {

// clang-format off
struct KeyPair { int Qt; Word Vk; };

const KeyPair kNamedKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE}, {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE}, {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END}, {Qt::Key_Home, VK_HOME}, {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN}, {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Help, VK_HELP},
    {Qt::Key_Menu, VK_APPS}, {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Colon, VK_OEM_1}, {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS}, {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Underscore, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Slash, VK_OEM_2}, {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3}, {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4}, {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
    // Shifted digits of a US keyboard.
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'},
    // clang-format on
};

} // namespace

Word VirtualKeyOf(const QKeyEvent& e)
{
    const int key = e.key();
    const bool keypad = e.modifiers() & Qt::KeypadModifier;
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<Word>(VK_NUMPAD0 + (key - Qt::Key_0));
        switch (key) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        // clang-format off
        case Qt::Key_Period: case Qt::Key_Comma: return VK_DECIMAL;
        // clang-format on
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<Word>(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<Word>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<Word>(VK_F1 + (key - Qt::Key_F1));
    for (const KeyPair& p : kNamedKeys)
        if (p.Qt == key) return p.Vk;
    return 0;
}

int QtKeyOf(Word vk)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= VK_F1 && vk <= VK_F12) return Qt::Key_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return Qt::Key_0 + (vk - VK_NUMPAD0);
    switch (vk) {
    case VK_MULTIPLY: return Qt::Key_Asterisk;
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    case VK_DECIMAL: return Qt::Key_Period;
    case VK_DIVIDE: return Qt::Key_Slash;
    default: break;
    }
    for (const KeyPair& p : kNamedKeys)
        if (p.Vk == vk) return p.Qt;
    return Qt::Key_unknown;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers m, Qt::MouseButtons b)
{
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (b & Qt::LeftButton) s |= ssLeft;
    if (b & Qt::RightButton) s |= ssRight;
    if (b & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

Qt::KeyboardModifiers ModifiersOf(TShiftState s)
{
    Qt::KeyboardModifiers m;
    if (s & ssShift) m |= Qt::ShiftModifier;
    if (s & ssCtrl) m |= Qt::ControlModifier;
    if (s & ssAlt) m |= Qt::AltModifier;
    return m;
}

char CharOf(const QKeyEvent& e)
{
    const Word vk = VirtualKeyOf(e);
    const bool ctrl = e.modifiers() & Qt::ControlModifier;
    const bool alt = e.modifiers() & Qt::AltModifier;
    switch (vk) {
    case VK_RETURN: return ctrl ? 10 : 13;
    case VK_ESCAPE: return 27;
    case VK_BACK: return ctrl ? 127 : 8;
    case VK_TAB: return 9;
    default: break;
    }
    if (ctrl && !alt) {
        if (vk >= 'A' && vk <= 'Z') return static_cast<char>(vk - 'A' + 1);
        return 0;
    }
    const QString text = e.text();
    if (text.isEmpty()) return 0;
    const QChar c = text.at(0);
    if (c.unicode() < 32 && c.unicode() != 0) return static_cast<char>(c.unicode());
    if (c.unicode() == 127) return 0;
    return FromQChar(c);
}

QKeyEvent* RewrittenKeyEvent(const QKeyEvent& e, Word vk, char ch)
{
    QString text;
    if (ch != 0) text = ToQString(std::string_view(&ch, 1));
    Qt::KeyboardModifiers m = e.modifiers();
    if (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) m |= Qt::KeypadModifier;
    return new QKeyEvent(e.type(), QtKeyOf(vk), m, text, e.isAutoRepeat(), static_cast<quint16>(e.count()));
}

} // namespace ui
