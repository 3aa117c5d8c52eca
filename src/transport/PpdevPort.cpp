#include "transport/PpdevPort.h"

#include "transport/BusLines.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <linux/parport.h>
#include <linux/ppdev.h>

namespace zvx {

namespace {

std::string hex(std::uint16_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%03X", unsigned{v});
    return buf;
}

std::string openError(const std::string& device, int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return device + ": permission denied (add yourself to group lp)";
    case ENOENT:
        return device + ": no such device (load the ppdev module: modprobe ppdev)";
    case ENXIO:
    case ENODEV:
        return device + ": no such device";
    default:
        return device + ": " + std::strerror(err);
    }
}

} // namespace

ParportLookup findParportForBase(std::uint16_t base, const std::filesystem::path& procDir)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(procDir, ec))
        return {std::nullopt, "no parallel port known to the kernel (" + procDir.string() +
                                  " missing: load parport_pc)"};
    std::string seen;
    for (const auto& entry : fs::directory_iterator(procDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("parport", 0) != 0 || name.size() == 7)
            continue;
        int number = 0;
        try {
            std::size_t used = 0;
            number = std::stoi(name.substr(7), &used);
            if (used != name.size() - 7 || number < 0)
                continue;
        } catch (...) {
            continue;
        }
        std::ifstream in(entry.path() / "base-addr");
        long reported = -1;  // decimal base, then the ECP base
        if (!(in >> reported))
            continue;
        if (reported == base)
            return {number, {}};
        seen += (seen.empty() ? "" : ", ") + name + " at " + hex(static_cast<std::uint16_t>(reported));
    }
    return {std::nullopt, "no parallel port at " + hex(base) +
                              (seen.empty() ? std::string(" (the kernel knows none)")
                                            : " (the kernel knows " + seen + ")")};
}

LptOpenResult PpdevLpt::open(std::uint16_t base, const ParportPaths& paths)
{
    const ParportLookup found = findParportForBase(base, paths.procDir);
    if (!found.number)
        return {nullptr, found.error};
    const std::string device = (paths.devDir / ("parport" + std::to_string(*found.number))).string();

    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return {nullptr, openError(device, errno)};
    if (::ioctl(fd, PPCLAIM) != 0) {
        const int err = errno;
        ::close(fd);
        return {nullptr, device + ": cannot claim the port: " + std::strerror(err) +
                             " (is another program using it?)"};
    }
    // Data lines as outputs: SDA is pulled low through data bit 7.
    int forward = 0;
    ::ioctl(fd, PPDATADIR, &forward);
    unsigned char data = 0;
    unsigned char control = 0;
    ::ioctl(fd, PPRDATA, &data);
    ::ioctl(fd, PPRCONTROL, &control);
    return {std::unique_ptr<LptRegisters>(new PpdevLpt(fd, device, data, control)), {}};
}

PpdevLpt::PpdevLpt(int fd, std::string device, std::uint8_t data, std::uint8_t control)
    : fd_(fd), device_(std::move(device)), data_(data), control_(control)
{
}

PpdevLpt::~PpdevLpt()
{
    ::ioctl(fd_, PPRELEASE);
    ::close(fd_);
}

std::uint8_t PpdevLpt::read(int reg)
{
    switch (reg) {
    case 0:
        return data_;
    case 1: {
        unsigned char status = 0xFF;
        ::ioctl(fd_, PPRSTATUS, &status);
        return status;
    }
    default:
        return control_;
    }
}

void PpdevLpt::write(int reg, std::uint8_t value)
{
    unsigned char v = value;
    if (reg == 0) {
        data_ = value;
        ::ioctl(fd_, PPWDATA, &v);
    } else if (reg == 2) {
        control_ = value;
        // ppdev takes only the four line bits (STROBE, AUTOFEED, INIT,
        // SELECT IN); the direction bit would switch the data lines to input
        // and the interrupt enable belongs to the driver.
        v &= 0x0F;
        ::ioctl(fd_, PPWCONTROL, &v);
    }
    // The status register cannot be written.
}

} // namespace zvx
