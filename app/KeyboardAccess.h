#pragma once

#include <QList>

QT_BEGIN_NAMESPACE
class QButtonGroup;
class QMenu;
class QWidget;
QT_END_NAMESPACE

// Draws a ring around whichever control of `window` has the keyboard focus, in any style: some
// styles draw no focus on text boxes, or on a button only once Tab has been pressed.
void showKeyboardFocus(QWidget &window);

// Opens `menu`, the window menu of `window`, the way a keyboard user expects it: at the
// window's top-left corner, with its first entry selected.
void popupWindowMenu(QMenu &menu, QWidget &window);

// Shift+F10 and the Menu key open `menu`, the window menu of `window`, while the focus is on one
// of `controls`, in place of any menu of the control's own. Desktops that keep Alt+Space for
// themselves leave these keys to the program.
void openWindowMenuWithMenuKeys(QMenu &menu, QWidget &window, const QList<QWidget *> &controls);

// Tab and Shift+Tab reach the radio buttons of `group` at the checked one, from either side, and
// leave the group from there; the arrow keys move among them. Without a checked button, the
// first one takes the focus.
void tabToCheckedButton(QButtonGroup &group);
