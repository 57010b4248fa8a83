#include "cli/CliApp.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    const bool interactive = isatty(STDIN_FILENO) != 0 && isatty(STDERR_FILENO) != 0;
    return tidecast::cli::runCli(argc, argv, std::cin, std::cout, std::cerr, interactive);
}
