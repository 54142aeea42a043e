#include "app/RaceCardPrinter.h"

#include "app/SessionFiles.h"
#include "formats/RaceCard.h"
#include "session/Session.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>

#include <string_view>

namespace {

// The card's style sets its margins in CSS pixels, which Qt's rich text takes as the device's
// pixels: cards are drawn at a browser's 96 pixels per inch. Text is placed at fractions of a
// pixel, so it is no coarser for that.
constexpr int pixelsPerInch = 96;

// The room a card has on both papers: A4's width and Letter's height, within the margins.
QSizeF cardMillimetres()
{
    const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const QSizeF letter = QPageSize(QPageSize::Letter).size(QPageSize::Millimeter);
    const qreal margins = 2 * RaceCardPrinter::marginMillimetres;
    return a4.boundedTo(letter) - QSizeF(margins, margins);
}

} // namespace

QPageLayout RaceCardPrinter::defaultPageLayout()
{
    const QPageSize::PageSizeId paper =
        QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                           : QPageSize::A4;
    const qreal margin = marginMillimetres;
    return QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                       QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
}

RaceCardPrinter::RaceCardPrinter(QPrinter &printer) : device(printer)
{
    printer.setResolution(pixelsPerInch);
    begin();
}

RaceCardPrinter::RaceCardPrinter(QPdfWriter &writer) : device(writer)
{
    writer.setResolution(pixelsPerInch);
    begin();
}

void RaceCardPrinter::begin()
{
    // The device's pixels lie within its margins; a smaller paper than A4 or Letter gets a
    // narrower or shorter card rather than a cut one.
    const QSizeF room(device.width(), device.height());
    cardSize = (cardMillimetres() * pixelsPerInch / 25.4).boundedTo(room);
    left = (room.width() - cardSize.width()) / 2;
    painter.begin(&device);
}

void RaceCardPrinter::print(const vellicor::RolledRace &race)
{
    if (!painter.isActive())
        return;
    QTextDocument card;
    // Laid out with the fonts as the device measures them, not as the screen does.
    card.documentLayout()->setPaintDevice(&device);
    card.setDocumentMargin(0);
    // No ligatures: the PDF's text keeps the letters as written ("fi", not one sign for both),
    // so that it is found and copied as it reads.
    QFont font = card.defaultFont();
    font.setStyleStrategy(QFont::PreferNoShaping);
    card.setDefaultFont(font);
    const std::string_view style = vellicor::raceCardStyle;
    card.setDefaultStyleSheet(
        QString::fromUtf8(style.data(), static_cast<qsizetype>(style.size())));
    const std::string command = vellicor::rollAgainCommand(race);
    card.setHtml(QString::fromStdString(vellicor::raceCardHtml(race, command)));
    // The command on a line of its own, so that it is not broken after the "--" of an option.
    QTextCursor rollAgain = card.find(QString::fromStdString(command), card.characterCount(),
                                      QTextDocument::FindBackward);
    if (!command.empty() && !rollAgain.isNull()) {
        rollAgain.setPosition(rollAgain.selectionStart());
        rollAgain.deletePreviousChar(); // the space after "To roll it again:"
        rollAgain.insertText(QString(QChar::LineSeparator));
    }
    // A page size makes the layout move a line that would cross the foot of a page to the next.
    card.setPageSize(cardSize);
    for (int page = 0; page < card.pageCount(); ++page) {
        if (!onFirstPage)
            device.newPage();
        onFirstPage = false;
        const QRectF shown(QPointF(0, page * cardSize.height()), cardSize);
        painter.save();
        painter.translate(left, -shown.top());
        painter.setClipRect(shown);
        QAbstractTextDocumentLayout::PaintContext context;
        // Only the lines of this page: one that starts at its foot, or ends at its head, is drawn
        // on the next or the last page, not a second time here, out of sight.
        context.clip = shown.adjusted(0, 0.5, 0, -0.5);
        card.documentLayout()->draw(&painter, context);
        painter.restore();
    }
}

bool RaceCardPrinter::finish()
{
    return painter.isActive() && painter.end();
}

bool isPdfFileName(const QString &path)
{
    return path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

QString writeRaceCardsPdf(const QString &path, const vellicor::Session &session)
{
    // Made in memory, then written as every saved file is: whole, or not at all.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageLayout(RaceCardPrinter::defaultPageLayout());
        writer.setCreator(QStringLiteral("Vellicor"));
        RaceCardPrinter cards(writer);
        for (std::size_t index = 0; index < session.size(); ++index)
            cards.print(session.at(index).race);
        cards.finish();
    }
    const QByteArray &bytes = pdf.data();
    return writeWholeFile(path, [&bytes](const PieceWriter &write) {
        write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    });
}

void printCurrentRace(QWidget &parent, const vellicor::Session &session)
{
    if (session.isEmpty())
        return;
    QPrinter printer;
    // A printer's own paper, else (with no printer but a PDF file) the paper a saved PDF has.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setPageLayout(RaceCardPrinter::defaultPageLayout());
    const qreal margin = RaceCardPrinter::marginMillimetres;
    printer.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
    QPrintDialog dialog(&printer, &parent);
    dialog.setObjectName(QStringLiteral("printRaceDialog"));
    dialog.setWindowTitle(QPrintDialog::tr("Print Race"));
    // One card is printed whole: there are no pages to choose from.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    parent.activateWindow(); // where no window manager hands the focus back
    if (!accepted)
        return;
    RaceCardPrinter cards(printer);
    cards.print(session.current().race);
    if (cards.finish())
        return;
    const QString where = printer.outputFileName().isEmpty()
                              ? printer.printerName()
                              : QDir::toNativeSeparators(printer.outputFileName());
    QMessageBox::warning(&parent, parent.windowTitle(),
                         QPrintDialog::tr("The race could not be printed to %1: the printer or "
                                          "the file could not be opened.\n\nNothing of the "
                                          "session is lost: choose Print Race again to try "
                                          "another.")
                             .arg(where));
    parent.activateWindow();
}
