// zvx7246labTool: the bench program for the ZVX 7246 evaluation board.

#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "app/LabApp.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    const zvx::AppOptions options = zvx::parseAppOptions(argc, argv);
    if (options.help) {
        std::printf("usage: zvx7246labTool [options] [setup-file.zvx]\n%s", zvx::appOptionsHelp());
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

    zvx::ProgramPort port = zvx::openProgramPort(options);
    if (!port.error.empty()) {
        std::fprintf(stderr, "zvx7246labTool: %s\n", port.error.c_str());
        return 2;
    }
    std::fprintf(stderr, "%s\n", port.status.c_str());

    zvx::LabOptions labOptions;
    labOptions.port = std::move(port.port);
    labOptions.portStatus = QString::fromStdString(port.status);
    labOptions.commandLine = QString::fromStdString(options.commandLine);
    if (options.renderer)
        labOptions.rendererPath = QString::fromLocal8Bit(options.renderer->c_str());
    zvx::LabApp app(std::move(labOptions));
    QObject::connect(&app, &zvx::LabApp::exitRequested, &qapp, &QCoreApplication::quit, Qt::QueuedConnection);
    if (!app.Main())
        return 0;
    return qapp.exec();
}
