// vellicor-cli's argument handling with fuzzer-chosen argument lists. The first byte of the input
// sets the output: below 128 it takes everything, from 128 on it fails like a full disk after
// (byte - 128) * 64 bytes. The rest is the arguments, separated by NUL, so an argument can hold
// any other byte. Every run must end in one of:
// - status 0, with output holding the races asked for (JSON that parses into that many races,
//   or text and Markdown with that many headings, each after an empty line), or the help or the
//   version;
// - status 1, only when the output failed, with the message on the last line of standard error;
// - status 2, with a one-line message that points to --help, and no output.

#include "cli/run.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace {

void fail(const char *what, const std::string &out, const std::string &err)
{
    std::fprintf(stderr, "cli fuzz: %s\nstandard output began: %.300s\nstandard error was: %s\n",
                 what, out.c_str(), err.c_str());
    std::abort();
}

// Keeps what is written, up to `room` characters; then fails like a full disk.
class Device : public std::streambuf
{
public:
    explicit Device(std::size_t room) : room(room) {}
    std::string written;
    bool refused = false;

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        if (written.size() == room) {
            refused = true;
            return traits_type::eof();
        }
        written += traits_type::to_char_type(c);
        return c;
    }

private:
    std::size_t room;
};

// Rolling up to a million races, or skipping up to 2^31 dice, is correct but slow; inputs that
// might ask for many are passed over so the fuzzer spends its time on parsing.
bool mayRollMany(const std::vector<std::string> &arguments)
{
    bool mentionsCount = false;
    bool hasLongNumber = false;
    for (const std::string &argument : arguments) {
        mentionsCount = mentionsCount || argument.find("count") != std::string::npos ||
                        argument.find("dice") != std::string::npos;
        std::size_t digits = 0;
        for (const char c : argument) {
            digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
            hasLongNumber = hasLongNumber || digits >= 3;
        }
    }
    return mentionsCount && hasLongNumber;
}

// What a command line that was accepted asks for, read here independently of the tool: the last
// --count and --format count, and the help or the version replace the races.
struct Asked {
    bool helpOrVersion = false;
    long count = 1;
    std::string format = "text";
};

Asked askedFor(const std::vector<std::string> &arguments)
{
    Asked asked;
    // --help, -h or --version anywhere before "--" wins, even where it stands as an option's
    // value: no option takes one of these as a valid value.
    for (std::size_t i = 1; i < arguments.size() && arguments[i] != "--"; ++i) {
        if (arguments[i] == "--help" || arguments[i] == "-h" || arguments[i] == "--version")
            asked.helpOrVersion = true;
    }
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        // CLI11 reads "-help" as -h followed by more short options, and "--version=" as --version.
        const bool shortOptions = argument.starts_with('-') && !argument.starts_with("--");
        if (name == "--help" || name == "--version" ||
            (shortOptions && argument.find('h') != std::string::npos))
            asked.helpOrVersion = true;
        if (name != "--count" && name != "--format" && name != "--location" &&
            name != "--lightyears" && name != "--seed" && name != "--dice")
            continue;
        // "--count=" with nothing after the sign takes the next argument, as "--count" does.
        std::string value;
        if (equals != std::string::npos && equals + 1 < argument.size())
            value = argument.substr(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        if (name == "--count") {
            const std::string_view digits = std::string_view(value).substr(value.starts_with('+'));
            std::from_chars(digits.data(), digits.data() + digits.size(), asked.count);
        } else if (name == "--format") {
            std::ranges::transform(value, value.begin(), [](unsigned char c) {
                return static_cast<char>(std::tolower(c));
            });
            asked.format = value;
        }
    }
    return asked;
}

void checkRaces(const Asked &asked, const std::string &out, const std::string &err)
{
    if (asked.format == "json") {
        const nlohmann::json races = nlohmann::json::parse(out, nullptr, false);
        if (races.is_discarded() || !races.is_array())
            fail("the JSON does not parse into an array", out, err);
        if (races.size() != static_cast<std::size_t>(asked.count))
            fail("the JSON does not hold the races asked for", out, err);
        for (std::size_t i = 0; i < races.size(); ++i) {
            if (!races[i].is_object() || races[i].value("race", 0L) != static_cast<long>(i + 1))
                fail("a JSON race is not numbered in order", out, err);
        }
        return;
    }
    if (asked.format == "foundry") {
        const nlohmann::json journal = nlohmann::json::parse(out, nullptr, false);
        if (journal.is_discarded() || !journal.is_object() ||
            journal.value("pages", nlohmann::json::array()).size() !=
                static_cast<std::size_t>(asked.count))
            fail("the journal does not hold a page for each race asked for", out, err);
        return;
    }
    const std::string_view heading = asked.format == "markdown" ? "## Race " : "Race ";
    long headings = 0;
    bool afterEmptyLine = false;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line); afterEmptyLine = line.empty()) {
        if (!line.starts_with(heading))
            continue;
        ++headings;
        if (headings > 1 && !afterEmptyLine)
            fail("a race does not start after an empty line", out, err);
    }
    if (headings != asked.count)
        fail("the output does not hold the races asked for", out, err);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return -1;
    const std::size_t room = data[0] < 128 ? std::string::npos : (data[0] - 128u) * 64u;
    std::vector<std::string> arguments{"vellicor-cli"};
    if (size > 1) {
        const std::string_view rest(reinterpret_cast<const char *>(data + 1), size - 1);
        std::size_t start = 0;
        for (std::size_t end; (end = rest.find('\0', start)) != std::string_view::npos;
             start = end + 1)
            arguments.emplace_back(rest.substr(start, end - start));
        arguments.emplace_back(rest.substr(start));
    }
    if (mayRollMany(arguments))
        return -1; // not added to the corpus
    // --from reads whatever file it names, /dev/stdin too; the reader has a target of its own,
    // reader_fuzz, and this one leaves the file system alone.
    if (std::any_of(arguments.begin(), arguments.end(), [](const std::string &argument) {
            return argument == "--from" || argument.starts_with("--from=");
        }))
        return -1;

    std::vector<const char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    Device device(room);
    std::ostream out(&device);
    std::ostringstream err;
    const int status = vellicor::runCli(static_cast<int>(arguments.size()), argv.data(), out, err);

    const std::string &written = device.written;
    const std::string errText = err.str();
    if (status == 0) {
        if (device.refused)
            fail("exit 0 although the output failed", written, errText);
        const Asked asked = askedFor(arguments);
        if (asked.helpOrVersion) {
            if (written.empty())
                fail("exit 0 without output", written, errText);
        } else {
            checkRaces(asked, written, errText);
        }
    } else if (status == 1) {
        const std::string_view message = errText;
        const std::size_t lastLine = message.rfind('\n', message.size() - 2);
        if (!device.refused || !message.ends_with('\n') ||
            message.find("could not write", lastLine == std::string_view::npos ? 0 : lastLine) ==
                std::string_view::npos)
            fail("exit 1 without a failed output and its message", written, errText);
    } else if (status == 2) {
        if (!written.empty())
            fail("exit 2 with output", written, errText);
        const std::string_view message = errText;
        if (message.empty() || !message.ends_with('\n') ||
            message.find('\n') != message.size() - 1 ||
            message.find("--help") == std::string_view::npos)
            fail("exit 2 without a one-line message pointing to --help", written, errText);
    } else {
        fail("exit status other than 0, 1 or 2", written, errText);
    }
    return 0;
}
