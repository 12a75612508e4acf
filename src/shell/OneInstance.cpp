#include "shell/OneInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include "platform/ui/Application.h"
#include "platform/ui/QtText.h"

namespace shell {

namespace {
constexpr char kRaiseRequest[] = "RAISE\n";
}

TInstanceGuard::TInstanceGuard(std::string name) : name_(std::move(name)) {}

TInstanceGuard::~TInstanceGuard()
{
    server_.reset();
    if (lock_) lock_->unlock();
}

bool TInstanceGuard::Acquire()
{
    if (acquired_) return true;
    const QString name = ui::ToQString(name_);
    lock_ = std::make_unique<QLockFile>(InstanceLockFile(name_));
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    acquired_ = true;
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a program that died would block the name; the lock says it is ours.
    QLocalServer::removeServer(name);
    // Without the server a later start still ends; it only cannot raise this window.
    if (server_->listen(name))
        QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] { Accept(); });
    return true;
}

void TInstanceGuard::Accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromServer();
        if (OnRaiseRequest) ui::Guarded([this] { OnRaiseRequest(); });
    }
}

bool TInstanceGuard::SignalRunning(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(ui::ToQString(name_));
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kRaiseRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

} // namespace shell
