#include "app/StopSignals.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace zvx {

namespace {

constexpr std::array<int, 4> kCaught{SIGTERM, SIGINT, SIGHUP, SIGPIPE};

// A signal handler reaches nothing but what lives at file scope: the one
// place in the program with state of this kind, written only by the handler
// and by the one StopSignals alive.
std::atomic<int> stopSignal{0};
std::atomic<int> wakeWrite{-1};
std::array<struct sigaction, kCaught.size()> previous{};

void onSignal(int signal)
{
    if (signal == SIGPIPE)
        return;  // the failed write says EPIPE; the program ends on that
    const int savedErrno = errno;
    int none = 0;
    stopSignal.compare_exchange_strong(none, signal);
    if (const int fd = wakeWrite.load(); fd >= 0) {
        const char byte = static_cast<char>(signal);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);  // a full pipe is awake already
    }
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals()
{
    stopSignal = 0;
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        wakeRead_ = fds[0];
        wakeWrite = fds[1];
    }
    struct sigaction action {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    // Restarted: a bus transfer or a capture write under way is not cut
    // short. Waiting for input goes through poll, which the signal ends.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kCaught.size(); ++i)
        ::sigaction(kCaught[i], &action, &previous[i]);
}

StopSignals::~StopSignals()
{
    for (std::size_t i = 0; i < kCaught.size(); ++i)
        ::sigaction(kCaught[i], &previous[i], nullptr);
    const int fd = wakeWrite.exchange(-1);
    if (fd >= 0)
        ::close(fd);
    if (wakeRead_ >= 0)
        ::close(wakeRead_);
}

int StopSignals::received() const
{
    return stopSignal.load();
}

void StopSignals::drainWake() const
{
    char bytes[16];
    while (wakeRead_ >= 0 && ::read(wakeRead_, bytes, sizeof bytes) > 0) {
    }
}

} // namespace zvx
