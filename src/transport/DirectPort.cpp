#include "transport/DirectPort.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ZVX_HAVE_DIRECT_IO 1
#endif

namespace zvx {

#ifdef ZVX_HAVE_DIRECT_IO

namespace {

class DirectLpt final : public LptRegisters {
public:
    explicit DirectLpt(std::uint16_t base) : base_(base) {}
    ~DirectLpt() override { ::ioperm(base_, 3, 0); }
    std::uint8_t read(int reg) override { return ::inb(static_cast<unsigned short>(base_ + reg)); }
    void write(int reg, std::uint8_t value) override { ::outb(value, static_cast<unsigned short>(base_ + reg)); }
    std::string access() const override { return "direct I/O"; }

private:
    std::uint16_t base_;
};

} // namespace

LptOpenResult openDirectLpt(std::uint16_t base)
{
    if (::ioperm(base, 3, 1) != 0) {
        const int err = errno;
        char where[16];
        std::snprintf(where, sizeof where, "0x%03X", unsigned{base});
        if (err == EPERM || err == EACCES)
            return {nullptr, std::string("no privilege for direct port I/O on ") + where +
                                 " (needs root or CAP_SYS_RAWIO; ppdev needs neither)"};
        return {nullptr, std::string("direct port I/O on ") + where + ": " + std::strerror(err)};
    }
    return {std::make_unique<DirectLpt>(base), {}};
}

#else

LptOpenResult openDirectLpt(std::uint16_t)
{
    return {nullptr, "direct port I/O needs an x86 processor (use ppdev)"};
}

#endif

} // namespace zvx
