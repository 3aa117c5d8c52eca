#pragma once
// A bus capture read as a logic analyser's I2C decoder reads it: the header
// must be whole and every record complete; start and stop conditions and the
// bytes are read on SCL and SDA (the true line when the capture has it, else
// the one driven), each transaction as its bytes in hex ("4C 04 2A").

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace zvx::test {

struct VcdBus {
    int stops = 0;
    std::string problem;  // empty for a capture that decodes and ends between transactions
    std::vector<std::string> transactions;  // the acknowledge bits left out
};

inline VcdBus readVcdBus(const std::string& bytes)
{
    const auto header = bytes.find("$enddefinitions $end\n");
    if (bytes.empty() || bytes.back() != '\n' || header == std::string::npos ||
        bytes.find("$var wire 1 ! SCL $end") == std::string::npos)
        return {0, "header incomplete, or cut inside a record", {}};
    const char sda = bytes.find("$var wire 1 $ SDA $end") != std::string::npos ? '$' : '"';
    std::istringstream in(bytes.substr(header));
    VcdBus bus;
    bool scl = true, high = true, stopLast = false;
    int bit = 0;
    unsigned byte = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#' || line[0] == '$')
            continue;
        if (line.size() != 2 || (line[0] != '0' && line[0] != '1'))
            return {bus.stops, "bad record '" + line + "'", {}};
        const bool level = line[0] == '1';
        if (line[1] == '!') {
            if (level && !scl && !bus.transactions.empty() && ++bit <= 8)
                byte = byte << 1 | unsigned(high);
            if (bit == 9) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02X", byte & 0xFF);
                std::string& t = bus.transactions.back();
                t += (t.empty() ? "" : " ") + std::string(hex);
                bit = 0, byte = 0;
            }
            scl = level;
        }
        if (line[1] != sda)
            continue;
        if (scl && level != high) {
            stopLast = level, bus.stops += level;
            if (!level)  // a start, or a repeated start, begins a transaction
                bus.transactions.emplace_back(), bit = 0, byte = 0;
        }
        high = level;
    }
    if (!stopLast || !high)
        bus.problem = "ends inside a transaction";
    return bus;
}

} // namespace zvx::test
