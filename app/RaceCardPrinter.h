#pragma once

#include <QPageLayout>
#include <QPainter>
#include <QSizeF>
#include <QString>

QT_BEGIN_NAMESPACE
class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class QWidget;
QT_END_NAMESPACE
namespace vellicor {
class Session;
struct RolledRace;
} // namespace vellicor

// Draws race cards, as formats/RaceCard writes them, on the pages of a printer or a PDF: each card
// starts a page of its own, so a race that fits on one page is never split across two, and a card
// longer than a page goes on over as many pages as it needs. A card is laid out to the width of A4
// and the height of Letter within the margins, so it looks the same on either.
class RaceCardPrinter
{
public:
    // The card's margins on every side.
    static constexpr qreal marginMillimetres = 15;

    // The paper of a PDF: Letter where the system measures in the US system, else A4, with the
    // card's margins.
    static QPageLayout defaultPageLayout();

    // Paints on the pages of the printer or the PDF, as their page layout sets out.
    explicit RaceCardPrinter(QPrinter &printer);
    explicit RaceCardPrinter(QPdfWriter &writer);

    // The race's card, from a new page on (the first card from the first page).
    void print(const vellicor::RolledRace &race);
    // Finishes the last page; false when the device could not be painted on (a printer that
    // cannot be reached, a file that cannot be written).
    bool finish();

private:
    void begin();

    QPagedPaintDevice &device;
    QPainter painter;
    QSizeF cardSize; // in the device's pixels
    qreal left = 0;  // the card's indent within the page's margins, centring it
    bool onFirstPage = true;
};

// True for a file name that asks for PDF (".pdf", in any case).
bool isPdfFileName(const QString &path);

// Writes one card per race of `session` into the PDF file `path`, replacing the file only once
// all of it is written. Returns "" on success, else the reason it failed.
QString writeRaceCardsPdf(const QString &path, const vellicor::Session &session);

// Opens the print dialog for the race on screen and prints its card; a printer that fails is
// reported over `parent`. Nothing happens for an empty session.
void printCurrentRace(QWidget &parent, const vellicor::Session &session);
