#include "transport/BusCapture.h"

#include "transport/BusLines.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>

namespace zvx {

namespace {
constexpr std::array<char, 4> kIds{'!', '"', '#', '$'};
constexpr std::array<const char*, 4> kNames{"SCL", "SDA_drive", "SDA_sense", "SDA"};
} // namespace

BusCapture::BusCapture(std::unique_ptr<PortIo> inner, std::unique_ptr<std::ostream> out)
    : inner_(std::move(inner)),
      out_(std::move(out)),
      hasTrueSda_(inner_->trueSdaLevel().has_value()),
      virtualClock_(inner_->virtualTimeNs().has_value()),
      realStart_(std::chrono::steady_clock::now())
{
    if (virtualClock_)
        virtualStart_ = *inner_->virtualTimeNs();
    level_.fill(true);  // both lines idle high, SDA released
    if (hasTrueSda_)
        level_[kSda] = *inner_->trueSdaLevel();

    std::ostream& o = *out_;
    o << "$version zvx7246labTool " ZVX_VERSION_STRING " bus capture $end\n"
      << "$comment " << inner_->description() << " $end\n"
      << "$timescale 1 ns $end\n"
      << "$scope module lpt $end\n";
    const int signals = hasTrueSda_ ? kSignalCount : kSda;
    for (int s = 0; s < signals; ++s)
        o << "$var wire 1 " << kIds[s] << ' ' << kNames[s] << " $end\n";
    o << "$upscope $end\n"
      << "$enddefinitions $end\n"
      << "#0\n$dumpvars\n";
    for (int s = 0; s < signals; ++s)
        o << (level_[s] ? '1' : '0') << kIds[s] << '\n';
    o << "$end\n";
    // The initial values own instant 0; the first change comes after them.
    changedAtCurrent_.fill(true);
}

BusCapture::~BusCapture()
{
    flush();
}

void BusCapture::flush()
{
    out_->flush();
}

std::uint64_t BusCapture::now() const
{
    if (virtualClock_) {
        const std::uint64_t t = inner_->virtualTimeNs().value_or(virtualStart_);
        return t >= virtualStart_ ? t - virtualStart_ : 0;
    }
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now() - realStart_)
                                          .count());
}

void BusCapture::change(Signal signal, bool level)
{
    if (level_[signal] == level)
        return;
    std::uint64_t t = now();
    if (t < currentTime_)
        t = currentTime_;
    if (t == currentTime_ && changedAtCurrent_[signal])
        t = currentTime_ + 1;
    if (t != currentTime_) {
        currentTime_ = t;
        changedAtCurrent_.fill(false);
        *out_ << '#' << t << '\n';
    }
    changedAtCurrent_[signal] = true;
    level_[signal] = level;
    *out_ << (level ? '1' : '0') << kIds[signal] << '\n';
}

void BusCapture::followTrueSda()
{
    if (hasTrueSda_)
        if (auto sda = inner_->trueSdaLevel())
            change(kSda, *sda);
}

std::uint8_t BusCapture::portIn(std::uint16_t address)
{
    const std::uint8_t value = inner_->portIn(address);
    if (const auto where = lptRegisterOf(address); where && where->reg == 1) {
        followTrueSda();
        change(kSdaSense, (value & wiring::kSdaSenseMask) != 0);
    }
    return value;
}

void BusCapture::portOut(std::uint16_t address, std::uint8_t value)
{
    inner_->portOut(address, value);
    if (const auto where = lptRegisterOf(address)) {
        if (where->reg == 0)
            change(kSdaDrive, (value & wiring::kSdaDriveMask) == 0);
        else if (where->reg == 2)
            change(kScl, (value & wiring::kSclHigh) != 0);
    }
    followTrueSda();
}

void BusCapture::delayElapsed(std::int32_t passes)
{
    inner_->delayElapsed(passes);
    followTrueSda();  // a chip may let go of SDA as time passes
}

CaptureResult captureTo(std::unique_ptr<PortIo> port, const std::string& path)
{
    auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc);
    if (!*file)
        return {std::move(port), "cannot write capture file " + path + ": " + std::strerror(errno)};
    return {std::make_unique<BusCapture>(std::move(port), std::move(file)), {}};
}

} // namespace zvx
