#include "transport/I2cDev.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>

namespace zvx {

static_assert(kI2cFuncPlainI2c == I2C_FUNC_I2C);

namespace {

namespace fs = std::filesystem;

class LinuxI2cDevFile final : public I2cDevFile {
public:
    explicit LinuxI2cDevFile(int fd) : fd_(fd) {}
    ~LinuxI2cDevFile() override { ::close(fd_); }

    int functionality(unsigned long& funcs) override
    {
        return ::ioctl(fd_, I2C_FUNCS, &funcs) == 0 ? 0 : errno;
    }

    int transfer(std::vector<I2cMessage>& messages) override
    {
        std::vector<i2c_msg> msgs(messages.size());
        for (std::size_t i = 0; i < messages.size(); ++i) {
            msgs[i].addr = messages[i].address;
            msgs[i].flags = messages[i].read ? I2C_M_RD : 0;
            msgs[i].len = static_cast<__u16>(messages[i].bytes.size());
            msgs[i].buf = messages[i].bytes.data();
        }
        i2c_rdwr_ioctl_data data{msgs.data(), static_cast<__u32>(msgs.size())};
        return ::ioctl(fd_, I2C_RDWR, &data) >= 0 ? 0 : errno;
    }

private:
    int fd_;
};

std::string readName(const fs::path& file)
{
    std::ifstream in(file);
    std::string name;
    std::getline(in, name);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r'))
        name.pop_back();
    return name;
}

// The kernel's name of the adapter behind a node: /sys/class/i2c-dev/i2c-N/name.
std::string adapterName(const std::string& node, const I2cDevPaths& paths)
{
    std::string base = fs::path(node).filename().string();
    std::error_code ec;
    if (!fs::exists(paths.sysClassDir / base, ec)) {
        // A udev symlink (/dev/i2c-bench -> i2c-3) names the node by its target.
        const fs::path target = fs::canonical(node, ec);
        if (!ec)
            base = target.filename().string();
    }
    return readName(paths.sysClassDir / base / "name");
}

std::string openError(const std::string& node, int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return node + ": permission denied (add yourself to the group that owns it, usually i2c: "
                      "sudo adduser $USER i2c, then log in again; or give it to your group with a udev rule)";
    case ENOENT:
        return node + ": no such device (load the driver: sudo modprobe i2c-dev)";
    case ENXIO:
    case ENODEV:
        return node + ": no such device";
    default:
        return node + ": " + std::strerror(err);
    }
}

std::string named(const std::string& node, const std::string& name)
{
    return name.empty() ? node : node + " (" + name + ")";
}

} // namespace

std::string I2cDevAdapter::description() const
{
    if (!file)
        return "i2c-dev, no adapter: " + why;
    return "i2c-dev " + named(node, name);
}

std::vector<I2cDevInfo> listI2cDevAdapters(const I2cDevPaths& paths)
{
    std::vector<I2cDevInfo> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(paths.sysClassDir, ec)) {
        const std::string dir = entry.path().filename().string();
        if (dir.rfind("i2c-", 0) != 0 || dir.size() == 4)
            continue;
        const std::string digits = dir.substr(4);
        if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }) ||
            digits.size() > 6)
            continue;
        found.push_back({std::stoi(digits), (paths.devDir / dir).string(), readName(entry.path() / "name")});
    }
    std::sort(found.begin(), found.end(), [](const I2cDevInfo& a, const I2cDevInfo& b) { return a.number < b.number; });
    return found;
}

I2cDevOpenResult openLinuxI2cDev(const std::string& node)
{
    const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return {nullptr, errno};
    return {std::make_unique<LinuxI2cDevFile>(fd), 0};
}

I2cDevChoice chooseI2cDevAdapter(const std::string& requestedNode, const I2cDevPaths& paths,
                                 const I2cDevOpener& opener)
{
    I2cDevChoice choice;
    auto adapter = std::make_unique<I2cDevAdapter>();
    if (requestedNode.empty()) {
        const auto all = listI2cDevAdapters(paths);
        if (all.empty()) {
            adapter->why = "the kernel lists no I2C adapter in " + paths.sysClassDir.string() +
                           " (load the driver: sudo modprobe i2c-dev; plug the adapter in)";
            choice.adapter = std::move(adapter);
            return choice;
        }
        if (all.size() > 1) {
            std::string list;
            for (const I2cDevInfo& a : all)
                list += (list.empty() ? "" : ", ") + named(a.node, a.name);
            choice.error = "several I2C adapters: " + list + "; choose one with --port=i2c-dev:/dev/i2c-N";
            return choice;
        }
        adapter->node = all.front().node;
        adapter->name = all.front().name;
    } else {
        adapter->node = requestedNode;
        adapter->name = adapterName(requestedNode, paths);
    }

    I2cDevOpenResult opened = opener(adapter->node);
    if (!opened.file) {
        adapter->why = openError(adapter->node, opened.error);
    } else {
        // The register read needs a write and a read joined by a repeated
        // start: only plain I2C messages (I2C_RDWR) carry that.
        unsigned long funcs = 0;
        const int err = opened.file->functionality(funcs);
        if (err != 0)
            adapter->why = named(adapter->node, adapter->name) + ": cannot ask the adapter what it does (" +
                           std::strerror(err) + ")";
        else if ((funcs & kI2cFuncPlainI2c) == 0)
            adapter->why = named(adapter->node, adapter->name) +
                           " does SMBus transfers only: it cannot send the plain I2C messages (I2C_RDWR) "
                           "the chips' register read with a repeated start needs";
        else
            adapter->file = std::move(opened.file);
    }
    choice.adapter = std::move(adapter);
    return choice;
}

} // namespace zvx
