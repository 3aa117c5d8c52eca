#pragma once
// A Linux I2C adapter as the bus (/dev/i2c-N through the i2c-dev driver):
// USB adapters (CP2112, MCP2221, i2c-tiny-usb), a Raspberry Pi's I2C pins,
// i2c-gpio. The program uses two ioctls of the node: I2C_FUNCS, to make sure
// the adapter sends plain I2C messages, and I2C_RDWR, which sends a list of
// messages as one transfer, each joined to the next by a repeated start and
// the last ended by a stop. They sit behind I2cDevFile so a simulated
// adapter can stand in for the node.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zvx {

// One message of an I2C_RDWR transfer.
struct I2cMessage {
    std::uint16_t address = 0;        // 7-bit address (the address byte shifted right)
    bool read = false;
    std::vector<std::uint8_t> bytes;  // bytes to send; for a read, sized to the count wanted
};

// Functionality bits of I2C_FUNCS the program looks at.
inline constexpr unsigned long kI2cFuncPlainI2c = 0x00000001;    // I2C_FUNC_I2C: I2C_RDWR works
inline constexpr unsigned long kI2cFuncSmbusEmul = 0x0EFF0008;   // what an I2C adapter also emulates

// The ioctls of one open /dev/i2c-N.
class I2cDevFile {
public:
    virtual ~I2cDevFile() = default;
    // I2C_FUNCS: 0 and the functionality mask, or the errno.
    virtual int functionality(unsigned long& funcs) = 0;
    // I2C_RDWR: 0 when every byte went through (read messages are filled
    // in), else the errno. Adapters report a missing acknowledge as an
    // error and end the transfer with a stop: ENXIO for an address byte
    // nobody acknowledged, EIO or EREMOTEIO for a data byte (some adapters
    // use EREMOTEIO for the address too).
    virtual int transfer(std::vector<I2cMessage>& messages) = 0;
};

// The adapter the program runs on, or why there is none (file null).
struct I2cDevAdapter {
    std::unique_ptr<I2cDevFile> file;
    std::string node;  // "/dev/i2c-3"
    std::string name;  // "CP2112 SMBus Bridge on hidraw0", from /sys/class/i2c-dev/i2c-3/name
    std::string why;   // one line, when file is null

    // "i2c-dev /dev/i2c-3 (CP2112 SMBus Bridge on hidraw0)", or
    // "i2c-dev, no adapter: <why>".
    std::string description() const;
};

struct I2cDevPaths {
    std::filesystem::path sysClassDir = "/sys/class/i2c-dev";
    std::filesystem::path devDir = "/dev";
};

// The adapters the kernel lists, by number.
struct I2cDevInfo {
    int number = 0;
    std::string node;  // devDir/i2c-N
    std::string name;
};
std::vector<I2cDevInfo> listI2cDevAdapters(const I2cDevPaths& paths = {});

// Opens a node: the file, or the errno.
struct I2cDevOpenResult {
    std::unique_ptr<I2cDevFile> file;
    int error = 0;
};
using I2cDevOpener = std::function<I2cDevOpenResult(const std::string& node)>;
// The real node, opened read-write.
I2cDevOpenResult openLinuxI2cDev(const std::string& node);

struct I2cDevChoice {
    std::unique_ptr<I2cDevAdapter> adapter;  // null only when error is set
    // Nothing can be chosen without the user: several adapters and none
    // named. The program must stop (bad usage).
    std::string error;
};
// requestedNode empty: the one adapter the kernel lists. A node that cannot
// be opened, or an adapter that does only SMBus transfers, gives an adapter
// with no file that says why, never another adapter.
I2cDevChoice chooseI2cDevAdapter(const std::string& requestedNode, const I2cDevPaths& paths = {},
                                 const I2cDevOpener& opener = openLinuxI2cDev);

} // namespace zvx
