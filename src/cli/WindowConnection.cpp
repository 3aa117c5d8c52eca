#include "cli/WindowConnection.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zvx {

namespace {

constexpr const char* kSocketName = "zvx7246labTool.sock";

} // namespace

std::string userWindowSocketPath()
{
    // The folder a session gives its user, as a Wayland client finds its
    // compositor; Qt's choice only without one.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/" + kSocketName;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder.toStdString() + "/" + kSocketName;
}

std::string windowPortHolder(const std::string& path)
{
    WindowConnection window;
    if (window.open(path, 1000) != WindowConnection::Open::Connected)
        return {};
    return "zvx7246labTool (pid " + std::to_string(window.hello().pid) + "); add --window to send the commands through it";
}

WindowConnection::~WindowConnection()
{
    if (fd_ >= 0)
        ::close(fd_);
}

WindowConnection::Open WindowConnection::open(const std::string& path, int timeoutMs, int wakeFd)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error_ = path + ": the name is too long for a socket";
        return Open::Failed;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        error_ = std::string("cannot make a socket: ") + std::strerror(errno);
        return Open::Failed;
    }
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int e = errno;
        ::close(fd_);
        fd_ = -1;
        if (e == ENOENT || e == ECONNREFUSED || e == ENOTDIR)
            return Open::NoWindow;
        error_ = path + ": " + std::strerror(e);
        return Open::Failed;
    }
    const auto first = receive(wakeFd, timeoutMs);
    if (!first) {
        if (error_.empty())
            error_ = "the zvx7246labTool window did not answer";
        return Open::Failed;
    }
    if (first->name == "refused") {
        error_ = "the zvx7246labTool window refused the connection: " + first->payload;
        return Open::Failed;
    }
    const auto hello = first->name == "hello" ? decodeHello(first->payload) : std::nullopt;
    if (!hello) {
        error_ = path + " is not a zvx7246labTool window";
        return Open::Failed;
    }
    if (hello->version != kWindowProtocolVersion) {
        error_ = "the zvx7246labTool window (pid " + std::to_string(hello->pid) + ") speaks protocol " +
                 std::to_string(hello->version) + ", this zvx7246ctl " + std::to_string(kWindowProtocolVersion);
        return Open::Failed;
    }
    hello_ = *hello;
    return Open::Connected;
}

bool WindowConnection::readable() const
{
    if (reader_.pending() || fd_ < 0)
        return true;
    pollfd fds{fd_, POLLIN, 0};
    return ::poll(&fds, 1, 0) > 0;
}

bool WindowConnection::send(std::string_view name, std::string_view payload)
{
    if (fd_ < 0)
        return false;
    const std::string record = encodeWindowRecord(name, payload);
    std::size_t done = 0;
    while (done < record.size()) {
        // MSG_NOSIGNAL: a window that went away is an error here, not SIGPIPE.
        const ssize_t n = ::send(fd_, record.data() + done, record.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = std::string("the connection to the zvx7246labTool window broke: ") + std::strerror(errno);
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

std::optional<WindowRecord> WindowConnection::receive(int wakeFd, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (auto record = reader_.next())
            return record;
        if (!reader_.error().empty()) {
            error_ = "the zvx7246labTool window sent " + reader_.error();
            return std::nullopt;
        }
        if (fd_ < 0)
            return std::nullopt;
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        int wait = -1;
        if (timeoutMs >= 0)
            wait = int(std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
        const int ready = ::poll(fds, wakeFd >= 0 ? 2 : 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            error_ = std::string("poll: ") + std::strerror(errno);
            return std::nullopt;
        }
        if (ready == 0) {
            error_ = "the zvx7246labTool window did not answer within " + std::to_string(timeoutMs / 1000) + " s";
            return std::nullopt;
        }
        if (wakeFd >= 0 && (fds[1].revents & POLLIN)) {
            interrupted_ = true;
            return std::nullopt;
        }
        char buffer[16 * 1024];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = n == 0 ? std::string("the zvx7246labTool window ended the connection")
                            : std::string("the connection to the zvx7246labTool window broke: ") + std::strerror(errno);
            ::close(fd_);
            fd_ = -1;
            // Whole records received before the end still count.
            if (auto record = reader_.next())
                return record;
            return std::nullopt;
        }
        reader_.feed(std::string_view(buffer, std::size_t(n)));
    }
}

} // namespace zvx
