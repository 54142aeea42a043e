#include "app/KeyboardAccess.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QFocusFrame>
#include <QKeyEvent>
#include <QMenu>

namespace {

bool isMenuKey(const QKeyEvent &key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
           (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

// Takes the menu keys from the controls it watches. The platform may also turn such a key into
// a keyboard context-menu event for the control; that one opens the window menu too.
class WindowMenuKeys : public QObject
{
public:
    WindowMenuKeys(QMenu &menu, QWidget &window) : QObject(&menu), menu(menu), window(window) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const bool menuKey =
            event->type() == QEvent::KeyPress && isMenuKey(*static_cast<const QKeyEvent *>(event));
        const bool keyboardMenu =
            event->type() == QEvent::ContextMenu &&
            static_cast<const QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard;
        if (!menuKey && !keyboardMenu)
            return false;
        popupWindowMenu(menu, window);
        return true;
    }

private:
    QMenu &menu;
    QWidget &window;
};

} // namespace

void showKeyboardFocus(QWidget &window)
{
    auto *ring = new QFocusFrame(&window);
    // The style draws the ring in the text colour; the selection colour stands out from the
    // frames and texts around it.
    QPalette palette = ring->palette();
    palette.setBrush(QPalette::WindowText, palette.brush(QPalette::Highlight));
    ring->setPalette(palette);
    QObject::connect(qApp, &QApplication::focusChanged, ring,
                     [ring, &window](QWidget *, QWidget *now) {
                         if (now && now != &window && now->window() == &window)
                             ring->setWidget(now);
                     });
}

void popupWindowMenu(QMenu &menu, QWidget &window)
{
    menu.popup(window.mapToGlobal(QPoint(0, 0)));
    if (!menu.actions().isEmpty())
        menu.setActiveAction(menu.actions().constFirst());
}

void openWindowMenuWithMenuKeys(QMenu &menu, QWidget &window, const QList<QWidget *> &controls)
{
    auto *keys = new WindowMenuKeys(menu, window);
    for (QWidget *control : controls)
        control->installEventFilter(keys);
}

// Qt gives the Tab stop to whichever button last took the focus, and until then to every
// button, so Shift+Tab into the group landed on its last button, checked or not. Here it follows
// the check instead.
void tabToCheckedButton(QButtonGroup &group)
{
    const auto moveTabStop = [&group] {
        const QList<QAbstractButton *> buttons = group.buttons();
        QAbstractButton *stop = group.checkedButton();
        if (!stop && !buttons.isEmpty())
            stop = buttons.constFirst();
        for (QAbstractButton *button : buttons) {
            const Qt::FocusPolicy policy = button->focusPolicy();
            button->setFocusPolicy(
                Qt::FocusPolicy(button == stop ? policy | Qt::TabFocus : policy & ~Qt::TabFocus));
        }
    };
    QObject::connect(&group, &QButtonGroup::buttonToggled, &group, moveTabStop);
    moveTabStop();
}
