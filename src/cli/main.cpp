#include <unistd.h>

#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    using namespace orvale::cli;
    return run(std::vector<std::string>(argv + 1, argv + argc),
               Terminal{std::cin, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1});
}
