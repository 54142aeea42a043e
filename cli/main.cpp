#include "cli/run.h"

#include <iostream>

int main(int argc, char *argv[])
{
    return vellicor::runCli(argc, argv, std::cout, std::cerr);
}
