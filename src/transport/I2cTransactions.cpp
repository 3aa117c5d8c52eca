#include "transport/I2cTransactions.h"

#include <cstdio>

namespace zvx {

I2cTransactions::Transaction::Transaction(I2cTransactions& bus) : bus_(bus), granted_(!bus.inTransaction_)
{
    if (granted_) {
        bus_.inTransaction_ = true;
        bus_.lastAckMissing_ = false;
    } else {
        ++bus_.refused_;
        std::fputs("zvx: bus transaction refused: another one is still on the bus\n", stderr);
    }
}

I2cTransactions::Transaction::~Transaction()
{
    if (!granted_)
        return;
    bus_.inTransaction_ = false;
    if (writeAddress_ >= 0 && bus_.registerWritten)
        bus_.registerWritten(writeAddress_);
}

void I2cTransactions::noteMissingAck()
{
    ++missingAcks_;
    lastAckMissing_ = true;
}

} // namespace zvx
