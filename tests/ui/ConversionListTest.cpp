// The conversion list: entries, moves, sorting, the full paths a conversion
// reads, editing names, icons and the hidden selection.
#include "OneWindow.h"
#include "TestSupport.h"
#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDataStream>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <memory>
#include <vector>

namespace vorpane {
namespace {

using test::EntryNames;
using test::TScratchFolder;

class ConversionListTest : public ::testing::Test {
protected:
    void SetUp() override {
        SortColumn = 1;
        form = std::make_unique<TForm1>();
    }

    void Append(std::initializer_list<const char*> Paths) {
        for (const char* path : Paths) {
            form->AppendEntry(QString::fromUtf8(path), true);
        }
    }

    QTreeWidgetItem* Entry(int Row) const { return form->ListView1->topLevelItem(Row); }
    void Select(int Row) const { form->ListView1->setCurrentItem(Entry(Row)); }
    int SelectedRow() const {
        const QList<QTreeWidgetItem*> selected = form->ListView1->selectedItems();
        return selected.size() == 1 ? form->ListView1->indexOfTopLevelItem(selected[0]) : -1;
    }

    std::unique_ptr<TForm1> form;
};

TEST_F(ConversionListTest, StartsEmptyWithTheDesignedLook) {
    EXPECT_EQ(SortColumn, 0);
    EXPECT_EQ(form->EntryCount(), 0);
    EXPECT_TRUE(form->EntryPaths().empty());
    EXPECT_EQ(form->ListView1->ImageCount(), 0);
    EXPECT_EQ(form->ListView1->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(form->ListView1->columnWidth(0), 215);
    EXPECT_EQ(form->ListView1->columnWidth(1), 250);
    EXPECT_EQ(form->ListView1->headerItem()->text(0), QStringLiteral("Name"));
    EXPECT_EQ(form->ListView1->headerItem()->text(1), QStringLiteral("Path"));
    form->ListView1->ensurePolished();
    EXPECT_EQ(form->ListView1->palette().color(QPalette::Text), QColor(Qt::red));
}

TEST_F(ConversionListTest, AppendEntrySplitsAtTheLastSlash) {
    const struct {
        const char* path;
        const char* name;
        const char* folder;
    } rows[] = {
        {"/home/me/photos/a.jpg", "a.jpg", "/home/me/photos/"},
        {"a.jpg", "a.jpg", ""},
        {"/a.jpg", "a.jpg", "/"},
        {"/odd/a:b.jpg", "a:b.jpg", "/odd/"},
        {"/photos/IMG 12:30.jpg", "IMG 12:30.jpg", "/photos/"},
        {"c:x.jpg", "c:x.jpg", ""},
        {"/odd:dir/c.jpg", "c.jpg", "/odd:dir/"},
        {"/folder/", "", "/folder/"},
        {"/ünï/çödé.JPG", "çödé.JPG", "/ünï/"},
    };
    for (const auto& row : rows) {
        form->AppendEntry(QString::fromUtf8(row.path), true);
        QTreeWidgetItem* entry = Entry(form->EntryCount() - 1);
        EXPECT_EQ(entry->text(0), QString::fromUtf8(row.name)) << row.path;
        EXPECT_EQ(entry->text(1), QString::fromUtf8(row.folder)) << row.path;
        // Joined again, the parts give the path back.
        EXPECT_EQ(TForm1::EntryPath(entry), QString::fromUtf8(row.path));
    }
    const std::vector<std::string> paths = form->EntryPaths();
    ASSERT_EQ(paths.size(), std::size(rows));
    EXPECT_EQ(paths.back(), std::string("/\xC3\xBCn\xC3\xAF/\xC3\xA7\xC3\xB6"
                                        "d\xC3\xA9.JPG"));
}

TEST_F(ConversionListTest, SameFileTwiceGivesTwoEntriesAndTwoPages) {
    Append({"/p/a.jpg", "/p/a.jpg"});
    EXPECT_EQ(form->EntryCount(), 2);
    EXPECT_EQ(form->EntryPaths(), (std::vector<std::string>{"/p/a.jpg", "/p/a.jpg"}));
}

TEST_F(ConversionListTest, EntryPathTrimsControlsAndBlanksAtBothEndsOfEachCell) {
    const struct {
        const char* folder;
        const char* name;
        const char* path;
    } rows[] = {
        {"/p/", "a.jpg", "/p/a.jpg"},
        {"  /p/ ", "\t a.jpg\r\n", "/p/a.jpg"},
        {"\x01/p/\x1f",
         "\x7f"
         "a.jpg",
         "/p/\x7f"
         "a.jpg"},                        // 127 is kept
        {"/p/", "a b.jpg", "/p/a b.jpg"}, // inside: kept
        {"/p/",
         "\xC2\xA0"
         "a.jpg",
         "/p/\xC2\xA0"
         "a.jpg"},                  // no-break space kept
        {"/p", "a.jpg", "/pa.jpg"}, // no separator added
        {" ", " ", ""},
    };
    for (const auto& row : rows) {
        QTreeWidgetItem entry;
        entry.setText(0, QString::fromUtf8(row.name));
        entry.setText(1, QString::fromUtf8(row.folder));
        EXPECT_EQ(TForm1::EntryPath(&entry), QString::fromUtf8(row.path)) << row.path;
    }
}

TEST_F(ConversionListTest, MovesWalkOnePlaceAndKeepTheEntrySelected) {
    Append({"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"});
    const QStringList start = {"1.jpg", "2.jpg", "3.jpg"};

    form->ImgBtnUpClick(form->ImgBtnUp); // nothing selected
    form->ImgBtnDownClick(form->ImgBtnDown);
    EXPECT_EQ(EntryNames(*form), start);

    Select(0);
    form->ImgBtnUpClick(form->ImgBtnUp);
    EXPECT_EQ(EntryNames(*form), start);
    Select(2);
    form->ImgBtnDownClick(form->ImgBtnDown);
    EXPECT_EQ(EntryNames(*form), start);

    form->ImgBtnUpClick(form->ImgBtnUp);
    EXPECT_EQ(EntryNames(*form), (QStringList{"1.jpg", "3.jpg", "2.jpg"}));
    EXPECT_EQ(SelectedRow(), 1);
    form->ImgBtnUpClick(form->ImgBtnUp);
    EXPECT_EQ(EntryNames(*form), (QStringList{"3.jpg", "1.jpg", "2.jpg"}));
    EXPECT_EQ(SelectedRow(), 0);
    form->ImgBtnUpClick(form->ImgBtnUp); // at the top: no wrapping
    EXPECT_EQ(EntryNames(*form), (QStringList{"3.jpg", "1.jpg", "2.jpg"}));

    form->ImgBtnDownClick(form->ImgBtnDown);
    EXPECT_EQ(EntryNames(*form), (QStringList{"1.jpg", "3.jpg", "2.jpg"}));
    EXPECT_EQ(SelectedRow(), 1);
    // The moved entry keeps its folder and icon.
    EXPECT_EQ(Entry(1)->text(1), QStringLiteral("/p/"));
    EXPECT_EQ(TListView::ImageIndex(Entry(1)), 2);
}

TEST_F(ConversionListTest, DeleteAndCtrlArrowsWorkTheSelectedEntryThroughKeys) {
    Append({"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"});
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->ListView1->setFocus();
    Select(2);
    QTest::keyClick(form->ListView1, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(EntryNames(*form), (QStringList{"1.jpg", "3.jpg", "2.jpg"}));
    EXPECT_EQ(SelectedRow(), 1);
    QTest::keyClick(form->ListView1, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(EntryNames(*form), (QStringList{"1.jpg", "2.jpg", "3.jpg"}));
    EXPECT_EQ(SelectedRow(), 2);
    QTest::keyClick(form->ListView1, Qt::Key_Delete);
    EXPECT_EQ(EntryNames(*form), (QStringList{"1.jpg", "2.jpg"}));
    // Without Ctrl the arrows only choose another entry.
    Select(1);
    QTest::keyClick(form->ListView1, Qt::Key_Up);
    EXPECT_EQ(EntryNames(*form), (QStringList{"1.jpg", "2.jpg"}));
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(ConversionListTest, TheStripOverTheListCountsTheEntriesThroughAddsAndRemoves) {
    TScratchFolder folder;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        folder.Jpeg(QString::fromLatin1(name), 8, 8);
    }
    form->ShellTreeView1->SetPath(folder.Path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->ShellListView1->Reading(); }));
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const auto count = [&] { return form->Label2->text(); };
    EXPECT_EQ(count(), QStringLiteral("0 photos"));
    QTest::mouseClick(form->ImgBtnAdds, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(count(), QStringLiteral("3 photos"));
    form->ListView1->setFocus();
    Select(0);
    QTest::keyClick(form->ListView1, Qt::Key_Delete);
    Select(0);
    QTest::mouseClick(form->ImgBtnDel, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(count(), QStringLiteral("1 photo"));
    form->AppendFiles({folder.Path()});
    EXPECT_EQ(count(), QStringLiteral("4 photos"));
    QTest::mouseClick(form->ImgBtnDels, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(count(), QStringLiteral("0 photos"));
}

TEST_F(ConversionListTest, CommandLineAndDroppedFilesAreAppendedInOrderOthersNamed) {
    TScratchFolder folder;
    folder.Folder(QStringLiteral("album/inner"));
    folder.Jpeg(QStringLiteral("album/b.jpg"), 4, 4);
    folder.Jpeg(QStringLiteral("album/a.JPEG"), 4, 4);
    folder.Jpeg(QStringLiteral("album/img10.jpg"), 4, 4);
    folder.Jpeg(QStringLiteral("album/img9.jpg"), 4, 4);
    folder.Jpeg(QStringLiteral("album/.hidden.jpg"), 4, 4);
    folder.Jpeg(QStringLiteral("album/c.png"), 4, 4);
    folder.Jpeg(QStringLiteral("album/inner/d.jpg"), 4, 4);
    const QString scan = folder.Jpeg(QStringLiteral("scan"), 4, 4); // a JPEG without extension
    const QString notes = folder.Text(QStringLiteral("notes.txt"));
    const QString z = folder.Jpeg(QStringLiteral("z.jpg"), 4, 4);
    const QString album = folder.File(QStringLiteral("album"));
    const QString missing = folder.File(QStringLiteral("missing.jpg"));
    // A phone's other kinds are taken when named, whatever the file list
    // shows.
    const QString heic = folder.File(QStringLiteral("phone.heic"));
    const QString webp = folder.File(QStringLiteral("saved.webp"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORPANE_TEST_DATA "/heic_small_1.heic"), heic));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORPANE_TEST_DATA "/webp_lossy_1.webp"), webp));
    QStringList messages;
    form->ShowMessage = [&](int, const QString&, const QString& Text) { messages << Text; };

    const QStringList named = {z, notes, album, missing, scan, heic, webp};
    const QStringList entries = {"z.jpg",     "a.JPEG", "b.jpg",      "img9.jpg",
                                 "img10.jpg", "scan",   "phone.heic", "saved.webp"};
    const QString leftOut =
        "\nOnly JPEG, HEIC, AVIF, PNG and WebP files can be added. These were left out:\n" + notes +
        "\n" + missing;

    form->AppendFiles(named); // vorpane FILE...
    EXPECT_EQ(EntryNames(*form), entries);
    EXPECT_EQ(form->ListView1->topLevelItem(1)->text(1), album + QLatin1Char('/'));
    EXPECT_EQ(messages, QStringList{leftOut});

    // The same dropped from a file manager, which offers to move them: the
    // drop copies, so nothing leaves its place.
    form->ImgBtnDelsClick(form->ImgBtnDels);
    messages.clear();
    QMimeData uris;
    QList<QUrl> urls;
    for (const QString& path : named) {
        urls << QUrl::fromLocalFile(path);
    }
    uris.setUrls(urls);
    QWidget* list = form->ListView1->viewport();
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, &uris, Qt::LeftButton,
                          {});
    enter.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(list, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction | Qt::MoveAction, &uris, Qt::LeftButton, {});
    drop.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(list, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(EntryNames(*form), entries);
    EXPECT_EQ(messages, QStringList{leftOut});
    EXPECT_TRUE(QFileInfo::exists(z));

    // A name in Latin-1 bytes comes as its address's escapes, and is kept.
    const QByteArray latin1 = QFile::encodeName(folder.Path()) + "/caf\xe9.jpg";
    ASSERT_EQ(std::rename(QFile::encodeName(z).constData(), latin1.constData()), 0);
    QMimeData oldName;
    oldName.setUrls({QUrl::fromEncoded("file://" + latin1.toPercentEncoding("/"))});
    QDragEnterEvent oldEnter(QPoint(20, 20), Qt::CopyAction, &oldName, Qt::LeftButton, {});
    QCoreApplication::sendEvent(list, &oldEnter);
    QDropEvent oldDrop(QPointF(20, 20), Qt::CopyAction, &oldName, Qt::LeftButton, {});
    QCoreApplication::sendEvent(list, &oldDrop);
    EXPECT_EQ(form->EntryPaths().back(), latin1.toStdString());
    // Qt's listing can't see the name, so the scratch folder can't remove it.
    std::remove(latin1.constData());

    // A drag that can only be a move is refused, and so is the file list's
    // own drag, which carries no files.
    form->ImgBtnDelsClick(form->ImgBtnDels);
    QMimeData fileList;
    fileList.setData(QStringLiteral("application/x-vorpane-file-list"), {});
    const struct {
        const QMimeData* data;
        Qt::DropActions actions;
    } refused[] = {{&uris, Qt::MoveAction}, {&fileList, Qt::CopyAction}};
    for (const auto& drag : refused) {
        QDragEnterEvent refusedEnter(QPoint(20, 20), drag.actions, drag.data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list, &refusedEnter);
        EXPECT_FALSE(refusedEnter.isAccepted());
    }
    EXPECT_EQ(form->EntryCount(), 0);
}

TEST_F(ConversionListTest, SortByNameComparesBytesWithOnlyAsciiLettersFolded) {
    Append({"/p/img_9.jpg", "/p/Zeta.jpg", "/p/_a.jpg", "/p/IMG_10.jpg", "/p/alpha.jpg", "/p/b.jpg",
            "/p/\xC3\xA9t\xC3\xA9.jpg", "/p/alpha.jpg.bak", "/p/Alpha.jpg"});
    form->ImgBtnNameClick(form->ImgBtnName);
    EXPECT_EQ(SortColumn, 0);
    const QStringList names = EntryNames(*form);
    // Letters ignore case, "_" sorts after every letter, digits by
    // character, a prefix before what it begins, UTF-8 bytes above all.
    const QStringList expected = {
        "alpha.jpg", "Alpha.jpg",  "alpha.jpg.bak",
        "b.jpg",     "IMG_10.jpg", "img_9.jpg",
        "Zeta.jpg",  "_a.jpg",     QString::fromUtf8("\xC3\xA9t\xC3\xA9.jpg")};
    // The two alphas compare equal; the sort keeps their order.
    EXPECT_EQ(names, expected);
}

// The sort buttons' right-click menu: the two sorts, and the order of
// vorpane-convert --sort taken, which names alone would not give.
TEST_F(ConversionListTest, SortByDateTakenFromTheSortButtonsMenu) {
    TScratchFolder folder;
    const std::string jpeg = test::ReadFileBytes(folder.Jpeg("plain.jpg", 8, 8).toStdString());
    const auto photo = [&](const char* Name, const char* Taken) {
        const QString path = folder.File(QString::fromUtf8(Name));
        test::WriteFileBytes(path.toStdString(), test::WithDateTaken(jpeg, Taken, "+00:00"));
        form->AppendEntry(path, true);
    };
    photo("IMG_0001.jpg", "2026:07:14 11:00:00");
    photo("IMG_0002.jpg", "2026:07:14 10:00:00");
    photo("DSC_5.jpg", "2026:07:14 09:00:00");
    EXPECT_EQ(form->ImgBtnName->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(form->ImgBtnPath->contextMenuPolicy(), Qt::CustomContextMenu);
    const QList<QAction*> items = form->SortMenu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("By name"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("By folder"));
    EXPECT_EQ(items[2]->text(), QStringLiteral("By date taken"));
    items[2]->trigger();
    EXPECT_EQ(EntryNames(*form), (QStringList{"DSC_5.jpg", "IMG_0002.jpg", "IMG_0001.jpg"}));
    items[0]->trigger();
    EXPECT_EQ(EntryNames(*form), (QStringList{"DSC_5.jpg", "IMG_0001.jpg", "IMG_0002.jpg"}));
}

TEST_F(ConversionListTest, CompareGivesTheDifferenceOfTheFirstDifferentBytesElseOfTheLengths) {
    const struct {
        const char* a;
        const char* b;
        int compare;
    } rows[] = {
        {"a", "B", 'A' - 'B'},
        {"b", "_", 'B' - '_'},
        {"abc", "ABC", 0},
        {"ab", "a", 1},
        {"a", "abc", -2},
        {"", "", 0},
        {"\xC3\xA9", "z", 0xC3 - 'Z'},
        {"1", "9", '1' - '9'},
    };
    for (const auto& row : rows) {
        QTreeWidgetItem a, b;
        a.setText(0, QString::fromUtf8(row.a));
        b.setText(0, QString::fromUtf8(row.b));
        int compare = 12345;
        SortColumn = 0;
        form->ListView1Compare(form->ListView1, &a, &b, 0, compare);
        EXPECT_EQ(compare, row.compare) << row.a << " / " << row.b;
    }
}

TEST_F(ConversionListTest, SortByPathGroupsFoldersAndAlwaysAscends) {
    Append({"/b/1.jpg", "/a/2.jpg", "/b/3.jpg", "/a/4.jpg", "/A/5.jpg"});
    form->ImgBtnPathClick(form->ImgBtnPath);
    EXPECT_EQ(SortColumn, 1);
    QStringList folders;
    for (int row = 0; row < form->EntryCount(); ++row) {
        folders << Entry(row)->text(1);
    }
    EXPECT_EQ(folders, (QStringList{"/a/", "/a/", "/A/", "/b/", "/b/"}));
    const QStringList once = EntryNames(*form);
    form->ImgBtnPathClick(form->ImgBtnPath); // again: the same order, not reversed
    EXPECT_EQ(EntryNames(*form), once);

    // A sort is done once: later entries go to the bottom.
    Append({"/0/0.jpg"});
    EXPECT_EQ(Entry(form->EntryCount() - 1)->text(0), QStringLiteral("0.jpg"));
}

TEST_F(ConversionListTest, HeaderClickSortsByThatColumn) {
    Append({"/b/a.jpg", "/a/b.jpg"});
    form->ListView1->header()->sectionClicked(1);
    EXPECT_EQ(SortColumn, 1);
    EXPECT_EQ(EntryNames(*form), (QStringList{"b.jpg", "a.jpg"}));
    form->ListView1->header()->sectionClicked(0);
    EXPECT_EQ(SortColumn, 0);
    EXPECT_EQ(EntryNames(*form), (QStringList{"a.jpg", "b.jpg"}));
}

TEST_F(ConversionListTest, SortKeepsTheSelection) {
    Append({"/p/c.jpg", "/p/a.jpg", "/p/b.jpg"});
    Select(0);
    form->ImgBtnNameClick(form->ImgBtnName);
    EXPECT_EQ(SelectedRow(), 2);
    form->ImgBtnDownClick(form->ImgBtnDown);
    EXPECT_EQ(EntryNames(*form), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST_F(ConversionListTest, RemoveSelectedAndRemoveAll) {
    Append({"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"});
    form->ImgBtnDelClick(form->ImgBtnDel); // nothing selected
    EXPECT_EQ(form->EntryCount(), 3);
    Select(1);
    form->ImgBtnDelClick(form->ImgBtnDel);
    EXPECT_EQ(EntryNames(*form), (QStringList{"1.jpg", "3.jpg"}));
    SortColumn = 1;
    form->ImgBtnDelsClick(form->ImgBtnDels);
    EXPECT_EQ(form->EntryCount(), 0);
    // Neither touches the icons or the sort column.
    EXPECT_EQ(form->ListView1->ImageCount(), 3);
    EXPECT_EQ(SortColumn, 1);
    form->ImgBtnDelsClick(form->ImgBtnDels);
    EXPECT_EQ(form->EntryCount(), 0);
}

TEST_F(ConversionListTest, DraggedEntriesShowNoIconUntilTheFirstIconExists) {
    form->AppendEntry(QStringLiteral("/p/dragged1.jpg"), false);
    form->AppendEntry(QStringLiteral("/p/dragged2.jpg"), false);
    EXPECT_EQ(form->ListView1->ImageCount(), 0);
    EXPECT_TRUE(Entry(0)->icon(0).isNull());
    EXPECT_TRUE(Entry(1)->icon(0).isNull());

    // A file that does not exist still gets its type's icon.
    form->AppendEntry(QStringLiteral("/nowhere/added.jpg"), true);
    ASSERT_EQ(form->ListView1->ImageCount(), 1);
    EXPECT_EQ(TListView::ImageIndex(Entry(2)), 0);
    EXPECT_FALSE(Entry(2)->icon(0).isNull());
    const qint64 first = Entry(2)->icon(0).cacheKey();
    EXPECT_EQ(Entry(0)->icon(0).cacheKey(), first);
    EXPECT_EQ(Entry(1)->icon(0).cacheKey(), first);

    // Each add with an icon appends one; later drags show the first.
    form->AppendEntry(QStringLiteral("/p/doc.txt"), true);
    form->AppendEntry(QStringLiteral("/p/dragged3.jpg"), false);
    EXPECT_EQ(form->ListView1->ImageCount(), 2);
    EXPECT_EQ(TListView::ImageIndex(Entry(3)), 1);
    EXPECT_EQ(Entry(4)->icon(0).cacheKey(), first);
}

TEST_F(ConversionListTest, RenamedEntryIsLookedForUnderItsNewNameInItsFolder) {
    TScratchFolder folder;
    const QString a = folder.Jpeg(QStringLiteral("a.jpg"), 400, 300);
    folder.Jpeg(QStringLiteral("b.jpg"), 300, 200);
    form->AppendEntry(a, true);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    TListView* list = form->ListView1;
    Select(0);

    // The folder cell is not edited in place.
    list->edit(list->model()->index(0, 1));
    EXPECT_EQ(list->viewport()->findChild<QLineEdit*>(), nullptr);

    list->editItem(Entry(0), 0);
    auto* editor = list->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("b.jpg"));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Entry(0)->text(0) == QStringLiteral("b.jpg"); }));

