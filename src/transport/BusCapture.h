#pragma once
// Bus capture: a port decorator that writes every line change the program
// makes and every SDA sample it reads to a Value Change Dump (VCD) file,
// which GTKWave, PulseView and sigrok's I2C decoder open. Signals:
//   SCL        control register bit 3, as the program drives it
//   SDA_drive  data register bit 7 inverted: 0 while the program pulls SDA low
//   SDA_sense  status bit 7 as last read back (0 = SDA low)
//   SDA        the true line, the wired AND of program and chips (only when
//              the backend knows it, i.e. on the simulated board)
// Timestamps are nanoseconds since the capture began, on the backend's own
// clock when it has one (the simulated board's virtual clock, so captures are
// reproducible), else on the monotonic clock. Two changes of one signal at
// the same instant are written 1 ns apart so no edge is lost.
// The lines are assumed idle high until the program first changes them.

#include "transport/PortIo.h"

#include <array>
#include <chrono>
#include <iosfwd>
#include <memory>
#include <string>

namespace zvx {

class BusCapture final : public PortIo {
public:
    BusCapture(std::unique_ptr<PortIo> inner, std::unique_ptr<std::ostream> out);
    ~BusCapture() override;

    std::uint8_t portIn(std::uint16_t address) override;
    void portOut(std::uint16_t address, std::uint8_t value) override;
    void delayElapsed(std::int32_t passes) override;
    std::optional<std::uint64_t> virtualTimeNs() const override { return inner_->virtualTimeNs(); }
    std::optional<bool> trueSdaLevel() const override { return inner_->trueSdaLevel(); }
    std::string description() const override { return inner_->description(); }
    std::string describeLpt(int lpt) const override { return inner_->describeLpt(lpt); }

    void flush();
    PortIo& inner() { return *inner_; }

private:
    enum Signal { kScl, kSdaDrive, kSdaSense, kSda, kSignalCount };
    std::uint64_t now() const;
    void change(Signal signal, bool level);
    void followTrueSda();

    std::unique_ptr<PortIo> inner_;
    std::unique_ptr<std::ostream> out_;
    bool hasTrueSda_;
    bool virtualClock_;
    std::uint64_t virtualStart_ = 0;
    std::chrono::steady_clock::time_point realStart_;
    std::array<bool, kSignalCount> level_{};
    std::array<bool, kSignalCount> changedAtCurrent_{};
    std::uint64_t currentTime_ = 0;
};

// Wraps `port` in a capture writing to `path`. On failure the port comes
// back unwrapped and `error` says why ("cannot write capture file ...").
struct CaptureResult {
    std::unique_ptr<PortIo> port;
    std::string error;
};
CaptureResult captureTo(std::unique_ptr<PortIo> port, const std::string& path);

} // namespace zvx
