#include "OneWindow.h"

#include "Application.h"
#include "Unit1.h"

#include <QDataStream>
#include <QDir>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vorpane {

namespace {

// How long a second start waits for the first window at each step: long
// enough for a busy window, short enough that a hung one doesn't hold the
// start for long before it opens a window of its own.
constexpr int kWaitMilliseconds = 3000;

// The running window's answer once it has the files.
constexpr char kTaken = '\1';

xcb_atom_t Atom(xcb_connection_t* Connection, const char* Name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(Connection, 0, static_cast<std::uint16_t>(std::strlen(Name)), Name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(Connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// On X11, with the launch's startup notification id: the launcher's busy
// feedback ends ("remove: ID=...", in the pieces of 20 bytes the startup
// notification messages travel in), and the window asks to be activated
// with the launch's time (the id's "_TIME<n>"), which a window manager that
// keeps windows from stealing the focus allows; Qt's own request carries the
// time of the window's last event, older than the launch.
void ActivateOnX11(QWidget& Window, const QByteArray& StartupId) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || StartupId.isEmpty()) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    constexpr std::uint32_t kRootMask =
        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;

    QByteArray message("remove: ID=");
    for (const char c : StartupId) {
        if (c == ' ' || c == '"' || c == '\\') {
            message += '\\';
        }
        message += c;
    }
    message += '\0';
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = root;
    event.type = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
    for (qsizetype sent = 0; sent < message.size(); sent += 20) {
        std::memset(event.data.data8, 0, sizeof event.data.data8);
        std::memcpy(event.data.data8, message.constData() + sent,
                    static_cast<std::size_t>(std::min<qsizetype>(20, message.size() - sent)));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
        event.type = more;
    }

    const qsizetype at = StartupId.lastIndexOf("_TIME");
    bool isTime = false;
    const std::uint32_t time = at < 0 ? 0 : StartupId.mid(at + 5).toUInt(&isTime);
    if (isTime && time != 0) {
        xcb_client_message_event_t activate{};
        activate.response_type = XCB_CLIENT_MESSAGE;
        activate.format = 32;
        activate.window = static_cast<xcb_window_t>(Window.winId());
        activate.type = Atom(connection, "_NET_ACTIVE_WINDOW");
        activate.data.data32[0] = 1; // from an application
        activate.data.data32[1] = time;
        xcb_send_event(connection, 0, root, kRootMask, reinterpret_cast<const char*>(&activate));
    }
    xcb_flush(connection);
}

} // namespace

QString WindowSocketPath() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/org.vorpane.Vorpane");
}

TActivation LaunchActivation() {
    return {qEnvironmentVariable("XDG_ACTIVATION_TOKEN"), qgetenv("DESKTOP_STARTUP_ID")};
}

void RaiseWindow(QWidget& Window, const TActivation& Activation) {
    Window.setWindowState(Window.windowState() & ~Qt::WindowMinimized);
    Window.show();
    Window.raise();
    // Qt's Wayland platform asks the compositor to activate a window with the
    // token in XDG_ACTIVATION_TOKEN, and takes it away then: a token is good
    // once, for the launch it was made for.
    const bool token = !Activation.Token.isEmpty() &&
                       QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (token) {
        qputenv("XDG_ACTIVATION_TOKEN", Activation.Token.toUtf8());
    }
    Window.activateWindow();
    if (token) {
        qunsetenv("XDG_ACTIVATION_TOKEN");
    }
    ActivateOnX11(Window, Activation.StartupId);
}

// The conversation: the later start sends its files (a string list, as
// earlier versions sent them alone), then its activation (token, startup
// id); the window answers kTaken once it has the files. A start of an
// earlier version ends after the answer without an activation, so the
// window raises itself when the activation has come or the start has gone,
// whichever is first; a window of an earlier version reads the files and
// leaves the rest.
bool HandToRunningWindow(const QStringList& Files, const TActivation& Activation) {
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
    out << files << Activation.Token << Activation.StartupId;
    socket.flush();
    QByteArray answer;
    while (answer.isEmpty() && socket.waitForReadyRead(kWaitMilliseconds)) {
        answer = socket.read(1);
    }
    return answer == QByteArray(1, kTaken);
}

TWindowServer::TWindowServer(TForm1& Form)
    : Raise([&Form](const TActivation& Activation) { RaiseWindow(Form, Activation); }),
      form_(Form) {
    // Only after no window answered: what is left at the path is a socket of
    // a window that ended without taking it away.
    const QString path = WindowSocketPath();
    QLocalServer::removeServer(path);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(path);
    connect(&server_, &QLocalServer::newConnection, this, Guarded([this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            auto call = std::make_shared<TCall>();
            connect(socket, &QLocalSocket::readyRead, this,
                    Guarded([this, socket, call] { Serve(*socket, *call); }));
            connect(socket, &QLocalSocket::disconnected, this, Guarded([this, call] {
                        if (call->HaveFiles) {
                            Finish(*call, {});
                        }
                    }));
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    }));
}

void TWindowServer::Serve(QLocalSocket& Socket, TCall& Call) {
    QDataStream in(&Socket);
    if (!Call.HaveFiles) {
        in.startTransaction();
        in >> Call.Files;
        if (!in.commitTransaction()) {
            return; // the rest is on its way
        }
        Call.HaveFiles = true;
        Socket.write(QByteArray(1, kTaken));
        Socket.flush();
    }
    TActivation activation;
    in.startTransaction();
    in >> activation.Token >> activation.StartupId;
    if (in.commitTransaction()) {
        Finish(Call, activation);
        Socket.disconnectFromServer();
    }
}

void TWindowServer::Finish(TCall& Call, const TActivation& Activation) {
    if (Call.Done) {
        return;
    }
    Call.Done = true;
    // After the answer: adding may show a message about files left out,
    // which waits for the person, not for the later start.
    QTimer::singleShot(0, &form_, [this, files = Call.Files, Activation] {
        Raise(Activation);
        if (!files.isEmpty()) {
            form_.AppendFiles(files);
        }
    });
}

} // namespace vorpane
