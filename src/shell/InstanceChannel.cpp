#include "InstanceChannel.h"

#include "core/Platform.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {

const QByteArray kRequest = QByteArrayLiteral("raise\n");
const QByteArray kReply = QByteArrayLiteral("raised\n");
// A line longer than this is not one of ours.
constexpr qint64 kMaxLine = 64;

} // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::serverName(const QString& dir) {
    QString canonical = QFileInfo(dir).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QDir(dir).absolutePath());
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(20);
    const QString name = QStringLiteral("StartKALTO-%1").arg(QString::fromLatin1(hash));
    // The user's runtime directory is theirs alone; elsewhere the name lives in the
    // shared temporary directory and carries the user's number.
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtimeDir) && QFileInfo(runtimeDir).isDir())
        return QDir(runtimeDir).filePath(name);
    return QStringLiteral("StartKALTO-%1-%2").arg(platform::userTag(), QString::fromLatin1(hash));
}

bool InstanceChannel::isListening() const {
    return m_server && m_server->isListening();
}

bool InstanceChannel::listen(const QString& dir) {
    const QString name = serverName(dir);
    if (isListening() && m_server->serverName() == name)
        return true;
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::answer);
    if (m_server->listen(name))
        return true;
    // This copy holds the directory's lock: a socket of that name is left over from a
    // copy that died.
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

void InstanceChannel::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A caller that says nothing is not kept waiting for.
        QTimer::singleShot(5000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxLine)
                    socket->abort();
                return;
            }
            if (socket->readLine(kMaxLine + 1) != kRequest) {
                socket->abort();
                return;
            }
            emit raiseRequested();
            socket->write(kReply);
            socket->disconnectFromServer();
        });
    }
}

bool InstanceChannel::askToRaise(const QString& dir, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(serverName(dir));
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        // The reply may have come with the end of the connection.
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    return socket.canReadLine() && socket.readLine(kMaxLine + 1) == kReply;
}
