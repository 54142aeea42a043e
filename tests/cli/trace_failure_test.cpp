#include "cli/run.h"

#include "generation/Dice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <streambuf>
#include <string>

namespace vellicor {
namespace {

// A standard error that fails every write, as /dev/full does.
class RefusingDevice : public std::streambuf
{
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char *, std::streamsize) override { return 0; }
};

// `vellicor-cli --trace 2>/dev/full`: the trace is lost, so the run fails, and it stops rolling
// rather than roll a million races for nobody.
TEST(CliTrace, UnwritableTraceFailsWithStatusOne)
{
    RefusingDevice device;
    std::ostream err(&device);
    std::ostringstream out;
    std::size_t draws = 0;
    setFaceSource([&](std::int32_t sides) {
        ++draws;
        return std::rand() % sides + 1;
    });
    const char *argv[] = {"vellicor-cli", "--trace", "--count", "1000000"};
    const int status = runCli(4, argv, out, err);
    setFaceSource(nullptr);

    EXPECT_EQ(status, 1);
    EXPECT_LT(draws, 1000u);
}

// Without --trace nothing is written to standard error, so a closed one (`2>&-`) changes
// nothing.
TEST(CliTrace, ClosedStandardErrorWithoutTraceIsNoFailure)
{
    RefusingDevice device;
    std::ostream err(&device);
    err.setstate(std::ios::badbit);
    std::ostringstream out;
    const char *argv[] = {"vellicor-cli", "--seed", "1", "--count", "2"};
    EXPECT_EQ(runCli(5, argv, out, err), 0);
    EXPECT_NE(out.str().find("Race 2:"), std::string::npos);
}

} // namespace
} // namespace vellicor
