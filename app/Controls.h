#pragma once

#include <QPlainTextEdit>
#include <QValidator>

#include <string>

// A result box: a multi-line edit that shows one description. Texts come and go with "\r\n"
// line breaks, shown as line breaks. Enter is left to the dialog, which presses its default
// button; Ctrl+Enter still breaks the line for whoever writes notes into the box.
class ResultBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ResultBox(QWidget *parent = nullptr);

    void setText(const std::string &text);
    std::string text() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// Accepts ASCII digits only, whether typed or pasted: any edit that would put another
// character into the box is refused whole. How large the number may be is checked on reading.
class DigitsValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override;
};
