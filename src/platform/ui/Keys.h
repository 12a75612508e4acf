#pragma once
// Translation between Qt's keys and the virtual key codes, shift states and 8-bit
// characters that the controls' key handlers work with.
#include <QKeyEvent>

#include "platform/ui/UiTypes.h"

namespace ui {

// The virtual key of a Qt key event (0 when it has none). Shifted symbols map to the
// key that carries them on a US keyboard ('!' is '1'); keypad keys to VK_NUMPAD...
Word VirtualKeyOf(const QKeyEvent& e);
// The Qt key for a virtual key (the unshifted one for letters and digits).
int QtKeyOf(Word vk);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
Qt::KeyboardModifiers ModifiersOf(TShiftState shift);
// The character a key press types, as a Windows-1252 byte; 0 when it types none.
// Ctrl with a letter gives the control character (Ctrl+V is 22); Enter 13, Esc 27,
// Backspace 8, Tab 9.
char CharOf(const QKeyEvent& e);
// A key event like e with another key and character (a handler rewrote the key).
QKeyEvent* RewrittenKeyEvent(const QKeyEvent& e, Word vk, char ch);

} // namespace ui
