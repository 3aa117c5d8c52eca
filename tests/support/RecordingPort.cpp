#include "support/RecordingPort.h"

#include <algorithm>

namespace zvx::test {

namespace {
bool isStatus(std::uint16_t a) { return a == 0x379 || a == 0x279 || a == 0x3BD; }
bool isData(std::uint16_t a) { return a == 0x378 || a == 0x278 || a == 0x3BC; }
bool isControl(std::uint16_t a) { return a == 0x37A || a == 0x27A || a == 0x3BE; }
} // namespace

std::vector<std::uint8_t> RecordingPort::statusBitsOf(std::uint8_t byte)
{
    std::vector<std::uint8_t> bits;
    for (int bit = 7; bit >= 0; --bit)
        bits.push_back((byte >> bit) & 1 ? 0x80 : 0x00);
    return bits;
}

std::uint8_t RecordingPort::portIn(std::uint16_t address)
{
    std::uint8_t value = registerValue(address);
    if (isStatus(address) && !statusScript_.empty()) {
        value = statusScript_.front();
        statusScript_.pop_front();
    } else if (isStatus(address)) {
        value = statusFunction ? statusFunction(*this) : statusDefault;
    }
    events_.push_back({Event::In, address, value, 0});
    return value;
}

void RecordingPort::portOut(std::uint16_t address, std::uint8_t value)
{
    registers_[address] = value;
    events_.push_back({Event::Out, address, value, 0});
}

void RecordingPort::delayElapsed(std::int32_t passes)
{
    events_.push_back({Event::Delay, 0, 0, passes});
}

std::uint8_t RecordingPort::registerValue(std::uint16_t address) const
{
    const auto it = registers_.find(address);
    return it == registers_.end() ? 0 : it->second;
}

std::size_t RecordingPort::statusReads() const
{
    return std::size_t(std::count_if(events_.begin(), events_.end(),
                                     [](const Event& e) { return e.kind == Event::In && isStatus(e.address); }));
}

std::size_t RecordingPort::delays() const
{
    return std::size_t(std::count_if(events_.begin(), events_.end(), [](const Event& e) { return e.kind == Event::Delay; }));
}

std::string RecordingPort::lineTrace() const
{
    std::string out;
    auto add = [&](const char* s) {
        if (!out.empty())
            out += ' ';
        out += s;
    };
    for (const auto& e : events_) {
        switch (e.kind) {
        case Event::Delay:
            add("~");
            break;
        case Event::In:
            if (isStatus(e.address))
                add("?");
            break;
        case Event::Out:
            if (isData(e.address))
                add(e.value & 0x80 ? "SDA-" : "SDA+");
            else if (isControl(e.address))
                add(e.value & 0x08 ? "SCL+" : "SCL-");
            else
                add("OUT?");
            break;
        }
    }
    return out;
}

} // namespace zvx::test
