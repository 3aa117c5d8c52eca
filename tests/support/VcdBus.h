#pragma once
// A bus capture read as a logic analyser's I2C decoder reads it: the header
// must be whole, every record after it complete, and the start and stop
// conditions are counted from SCL and SDA (the true line when the capture
// has it, else what the program drove).

#include <map>
#include <sstream>
#include <string>

namespace zvx::test {

struct VcdBus {
    int starts = 0;  // start conditions, repeated starts included
    int stops = 0;
    std::string problem;  // the first thing wrong; empty for a capture that decodes and ends between transactions
    bool ok() const { return problem.empty(); }
};

inline VcdBus readVcdBus(const std::string& bytes)
{
    VcdBus bus;
    if (bytes.empty() || bytes.back() != '\n')
        return bus.problem = "empty, or cut inside a record", bus;
    std::istringstream in(bytes);
    std::map<char, std::string> names;
    std::string line;
    bool defined = false;
    while (!defined && std::getline(in, line)) {
        std::istringstream words(line);
        std::string keyword, type, width, id, name;
        words >> keyword;
        if (keyword == "$var" && words >> type >> width >> id >> name && id.size() == 1)
            names[id[0]] = name;
        defined = line == "$enddefinitions $end";
    }
    if (!defined || names.size() < 3)
        return bus.problem = "header incomplete", bus;
    const bool trueSda = names.count('$') != 0;
    std::map<std::string, bool> level{{"SCL", true}, {"SDA", true}};
    char lastCondition = 0;
    while (std::getline(in, line)) {
        if (line == "$dumpvars" || line == "$end")
            continue;
        if (line.size() > 1 && line[0] == '#' && line.find_first_not_of("0123456789", 1) == std::string::npos)
            continue;
        if (line.size() != 2 || (line[0] != '0' && line[0] != '1') || !names.count(line[1]))
            return bus.problem = "bad record '" + line + "'", bus;
        std::string name = names[line[1]];
        if (name == (trueSda ? "SDA_drive" : "SDA") || name == "SDA_sense")
            continue;
        if (name == "SDA_drive")
            name = "SDA";
        const bool high = line[0] == '1';
        if (name == "SDA" && level["SCL"] && high != level["SDA"]) {
            lastCondition = high ? 'P' : 'S';
            ++(high ? bus.stops : bus.starts);
        }
        level[name] = high;
    }
    if (lastCondition != 'P' || !level["SDA"])
        bus.problem = "ends inside a transaction";
    return bus;
}

} // namespace zvx::test
