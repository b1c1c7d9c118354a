// larkspan-pack: builds, inspects and unpacks template packages.
#include <iostream>
#include <string>
#include <vector>

#include "pack/command_line.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    return pack::RunCommandLine(args, std::cout, std::cerr);
}
