// How long the window's GUI thread is held by a preview and by the file
// list's thumbnails, on Qt's offscreen platform:
//
//   vorpane_window_bench PHOTO FOLDER TREE
//
// Prints, one "name value" a line (seconds):
//   preview_decode     PreviewPicture of PHOTO on the calling thread: what a
//                      click held the window for when the preview decoded
//                      there (median of 5)
//   preview_call       what ShowPreview itself takes on the GUI thread now
//   preview_shown      from the call until the picture is shown
//   preview_stall      the longest the GUI thread went without serving its
//                      events meanwhile (a 1 ms timer's longest gap)
//   list_items         the files of FOLDER the file list shows
//   list_shown         from choosing FOLDER until the file list has them all
//   list_stall         the longest gap of the GUI thread's timer meanwhile
//   thumbnails_shown   from switching to large icons until the thumbnails in
//                      sight are drawn
//   thumbnails_stall   the longest gap of the GUI thread's timer meanwhile
//   tree_folders       the sub-folders of TREE the folder tree shows
//   tree_open          what opening TREE in the folder tree holds the GUI
//                      thread for: the read started on a thread of its own
//   tree_shown         from opening TREE until its sub-folders are in
//   tree_hold          the longest any one pass of the GUI thread's event
//                      loop took meanwhile: the sub-folders inserted and laid
//                      out when the read returns
#include "JpegPicture.h"
#include "Unit1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double Seconds(qint64 Nanoseconds) {
    return static_cast<double>(Nanoseconds) / 1e9;
}

// Serves events until Done; a minute without it ends the program.
void WaitFor(const std::function<bool()>& Done, const char* What) {
    if (!QTest::qWaitFor(Done, 60000)) {
        std::fprintf(stderr, "no %s within a minute\n", What);
        std::exit(1);
    }
}

// WaitFor, answering the longest gap between two ticks of a 1 ms timer
// meanwhile.
double LongestStall(const std::function<bool()>& Done, const char* What) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    WaitFor(Done, What);
    return Seconds(longest);
}

// Serves events, one pass of the event loop at a time, until Done and for
// 50 ms after it (the layout the last pass asks for); answers the longest
// pass. Unlike LongestStall, it never sleeps, so the figure is what the
// events themselves held the GUI thread for.
double LongestPass(const std::function<bool()>& Done, const char* What) {
    QElapsedTimer limit;
    limit.start();
    QElapsedTimer after;
    qint64 longest = 0;
    while (!after.isValid() || !after.hasExpired(50)) {
        if (!after.isValid() && Done()) {
            after.start();
        }
        if (limit.hasExpired(60000)) {
            std::fprintf(stderr, "no %s within a minute\n", What);
            std::exit(1);
        }
        QElapsedTimer pass;
        pass.start();
        QCoreApplication::processEvents();
        longest = std::max(longest, pass.nsecsElapsed());
    }
    return Seconds(longest);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PHOTO FOLDER TREE\n", argv[0]);
        return 64;
    }
    const QString photo = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString tree = QString::fromLocal8Bit(argv[3]);
    vorpane::TForm1 form;
    form.show();
    WaitFor([&] { return QTest::qWaitForWindowExposed(&form); }, "window");

    std::vector<double> decodes;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        vorpane::PreviewPicture(photo, form.Image7->size(), false, 1.0);
        decodes.push_back(Seconds(clock.nsecsElapsed()));
    }
    std::sort(decodes.begin(), decodes.end());
    std::printf("preview_decode %.3f\n", decodes[decodes.size() / 2]);

    QElapsedTimer clock;
    clock.start();
    form.ShowPreview(photo);
    std::printf("preview_call %.4f\n", Seconds(clock.nsecsElapsed()));
    const double previewStall = LongestStall([&] { return form.PreviewWork->Idle(); }, "preview");
    std::printf("preview_shown %.3f\n", Seconds(clock.nsecsElapsed()));
    std::printf("preview_stall %.3f\n", previewStall);

    clock.restart();
    form.ShellTreeView1->SetPath(folder);
    const double listStall =
        LongestStall([&] { return !form.ShellListView1->Reading(); }, "file list");
    std::printf("list_items %d\n", form.ShellListView1->ItemCount());
    std::printf("list_shown %.3f\n", Seconds(clock.nsecsElapsed()));
    std::printf("list_stall %.3f\n", listStall);

    clock.restart();
    form.ShellListView1->SetViewStyle(vorpane::vsIcon);
    // The thumbnails are asked for as their items are drawn.
    bool asked = false;
    const double thumbnailStall = LongestStall(
        [&] {
            asked = asked || !form.ShellListView1->Thumbnails()->Idle();
            return asked && form.ShellListView1->Thumbnails()->Idle();
        },
        "thumbnails");
    std::printf("thumbnails_shown %.3f\n", Seconds(clock.nsecsElapsed()));
    std::printf("thumbnails_stall %.3f\n", thumbnailStall);

    form.ShellTreeView1->SetPath(tree);
    WaitFor([&] { return !form.ShellListView1->Reading(); }, "file list");
    const QModelIndex chosen = form.ShellTreeView1->currentIndex();
    clock.restart();
    form.ShellTreeView1->expand(chosen);
    std::printf("tree_open %.4f\n", Seconds(clock.nsecsElapsed()));
    const QAbstractItemModel* folders = form.ShellTreeView1->model();
    qint64 shown = 0;
    const double treeHold = LongestPass(
        [&] {
            shown = clock.nsecsElapsed();
            return folders->rowCount(chosen) > 0;
        },
        "sub-folders");
    std::printf("tree_shown %.4f\n", Seconds(shown));
    std::printf("tree_hold %.4f\n", treeHold);
    std::printf("tree_folders %d\n", folders->rowCount(chosen));
    return 0;
}
