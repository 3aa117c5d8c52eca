#pragma once
// A simulated evaluation board on a bus of its own, initialised on LPT1 and
// running without delays: the program's transport against the chips, with
// the board kept for the test to look at.

#include "sim/SimBoard.h"
#include "transport/I2cBus.h"

#include <memory>
#include <string>

namespace zvx::test {

struct SimBus {
    SimBus()
    {
        auto owned = std::make_unique<SimBoard>();
        board = owned.get();
        bus = std::make_unique<I2cBus>(std::move(owned));
        bus->lines.delayCount = 0;
        bus->initLPTport(0);
    }

    // The bus monitor text since the last call.
    std::string takeTrace()
    {
        std::string text = bus->log.text();
        bus->log.clear();
        return text;
    }

    SimBoard* board = nullptr;
    std::unique_ptr<I2cBus> bus;
};

} // namespace zvx::test
