#pragma once
// zvx7246ctl's end of the conversation with the running window
// (app/WindowProtocol.h): a blocking local-socket connection that a stop
// signal can interrupt.

#include "app/WindowProtocol.h"

#include <optional>
#include <string>

namespace zvx {

// Where this user's window listens: $XDG_RUNTIME_DIR (the folder the window's
// instance lock is in) or, without one, the runtime folder Qt would choose.
std::string userWindowSocketPath();

// Who holds the parallel port, when this user's window answers at path within
// about a second: "zvx7246labTool (pid 4242); add --window to send the
// commands through it". Empty when no window answers.
std::string windowPortHolder(const std::string& path);

class WindowConnection {
public:
    WindowConnection() = default;
    ~WindowConnection();
    WindowConnection(const WindowConnection&) = delete;
    WindowConnection& operator=(const WindowConnection&) = delete;

    enum class Open { Connected, NoWindow, Failed };
    // Connects and reads the window's first record, waiting at most
    // timeoutMs (-1: as long as it takes; a window shows a pattern or a
    // dialog) or until wakeFd becomes readable. NoWindow: nothing listens at
    // path (no socket, or one left by a window that is gone). Failed:
    // error() says why (a refusal is the window's own words).
    Open open(const std::string& path, int timeoutMs, int wakeFd = -1);
    const WindowHello& hello() const { return hello_; }
    const std::string& error() const { return error_; }

    bool send(std::string_view name, std::string_view payload);

    // The next record, waiting as long as it takes; nothing when the
    // connection ended (error() says how) or wakeFd became readable (a stop
    // signal: interrupted() is then true). wakeFd -1: none.
    std::optional<WindowRecord> receive(int wakeFd = -1, int timeoutMs = -1);
    bool interrupted() const { return interrupted_; }
    // The socket, for a wait on it beside other descriptors; -1 once closed.
    int fd() const { return fd_; }
    // The window said something or went: a record or the end is waiting.
    bool readable() const;

private:
    int fd_ = -1;
    WindowRecordReader reader_;
    WindowHello hello_;
    std::string error_;
    bool interrupted_ = false;
};

} // namespace zvx
