#pragma once
// The bus and the chips zvx7246ctl's commands run on, and the checking of a
// command before anything is opened. Each command group (CtlRegisters,
// CtlSetupCommands, CtlPort, CtlWatch, CtlExport) checks its words into a
// Prepared command; running it makes the bus traffic and prints one result
// through the session's CtlOutput.

#include "app/AppOptions.h"
#include "app/ProgramPort.h"
#include "cli/Ctl.h"
#include "cli/CtlOutput.h"
#include "device/ChipAddresses.h"
#include "device/ChipDevice.h"
#include "transport/I2cBus.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zvx::ctl {

inline constexpr int kOk = 0;
inline constexpr int kMissingAck = 1;
inline constexpr int kUsage = 2;

class Session {
public:
    // A bus of its own, on the port the options chose.
    Session(ProgramPort port, const AppOptions& options, CtlEnvironment& env, CtlOutput& output);
    // The bus and chip devices of a program that keeps them (the window's),
    // as they are: its port, settings and chip addresses hold. --trace copies
    // the bus monitor for as long as the session lives.
    Session(CtlBorrowedBus borrowed, const AppOptions& options, CtlEnvironment& env, CtlOutput& output);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // A command checked and ready to run on a session; returns its exit
    // status (a missing acknowledge is added by run()).
    using Prepared = std::function<int(Session&)>;

    // Everything a typo can be caught in (the command, its numbers and
    // devices, the setup file it names) is checked here, before anything is
    // opened, so a mistyped command line leaves the port, the bus and the
    // capture file alone; a bad word throws UsageError. `adapter`: where the
    // I2C adapter is, when the bus is one (empty when no node was named).
    // `lenient`: --lenient was given (apply and export take odd values).
    static Prepared prepare(const std::vector<std::string>& words, const std::optional<std::string>& adapter,
                            bool lenient);

    // Where the I2C adapter is when the bus is one, for prepare.
    std::optional<std::string> adapter() const;

    // Runs a prepared command; returns its exit status.
    int run(const Prepared& command);

    // Registers 0 to 7 of a chip for calc --from-chip in a script: the
    // script's own bus, not a second one. Nothing when the chip is silent.
    std::optional<std::array<std::int16_t, 8>> readRegisters(Device d);

    void close(bool traced);

    // --- What the commands use.
    ChipDevice& chip(Device d) { return d == Device::U1 ? u1_ : u4_; }
    I2cTransactions& transactions() { return chips_; }
    I2cBus& bus() { return bus_; }
    CtlOutput& output() { return output_; }
    CtlEnvironment& env() { return env_; }
    RegisterImage& image() { return image_; }
    // The port or adapter the bus runs on ("LPT1", "/dev/i2c-1").
    std::string where() const { return bus_.where(); }
    // The result of a command whose chip did not answer, in place of figures
    // decoded from its 0xFF bytes: "error" is the plain sentence, which is
    // also the text form.
    QJsonObject notAnswering(const char* command, const ChipDevice& device) const;

private:
    CtlEnvironment& env_;
    CtlOutput& output_;
    ChipAddresses addresses_;
    std::unique_ptr<I2cBus> ownBus_;  // null on a borrowed bus
    I2cBus& bus_;
    I2cTransactions& chips_;  // the transactions, bit-banged or over the adapter
    std::unique_ptr<ChipDevice> ownU1_;
    std::unique_ptr<ChipDevice> ownU4_;
    ChipDevice& u1_;
    ChipDevice& u4_;
    RegisterImage image_{};
    std::optional<BusLog::ListenerId> traceCopy_;  // --trace on a borrowed bus
    int traceOnBefore_ = 0;
};

// The text form of a result that may be a chip's silence: its "error"
// sentence, else what `text` makes of it.
CtlOutput::TextForm orSilence(CtlOutput::TextForm text);

} // namespace zvx::ctl
