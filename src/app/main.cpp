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
    QApplication qapp(argc, argv);
    const zvx::AppOptions options = zvx::parseAppOptions(argc, argv);
    if (options.help) {
        std::printf("Usage: zvx7246labTool [options] [setup-file.zvx]\nOptions:\n%s", zvx::appOptionsHelp());
        return 0;
    }
    if (options.version) {
        std::printf("zvx7246labTool %s\n", ZVX_VERSION_STRING);
        return 0;
    }
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
