#include "onecopy.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace dsc {

namespace {

constexpr int kHandOverMs = 2000;  // a running copy answers at once; a hung one is not waited for long
const QByteArray kShow = "show\n"; // the one request there is

} // namespace

OneCopy::OneCopy(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

bool OneCopy::claim() {
    if (handOver()) {
        return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption); // this user's session only
    if (!m_server->listen(m_name)) {
        // Another start may have taken the name in between; else it is a leftover of a copy that
        // did not end cleanly, and nobody answers on it.
        if (handOver()) {
            return false;
        }
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name); // without it, the tool still runs: later starts just add a copy
    }
    connect(m_server, &QLocalServer::newConnection, this, &OneCopy::answer);
    return true;
}

bool OneCopy::handOver() {
    // Only in a second start, before any window: waiting here keeps nothing on screen waiting.
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kHandOverMs)) {
        return false;
    }
    socket.write(kShow);
    if (!socket.waitForBytesWritten(kHandOverMs)) {
        return false;
    }
    // The running copy closes once it has read the request: then it is sure to show itself.
    socket.waitForDisconnected(kHandOverMs);
    return true;
}

void OneCopy::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return; // the rest of the line is on its way
            }
            const bool show = socket->readLine() == kShow;
            socket->disconnectFromServer();
            if (show) {
                emit startedAgain();
            }
        });
    }
}

} // namespace dsc
