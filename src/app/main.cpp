// zvx7246labTool: the bench program for the ZVX 7246 evaluation board.

#include "app/AppOptions.h"
#include "app/LabStart.h"
#include "app/StopSignals.h"
#include "transport/BusCapture.h"

#include <QApplication>
#include <QStatusBar>
#include <cstdio>
#include <iostream>

int main(int argc, char** argv)
{
    // --help and --version are answered before the window system is touched:
    // they work over SSH and in a build without a display.
    if (const zvx::AppOptions early = zvx::parseAppOptions(argc, argv); early.help || early.version) {
        if (early.help)
            std::printf("Usage: zvx7246labTool [options] [setup-file.zvx]\nOptions:\n%s", zvx::appOptionsHelp());
        else
            std::printf("zvx7246labTool %s\n", ZVX_VERSION_STRING);
        return 0;
    }
    QApplication qapp(argc, argv);
    const zvx::AppOptions options = zvx::parseAppOptions(argc, argv);
    for (const std::string& e : options.errors)
        std::fprintf(stderr, "zvx7246labTool: %s\n", e.c_str());
    if (!options.errors.empty())
        return 2;

    zvx::StopSignals stop;  // TERM, INT, HUP: the program ends as File > Exit ends it
    zvx::LabStartEnvironment env(std::cerr);
    env.quitOnExit = true;
    env.stopSignals = &stop;
    zvx::LabStart started = zvx::startLabTool(options, env);
    if (!started.app)
        return started.exitCode;
    const int status = qapp.exec();
    if (started.capture) {
        started.capture->flush();
        started.capture->onFailure = nullptr;
    }
    return status;
}
