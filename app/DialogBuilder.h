#pragma once

#include <QRect>
#include <QString>

#include <span>

QT_BEGIN_NAMESPACE
class QDialog;
class QFont;
class QFontMetrics;
class QWidget;
QT_END_NAMESPACE

// A rectangle in dialog units, not pixels: x, y, width, height.
struct DluRect {
    int x, y, width, height;
};

enum class ControlKind { PushButton, Label, Edit, RadioButton, GroupBox, Icon };

// Control styles as the templates list them. The builder turns them into widget settings where
// Qt's default differs: Qt push buttons always centre their text, and labels without a buddy
// show "&" as it is.
enum ControlStyle : unsigned {
    noStyle = 0,
    startsGroup = 1u << 0, // a radio group runs from one of these to the next
    tabStop = 1u << 1,
    defaultButton = 1u << 2,
    centredText = 1u << 3,
    autoRadio = 1u << 4,
    digitsOnly = 1u << 5,
    autoHorizontalScroll = 1u << 6,
    border = 1u << 7,
    multiLine = 1u << 8,
    verticalScroll = 1u << 9,
    noPrefix = 1u << 10, // "&" is shown, not taken as an access key
};

// A multi-line edit that shows a result: bordered, scrolled vertically, reached with Tab.
inline constexpr unsigned resultBoxStyle =
    multiLine | border | verticalScroll | autoHorizontalScroll | tabStop;

// One control of a template. `id` -1: the control has no ID. An icon control's text is the
// number of its icon resource.
struct ControlRow {
    int id;
    ControlKind kind;
    const char *text;
    DluRect rect;
    unsigned styles;
};

// A static text that names a control for screen readers, where the text does not stand just
// before the control in template order: `label` is the static text's text.
struct ControlLabel {
    const char *label;
    int controlId;
};

struct DialogTemplate {
    const char *caption;
    DluRect rect;
    const char *fontFamily;
    int pointSize;
    std::span<const ControlRow> controls; // template order, which is also the tab order
    std::span<const ControlLabel> labels;
};

// Converts dialog units to pixels for one font: a horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its height. Results are rounded to the
// nearest pixel, halves away from zero, the way dialog layouts have always been mapped.
class DialogUnits
{
public:
    DialogUnits(int averageCharWidth, int charHeight);
    explicit DialogUnits(const QFontMetrics &metrics);

    QRect toPixels(const DluRect &rect) const;

private:
    int charWidth;
    int lineHeight;
};

// The font a template names, at its point size.
QFont templateFont(const DialogTemplate &dialogTemplate);

// Builds `dialogTemplate` on `dialog`: caption, font, fixed size and every control, named after
// its ID and placed at its rectangle (a static text's only widened to fit its text), with the
// focus chain in template order. Controls lying inside a group box's rectangle become children
// of the group box, at the same place in the dialog, so they are drawn above its frame and belong
// to its group for screen readers; every other control is a child of the dialog. Each radio
// group gets an exclusive QButtonGroup in which a button's ID is its position in the group. Each
// static text of `labels` becomes the buddy of its control, which gives the control its name.
void buildDialog(QDialog &dialog, const DialogTemplate &dialogTemplate);
