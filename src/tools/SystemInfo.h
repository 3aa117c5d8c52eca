#pragma once
// What the About box's "System Info..." window lists on Linux: the operating
// system and kernel, the Qt version, the port backend in use, and every
// parallel port the kernel knows, with its base address, its device node and
// whether this user may open it (the first things to check when the bench
// finds no adapter). Plain C++; the sources are paths and a function so a
// test can stand in for the machine.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zvx {

struct SystemInfoSources {
    std::filesystem::path osRelease = "/etc/os-release";
    std::filesystem::path procParport = "/proc/sys/dev/parport";
    std::filesystem::path devDir = "/dev";
    // "Linux 6.1.0-18-amd64 x86_64"; nothing when the kernel cannot be asked.
    std::function<std::optional<std::string>()> kernel;  // empty = uname()
};

struct ParallelPortInfo {
    std::string name;                    // "parport0"
    std::optional<std::uint16_t> base;   // from base-addr; nothing when unreadable
    std::string device;                  // "/dev/parport0"
    bool mayOpen = false;
    std::string access;                  // "yes", or why not
};

struct SystemInfo {
    std::string os;       // PRETTY_NAME of os-release, or "unknown"
    std::string kernel;
    std::string qt;
    std::string backend;  // the port backend's own description
    std::vector<ParallelPortInfo> ports;  // by kernel number
    std::string portsNote;                // why the list is empty, if it is
};

// Gathers the facts; nothing when not even the kernel can be named, which
// is when the window has nothing worth showing.
std::optional<SystemInfo> gatherSystemInfo(const SystemInfoSources& sources, const std::string& qtVersion,
                                           const std::string& backend);

// The window's text, one fact per line.
std::string formatSystemInfo(const SystemInfo& info);

} // namespace zvx
