// zvx7246ctl: bus and device commands for bench scripts.

#include "app/StopSignals.h"
#include "cli/Ctl.h"
#include "cli/CtlScript.h"

#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    // A stop signal ends the run after the command under way, and the wait
    // for the next script line at once.
    zvx::StopSignals stop;
    zvx::StopAwareInput input(STDIN_FILENO, stop.wakeFd());
    zvx::FdOutput output(STDOUT_FILENO);
    std::istream in(&input);
    std::ostream out(&output);
    zvx::CtlEnvironment env{in, out, std::cerr, {}};
    env.stopSignal = [&stop] { return stop.received(); };
    env.stopWakeFd = stop.wakeFd();
    env.inFd = STDIN_FILENO;
    const int status = zvx::runCtl(args, env);
    out.flush();
    return status;
}
