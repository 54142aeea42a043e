#pragma once

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

// The window menu's Move, done by the program itself because a client cannot start the window
// manager's keyboard move: each arrow key moves `window` by 8 pixels (1 with Ctrl), Enter or a
// mouse click keeps the new place, Esc puts the window back where it was. The move also ends,
// keeping the place, when the window hides or loses activation. Starting a move while one runs
// does nothing. (Wayland compositors place windows themselves; there the arrows do nothing.)
void startKeyboardMove(QWidget &window);
