#pragma once
// A parallel port through direct port I/O (ioperm, inb, outb): x86 only, and
// only with the privilege to open the port range (root or CAP_SYS_RAWIO).
// The permission belongs to the thread that opened it, which is the one
// thread the bus runs on.

#include "transport/HardwarePort.h"

namespace zvx {

// Opens the three registers at base, or says why it cannot.
LptOpenResult openDirectLpt(std::uint16_t base);

} // namespace zvx
