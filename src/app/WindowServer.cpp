#include "app/WindowServer.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zvx {

namespace {

// How often a waiting command looks again whether the window is free.
constexpr int kRetryMs = 10;
// A command that waited longer than this says so.
constexpr qint64 kWaitWorthSayingMs = 1000;

std::string octal(unsigned mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777);
    return text;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string socketFolderRefusal(const std::string& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return folder + ": " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode))
        return folder + " is not a folder";
    if (info.st_uid != ::geteuid())
        return folder + " belongs to user id " + std::to_string(info.st_uid) + ", not to this user (" +
               std::to_string(::geteuid()) + ")";
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return folder + " may be written by other users (mode " + octal(info.st_mode) + ")";
    return {};
}

WindowServer::WindowServer(WindowServerHooks hooks, QObject* parent) : QObject(parent), hooks_(std::move(hooks))
{
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &WindowServer::runQueue);
}

WindowServer::~WindowServer()
{
    close("the zvx7246labTool window was closed");
}

std::string WindowServer::listen(const std::string& path)
{
    close({});
    if (const std::string refusal = socketFolderRefusal(folderOf(path)); !refusal.empty())
        return refusal;
    const QString name = QString::fromStdString(path);
    // Only a crashed copy leaves a socket behind: the running one holds the lock.
    QLocalServer::removeServer(name);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name))
        return path + ": " + server->errorString().toStdString();
    connect(server.get(), &QLocalServer::newConnection, this, &WindowServer::accept);
    server_ = std::move(server);
    path_ = path;
    return {};
}

bool WindowServer::isListening() const
{
    return server_ && server_->isListening();
}

void WindowServer::close(const std::string& why)
{
    retry_.stop();
    queue_.clear();
    // The answer of a command that is running is lost with its connection.
    std::vector<QLocalSocket*> sockets;
    for (const auto& [socket, client] : clients_)
        sockets.push_back(socket);
    for (QLocalSocket* socket : sockets) {
        if (!why.empty())
            send(socket, "bye", why);
        drop(socket);
    }
    if (server_) {
        server_->close();
        server_.reset();
    }
    path_.clear();
}

bool WindowServer::peerIsOurUser(QLocalSocket& socket, std::string& who)
{
    struct ucred peer {};
    socklen_t length = sizeof peer;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) {
        who = std::string("a connection whose user cannot be told (") + std::strerror(errno) + ")";
        return false;
    }
    if (peer.uid == ::geteuid())
        return true;
    who = "a connection from user id " + std::to_string(peer.uid) + " (pid " + std::to_string(peer.pid) + ")";
    return false;
}

void WindowServer::accept()
{
    while (QLocalSocket* socket = server_ ? server_->nextPendingConnection() : nullptr) {
        std::string who;
        if (!peerIsOurUser(*socket, who)) {
            const std::string why = "this zvx7246labTool window takes commands from its own user only (user id " +
                                    std::to_string(::geteuid()) + ")";
            socket->write(QByteArray::fromStdString(encodeWindowRecord("refused", why)));
            socket->flush();
            socket->disconnectFromServer();
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (socket->state() == QLocalSocket::UnconnectedState)
                socket->deleteLater();
            if (hooks_.note)
                hooks_.note("refused " + who + ": " + why);
            continue;
        }
        clients_.emplace(socket, Client{});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
        WindowHello hello{kWindowProtocolVersion, long(::getpid()), hooks_.statusLine ? hooks_.statusLine() : ""};
        send(socket, "hello", encodeHello(hello));
        // Bytes that came with the connection.
        if (socket->bytesAvailable() > 0)
            read(socket);
    }
}

