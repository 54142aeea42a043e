#include "app/CommandLine.h"

#include "generation/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <array>
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

// Qt's own options as QGuiApplication and QApplication document them, with one dash or two, and
// whether the next argument is their value. -style and -stylesheet also take it after '=', as
// -qmljsdebugger always does.
struct QtOption {
    std::string_view name;
    bool takesValue;
};
constexpr std::array<QtOption, 14> qtOptions{{{"platform", true},
                                              {"platformpluginpath", true},
                                              {"platformtheme", true},
                                              {"plugin", true},
                                              {"qwindowgeometry", true},
                                              {"qwindowicon", true},
                                              {"qwindowtitle", true},
                                              {"reverse", false},
                                              {"session", true},
                                              {"display", true},
                                              {"geometry", true},
                                              {"style", true},
                                              {"stylesheet", true},
                                              {"widgetcount", false}}};
constexpr std::array<std::string_view, 3> qtOptionsWithEquals{
    "style=", "stylesheet=", "qmljsdebugger="};

// How many arguments a Qt option at `argument` takes: itself and perhaps its value; 0 where it
// is none of Qt's.
int qtArgumentsAt(std::string_view argument)
{
    if (argument.size() < 2 || argument[0] != '-')
        return 0;
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    for (const QtOption &option : qtOptions) {
        if (argument == option.name)
            return option.takesValue ? 2 : 1;
    }
    for (const std::string_view prefix : qtOptionsWithEquals) {
        if (argument.starts_with(prefix))
            return 1;
    }
    return 0;
}

// The arguments (the program's name first) without Qt's options and their values. Qt takes
// them wherever they stand, after "--" too.
QStringList withoutQtOptions(int argc, char **argv)
{
    QStringList rest;
    for (int index = 0; index < argc && argv[index];) {
        const int taken = index > 0 ? qtArgumentsAt(argv[index]) : 0;
        if (taken == 0)
            rest << QString::fromLocal8Bit(argv[index++]);
        index += taken;
    }
    return rest;
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

std::optional<int> refuseUnknownArguments(int argc, char **argv)
{
    return refuseUnknownArguments(withoutQtOptions(argc, argv));
}
