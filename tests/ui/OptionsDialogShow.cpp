// vorpane_options_dialog LANGUAGE [--stay]: opens the page and photo options
// dialog in LANGUAGE (en, de, fr) on the display at hand and checks that its
// title shows whole in the title bar Qt draws itself under Wayland: the
// frame around the dialog is the one the width rule is for, and the window
// is at least as wide as the rule asks for its translated title. Prints what
// it measured; status 0 when both hold, 1 when not. With --stay the dialog
// stays open after the check (for a screenshot) until the program is ended.
//
// tools/weston-check.sh runs it under weston; the window program itself has
// no switch that opens the dialog.
#include "Application.h"
#include "PageOptionsDialog.h"

#include <QLocale>
#include <QMargins>
#include <QTest>
#include <QWindow>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s LANGUAGE [--stay]\n", argv[0]);
        return 2;
    }
    const bool stay = argc > 2 && std::strcmp(argv[2], "--stay") == 0;
    vorpane::TApplication application(argc, argv);
    application.LoadTranslations(QLocale(QString::fromLatin1(argv[1])));
    vorpane::TPageOptionsDialog dialog(vorpane::PageOptions, nullptr);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog, 10000)) {
        std::printf("%s: the dialog was never shown\n", argv[1]);
        return 1;
    }
    const QWindow* window = dialog.windowHandle();
    const QMargins frame = window->frameMargins();
    const int needs = vorpane::WidthForTitle(window->title());
    std::printf("%s: \"%s\" in a window %d px wide (frame %d, %d, %d, %d), needs %d\n", argv[1],
                qUtf8Printable(window->title()), window->width(), frame.left(), frame.top(),
                frame.right(), frame.bottom(), needs);
    std::fflush(stdout);
    // Qt's own Wayland title bar: 30 px high, 3 px on the other sides.
    const bool whole = frame == QMargins(3, 30, 3, 3) && window->width() >= needs;
    if (stay) {
        return QApplication::exec();
    }
    return whole ? 0 : 1;
}
