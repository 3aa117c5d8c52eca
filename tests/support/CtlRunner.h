#pragma once
// zvx7246ctl run in-process, on a simulated board the test keeps or on the
// port a test opens, with its exit status and what it printed.

#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "cli/Ctl.h"
#include "sim/SimBoard.h"

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace zvx::test {

struct CtlRun {
    int status = -1;
    std::string out, err;
};

// Lends a board the test keeps to a program that owns its port.
class BorrowedBoard final : public PortIo {
public:
    explicit BorrowedBoard(SimBoard& board) : board_(board) {}
    std::uint8_t portIn(std::uint16_t address) override { return board_.portIn(address); }
    void portOut(std::uint16_t address, std::uint8_t value) override { board_.portOut(address, value); }
    bool takeVirtualDelay(std::uint64_t ns) override { return board_.takeVirtualDelay(ns); }
    void delayElapsed(std::int32_t passes) override { board_.delayElapsed(passes); }
    std::optional<std::uint64_t> virtualTimeNs() const override { return board_.virtualTimeNs(); }
    std::optional<bool> trueSdaLevel() const override { return board_.trueSdaLevel(); }
    std::string description() const override { return board_.description(); }
    std::string describeLpt(int lpt) const override { return board_.describeLpt(lpt); }

private:
    SimBoard& board_;
};

// An empty opener is the program's own choice of port.
inline CtlRun runCtlWith(const std::vector<std::string>& args,
                         const std::function<ProgramPort(const AppOptions&)>& open, const std::string& input = {})
{
    std::istringstream in(input);
    std::ostringstream out, err;
    CtlEnvironment env{in, out, err, open};
    const int status = runCtl(args, env);
    return {status, out.str(), err.str()};
}

// On `board`, which outlives the run; `input` is what a `-` script reads.
inline CtlRun runCtlOn(SimBoard& board, const std::vector<std::string>& args, const std::string& input = {})
{
    return runCtlWith(args, [&board](const AppOptions&) {
        ProgramPort p;
        p.port = std::make_unique<BorrowedBoard>(board);
        p.status = "Port: simulated evaluation board";
        return p;
    }, input);
}

// On a fresh board of its own.
inline CtlRun runCtlOnSim(const std::vector<std::string>& args, const std::string& input = {})
{
    SimBoard board;
    return runCtlOn(board, args, input);
}

} // namespace zvx::test
