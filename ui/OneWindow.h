// One window per person: a second start of the program hands its files to
// the window already open, over a local socket in the user's runtime folder,
// and ends; that window adds them to its list and comes to the front.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

namespace vorpane {

class TForm1;

// The socket's path: in the user's runtime folder ($XDG_RUNTIME_DIR, else
// Qt's own under the temporary folder), so each user has one window.
QString WindowSocketPath();

// Hands Files to the window of an earlier start, a relative path made
// absolute here (that window has a working folder of its own). False when
// no window answers.
bool HandToRunningWindow(const QStringList& Files);

// Takes the files of later starts into Form's list, as `vorpane FILE...`
// puts them there, and raises Form; a start without files only raises it.
class TWindowServer : public QObject {
public:
    explicit TWindowServer(TForm1& Form);

    bool Listening() const { return server_.isListening(); }

private:
    void Serve(QLocalSocket* Socket);

    TForm1& form_;
    QLocalServer server_;
};

} // namespace vorpane
