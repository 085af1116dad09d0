#include "OneWindow.h"

#include "Application.h"
#include "Unit1.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

namespace vorpane {

namespace {

// How long a second start waits for the first window at each step: long
// enough for a busy window, short enough that a hung one doesn't hold the
// start for long before it opens a window of its own.
constexpr int kWaitMilliseconds = 3000;

// The running window's answer once it has the files.
constexpr char kTaken = '\1';

} // namespace

QString WindowSocketPath() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/org.vorpane.Vorpane");
}

bool HandToRunningWindow(const QStringList& Files) {
    QLocalSocket socket;
    socket.connectToServer(WindowSocketPath());
    if (!socket.waitForConnected(kWaitMilliseconds)) {
        return false;
    }
    QStringList files;
    for (const QString& file : Files) {
        files +=
            file.startsWith(QLatin1String("file:")) ? file : QDir::current().absoluteFilePath(file);
    }
    QDataStream out(&socket);
    out << files;
    socket.flush();
    QByteArray answer;
    while (answer.isEmpty() && socket.waitForReadyRead(kWaitMilliseconds)) {
        answer = socket.read(1);
    }
    return answer == QByteArray(1, kTaken);
}

TWindowServer::TWindowServer(TForm1& Form) : form_(Form) {
    // Only after no window answered: what is left at the path is a socket of
    // a window that ended without taking it away.
    const QString path = WindowSocketPath();
    QLocalServer::removeServer(path);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(path);
    connect(&server_, &QLocalServer::newConnection, this, Guarded([this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    Guarded([this, socket] { Serve(socket); }));
        }
    }));
}

void TWindowServer::Serve(QLocalSocket* Socket) {
    QDataStream in(Socket);
    in.startTransaction();
    QStringList files;
    in >> files;
    if (!in.commitTransaction()) {
        return; // the rest is on its way
    }
    Socket->write(QByteArray(1, kTaken));
    Socket->flush();
    Socket->disconnectFromServer();
    // After the answer: adding may show a message about files left out,
    // which waits for the person, not for the second start.
    QTimer::singleShot(0, &form_, [this, files] {
        form_.setWindowState(form_.windowState() & ~Qt::WindowMinimized);
        form_.show();
        form_.raise();
        form_.activateWindow();
        if (!files.isEmpty()) {
            form_.AppendFiles(files);
        }
    });
}

} // namespace vorpane
