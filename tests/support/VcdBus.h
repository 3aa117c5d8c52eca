#pragma once
// A bus capture read as a logic analyser's I2C decoder reads it: the header
// must be whole and every record complete; stop conditions are counted on
// SCL and SDA (the true line when the capture has it, else the one driven).

#include <sstream>
#include <string>

namespace zvx::test {

struct VcdBus {
    int stops = 0;
    std::string problem;  // empty for a capture that decodes and ends between transactions
};

inline VcdBus readVcdBus(const std::string& bytes)
{
    const auto header = bytes.find("$enddefinitions $end\n");
    if (bytes.empty() || bytes.back() != '\n' || header == std::string::npos ||
        bytes.find("$var wire 1 ! SCL $end") == std::string::npos)
        return {0, "header incomplete, or cut inside a record"};
    const char sda = bytes.find("$var wire 1 $ SDA $end") != std::string::npos ? '$' : '"';
    std::istringstream in(bytes.substr(header));
    VcdBus bus;
    bool scl = true, high = true, stopLast = false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#' || line[0] == '$')
            continue;
        if (line.size() != 2 || (line[0] != '0' && line[0] != '1'))
            return {bus.stops, "bad record '" + line + "'"};
        const bool level = line[0] == '1';
        if (line[1] == '!')
            scl = level;
        if (line[1] != sda)
            continue;
        if (scl && level != high)
            stopLast = level, bus.stops += level;
        high = level;
    }
    if (!stopLast || !high)
        bus.problem = "ends inside a transaction";
    return bus;
}

} // namespace zvx::test
