#include "sim/SimI2cDev.h"

#include "sim/SimBoard.h"
#include "transport/I2cBus.h"

#include <cerrno>

namespace zvx {

namespace {

// The board's port space, borrowed: the adapter drives the lines the chips see.
class BoardLines final : public PortIo {
public:
    explicit BoardLines(SimBoard& board) : board_(board) {}
    std::uint8_t portIn(std::uint16_t address) override { return board_.portIn(address); }
    void portOut(std::uint16_t address, std::uint8_t value) override { board_.portOut(address, value); }
    void delayElapsed(std::int32_t passes) override { board_.delayElapsed(passes); }
    std::string description() const override { return board_.description(); }

private:
    SimBoard& board_;
};

} // namespace

SimI2cDev::SimI2cDev(SimBoard& board) : lines_(std::make_unique<I2cBus>(std::make_unique<BoardLines>(board)))
{
    // Tracing stays off and the beep empty: the program's own bus monitor
    // tells about the transfer, not this adapter.
    lines_->lines.delayCount = 0;
    lines_->initLPTport(0);
}

SimI2cDev::~SimI2cDev() = default;

int SimI2cDev::functionality(unsigned long& out)
{
    out = funcs;
    return 0;
}

int SimI2cDev::transfer(std::vector<I2cMessage>& messages)
{
    transfers.push_back(messages);
    I2cEngine& e = lines_->engine;
    auto acknowledged = [&e] {
        const unsigned before = e.missingAcks();
        e.i2cWaitAck();
        return e.missingAcks() == before;
    };
    int result = 0;
    for (I2cMessage& m : messages) {
        e.i2cStart();
        e.i2cWriteByte(static_cast<std::int16_t>((m.address << 1) | (m.read ? 1 : 0)));
        if (!acknowledged()) {
            result = ENXIO;
            break;
        }
        if (m.read) {
            for (std::size_t i = 0; i < m.bytes.size(); ++i) {
                e.i2cReadByte();
                m.bytes[i] = static_cast<std::uint8_t>(e.lastByteRead);
                if (i + 1 < m.bytes.size()) {
                    e.i2cSendAck();
                } else {
                    // The master's "no acknowledge" on the last byte: a ninth
                    // clock with SDA left high, so the chip stops sending.
                    lines_->lines.setSCLhigh();
                    lines_->lines.setSCLlow();
                }
            }
            continue;
        }
        for (std::uint8_t b : m.bytes) {
            e.i2cWriteByte(b);
            if (!acknowledged()) {
                result = EIO;
                break;
            }
        }
        if (result != 0)
            break;
    }
    e.i2cStop();
    return result;
}

} // namespace zvx
