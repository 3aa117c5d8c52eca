#include "support/BusOperations.h"

#include <sstream>

namespace zvx::test {

Ops busOperations(const std::string& trace)
{
    Ops ops;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("[START]", 0) != 0 || line.find("Wisp") != std::string::npos) {
            if (!line.empty())
                ops.push_back(line);
            continue;
        }
        std::istringstream in(line);
        std::vector<std::string> b;  // the bytes, "[A]" taken off the ones a master acknowledged
        int starts = 0;
        for (std::string token; in >> token;) {
            if (token.rfind("[A]", 0) == 0)
                token.erase(0, 3);
            token == "[START]" ? void(++starts) : token.front() != '[' ? b.push_back(token) : void();
        }
        const bool readAddress = !b.empty() && (std::stoi(b[0], nullptr, 16) & 1) != 0;
        std::string op = line;
        if (starts == 2 && b.size() == 4)
            op = b[0] + " ?" + b[1];
        else if (starts == 1 && readAddress)
            op = b[0] + " read " + std::to_string(b.size() - 1);
        else if (starts == 1 && b.size() == 2)
            op = b[0] + " ->" + b[1];
        else if (starts == 1 && b.size() == 3)
            op = b[0] + " " + b[1] + "=" + b[2];
        else if (starts == 1 && b.size() > 3)
            for (std::size_t i = 2; i < b.size(); ++i)
                op = (i == 2 ? b[0] + " " + b[1] + "<=" : op + " ") + b[i];
        ops.push_back(op);
    }
    return ops;
}

} // namespace zvx::test
