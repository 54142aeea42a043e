#include "app/WindowMove.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QWidget>

namespace {

class KeyboardMove : public QObject
{
    Q_OBJECT
public:
    explicit KeyboardMove(QWidget &window)
        : QObject(&window), window(window), startPosition(window.pos())
    {
        QGuiApplication::setOverrideCursor(Qt::SizeAllCursor);
        qApp->installEventFilter(this);
    }
    ~KeyboardMove() override
    {
        if (!done) // the window went away in the middle of a move
            QGuiApplication::restoreOverrideCursor();
    }
    KeyboardMove(const KeyboardMove &) = delete;
    KeyboardMove &operator=(const KeyboardMove &) = delete;

    bool running() const { return !done; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            handleKey(*static_cast<QKeyEvent *>(event));
            return true; // nothing is typed into the controls while the window moves
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            finish();
            return true;
        case QEvent::Hide:
        case QEvent::WindowDeactivate:
            if (watched == &window)
                finish();
            return false;
        default:
            return false;
        }
    }

private:
    void handleKey(const QKeyEvent &key)
    {
        const int step = (key.modifiers() & Qt::ControlModifier) ? 1 : 8;
        switch (key.key()) {
        case Qt::Key_Left:
            window.move(window.pos() + QPoint(-step, 0));
            break;
        case Qt::Key_Right:
            window.move(window.pos() + QPoint(step, 0));
            break;
        case Qt::Key_Up:
            window.move(window.pos() + QPoint(0, -step));
            break;
        case Qt::Key_Down:
            window.move(window.pos() + QPoint(0, step));
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            finish();
            break;
        case Qt::Key_Escape:
            window.move(startPosition);
            finish();
            break;
        default:
            break;
        }
    }

    void finish()
    {
        if (done)
            return;
        done = true;
        qApp->removeEventFilter(this);
        QGuiApplication::restoreOverrideCursor();
        deleteLater();
    }

    QWidget &window;
    const QPoint startPosition;
    bool done = false;
};

} // namespace

void startKeyboardMove(QWidget &window)
{
    const auto moves = window.findChildren<KeyboardMove *>(Qt::FindDirectChildrenOnly);
    for (const KeyboardMove *move : moves) {
        if (move->running())
            return;
    }
    new KeyboardMove(window); // owned by the window; deletes itself when the move ends
}

#include "WindowMove.moc"
