#include "cli/run.h"

#include "formats/RaceFormat.h"
#include "formats/RaceReader.h"
#include "generation/Dice.h"
#include "generation/Version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vellicor {

namespace {

constexpr std::string_view programName = "vellicor-cli";
constexpr std::string_view helpHint = "Run 'vellicor-cli --help' for usage.";
constexpr std::int64_t maxCount = 1'000'000;
constexpr int exitWriteFailed = 1;
constexpr int exitReadFailed = 1;
constexpr int exitBadInput = 2;
// Long enough for any sensible value; a longer one is cut so the message stays readable.
constexpr std::size_t longestQuotedValue = 40;
constexpr std::size_t outputChunk = 64 * 1024;

constexpr std::int64_t int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();

struct Options {
    std::int32_t location = InnerProvince;
    std::int32_t lightyears = 0;
    std::int32_t count = 1;
    std::int32_t seed = 0;
    std::int64_t dice = 0;
    std::int32_t format = static_cast<std::int32_t>(OutputFormat::Text);
    bool trace = false;
    std::string from; // a JSON file whose races are written instead of rolled ones
};

// What rolls races; none of it goes with --from.
constexpr std::array<std::string_view, 5> rollingOptions{"--seed", "--count", "--location",
                                                         "--lightyears", "--dice"};

std::string quotedValue(std::string_view value)
{
    if (value.size() <= longestQuotedValue)
        return '"' + std::string(value) + '"';
    return '"' + std::string(value.substr(0, longestQuotedValue)) + "...\"";
}

// Messages go to a terminal as one line each, whatever bytes the arguments held.
void report(std::ostream &err, std::string_view message) noexcept
{
    try {
        std::string line(programName);
        line += ": ";
        line += message;
        std::ranges::replace_if(
            line, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, '?');
        line += '\n';
        err << line << std::flush;
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

int reportBadInput(std::ostream &err, std::string_view message)
{
    report(err, std::string(message) + ". " + std::string(helpHint));
    return exitBadInput;
}

// CLI11 reads integers with strtoll in base 0, so "010" would be octal 8 and "0x5" or " 5" would
// pass. This check takes decimal whole numbers only and hands CLI11 their plain spelling.
CLI::Validator wholeNumber(std::int64_t min, std::int64_t max)
{
    auto check = [min, max](std::string &value) -> std::string {
        std::string_view digits = value;
        if (digits.starts_with('+'))
            digits.remove_prefix(1);
        const bool twoSigns =
            digits.size() < value.size() && (digits.starts_with('-') || digits.starts_with('+'));
        const char *last = digits.data() + digits.size();
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(digits.data(), last, number);
        if (twoSigns || error == std::errc::invalid_argument || end != last)
            return quotedValue(value) + " is not a whole number";
        if (error == std::errc::result_out_of_range || number < min || number > max)
            return quotedValue(value) + " is out of range (" + std::to_string(min) + " to " +
                   std::to_string(max) + ")";
        value = std::to_string(number);
        return {};
    };
    return {check, "", "whole number"};
}

// "a, b or c"
std::string listed(const std::vector<std::string> &items)
{
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i)
        list += (i == 0 ? "" : i + 1 == items.size() ? " or " : ", ") + items[i];
    return list;
}

// One of `names`, in any case; with `numbersToo` also its position. CLI11 receives the position.
CLI::Validator choice(std::span<const std::string_view> names, bool numbersToo,
                      std::string_view what)
{
    std::vector<std::string> words(names.begin(), names.end());
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < names.size(); ++i)
        numbers.push_back(std::to_string(i));
    const std::string accepted = listed(words) + (numbersToo ? "; or " + listed(numbers) : "");
    auto check = [names, numbersToo, what = std::string(what), accepted](std::string &value) {
        std::string lower = value;
        std::ranges::transform(lower, lower.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (lower == names[i] || (numbersToo && value == std::to_string(i))) {
                value = std::to_string(i);
                return std::string();
            }
        }
        return quotedValue(value) + " is not a " + what + " (" + accepted + ")";
    };
    return {check, "", std::string(what)};
}

void defineOptions(CLI::App &app, Options &options)
{
    // A later option overrides an earlier one, so a shell alias can carry defaults.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.get_formatter()->column_width(28);
    app.set_version_flag("--version", VELLICOR_VERSION, "Print the version and exit");

    app.add_option("--location", options.location,
                   "inner, frontier or backnet, in any case; or 0, 1, 2")
        ->type_name("WHERE")
        ->default_str("inner")
        ->transform(choice(locationNames, true, "location"));
    app.add_option("--lightyears", options.lightyears, "Light years from Sol; 50 is neutral")
        ->type_name("N")
        ->default_str("0")
        ->transform(wholeNumber(int32Min, int32Max));
    app.add_option("--count", options.count, "Races to roll, 1 to 1000000")
        ->type_name("N")
        ->default_str("1")
        ->transform(wholeNumber(1, maxCount));
    app.add_option("--seed", options.seed, "Seed for the dice; default: the clock's seconds")
        ->type_name("S")
        ->transform(wholeNumber(int32Min, int32Max));
    app.add_option("--dice", options.dice, "Dice to skip after seeding, as in a heading")
        ->type_name("K")
        ->default_str("0")
        ->transform(wholeNumber(0, mostDice));
    app.add_option("--format", options.format, "text, markdown, json or foundry")
        ->type_name("FORMAT")
        ->default_str("text")
        ->transform(choice(formatNames, false, "format"));
    app.add_flag("--trace", options.trace, "Write every die roll to standard error");
    app.add_option("--from", options.from, "Write the races of a JSON file; - is standard input")
        ->type_name("FILE");
    app.footer("The same options and seed always give the same races. Examples:\n"
               "  vellicor-cli --location backnet --lightyears 120\n"
               "  vellicor-cli --seed 1796831244 --dice 412 --location backnet --lightyears 120\n"
               "  vellicor-cli --seed 1700000000 --count 3 --format markdown >> notes.md\n"
               "  vellicor-cli --count 100 --format json > races.json\n"
               "  vellicor-cli --from session.json --format markdown > evening.md\n"
               "  vellicor-cli --from session.json --format foundry > evening.foundry.json\n"
               "  gzip -dc old.json.gz | vellicor-cli --from - --format markdown > old.md");
}

// CLI11 wants the arguments without the program's name, last one first.
std::vector<std::string> argumentsInReverse(int argc, const char *const *argv)
{
    std::vector<std::string> arguments;
    if (argv == nullptr)
        return arguments;
    for (int i = argc - 1; i >= 1; --i) {
        if (argv[i] != nullptr)
            arguments.emplace_back(argv[i]);
    }
    return arguments;
}

// As with GNU tools, --help or --version anywhere before "--" wins over every other problem with
// the command line; the first of them counts.
enum class InfoRequest { None, Help, Version };

InfoRequest infoRequested(const std::vector<std::string> &argumentsInReverse)
{
    for (auto argument = argumentsInReverse.rbegin(); argument != argumentsInReverse.rend();
         ++argument) {
        if (*argument == "--")
            break;
        if (*argument == "--help" || *argument == "-h")
            return InfoRequest::Help;
        if (*argument == "--version")
            return InfoRequest::Version;
    }
    return InfoRequest::None;
}

std::string describeParseError(const CLI::ParseError &error)
{
    const std::string_view message = error.what();
    // "--count: 1 required N missing" is what CLI11 says when an option ends the command line.
    const std::size_t colon = message.find(": ");
    if (dynamic_cast<const CLI::ArgumentMismatch *>(&error) && message.starts_with('-') &&
        message.ends_with(" missing") && colon != std::string_view::npos)
        return std::string(message.substr(0, colon)) + ": a value is missing";
    return std::string(message);
}

std::string describeExtraArgument(std::string_view argument)
{
    if (argument.size() > 1 && argument.starts_with('-') && argument != "--")
        return "unknown option " + quotedValue(argument);
    return "unexpected argument " + quotedValue(argument) + " (every value follows its option)";
}

// The flags take no value, and -h stands alone. CLI11 would read "--trace=off" as a value for
// the flag (and turn the trace on), and take "--help=1", "-hh" or "-hx" for a call for help that
// it leaves to its caller, with a message meant for programmers. Returns what is wrong, if any.
std::optional<std::string> misspeltFlag(const std::vector<std::string> &argumentsInReverse)
{
    for (auto argument = argumentsInReverse.rbegin(); argument != argumentsInReverse.rend();
         ++argument) {
        if (*argument == "--")
            break;
        for (const std::string_view flag : {"--trace", "--help", "--version", "-h"}) {
            if (argument->starts_with(std::string(flag) + '='))
                return std::string(flag) + " takes no value: " + quotedValue(*argument);
        }
        if (argument->starts_with("-h") && *argument != "-h")
            return describeExtraArgument(*argument);
    }
    return std::nullopt;
}

int finishOutput(std::ostream &out, std::ostream &err)
{
    out.flush();
    if (out)
        return 0;
    report(err, "could not write the output (disk full or pipe closed?)");
    return exitWriteFailed;
}

int rollRaces(const Options &options, std::ostream &out, std::ostream &err)
{
    if (options.trace) {
        setTraceSink([&err](std::string_view line) {
            err.write(line.data(), static_cast<std::streamsize>(line.size()));
        });
    } else {
        setTraceSink(nullptr);
    }

    RolledRace race;
    race.seed = options.seed;
    race.location = static_cast<Location>(options.location);
    race.lightyears = options.lightyears;
    race.profile.randomSeed = options.seed;
    RaceWriter writer(static_cast<OutputFormat>(options.format));

    // Seeded once, like the dialog: race n is what its n-th New would show. Skipping the faces
    // that earlier races drew starts at any race of any session.
    seedDice(options.seed);
    skipDice(options.dice);
    std::string buffer(writer.opening());
    // A trace that cannot be written ends the run as a full output does.
    const auto traceWritable = [&] { return !options.trace || err; };
    bool pastHeadings = false;
    for (std::int32_t number = 1; number <= options.count && out && traceWritable(); ++number) {
        // A race that no heading could name again is not rolled.
        if ((pastHeadings = diceDrawn() > mostDice)) {
            report(err, "race " + std::to_string(number) + " would begin after more than " +
                            std::to_string(mostDice) +
                            " dice, which no heading names; the races before it are written");
            break;
        }
        race.number = number;
        race.roll();
        writer.append(buffer, race);
        // Large writes skip a copy into the stream's own buffer. With the trace on, each race
        // goes out at once, so in a terminal it follows its own trace lines.
        if (buffer.size() >= outputChunk || options.trace || number == options.count) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            out.flush();
            buffer.clear();
        }
    }
    if (!buffer.empty())
        out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    out << writer.closing();
    const int status = pastHeadings ? exitWriteFailed : finishOutput(out, err);
    // Standard error itself failed, so there is nowhere left to say so; the status tells.
    if (status == 0 && options.trace && !err.flush())
        return exitWriteFailed;
    return status;
}

