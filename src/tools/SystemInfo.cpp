#include "tools/SystemInfo.h"

#include "transport/BusLines.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include <sys/utsname.h>
#include <unistd.h>

namespace zvx {

namespace {

std::optional<std::string> unameKernel()
{
    utsname u{};
    if (::uname(&u) != 0)
        return std::nullopt;
    return std::string(u.sysname) + " " + u.release + " " + u.machine;
}

std::string prettyOsName(const std::filesystem::path& osRelease)
{
    std::ifstream in(osRelease);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("PRETTY_NAME=", 0) != 0)
            continue;
        std::string value = line.substr(12);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (!value.empty())
            return value;
    }
    return "unknown";
}

// "parport3" -> 3; nothing for "default" and other entries.
std::optional<int> parportNumber(const std::string& name)
{
    if (name.rfind("parport", 0) != 0 || name.size() == 7)
        return std::nullopt;
    int number = 0;
    for (std::size_t i = 7; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || number > 9999)
            return std::nullopt;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

std::string accessVerdict(const std::string& device, bool& mayOpen)
{
    mayOpen = ::access(device.c_str(), R_OK | W_OK) == 0;
    if (mayOpen)
        return "yes";
    switch (errno) {
    case ENOENT:
        return "no: no device node (load the ppdev module: modprobe ppdev)";
    case EACCES:
    case EPERM:
        return "no: permission denied (add yourself to group lp)";
    default:
        return std::string("no: ") + std::strerror(errno);
    }
}

} // namespace

std::optional<SystemInfo> gatherSystemInfo(const SystemInfoSources& sources, const std::string& qtVersion,
                                           const std::string& backend)
{
    const std::optional<std::string> kernel = sources.kernel ? sources.kernel() : unameKernel();
    if (!kernel || kernel->empty())
        return std::nullopt;

    SystemInfo info;
    info.os = prettyOsName(sources.osRelease);
    info.kernel = *kernel;
    info.qt = qtVersion;
    info.backend = backend;

    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(sources.procParport, ec)) {
        info.portsNote = "none: the kernel knows no parallel port (" + sources.procParport.string() +
                         " missing: load parport_pc)";
        return info;
    }
    std::vector<std::pair<int, ParallelPortInfo>> found;
    for (const auto& entry : fs::directory_iterator(sources.procParport, ec)) {
        const std::string name = entry.path().filename().string();
        const auto number = parportNumber(name);
        if (!number)
            continue;
        ParallelPortInfo port;
        port.name = name;
        std::ifstream in(entry.path() / "base-addr");
        long base = -1;  // decimal base, then the ECP base
        if (in >> base && base >= 0 && base <= 0xFFFF)
            port.base = static_cast<std::uint16_t>(base);
        port.device = (sources.devDir / name).string();
        port.access = accessVerdict(port.device, port.mayOpen);
        found.emplace_back(*number, std::move(port));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& f : found)
        info.ports.push_back(std::move(f.second));
    if (info.ports.empty())
        info.portsNote = "none: the kernel knows no parallel port";
    return info;
}

std::string formatSystemInfo(const SystemInfo& info)
{
    std::ostringstream out;
    out << "Operating system: " << info.os << "\n"
        << "Kernel: " << info.kernel << "\n"
        << "Qt: " << info.qt << "\n"
        << "Port backend: " << info.backend << "\n"
        << "Parallel ports:";
    if (info.ports.empty())
        out << " " << info.portsNote;
    out << "\n";
    for (const ParallelPortInfo& p : info.ports) {
        out << "  " << p.name << ": base " << (p.base ? lptName(*p.base) : std::string("unknown")) << ", "
            << p.device << ", may open: " << p.access << "\n";
    }
    return out.str();
}

} // namespace zvx
