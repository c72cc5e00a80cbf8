#include "cli/Cli.h"

#include <iostream>

int main(int argc, char** argv)
{
    cinevaro::cli::Args args(argv + 1, argv + argc);
    return cinevaro::cli::run(args, std::cout, std::cerr);
}
