#include "app/FileChoosers.h"

#include "app/RaceCardPrinter.h"
#include "app/SessionFiles.h"
#include "session/SessionTables.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>

#include <optional>

namespace {

// `name` with the extension of another format: the longest it ends in, and what Qt's own chooser
// leaves of a two-part one when the file type changes (it swaps the last part only, so that
// "races.foundry.json" would become "races.foundry.md" and "races.md" the JSON "races.json").
// A name without a format's extension stays as typed.
QString withExtension(QString name, const QString &extension)
{
    const std::optional<vellicor::OutputFormat> format =
        vellicor::formatForFileName(name.toStdString());
    if (!format)
        return name;
    name.chop(static_cast<qsizetype>(vellicor::fileFormats[int(*format)].extension.size()) + 1);
    for (const vellicor::FileFormat &each : vellicor::fileFormats) {
        const QString parts = QString::fromLatin1(each.extension);
        const qsizetype last = parts.lastIndexOf(QLatin1Char('.'));
        if (last > 0 && name.endsWith(QLatin1Char('.') + parts.left(last), Qt::CaseInsensitive))
            name.chop(last + 1);
    }
    return name + QLatin1Char('.') + extension;
}

} // namespace

QString chooseFileToSave(QWidget &parent, const QString &lastSaved)
{
    QString suggested = lastSaved;
    if (suggested.isEmpty()) {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir(folder).exists())
            folder = QDir::homePath();
        suggested = QDir(folder).filePath(
            QStringLiteral("vellicor-races-%1.md").arg(QDate::currentDate().toString(Qt::ISODate)));
    }

    QFileDialog chooser(&parent, QFileDialog::tr("Save Races"));
    chooser.setObjectName(QStringLiteral("saveRacesDialog"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    // By OutputFormat: "Text (*.txt)" and so on.
    QStringList filters;
    QStringList suffixes;
    for (const vellicor::FileFormat &each : vellicor::fileFormats) {
        suffixes << QString::fromLatin1(each.extension);
        filters << QFileDialog::tr("%1 (*.%2)")
                       .arg(QString::fromLatin1(each.label), suffixes.constLast());
    }
    // Then the race cards, which only the dialog writes.
    suffixes << QStringLiteral("pdf");
    filters << QFileDialog::tr("PDF (*.pdf)");
    chooser.setNameFilters(filters);
    // A name typed without an extension gets the one of the chosen file type; a name with the
    // extension of a format takes the chosen one's instead.
    QObject::connect(
        &chooser, &QFileDialog::filterSelected, &chooser,
        [&chooser, filters, suffixes](const QString &filter) {
            const QString suffix = suffixes.value(filters.indexOf(filter), suffixes[0]);
            chooser.setDefaultSuffix(suffix);
            if (auto *name = chooser.findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(withExtension(name->text(), suffix));
        });
    // The last file's format, but its extension in lower case: after "races.Json", a name typed
    // as "plain" is saved as "plain.json".
    const int format = isPdfFileName(suggested)
                           ? static_cast<int>(filters.size() - 1)
                           : static_cast<int>(vellicor::formatForFileName(suggested.toStdString())
                                                  .value_or(vellicor::OutputFormat::Markdown));
    chooser.selectNameFilter(filters.value(format));
    chooser.setDefaultSuffix(suffixes.value(format));
    chooser.selectFile(suggested);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return {};
    return chooser.selectedFiles().constFirst();
}

QString chooseSessionToOpen(QWidget &parent)
{
    QString folder = SessionAutosave::sessionFolder();
    if (!QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog chooser(&parent, QFileDialog::tr("Open Session"), folder);
    chooser.setObjectName(QStringLiteral("openSessionDialog"));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setNameFilters(
        {QFileDialog::tr("Sessions (*.json)"), QFileDialog::tr("All files (*)")});
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return {};
    return chooser.selectedFiles().constFirst();
}
