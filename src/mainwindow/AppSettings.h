#pragma once
// The settings every window shares for the whole run, put into their start
// state by the start-up. The bus pacing (delayCount), the acknowledge switch
// (ackNotRequired) and the tracing mode (traceOn, traceKeepLines) live with
// the transport objects that use them.

#include <QString>
#include <cstdint>

namespace zvx {

struct AppSettings {
    bool autoWrite = false;          // edits are written to the chip as they are made
    bool updatingControls = false;   // a hex text is being spread to its bit controls
    bool typingHorizTotal = false;   // the last key went into a "Total Pixels/Line" box
    bool turboKeepGoing = true;      // the divider auto-repeat keeps running
    bool inRevA = false;             // U1 is a revision A chip
    bool outRevA = false;            // U4 is a revision A chip
    std::uint32_t lockedColor = 0x00FF00;    // 0x00BBGGRR: green
    std::uint32_t unlockedColor = 0x0000FF;  // red
    std::uint32_t pinClearColor = 0x000000;  // black
    int busyPointer = 11;            // the hourglass pointer
    std::uint8_t pinTesterBytes[3] = {0, 0, 0};
    QString programFolder;           // the current directory at start
    QString currentSetupFile;        // the setup file last opened or saved
    QString lastHotKey;              // the last hot key that played a sound
};

} // namespace zvx