void WindowServer::read(QLocalSocket* socket)
{
    auto found = clients_.find(socket);
    if (found == clients_.end())
        return;
    Client& client = found->second;
    const QByteArray bytes = socket->readAll();
    client.reader.feed(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    while (auto record = client.reader.next()) {
        if (record->name == "options") {
            client.options = splitWordsAtNul(record->payload);
        } else if (record->name == "folder") {
            client.folder = record->payload;
        } else if (record->name == "stop") {
            client.stop = std::max(1, std::atoi(record->payload.c_str()));
            stopQueued(socket, client.stop);
        } else if (record->name == "run") {
            auto request = decodeRunPayload(record->payload);
            if (!request) {
                send(socket, "bye", "a run record without a command");
                drop(socket);
                return;
            }
            Queued queued{socket, WindowCommand{std::move(*request), client.options, client.folder, {}, {}}, {}, {}};
            queued.since.start();
            queue_.push_back(std::move(queued));
            scheduleQueue();
        } else {
            send(socket, "bye", "an unknown record \"" + record->name + "\"");
            drop(socket);
            return;
        }
    }
    if (!client.reader.error().empty()) {
        send(socket, "bye", client.reader.error());
        drop(socket);
    }
}

void WindowServer::drop(QLocalSocket* socket)
{
    if (clients_.erase(socket) == 0)
        return;
    // Its commands not yet started never run: nobody waits for them.
    std::erase_if(queue_, [socket](const Queued& q) { return q.socket == socket || q.socket.isNull(); });
    socket->disconnect(this);
    socket->disconnectFromServer();
    socket->deleteLater();
}

void WindowServer::scheduleQueue()
{
    // Never from inside the read: that may be a nested event loop (an
    // auto-repeat lets events run between its ticks).
    if (scheduled_)
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            scheduled_ = false;
            runQueue();
        },
        Qt::QueuedConnection);
}

void WindowServer::runQueue()
{
    if (running_ || queue_.empty())
        return;
    const std::string busy = hooks_.busyWith ? hooks_.busyWith() : std::string();
    if (!busy.empty()) {
        queue_.front().busyWith = busy;
        if (!retry_.isActive())
            retry_.start();
        return;
    }
    Queued next = std::move(queue_.front());
    queue_.pop_front();
    if (next.socket.isNull()) {
        scheduleQueue();
        return;
    }
    const qint64 waited = next.since.elapsed();
    QPointer<QLocalSocket> socket = next.socket;
    next.command.streamOut = [this, socket](std::string_view text) {
        if (socket && clients_.count(socket.data()) && !text.empty())
            send(socket.data(), "out", text);
    };
    next.command.stopSignal = [this, socket] {
        const auto client = socket ? clients_.find(socket.data()) : clients_.end();
        return client == clients_.end() ? SIGHUP : client->second.stop;
    };
    running_ = true;
    WindowAnswer answer = hooks_.run ? hooks_.run(next.command) : WindowAnswer{{}, {}, 2};
    running_ = false;
    if (waited > kWaitWorthSayingMs) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", double(waited) / 1000.0);
        const std::string what = next.busyWith.empty() ? "the commands of other scripts before it" : next.busyWith;
        answer.err = "zvx7246ctl: waited " + std::string(seconds) + " s for the end of " + what + "\n" + answer.err;
    }
    // The client may have gone while its command ran.
    if (socket && clients_.count(socket.data())) {
        if (!answer.out.empty())
            send(socket.data(), "out", answer.out);
        if (!answer.err.empty())
            send(socket.data(), "err", answer.err);
        send(socket.data(), "status", std::to_string(answer.status));
    }
    if (!queue_.empty())
        scheduleQueue();
}

void WindowServer::stopQueued(QLocalSocket* socket, int signal)
{
    std::erase_if(queue_, [this, socket, signal](const Queued& q) {
        if (q.socket != socket)
            return false;
        send(socket, "status", std::to_string(128 + signal));
        return true;
    });
}

void WindowServer::send(QLocalSocket* socket, std::string_view name, std::string_view payload)
{
    const std::string record = encodeWindowRecord(name, payload);
    socket->write(record.data(), qint64(record.size()));
    socket->flush();
}

} // namespace zvx
