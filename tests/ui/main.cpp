// The window tests run on Qt's offscreen platform, inside the program's own
// application class, so uncaught errors reach the same handler as in use.
#include "Application.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

// The offscreen platform cannot cut windows to a shape and says so at every
// change of the shape; the tests read the shape from the widget instead.
QtMessageHandler defaultHandler = nullptr;

void QuietHandler(QtMsgType Type, const QMessageLogContext& Context, const QString& Message) {
    if (Message.contains(QStringLiteral("does not support setting window masks"))) {
        return;
    }
    defaultHandler(Type, Context, Message);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    defaultHandler = qInstallMessageHandler(&QuietHandler);
    // Every window opens its browser on the Desktop: the tests give it one
    // of their own, empty, in a home folder of their own.
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("Desktop"));
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    // A temporary folder of its own too: tests that ctest runs side by side
    // never share a temporary file.
    QTemporaryDir tmp;
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    // And a runtime folder: the one-window socket of one test process, and
    // of the windows it starts, is never another's.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(tmp.path()));
    vorpane::TApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