// The bytes of `path`, or the system's reason why they could not be read. Of a file larger than
// a race file may be, only one piece more than that is read: enough for the reader to refuse it.
struct FileBytes {
    std::string bytes;
    std::string failure;
    bool tooLarge = false;
};

// "-" is standard input, as for other filters.
FileBytes readFile(const std::string &path)
{
    FileBytes file;
    const bool standardInput = path == "-";
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> stream(
        standardInput ? stdin : std::fopen(path.c_str(), "rb"),
        standardInput ? +[](std::FILE *) { return 0; } : &std::fclose);
    if (!stream) {
        file.failure = std::strerror(errno);
        return file;
    }
    // A file's size is known before it is read (standard input's too, where it is a file); a
    // pipe's only as it is read.
    std::error_code unknown;
    const std::uintmax_t size =
        std::filesystem::file_size(standardInput ? "/dev/stdin" : path, unknown);
    if (!unknown && size > largestRaceFile) {
        file.tooLarge = true;
        return file;
    }
    if (!unknown)
        file.bytes.reserve(size + 1);
    constexpr std::size_t piece = 64 * 1024;
    while (file.bytes.size() <= largestRaceFile) {
        const std::size_t had = file.bytes.size();
        file.bytes.resize(had + piece);
        const std::size_t got = std::fread(file.bytes.data() + had, 1, piece, stream.get());
        file.bytes.resize(had + got);
        if (got < piece)
            break;
    }
    if (std::ferror(stream.get())) // a folder, or a disk that fails
        file.failure = std::strerror(errno);
    return file;
}

