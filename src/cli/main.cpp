// zvx7246ctl: bus and device commands for bench scripts.

#include "cli/Ctl.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    zvx::CtlEnvironment env{std::cin, std::cout, std::cerr, {}};
    return zvx::runCtl(args, env);
}
