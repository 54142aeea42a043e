#pragma once

#include <QPlainTextEdit>
#include <QValidator>

#include <string>

QT_BEGIN_NAMESPACE
class QGroupBox;
class QLineEdit;
QT_END_NAMESPACE

// A result box: a multi-line edit that shows one description. Texts come and go with "\r\n"
// line breaks, shown as line breaks. Enter is left to the dialog, which presses its default
// button; Ctrl+Enter still breaks the line for whoever writes notes into the box. Whenever the
// text is wider or taller than the box, its tooltip and its accessible description hold all of
// it.
class ResultBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ResultBox(QWidget *parent = nullptr);

    void setText(const std::string &text);
    std::string text() const;

signals:
    // The text changed by any means but setText(): the user typed, pasted, cut or undid.
    void edited();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateHiddenTextHint();
    bool textIsHidden(const QString &whole) const;

    bool settingText = false;
};

// Accepts ASCII digits only, whether typed or pasted: any edit that would put another
// character into the box is refused whole, except for whitespace around inserted digits, which
// is dropped. How large the number may be is checked on reading.
class DigitsValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override;

private:
    mutable QString accepted; // the box's text after the last edit it took
};

// Makes `edit` a box for digits only, of any length: a refused character brings up a balloon
// at the box that says what can be typed there.
void makeDigitsOnly(QLineEdit &edit);

// Draws the box's title on its frame's top line, with the contents starting just below the
// title, whatever the application style: the dialog templates place the first control there.
void setTitleOnFrameLine(QGroupBox &box);
