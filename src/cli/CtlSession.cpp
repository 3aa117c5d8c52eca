#include "cli/CtlSession.h"

#include "app/TraceStream.h"
#include "cli/CtlArgs.h"
#include "cli/CtlExport.h"
#include "cli/CtlMode.h"
#include "cli/CtlPort.h"
#include "cli/CtlRegisters.h"
#include "cli/CtlSetupCommands.h"
#include "cli/CtlWatch.h"
#include "device/RegisterCodecs.h"

#include <algorithm>
#include <utility>
#include <ostream>
#include <variant>

namespace zvx::ctl {

Session::Session(ProgramPort port, const AppOptions& options, CtlEnvironment& env, CtlOutput& output)
    : env_(env), output_(output), ownBus_(std::make_unique<I2cBus>(std::move(port.port), std::move(port.adapter))),
      bus_(*ownBus_), chips_(bus_.transactions()),
      ownU1_(std::make_unique<ChipDevice>(chips_, bus_.log, Device::U1, addresses_.U1readAddress,
                                          addresses_.U1writeAddress)),
      ownU4_(std::make_unique<ChipDevice>(chips_, bus_.log, Device::U4, addresses_.U4readAddress,
                                          addresses_.U4writeAddress)),
      u1_(*ownU1_), u4_(*ownU4_)
{
    if (options.trace) {
        copyTraceTo(bus_.log, env_.err);
        bus_.log.traceOn = 1;
    }
    bus_.setBeep([] {});
    if (options.delay)
        bus_.lines.delayCount = *options.delay;
    bus_.engine.ackNotRequired = options.noAck;
    bus_.initLPTport(static_cast<std::int16_t>(options.lpt - 1));
    addresses_.setDefaults();
    if (!bus_.adapterFound())
        env_.err << "warning: " << bus_.adapterMessage() << "\n";
}

Session::Session(CtlBorrowedBus borrowed, const AppOptions& options, CtlEnvironment& env, CtlOutput& output)
    : env_(env), output_(output), bus_(borrowed.bus), chips_(bus_.transactions()), u1_(borrowed.u1),
      u4_(borrowed.u4)
{
    if (options.trace) {
        traceCopy_ = copyTraceTo(bus_.log, env_.err);
        traceOnBefore_ = std::exchange(bus_.log.traceOn, 1);
    }
}

Session::~Session()
{
    if (traceCopy_) {
        bus_.log.removeListener(*traceCopy_);
        bus_.log.traceOn = traceOnBefore_;
    }
}

Session::Prepared Session::prepare(const std::vector<std::string>& words, const std::optional<std::string>& adapter,
                                   bool lenient)
{
    const std::string& cmd = words[0];
    if (Prepared p = prepareRegisterCommand(words))
        return p;
    if (Prepared p = prepareSetupCommand(words, lenient))
        return p;
    if (cmd == "watch")
        return [request = parseWatchCommand(words)](Session& s) { return runWatch(request, s); };
    if (cmd == "export")
        return [request = parseExportCommand(words, lenient)](Session& s) { return runExport(request, s); };
    if (cmd == "mode") {
        auto parsed = parseModeCommand(words);
        if (const auto* error = std::get_if<std::string>(&parsed))
            throw UsageError{*error};
        return [command = std::get<ModeCommand>(parsed)](Session& s) {
            runModeCommand(command, s.chip(Device::U1), s.where(), s.output());
            return kOk;
        };
    }
    if (cmd == "port") {
        if (adapter)
            throw UsageError{"'port' drives the parallel port's pins; the bus is " +
                             (adapter->empty() ? "an I2C adapter" : "the I2C adapter " + *adapter)};
        auto parsed = parsePortCommand(words);
        if (const auto* error = std::get_if<std::string>(&parsed))
            throw UsageError{*error};
        return [command = std::get<PortCommand>(parsed)](Session& s) {
            const int value = runPortCommand(command, s.bus_.port(), s.bus_.lines.portSet());
            s.output().print({{"command", "port"},
                              {"action", command.write ? "write" : "read"},
                              {"register", portRegisterName(command.reg)},
                              {"value", value}},
                             [write = command.write](const QJsonObject& r) {
                                 return write ? std::string() : showHexByte(r["value"].toInt()) + "\n";
                             });
            return kOk;
        };
    }
    throw UsageError{"unknown command '" + echo(cmd) + "'"};
}

std::optional<std::string> Session::adapter() const
{
    return bus_.overAdapter() ? std::optional<std::string>(bus_.where()) : std::nullopt;
}

int Session::run(const Prepared& command)
{
    const unsigned missingBefore = chips_.missingAcks();
    const int status = command(*this);
    return std::max(status, chips_.missingAcks() != missingBefore ? kMissingAck : kOk);
}

std::optional<std::array<std::int16_t, 8>> Session::readRegisters(Device d)
{
    const auto regs = chip(d).readRegisters0to7();
    if (!chip(d).answered())
        return std::nullopt;
    return regs;
}

void Session::close(bool traced)
{
    bus_.closeI2Cbus();
    if (traced)
        env_.err << "\n";  // the closing message carries no line break of its own
}

QJsonObject Session::notAnswering(const char* command, const ChipDevice& device) const
{
    return {{"command", command},
            {"device", jsonText(deviceName(device.id()))},
            {"error", jsonText(device.notAnsweringSentence(bus_.where()))}};
}

CtlOutput::TextForm orSilence(CtlOutput::TextForm text)
{
    return [text = std::move(text)](const QJsonObject& r) {
        return r.contains("error") ? plainText(r["error"]) + "\n" : text(r);
    };
}

} // namespace zvx::ctl
