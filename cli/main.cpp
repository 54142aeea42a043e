#include "cli/run.h"

#include <csignal>
#include <iostream>

int main(int argc, char *argv[])
{
    // As other filters do, the tool ends at once and quietly when the reader of its output goes
    // away (`vellicor-cli --count 1000000 | head -n 3`): the system ends it with SIGPIPE. A parent
    // that ignores SIGPIPE would leave it ignored here, and turn that into a failed write
    // (status 1 with a message) instead, so the default is set whatever the parent chose.
    std::signal(SIGPIPE, SIG_DFL);
    // Under a limit on file sizes (ulimit -f) a write past it would end the tool with SIGXFSZ,
    // leaving a cut file and no word why. Ignored, the write fails instead, and that is reported
    // as a full disk is.
    std::signal(SIGXFSZ, SIG_IGN);
    return vellicor::runCli(argc, argv, std::cout, std::cerr);
}
