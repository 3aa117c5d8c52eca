#pragma once
// The window's side of zvx7246ctl --window: each command a script sends runs
// on the window's own bus and chip devices exactly as zvx7246ctl would run it
// (the bus monitor shows it, a capture records it), and afterwards the window
// shows what the command may have changed: the panel of each chip written,
// read back from the chip, and its lock lamps. An edit typed into a panel but
// not written stays in its box with its unwritten mark. apply also does what
// File > Open does with the file (the panels, the loop filter, the Hsync and
// the window's caption).

#include "app/WindowServer.h"
#include "device/ChipDevice.h"

#include <bitset>
#include <memory>
#include <string>

namespace zvx {

class LabApp;

class WindowCommands {
public:
    explicit WindowCommands(LabApp& app);
    ~WindowCommands();

    // Starts listening at path; empty, or why the window does not listen.
    std::string listen(const std::string& path);
    WindowServer& server() { return server_; }

    // Runs one command now (the server calls it when the window is free).
    WindowAnswer run(const WindowCommand& command);

private:
    // Reads the chip's registers 0 to 7 back into its panel (an unwritten
    // edit stays, unless replace names its register) and its lock lamps.
    void showChip(Device d, std::bitset<9> replace);

    LabApp& app_;
    WindowServer server_;
};

} // namespace zvx
