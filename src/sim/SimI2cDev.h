#pragma once
// The simulated evaluation board as a Linux I2C adapter sees it: the
// /dev/i2c-N of a kernel bit-banging driver wired to the board's I2C lines,
// as i2c-parport would be. Each I2C_RDWR transfer goes to the same
// simulated chips, at the wire: a start (a repeated start between
// messages), the address byte, the message's bytes with the chips'
// acknowledges or the master's, and a stop. Like the kernel's bit-banging
// adapters it ends a transfer at the first missing acknowledge with a stop
// and reports ENXIO for an address nobody acknowledged, EIO for a data byte.
// A chip that is not answering, an address no chip has and a chip that
// falls silent mid-transfer (SimChip's faults) all show as on a real adapter.

#include "transport/I2cDev.h"

#include <memory>
#include <vector>

namespace zvx {

class I2cBus;
class SimBoard;

class SimI2cDev final : public I2cDevFile {
public:
    // The board must outlive the adapter.
    explicit SimI2cDev(SimBoard& board);
    ~SimI2cDev() override;

    int functionality(unsigned long& funcs) override;
    int transfer(std::vector<I2cMessage>& messages) override;

    // What I2C_FUNCS reports; an SMBus-only adapter lacks kI2cFuncPlainI2c.
    unsigned long funcs = kI2cFuncPlainI2c | kI2cFuncSmbusEmul;
    // Every transfer asked for, as asked (read messages before the reply).
    std::vector<std::vector<I2cMessage>> transfers;

private:
    std::unique_ptr<I2cBus> lines_;  // the board's LPT1 lines, driven silently
};

} // namespace zvx
