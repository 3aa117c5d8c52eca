#include "transport/PpdevPort.h"

#include "transport/BusLines.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fstream>
#include <algorithm>
#include <system_error>

#include <fcntl.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <linux/parport.h>
#include <linux/ppdev.h>

namespace zvx {

namespace {

std::string hex(std::uint16_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%03X", unsigned{v});
    return buf;
}

std::string openError(const std::string& device, int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return device + ": permission denied (add yourself to group lp)";
    case ENOENT:
        return device + ": no such device (load the ppdev module: modprobe ppdev)";
    case ENXIO:
    case ENODEV:
        return device + ": no such device";
    default:
        return device + ": " + std::strerror(err);
    }
}

// "LPT1" for a base address of the LPT menu, else the address.
std::string lptLabel(std::uint16_t base)
{
    for (const auto& p : kLptPorts)
        if (p.base == base)
            return p.name;
    return hex(base);
}

// The signal that interrupts a claim still waiting when its time is up. Its
// handler does nothing: the signal is there only to make the claim return.
constexpr int kClaimTimeoutSignal = SIGALRM;
void claimTimedOut(int) {}

timespec toTimespec(std::chrono::nanoseconds ns)
{
    timespec t{};
    t.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
    t.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
    return t;
}

} // namespace

ClaimResult claimWithin(const std::function<int()>& claim, std::chrono::milliseconds limit)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;

    // Only for the length of the claim: the handler (without SA_RESTART, so
    // a waiting claim comes back with EINTR) and the signal let through to
    // this thread.
    struct sigaction interrupt {};
    struct sigaction previous {};
    interrupt.sa_handler = &claimTimedOut;
    sigemptyset(&interrupt.sa_mask);
    ::sigaction(kClaimTimeoutSignal, &interrupt, &previous);
    sigset_t timeoutSignal;
    sigset_t previousMask;
    sigemptyset(&timeoutSignal);
    sigaddset(&timeoutSignal, kClaimTimeoutSignal);
    ::pthread_sigmask(SIG_UNBLOCK, &timeoutSignal, &previousMask);

    // Aimed at this thread, not the process: only this thread is waiting.
    // It fires at the deadline and every 50 ms after, so a tick that lands
    // just before the claim starts waiting is followed by another.
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = kClaimTimeoutSignal;
    event._sigev_un._tid = ::gettid();
    timer_t timer{};
    const bool armed = ::timer_create(CLOCK_MONOTONIC, &event, &timer) == 0;
    if (armed) {
        itimerspec when{};
        when.it_value = toTimespec(std::max<std::chrono::nanoseconds>(limit, std::chrono::nanoseconds(1)));
        when.it_interval = toTimespec(std::chrono::milliseconds(50));
        ::timer_settime(timer, 0, &when, nullptr);
    }

    ClaimResult result;
    for (;;) {
        if (claim() == 0) {
            result = {ClaimOutcome::Claimed, 0};
            break;
        }
        const int err = errno;
        if (err != EINTR && err != EBUSY && err != EAGAIN) {
            result = {ClaimOutcome::Failed, err};
            break;
        }
        if (Clock::now() >= deadline) {
            result = {ClaimOutcome::InUse, err};
            break;
        }
        if (err != EINTR) {
            const timespec pause = toTimespec(std::chrono::milliseconds(10));
            ::nanosleep(&pause, nullptr);
        }
    }

    // Disarm, swallow a tick already on its way, and put everything back.
    ::pthread_sigmask(SIG_BLOCK, &timeoutSignal, nullptr);
    if (armed)
        ::timer_delete(timer);
    const timespec now{};
    while (::sigtimedwait(&timeoutSignal, nullptr, &now) > 0) {
    }
    ::sigaction(kClaimTimeoutSignal, &previous, nullptr);
    ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    return result;
}

ParportLookup findParportForBase(std::uint16_t base, const std::filesystem::path& procDir)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(procDir, ec))
        return {std::nullopt, "no parallel port known to the kernel (" + procDir.string() +
                                  " missing: load parport_pc)"};
    std::string seen;
    for (const auto& entry : fs::directory_iterator(procDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("parport", 0) != 0 || name.size() == 7)
            continue;
        int number = 0;
        try {
            std::size_t used = 0;
            number = std::stoi(name.substr(7), &used);
            if (used != name.size() - 7 || number < 0)
                continue;
        } catch (...) {
            continue;
        }
        std::ifstream in(entry.path() / "base-addr");
        long reported = -1;  // decimal base, then the ECP base
        if (!(in >> reported))
            continue;
        if (reported == base)
            return {number, {}};
        seen += (seen.empty() ? "" : ", ") + name + " at " + hex(static_cast<std::uint16_t>(reported));
    }
    return {std::nullopt, "no parallel port at " + hex(base) +
                              (seen.empty() ? std::string(" (the kernel knows none)")
                                            : " (the kernel knows " + seen + ")")};
}

LptOpenResult PpdevLpt::open(std::uint16_t base, const ParportPaths& paths)
{
    const ParportLookup found = findParportForBase(base, paths.procDir);
    if (!found.number)
        return {nullptr, found.error};
    const std::string device = (paths.devDir / ("parport" + std::to_string(*found.number))).string();

    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return {nullptr, openError(device, errno)};
    const ClaimResult claimed = claimWithin(
        [&] { return paths.claim ? paths.claim(fd) : ::ioctl(fd, PPCLAIM); }, paths.claimWait);
    if (claimed.outcome != ClaimOutcome::Claimed) {
        ::close(fd);
        if (claimed.outcome == ClaimOutcome::InUse) {
            const std::string holder = paths.holder ? paths.holder() : std::string();
            return {nullptr,
                    lptLabel(base) + " (" + device + ") is in use by " +
                        (holder.empty() ? std::string("another program") : holder),
                    true};
        }
        return {nullptr, device + ": cannot claim the port: " + std::strerror(claimed.error)};
    }
    // Data lines as outputs: SDA is pulled low through data bit 7.
    int forward = 0;
    ::ioctl(fd, PPDATADIR, &forward);
    unsigned char data = 0;
    unsigned char control = 0;
    ::ioctl(fd, PPRDATA, &data);
    ::ioctl(fd, PPRCONTROL, &control);
    return {std::unique_ptr<LptRegisters>(new PpdevLpt(fd, device, data, control)), {}};
}

PpdevLpt::PpdevLpt(int fd, std::string device, std::uint8_t data, std::uint8_t control)
    : fd_(fd), device_(std::move(device)), data_(data), control_(control)
{
}

PpdevLpt::~PpdevLpt()
{
    ::ioctl(fd_, PPRELEASE);
    ::close(fd_);
}

std::uint8_t PpdevLpt::read(int reg)
{
    switch (reg) {
    case 0:
        return data_;
    case 1: {
        unsigned char status = 0xFF;
        ::ioctl(fd_, PPRSTATUS, &status);
        return status;
    }
    default:
        return control_;
    }
}

void PpdevLpt::write(int reg, std::uint8_t value)
{
    unsigned char v = value;
    if (reg == 0) {
        data_ = value;
        ::ioctl(fd_, PPWDATA, &v);
    } else if (reg == 2) {
        control_ = value;
        // ppdev takes only the four line bits (STROBE, AUTOFEED, INIT,
        // SELECT IN); the direction bit would switch the data lines to input
        // and the interrupt enable belongs to the driver.
        v &= 0x0F;
        ::ioctl(fd_, PPWCONTROL, &v);
    }
    // The status register cannot be written.
}

} // namespace zvx
