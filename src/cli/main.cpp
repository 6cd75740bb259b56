#include <unistd.h>

#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    using namespace orvale::cli;
    StreamLineReader in(std::cin);
    return run(std::vector<std::string>(argv + 1, argv + argc),
               Terminal{in, std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1});
}
