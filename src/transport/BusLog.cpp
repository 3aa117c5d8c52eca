#include "transport/BusLog.h"

#include <algorithm>

namespace zvx {

namespace {
constexpr std::size_t kNominalLineLength = 50;
constexpr std::string_view kEnabledText = "Wisp Debugger ENABLED \r\n";
constexpr std::string_view kDisabledText = "Wisp debugger  DISABLED ";
} // namespace

template <typename Call>
void BusLog::notify(Call call)
{
    ++notifying_;
    // By index: a callback may add listeners (the deque keeps existing
    // entries where they are); entries added now wait for the next change.
    const std::size_t count = listeners_.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (listeners_[i].id != 0)
            call(listeners_[i].listener);
    }
    if (--notifying_ == 0 && removedWhileNotifying_) {
        removedWhileNotifying_ = false;
        std::erase_if(listeners_, [](const Entry& e) { return e.id == 0; });
    }
}

void BusLog::debugLog(std::string_view text)
{
    notify([](Listener& l) {
        if (l.beforeAppend)
            l.beforeAppend();
    });

    text_.append(text);
    lastDropped_.clear();
    const auto length = static_cast<long long>(text_.size());
    if (length / static_cast<long long>(kNominalLineLength) > traceKeepLines) {
        const std::size_t cr = text_.find('\r');
        // The oldest line with its CR and the character after it; with no
        // CR only the first character.
        const std::size_t drop = std::min(cr == std::string::npos ? 1 : cr + 2, text_.size());
        lastDropped_.assign(text_, 0, drop);
        text_.erase(0, drop);
    }

    const std::size_t dropped = lastDropped_.size();
    notify([&](Listener& l) {
        if (l.appended)
            l.appended(text, dropped);
    });
}

void BusLog::enableTracing()
{
    traceOn = 1;
    debugLog(kEnabledText);
}

void BusLog::disableTracing()
{
    debugLog(kDisabledText);
    traceOn = 0;
}

void BusLog::clear()
{
    text_.clear();
    lastDropped_.clear();
    notify([](Listener& l) {
        if (l.cleared)
            l.cleared();
    });
}

BusLog::ListenerId BusLog::addListener(Listener listener)
{
    const ListenerId id = nextId_++;
    listeners_.push_back(Entry{id, std::move(listener)});
    return id;
}

void BusLog::removeListener(ListenerId id)
{
    if (id == 0)
        return;
    for (auto& e : listeners_) {
        if (e.id == id) {
            if (notifying_ > 0) {
                // The entry may be running right now: retire it, erase later.
                e.id = 0;
                removedWhileNotifying_ = true;
            } else {
                std::erase_if(listeners_, [id](const Entry& x) { return x.id == id; });
            }
            return;
        }
    }
}

} // namespace zvx
