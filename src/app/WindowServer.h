#pragma once
// The window listens for `zvx7246ctl --window`: a local socket beside the
// instance lock, for the window's own user alone. Each connection's user is
// checked (SO_PEERCRED) before a word is read from it, whatever the socket
// file's permissions say; there is no network socket.
//
// Commands from every connection wait in one queue and run one at a time from
// the event loop, never inside a bus transaction, a stepper's auto-repeat, a
// pattern run or another command: while the window is busy with one of them
// the queue waits, and a command that waited more than a second says so in its
// answer's standard error. The protocol is app/WindowProtocol.h.

#include "app/WindowProtocol.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace zvx {

// One command as the window runs it.
struct WindowCommand {
    RunRequest request;                // the words and their script line
    std::vector<std::string> options;  // option words for every command of the connection
    std::string folder;                // where the client's relative file names are
    // While the command runs (set by the server): sends standard output
    // written so far, for a command that reports as it goes (a lock watch);
    // and the stop signal the script got, SIGHUP once it is gone, 0 while
    // neither happened.
    std::function<void(std::string_view)> streamOut;
    std::function<int()> stopSignal;
};

struct WindowAnswer {
    std::string out;
    std::string err;
    int status = 0;
};

struct WindowServerHooks {
    // Runs one command on the window's bus.
    std::function<WindowAnswer(const WindowCommand&)> run;
    // What the window is busy with, for "waited ... for the end of ...";
    // empty when a command may start now.
    std::function<std::string()> busyWith;
    // The port status line each client prints, as a direct run prints its own.
    std::function<std::string()> statusLine;
    // A line for the user (the window puts it on standard error).
    std::function<void(const std::string&)> note;
};

// Why `folder` must not hold the socket, or empty when it may: the folder
// is the user's own and nobody else may write to it.
std::string socketFolderRefusal(const std::string& folder);

class WindowServer : public QObject {
    Q_OBJECT
public:
    explicit WindowServer(WindowServerHooks hooks, QObject* parent = nullptr);
    ~WindowServer() override;

    // Starts listening at path (a socket left there by a copy of the program
    // that crashed is removed: the instance lock says none runs). Returns
    // empty, or why the window does not listen.
    std::string listen(const std::string& path);
    // Tells every client why the connection ends, ends it, and stops
    // listening (the socket file goes).
    void close(const std::string& why);
    bool isListening() const;
    const std::string& path() const { return path_; }

    // Commands waiting, and connections open, for tests.
    std::size_t queued() const { return queue_.size(); }
    std::size_t connections() const { return clients_.size(); }

private:
    struct Client {
        WindowRecordReader reader;
        std::vector<std::string> options;
        std::string folder;
        int stop = 0;  // the stop signal the script passed on
    };
    struct Queued {
        QPointer<QLocalSocket> socket;
        WindowCommand command;
        QElapsedTimer since;
        std::string busyWith;  // what it last waited for
    };

    void accept();
    bool peerIsOurUser(QLocalSocket& socket, std::string& who);
    void read(QLocalSocket* socket);
    void drop(QLocalSocket* socket);
    void scheduleQueue();
    void runQueue();
    void send(QLocalSocket* socket, std::string_view name, std::string_view payload);
    // The client's commands not started yet end at once with the signal's status.
    void stopQueued(QLocalSocket* socket, int signal);

    WindowServerHooks hooks_;
    std::unique_ptr<QLocalServer> server_;
    std::string path_;
    std::map<QLocalSocket*, Client> clients_;
    std::deque<Queued> queue_;
    QTimer retry_;        // looks again while the window is busy
    bool running_ = false;  // a command is running: the queue waits
    bool scheduled_ = false;
};

} // namespace zvx
