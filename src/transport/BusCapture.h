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
//
// A capture that cannot be written is not lost in silence: the first failed
// write (a full disk, a quota) ends it at once, says so once through
// onFailure, and the bus carries on without it.

#include "transport/PortIo.h"

#include <array>
#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace zvx {

class BusCapture final : public PortIo {
public:
    // `name` is how messages call the output, normally the file's path.
    BusCapture(std::unique_ptr<PortIo> inner, std::unique_ptr<std::ostream> out,
               std::string name = "the capture");
    // Writes out what is still buffered; a failure then is reported on
    // standard error only (whoever set onFailure may be gone).
    ~BusCapture() override;

    std::uint8_t portIn(std::uint16_t address) override;
    void portOut(std::uint16_t address, std::uint8_t value) override;
    bool takeVirtualDelay(std::uint64_t ns) override { return inner_->takeVirtualDelay(ns); }
    void delayElapsed(std::int32_t passes) override;
    std::optional<std::uint64_t> virtualTimeNs() const override { return inner_->virtualTimeNs(); }
    std::optional<bool> trueSdaLevel() const override { return inner_->trueSdaLevel(); }
    std::string description() const override { return inner_->description(); }
    std::string describeLpt(int lpt) const override { return inner_->describeLpt(lpt); }

    // Writes out what is buffered. False once the capture has failed.
    bool flush();
    bool failed() const { return !failure_.empty(); }
    // "capture file bus.vcd: write failed (No space left on device); capturing stopped"
    const std::string& failure() const { return failure_; }
    // Told the failure once, when it happens (inside a bus transaction, so it
    // must not start another); standard error when empty.
    std::function<void(const std::string&)> onFailure;

    PortIo& inner() { return *inner_; }

private:
    enum Signal { kScl, kSdaDrive, kSdaSense, kSda, kSignalCount };
    std::uint64_t now() const;
    void change(Signal signal, bool level);
    void followTrueSda();
    // Notices a failed write of the stream and ends the capture.
    void checkStream();

    std::unique_ptr<PortIo> inner_;
    std::unique_ptr<std::ostream> out_;
    std::string name_;
    std::string failure_;
    bool hasTrueSda_;
    bool virtualClock_;
    std::uint64_t virtualStart_ = 0;
    std::chrono::steady_clock::time_point realStart_;
    std::array<bool, kSignalCount> level_{};
    std::array<bool, kSignalCount> changedAtCurrent_{};
    std::uint64_t currentTime_ = 0;
};

// Wraps `port` in a capture writing to the file `path`, created or emptied.
// Only a regular file or /dev/null is taken: the file is opened without
// waiting (a FIFO nobody reads would otherwise hold the program at the open
// for good) and anything else is refused. On failure the port comes back
// unwrapped and `error` says why ("cannot write capture file ...").
//
// One capture file has one writer: the capture holds an exclusive advisory
// lock (flock) on a regular file for as long as it lives, taken before the
// file is emptied. A file another capture holds is left as it is, and
// `heldBy` says so: "bus.vcd is being written by another program (pid
// 4711)" (the pid from /proc/locks, which lists every flock with its
// owner's pid; left out when it cannot be found there).
struct CaptureResult {
    std::unique_ptr<PortIo> port;
    BusCapture* capture = nullptr;  // inside `port`, lives as long as it does
    std::string error;
    std::string heldBy = {};  // set instead of error when another program writes the file
};
CaptureResult captureTo(std::unique_ptr<PortIo> port, const std::string& path);

} // namespace zvx
