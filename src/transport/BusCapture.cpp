#include "transport/BusCapture.h"

#include "transport/BusLines.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <ostream>
#include <streambuf>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zvx {

namespace {
constexpr std::array<char, 4> kIds{'!', '"', '#', '$'};
constexpr std::array<const char*, 4> kNames{"SCL", "SDA_drive", "SDA_sense", "SDA"};

// A buffered stream onto a file descriptor that reports every failed write:
// the stream goes bad and errno keeps the reason, which is all the capture
// looks at.
class FileBuffer final : public std::streambuf {
public:
    explicit FileBuffer(int fd) : fd_(fd), buffer_(16 * 1024) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
    ~FileBuffer() override
    {
        sync();
        ::close(fd_);
    }

protected:
    int_type overflow(int_type ch) override
    {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain()
    {
        if (broken_)
            return false;
        const char* p = pbase();
        std::size_t left = static_cast<std::size_t>(pptr() - pbase());
        while (left > 0) {
            const ssize_t written = ::write(fd_, p, left);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                if (written == 0)
                    errno = EIO;
                broken_ = true;
                return false;
            }
            p += written;
            left -= static_cast<std::size_t>(written);
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return true;
    }

    int fd_;
    std::vector<char> buffer_;
    bool broken_ = false;
};

class FileStream final : public std::ostream {
public:
    explicit FileStream(int fd) : std::ostream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

private:
    FileBuffer buffer_;
};

bool isDevNull(const struct stat& st)
{
    struct stat null {};
    return S_ISCHR(st.st_mode) && ::stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode) &&
           st.st_rdev == null.st_rdev;
}

bool isCaptureTarget(const struct stat& st)
{
    return S_ISREG(st.st_mode) || isDevNull(st);
}

// The process holding the flock on a file, as /proc/locks lists it:
//   "2: FLOCK  ADVISORY  WRITE 18859 fe:00:10952839 0 EOF"
// (device numbers in hex, then the inode). A file system whose device
// numbers differ from stat's (a btrfs subvolume) is matched by the inode
// alone when only one lock has it.
std::optional<long> flockHolder(const struct stat& st)
{
    std::FILE* locks = std::fopen("/proc/locks", "re");
    if (!locks)
        return std::nullopt;
    std::optional<long> exact;
    std::optional<long> sameInode;
    int sameInodeCount = 0;
    char line[512];
    while (std::fgets(line, sizeof line, locks)) {
        char type[16] = {};
        char access[16] = {};
        long pid = 0;
        unsigned major = 0;
        unsigned minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(line, "%*d: %15s %*s %15s %ld %x:%x:%llu", type, access, &pid, &major, &minor, &inode) != 6 ||
            std::strcmp(type, "FLOCK") != 0 || std::strcmp(access, "WRITE") != 0 || inode != st.st_ino || pid <= 0)
            continue;
        if (makedev(major, minor) == st.st_dev)
            exact = pid;
        sameInode = pid;
        ++sameInodeCount;
    }
    std::fclose(locks);
    if (exact)
        return exact;
    return sameInodeCount == 1 ? sameInode : std::nullopt;
}
} // namespace

BusCapture::BusCapture(std::unique_ptr<PortIo> inner, std::unique_ptr<std::ostream> out, std::string name)
    : inner_(std::move(inner)),
      out_(std::move(out)),
      name_(std::move(name)),
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
    checkStream();
    // The initial values own instant 0; the first change comes after them.
    changedAtCurrent_.fill(true);
}

BusCapture::~BusCapture()
{
    onFailure = nullptr;
    flush();
}

bool BusCapture::flush()
{
    if (failed())
        return false;
    out_->flush();
    checkStream();
    return !failed();
}

void BusCapture::checkStream()
{
    if (out_->good() || failed())
        return;
    // Read at once: the failed write left its reason in errno.
    const int err = errno;
    failure_ = name_ + ": write failed (" + (err != 0 ? std::strerror(err) : "unknown error") +
               "); capturing stopped";
    if (onFailure)
        onFailure(failure_);
    else
        std::fprintf(stderr, "%s\n", failure_.c_str());
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
    level_[signal] = level;
    if (failed())
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
    *out_ << (level ? '1' : '0') << kIds[signal] << '\n';
    checkStream();
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
    auto refuse = [&](const std::string& why) {
        return CaptureResult{std::move(port), nullptr, "cannot write capture file " + path + ": " + why};
    };
    const std::string notAFile = "not a regular file (a capture goes to a regular file or /dev/null)";
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !isCaptureTarget(st))
        return refuse(notAFile);
    // Not blocking: opening a FIFO nobody reads would otherwise wait for a
    // reader for ever. Not truncating yet: only a regular file is emptied.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return refuse(errno == ENXIO ? notAFile : std::strerror(errno));
    // Checked again on what was opened: the name may have changed hands.
    if (::fstat(fd, &st) != 0 || !isCaptureTarget(st)) {
        ::close(fd);
        return refuse(notAFile);
    }
    // One writer per file: the lock comes before the file is emptied, and a
    // file another capture holds is left as it is. A file system without
    // locks cannot guard the file, and the capture goes ahead.
    if (S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        CaptureResult held{std::move(port), nullptr, {}, path + " is being written by another program"};
        if (const auto pid = flockHolder(st))
            held.heldBy += " (pid " + std::to_string(*pid) + ")";
        ::close(fd);
        return held;
    }
    if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        return refuse(std::strerror(err));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    auto capture = std::make_unique<BusCapture>(std::move(port), std::make_unique<FileStream>(fd),
                                                "capture file " + path);
    BusCapture* raw = capture.get();
    return {std::move(capture), raw, {}};
}

} // namespace zvx
