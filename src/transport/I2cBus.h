#pragma once
// The whole transport as one object: the port backend, the bus monitor log,
// the bus lines and the I2C engine, wired together; or, instead of the port,
// a Linux I2C adapter. Everything above talks to the chips through
// transactions(), which is the one or the other. The application object
// owns one; the command-line tool owns one; tests build as many as they like.

#include "transport/BusLines.h"
#include "transport/BusLog.h"
#include "transport/I2cDev.h"
#include "transport/I2cDevBus.h"
#include "transport/I2cEngine.h"
#include "transport/PortIo.h"

#include <functional>
#include <memory>
#include <string>

namespace zvx {

class I2cBus {
public:
    // A null port stands for an absent one (every read 0xFF). With an
    // adapter the bus is that adapter, and the port (and with it the lines
    // and the engine) is an absent one nothing uses.
    explicit I2cBus(std::unique_ptr<PortIo> port, std::unique_ptr<I2cDevAdapter> adapter = nullptr);

    // The chips' transactions: the bit-banged engine, or the adapter.
    I2cTransactions& transactions() { return adapterBus_ ? static_cast<I2cTransactions&>(*adapterBus_) : engine; }
    // True when the bus is an I2C adapter: the parallel port's lines, pins,
    // delay count and acknowledge switch then mean nothing.
    bool overAdapter() const { return adapter_ != nullptr; }
    const I2cDevAdapter* adapter() const { return adapter_.get(); }
    // The beep for a missing acknowledge with tracing off, on either bus.
    void setBeep(const std::function<void()>& beep);

    // Six stop conditions (each followed by SCL low), stores the poll limit,
    // then SCL high: leaves the bus idle. Also checks, from the same line
    // changes, that SDA follows the program (see adapterFound()).
    void initI2Cbus(std::int16_t pollLimit);
    // closeI2Cbus, selectLPTport(index), initI2Cbus(400): the bus part of the
    // start-up port initialisation. Over an adapter: the bus is open, with
    // nothing sent (the kernel keeps the adapter's bus idle).
    void initLPTport(std::int16_t index);
    // Writes back the port's control byte and releases SDA, or closes the
    // adapter's bus; logs "Wisp SYS003 :I2C Bus closed " when it was open.
    void closeI2Cbus();

    // After initI2Cbus: false when SDA did not follow the program's drive
    // (no adapter or cable on the port). adapterMessage() says so in words;
    // it is empty while the adapter answered (or before initI2Cbus ran).
    bool adapterFound() const { return adapterFound_; }
    std::string adapterMessage() const;

    // Where the bus runs, for messages about a chip: "LPT2", "/dev/i2c-3";
    // "no port" before one was chosen.
    std::string where() const;
    // The port in use and what the backend has there, for the status bar:
    // "LPT2, simulated evaluation board: empty port", with the adapter
    // check's finding when it was made on this port and failed.
    std::string portDescription() const;
    // Why the backend is the one it is, when that is worth saying (the
    // simulated board standing in for a parallel port that could not be
    // had); portDescription() adds it in parentheses.
    std::string backendNote;

    PortIo& port() { return *port_; }

private:
    std::unique_ptr<PortIo> port_;

public:
    BusLog log;
    BusLines lines;
    I2cEngine engine;

private:
    std::unique_ptr<I2cDevAdapter> adapter_;
    std::unique_ptr<I2cDevBus> adapterBus_;
    bool adapterOpen_ = false;

    bool adapterFound_ = true;
    std::uint16_t checkedPort_ = 0;  // data register of the port the adapter check ran on
    // What SDA read while the first stop sequence pulled it low and released it.
    bool sdaFollowedLow_ = true;
    bool sdaFollowedHigh_ = true;
};

} // namespace zvx
