#pragma once

#include <iosfwd>

namespace vellicor {

// The whole vellicor-cli program: reads the arguments (argv[0] is the program's name and is not
// read), seeds the dice once and writes the races to `out`. Trace lines go to `err` with --trace
// and nowhere without it; faces come from the installed face source (the dice's own random source
// by default). Returns the exit status: 0 on success, 1 when writing `out` failed, 2 for bad input,
// which also gets a one-line message on `err` and leaves `out` untouched.
// Never throws and leaves the trace sink at its default on every return, so it can be called any
// number of times in one process.
int runCli(int argc, const char *const *argv, std::ostream &out, std::ostream &err);

} // namespace vellicor
