// The parts of ChipDevice that reach the transport objects themselves (the
// engine and the bus monitor log) live apart from the bus sequences, so code
// built with another transaction carrier links without them.
#include "device/ChipDevice.h"

#include "transport/BusLog.h"

#include <string>

namespace zvx {

namespace {

// The real thing: every transaction goes to the I2C engine, which puts it on
// the port line by line and traces it in the bus monitor.
class EngineTransactions final : public I2cTransactions {
public:
    explicit EngineTransactions(I2cEngine& engine) : engine_(engine) {}

    void i2cWriteRegister(std::int16_t writeAddress, std::int16_t reg, std::int16_t value) override
    {
        engine_.i2cWriteRegister(writeAddress, reg, value);
    }
    void i2cSetPointer(std::int16_t writeAddress, std::int16_t reg) override
    {
        engine_.i2cSetPointer(writeAddress, reg);
    }
    ReadBuffer i2cReadSequential(std::int16_t readAddress, std::int16_t lastIndex) override
    {
        engine_.i2cReadSequential(readAddress, lastIndex);
        return engine_.readBuffer;
    }
    void i2cWriteBlock(std::int16_t writeAddress, std::int16_t startRegister, std::int16_t first,
                       std::int16_t last, const RegisterImage& image) override
    {
        engine_.i2cWriteBlock(writeAddress, startRegister, first, last, image);
    }
    std::int16_t i2cReadRegister(std::int16_t readAddress, std::int16_t writeAddress, std::int16_t reg) override
    {
        return engine_.i2cReadRegister(readAddress, writeAddress, reg);
    }

private:
    I2cEngine& engine_;
};

} // namespace

ChipDevice::ChipDevice(I2cEngine& engine, BusLog& log, Device id, const std::int16_t& readAddress,
                       const std::int16_t& writeAddress)
    : ownBus_(std::make_unique<EngineTransactions>(engine)),
      bus_(*ownBus_),
      log_(log),
      id_(id),
      readAddress_(readAddress),
      writeAddress_(writeAddress)
{
}

void ChipDevice::logHeading(std::string_view heading)
{
    std::string line(heading);
    line += "\r\n";
    log_.debugLog(line);
}

} // namespace zvx
