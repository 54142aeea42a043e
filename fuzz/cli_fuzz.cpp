// vellicor-cli's argument handling with fuzzer-chosen argument lists (one argument per line of
// the input). Every list must end in exit status 0 with output, or exit status 2 with a one-line
// message that points to --help and no output; nothing else.

#include "cli/run.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

void fail(const char *what, const std::string &err)
{
    std::fprintf(stderr, "cli fuzz: %s\nstandard error was: %s\n", what, err.c_str());
    std::abort();
}

// Rolling up to a million races is correct but slow; inputs that might ask for many are
// passed over so the fuzzer spends its time on parsing.
bool mayRollMany(const std::vector<std::string> &arguments)
{
    bool mentionsCount = false;
    bool hasLongNumber = false;
    for (const std::string &argument : arguments) {
        mentionsCount = mentionsCount || argument.find("count") != std::string::npos;
        std::size_t digits = 0;
        for (const char c : argument) {
            digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
            hasLongNumber = hasLongNumber || digits >= 3;
        }
    }
    return mentionsCount && hasLongNumber;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::string> arguments{"vellicor-cli"};
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            arguments.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (size > 0)
        arguments.push_back(current);
    if (mayRollMany(arguments))
        return -1; // not added to the corpus

    std::vector<const char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    std::ostringstream out;
    std::ostringstream err;
    const int status = vellicor::runCli(static_cast<int>(arguments.size()), argv.data(), out, err);

    const std::string errText = err.str();
    if (status == 0) {
        if (out.str().empty())
            fail("exit 0 without output", errText);
    } else if (status == 2) {
        if (!out.str().empty())
            fail("exit 2 with output", errText);
        const std::string_view message = errText;
        if (message.empty() || !message.ends_with('\n') ||
            message.find('\n') != message.size() - 1 ||
            message.find("--help") == std::string_view::npos)
            fail("exit 2 without a one-line message pointing to --help", errText);
    } else {
        fail("exit status other than 0 or 2", errText);
    }
    return 0;
}