int writeRacesFrom(const Options &options, std::ostream &out, std::ostream &err)
{
    const FileBytes file = readFile(options.from);
    const std::string name = options.from == "-" ? "standard input" : options.from;
    if (!file.failure.empty()) {
        report(err, "could not read " + name + ": " + file.failure);
        return exitReadFailed;
    }
    if (file.tooLarge) {
        report(err, name + ": " + tooLargeReason());
        return exitBadInput;
    }
    const RaceFile read = readRaces(file.bytes);
    if (!read.error.empty()) {
        report(err, name + ": " + read.error);
        return exitBadInput;
    }
    RaceWriter writer(static_cast<OutputFormat>(options.format));
    std::string buffer(writer.opening());
    for (const RolledRace &race : read.races) {
        writer.append(buffer, race);
        if (buffer.size() >= outputChunk) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    buffer += writer.closing();
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    return finishOutput(out, err);
}

} // namespace

int runCli(int argc, const char *const *argv, std::ostream &out, std::ostream &err)
{
    struct TraceRestorer {
        ~TraceRestorer() { resetTraceSink(); }
    } traceRestorer;

    try {
        Options options;
        CLI::App app("Rolls random alien and xeno-human races, each described in ten categories.",
                     std::string(programName));
        defineOptions(app, options);
        app.allow_extras(); // reported below, in order and in our own words
        std::vector<std::string> arguments = argumentsInReverse(argc, argv);
        switch (infoRequested(arguments)) {
        case InfoRequest::Help:
            out << app.help();
            return finishOutput(out, err);
        case InfoRequest::Version:
            out << programName << ' ' << VELLICOR_VERSION << '\n';
            return finishOutput(out, err);
        case InfoRequest::None:
            break;
        }
        if (const std::optional<std::string> problem = misspeltFlag(arguments))
            return reportBadInput(err, *problem);
        try {
            app.parse(arguments);
        } catch (const CLI::ParseError &error) {
            return reportBadInput(err, describeParseError(error));
        }
        if (!app.remaining().empty())
            return reportBadInput(err, describeExtraArgument(app.remaining().front()));
        if (app.count("--from") > 0) {
            for (const std::string_view rolling : rollingOptions) {
                if (app.count(std::string(rolling)) > 0)
                    return reportBadInput(err, "--from writes the races of its file; it takes no " +
                                                   std::string(rolling));
            }
            return writeRacesFrom(options, out, err);
        }
        if (app.count("--seed") == 0)
            options.seed = seedFromClock(std::time(nullptr));
        return rollRaces(options, out, err);
    } catch (const std::ios_base::failure &) {
        // A stream that throws on failure: the same write failure as a stream that sets badbit.
        report(err, "could not write the output (disk full or pipe closed?)");
        return exitWriteFailed;
    } catch (const std::exception &error) {
        report(err, std::string("unexpected error: ") + error.what());
        return exitWriteFailed;
    } catch (...) {
        report(err, "unexpected error");
        return exitWriteFailed;
    }
}

} // namespace vellicor
