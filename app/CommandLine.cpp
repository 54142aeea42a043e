#include "app/CommandLine.h"

#include "generation/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view programName = "vellicor";

const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Print this help and exit."));
const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("Print the version and exit."));

void defineOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Opens a dialog that rolls random alien and xeno-human races, each "
                       "described in ten categories.\nQt's own options, such as -platform NAME, "
                       "-style NAME and -reverse, are taken too."));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
}

// Prints `text` to standard output; 0 when it was written, else 1 with a message.
int printed(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "%s: could not write the output (disk full or pipe closed?)\n",
                 programName.data());
    return 1;
}

} // namespace

std::optional<int> answerInfoRequest(int argc, char **argv)
{
    bool help = false;
    bool version = false;
    for (int index = 1; index < argc && argv[index]; ++index) {
        const std::string_view argument = argv[index];
        if (argument == "--")
            break;
        // The first of them counts, as in vellicor-cli.
        if (!help && !version) {
            help = argument == "-h" || argument == "--help";
            version = argument == "-v" || argument == "--version";
        }
    }
    if (help) {
        // The usage names the program as it was called; no QApplication, so no display.
        QCoreApplication core(argc, argv);
        QCommandLineParser parser;
        defineOptions(parser);
        return printed(parser.helpText().toLocal8Bit());
    }
    if (version)
        return printed(QByteArray(programName.data(), programName.size()) + ' ' + VELLICOR_VERSION +
                       '\n');
    return std::nullopt;
}

std::optional<int> refuseUnknownArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    defineOptions(parser);
    QString problem;
    if (!parser.parse(arguments))
        problem = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        problem = QStringLiteral("Unexpected argument '%1'.")
                      .arg(parser.positionalArguments().constFirst());
    if (problem.isEmpty())
        return std::nullopt;
    problem.replace(QLatin1Char('\n'), QLatin1Char(' ')); // one line, whatever was typed
    std::fprintf(stderr, "%s: %s Run '%s --help' for usage.\n", programName.data(),
                 problem.toLocal8Bit().constData(), programName.data());
    return 2;
}
