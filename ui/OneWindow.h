// One window per person: a second start of the program hands its files to
// the window already open, over a local socket in the user's runtime folder,
// and ends; that window adds them to its list and comes to the front.
#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace vorpane {

class TForm1;

// What a start's launcher gave it for bringing its window to the front on a
// desktop that keeps windows from stealing the focus: a Wayland activation
// token, an X11 startup notification id.
struct TActivation {
    QString Token;        // XDG_ACTIVATION_TOKEN
    QByteArray StartupId; // DESKTOP_STARTUP_ID
};

// This start's, from its environment, which keeps them for a window of its
// own. Read before the application object exists: Qt's X11 platform takes
// DESKTOP_STARTUP_ID out of the environment when it starts.
TActivation LaunchActivation();

// Brings Window to the front with the activation of the start that asked
// for it, where the platform has a way to use it (Wayland: Qt activates
// with the token in XDG_ACTIVATION_TOKEN).
void RaiseWindow(QWidget& Window, const TActivation& Activation);

// The socket's path: in the user's runtime folder ($XDG_RUNTIME_DIR, else
// Qt's own under the temporary folder), so each user has one window.
QString WindowSocketPath();

// Hands Files to the window of an earlier start, a relative path made
// absolute here (that window has a working folder of its own), and with
// them Activation for its coming to the front. False when no window answers.
bool HandToRunningWindow(const QStringList& Files, const TActivation& Activation);

// Takes the files of later starts into Form's list, as `vorpane FILE...`
// puts them there, and raises Form; a start without files only raises it.
class TWindowServer : public QObject {
public:
    explicit TWindowServer(TForm1& Form);

    bool Listening() const { return server_.isListening(); }

    // Brings the form to the front for a later start: RaiseWindow; tests
    // replace it to see the activation that came.
    std::function<void(const TActivation&)> Raise;

private:
    // What a later start sent so far.
    struct TCall {
        QStringList Files;
        bool HaveFiles = false;
        bool Done = false;
    };

    void Serve(QLocalSocket& Socket, TCall& Call);
    void Finish(TCall& Call, const TActivation& Activation);

    TForm1& form_;
    QLocalServer server_;
};

} // namespace vorpane
