#include "ui/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <unistd.h>

namespace tidecast::ui
{

namespace
{

constexpr const char* kProgramName = "tidecast";

} // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent)
    , m_lock(std::make_unique<DataFolderLock>(dataFolder.toStdString(), kProgramName))
{
    const QByteArray key = QCryptographicHash::hash(QDir(dataFolder).absolutePath().toUtf8(), QCryptographicHash::Sha1);
    m_serverName = QStringLiteral("tidecast-%1-%2").arg(getuid()).arg(QString::fromLatin1(key.toHex().left(16)));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (!m_lock->tryLock()) {
        // A holder that has not written its name yet is taken for a desktop just starting.
        const auto& holder = m_lock->holder().program;
        if (!holder.empty() && holder != kProgramName) {
            m_refusal = QString::fromStdString(m_lock->refusal());
            return false;
        }
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(1000)) {
            socket.write("activate\n");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
        }
        return false;
    }
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (m_window) {
                m_window->showNormal();
                m_window->raise();
                m_window->activateWindow();
            }
        }
    });
    m_server->listen(m_serverName);
    return true;
}

} // namespace tidecast::ui