    EXPECT_EQ(form->EntryPaths(), std::vector<std::string>{folder.File("b.jpg").toStdString()});
    form->ListView1Click(list);
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(form->Image7->Picture().size(), QSize(300, 200));
    // The file itself is not renamed.
    EXPECT_TRUE(QFileInfo::exists(a));
}

TEST_F(ConversionListTest, SelectionShowsOnlyWhileTheListHasTheFocus) {
    Append({"/p/1.jpg"});
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QApplication::setActiveWindow(form.get());
    Select(0);
    TListView* list = form->ListView1;
    // A point of the row right of its text, where only the row's
    // background shows.
    const QRect row = list->visualRect(list->model()->index(0, 1));
    const QPoint at(row.right() - 3, row.center().y());
    const auto background = [&] { return list->viewport()->grab().toImage().pixel(at); };
    const QRgb empty = list->viewport()->grab().toImage().pixel(at.x(), row.bottom() + 30);

    list->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->hasFocus(); }));
    EXPECT_NE(background(), empty);
    form->Edit1->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->hasFocus(); }));
    EXPECT_EQ(background(), empty);
    EXPECT_EQ(SelectedRow(), 0); // still selected, only not shown
}

// "Open with" while the window is open: the second start hands its files
// over and ends, the first window lists them, relative paths as the second
// start's working folder has them, and comes to the front with the
// launcher's activation token and startup id.
TEST(OneWindow, ASecondStartHandsItsFilesToTheOpenWindow) {
    const test::TScratchFolder folder;
    folder.Jpeg(QStringLiteral("a.jpg"), 8, 8);
    const QString b = folder.Jpeg(QStringLiteral("b.jpg"), 8, 8);
    TForm1 form;
    TWindowServer server(form);
    ASSERT_TRUE(server.Listening()) << WindowSocketPath().toStdString();
    std::vector<TActivation> raised;
    server.Raise = [&](const TActivation& Activation) { raised.push_back(Activation); };
    QProcess second;
    second.setWorkingDirectory(folder.Path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QStringLiteral("launcher-token"));
    environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), QStringLiteral("launcher_TIME42"));
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(VORPANE_WINDOW_PROGRAM), {QStringLiteral("a.jpg"), b});
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return test::EntryNames(form) == QStringList{"a.jpg", "b.jpg"};
        },
        5000))
        << test::EntryNames(form).join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(form.EntryPaths().front(), folder.File(QStringLiteral("a.jpg")).toStdString());
    ASSERT_EQ(raised.size(), 1u);
    EXPECT_EQ(raised[0].Token, QStringLiteral("launcher-token"));
    EXPECT_EQ(raised[0].StartupId, QByteArray("launcher_TIME42"));

    // A start of an earlier version sends its files alone and ends once
    // they are taken: they are listed, the window raised without a token.
    auto earlier = std::make_unique<QLocalSocket>();
    earlier->connectToServer(WindowSocketPath());
    ASSERT_TRUE(earlier->waitForConnected(3000));
    QDataStream out(earlier.get());
    out << QStringList{folder.File(QStringLiteral("a.jpg"))};
    earlier->flush();
    ASSERT_TRUE(QTest::qWaitFor([&] { return earlier->bytesAvailable() > 0; }, 5000));
    earlier.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return test::EntryNames(form).size() == 3; }, 5000));
    ASSERT_EQ(raised.size(), 2u);
    EXPECT_TRUE(raised[1].Token.isEmpty());
}

} // namespace
} // namespace vorpane
