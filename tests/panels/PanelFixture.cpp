#include "PanelFixture.h"

#include <sstream>

namespace zvx::test {

std::vector<std::string> busOperations(const std::string& trace)
{
    std::vector<std::string> ops;
    std::size_t from = 0;
    while (from < trace.size()) {
        std::size_t end = trace.find("\r\n", from);
        if (end == std::string::npos)
            end = trace.size();
        const std::string line = trace.substr(from, end - from);
        from = end + 2;
        if (line.rfind("[START]", 0) != 0) {
            if (!line.empty())
                ops.push_back(line);
            continue;
        }
        std::istringstream in(line);
        std::vector<std::string> bytes;
        int starts = 0;
        for (std::string token; in >> token;) {
            if (token == "[START]")
                ++starts;
            else if (token.front() != '[')
                bytes.push_back(token);
        }
        const bool readAddress = !bytes.empty() && (std::stoi(bytes[0], nullptr, 16) & 1) != 0;
        if (starts == 2 && bytes.size() == 4) {
            ops.push_back(bytes[0] + " ?" + bytes[1]);
        } else if (starts == 1 && readAddress) {
            ops.push_back(bytes[0] + " read " + std::to_string(bytes.size() - 1));
        } else if (starts == 1 && bytes.size() == 2) {
            ops.push_back(bytes[0] + " ->" + bytes[1]);
        } else if (starts == 1 && bytes.size() == 3) {
            ops.push_back(bytes[0] + " " + bytes[1] + "=" + bytes[2]);
        } else if (starts == 1 && bytes.size() > 3) {
            std::string op = bytes[0] + " " + bytes[1] + "<=";
            for (std::size_t i = 2; i < bytes.size(); ++i)
                op += (i > 2 ? " " : "") + bytes[i];
            ops.push_back(op);
        } else {
            ops.push_back(line);
        }
    }
    return ops;
}

} // namespace zvx::test
