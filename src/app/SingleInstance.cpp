#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <cstdlib>

namespace app {

namespace {
constexpr const char* kActivate = "activate\n";
}

QString SingleInstance::DefaultName() {
    if (const char* n = std::getenv("ZANDRI_INSTANCE_NAME"); n && *n) return QString::fromUtf8(n);
    return QStringLiteral("Zandri Gaming Mouse_1");
}

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

bool SingleInstance::HandOverToRunning(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kActivate);
    socket.flush();
    socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen(std::function<void()> onActivate) {
    onActivate_ = std::move(onActivate);
    server_ = std::make_unique<QLocalServer>();
    // Nobody answered the hand-over, so a socket file left here is stale.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return false;
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QLocalSocket::readyRead, s, [this, s] {
                if (s->readAll().contains("activate") && onActivate_) onActivate_();
            });
        }
    });
    return true;
}

} // namespace app
