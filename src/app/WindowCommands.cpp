#include "app/WindowCommands.h"

#include "app/LabApp.h"

#include <iostream>

namespace zvx {

WindowCommands::WindowCommands(LabApp& app)
    : app_(app),
      server_(WindowServerHooks{
          [this](const WindowCommand& command) { return run(command); },
          [this] { return app_.busyWith(); },
          [this] { return app_.portStatusLine(); },
          [](const std::string& line) { std::cerr << "zvx7246labTool: " << line << std::endl; },
      })
{
}

WindowCommands::~WindowCommands() = default;

std::string WindowCommands::listen(const std::string& path)
{
    return server_.listen(path);
}

WindowAnswer WindowCommands::run(const WindowCommand& command)
{
    (void)command;
    return {{}, "zvx7246ctl: not yet\n", 2};
}

} // namespace zvx
