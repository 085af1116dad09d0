// The folder browser: the tree, the file list's filter and order, reading a
// folder once, and handing the file list's entries to the conversion list.
#include "TestSupport.h"
#include "UiTestSupport.h"

#include "PageOptionsDialog.h"
#include "cFolderTreeModel.h"
#include "cPathBytes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>

namespace vorpane {
namespace {

using test::EntryNames;
using test::FileListNames;
using test::TScratchFolder;

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Jpeg(QStringLiteral("a.jpg"), 20, 10);
        folder.Jpeg(QStringLiteral("B.JPEG"), 20, 10);
        folder.Jpeg(QStringLiteral("c.png"), 20, 10);
        folder.Jpeg(QStringLiteral("photo.jpe"), 20, 10);
        folder.Jpeg(QStringLiteral("photo.jpg.bak"), 20, 10);
        folder.Text(QStringLiteral("x.jpg"));
        folder.Jpeg(QStringLiteral(".h.jpg"), 20, 10);
        folder.Folder(QStringLiteral("d"));
        form = std::make_unique<TForm1>();
    }

    void Browse(const QString& Path) {
        form->ShellTreeView1->SetPath(Path);
        WaitForFileList();
    }

    void WaitForFileList() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !form->ShellListView1->Reading(); }));
    }

    // Where an item of the file list shows, in the current view.
    QPoint ItemCentre(int Index) const {
        QAbstractItemView* view = form->ShellListView1->CurrentView();
        return view->visualRect(view->model()->index(Index, 0, view->rootIndex())).center();
    }

    void ShowForm() {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    TScratchFolder folder;
    std::unique_ptr<TForm1> form;
};

const QStringList kListed = {QStringLiteral("a.jpg"), QStringLiteral("B.JPEG"),
                             QStringLiteral("x.jpg")};

TEST_F(BrowserTest, FileListShowsTheJpegNamedFilesOfTheChosenFolderOnly) {
    Browse(folder.Path());
    EXPECT_EQ(FileListNames(*form->ShellListView1), kListed);
    EXPECT_EQ(form->ShellListView1->ItemPath(1), folder.File(QStringLiteral("B.JPEG")));
    EXPECT_EQ(form->ShellTreeView1->Path(), folder.Path());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(BrowserTest, AddFolderAdmitsFoldersAndTheTwoExtensionsInAnyAsciiCase) {
    const QString sub = folder.Folder(QStringLiteral("pictures.png"));
    const struct {
        QString path;
        bool shown;
    } rows[] = {
        {QStringLiteral("/p/photo.JPG"), true},
        {QStringLiteral("/p/photo.Jpeg"), true},
        {QStringLiteral("/p/a.b.jpeg"), true},
        {QStringLiteral("/p/.jpg"), true},
        {QStringLiteral("/p/photo.jpe"), false},
        {QStringLiteral("/p/photo.jfif"), false},
        {QStringLiteral("/p/photo.jpg.bak"), false},
        {QStringLiteral("/p/photo"), false},
        {QStringLiteral("/p/jpg"), false},
        {QStringLiteral("/p.jpg/photo"), false},  // the dot is the folder's
        {QStringLiteral("/p/a.jpg:b"), false},    // the extension is ".jpg:b"
        {QStringLiteral("/p/photo.jpg "), false}, // no trimming
        {QStringLiteral("/p/photo.jpgg"), false},
        {QString::fromUtf8("/p/photo.\xEF\xBC\xAA\xEF\xBC\xB0\xEF\xBC\xA7"), false}, // full-width
        {sub, true},
    };
    for (const auto& row : rows) {
        bool canAdd = !row.shown;
        form->ShellListView1AddFolder(form->ShellListView1, QFileInfo(row.path), canAdd);
        EXPECT_EQ(canAdd, row.shown) << row.path.toStdString();
    }
}

TEST_F(BrowserTest, NamesAreInNaturalOrderWithoutRegardToCase) {
    TScratchFolder names;
    for (const char* name :
         {"img_9.jpg", "IMG_10.jpg", "b.jpg", "a10.jpg", "A2.jpg", "_z.jpg", "img_100.jpg"}) {
        names.Text(QString::fromLatin1(name));
    }
    // A window made before the folder existed might have read its parent
    // without it.
    form = std::make_unique<TForm1>();
    Browse(names.Path());
    EXPECT_EQ(FileListNames(*form->ShellListView1),
              (QStringList{"_z.jpg", "A2.jpg", "a10.jpg", "b.jpg", "img_9.jpg", "IMG_10.jpg",
                           "img_100.jpg"}));
}

TEST_F(BrowserTest, FolderIsReadOnceUntilItIsChosenAgain) {
    Browse(folder.Path());
    folder.Jpeg(QStringLiteral("new.jpg"), 4, 4);
    QFile::remove(folder.File(QStringLiteral("a.jpg")));
    EXPECT_EQ(FileListNames(*form->ShellListView1), kListed);

    Browse(folder.File(QStringLiteral("d")));
    EXPECT_TRUE(FileListNames(*form->ShellListView1).isEmpty());
    Browse(folder.Path());
    EXPECT_EQ(FileListNames(*form->ShellListView1), (QStringList{"B.JPEG", "new.jpg", "x.jpg"}));
}

TEST_F(BrowserTest, FolderThatCannotBeListedLeavesTheListEmpty) {
    Browse(folder.Path());
    const struct {
        const char* name;
        QString path;
    } rows[] = {{"missing", folder.File(QStringLiteral("gone"))},
                {"file", folder.File(QStringLiteral("a.jpg"))},
                {"empty", QString()}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        form->ShellListView1->SetRoot(row.path);
        EXPECT_EQ(form->ShellListView1->ItemCount(), 0);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    QFile::setPermissions(folder.File(QStringLiteral("d")), QFileDevice::WriteOwner);
    folder.Jpeg(QStringLiteral("d/in.jpg"), 4, 4); // root reads it anyway
    form->ShellListView1->SetRoot(folder.File(QStringLiteral("d")));
    WaitForFileList();
    EXPECT_LE(form->ShellListView1->ItemCount(), 1);
    QFile::setPermissions(folder.File(QStringLiteral("d")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(BrowserTest, BrowserStartsOnTheDesktopElseTheHomeFolder) {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    ASSERT_TRUE(QFileInfo(desktop).isDir());
    WaitForFileList();
    EXPECT_EQ(form->ShellListView1->Root(), desktop);
    EXPECT_EQ(form->ShellTreeView1->Path(), desktop);

    const QString away = desktop + QStringLiteral(".away");
    ASSERT_TRUE(QDir().rename(desktop, away));
    TForm1 homeForm;
    QDir().rename(away, desktop);
    EXPECT_EQ(homeForm.ShellListView1->Root(), QDir::homePath());
}

TEST_F(BrowserTest, TreeShowsFoldersOnlyAndNoHiddenOnes) {
    folder.Folder(QStringLiteral(".hidden"));
    folder.Folder(QStringLiteral("e"));
    Browse(folder.Path());
    QTreeView* tree = form->ShellTreeView1;
    const QPersistentModelIndex here = tree->currentIndex();
    tree->expand(here);
    // Read on a thread: its sub-folders come all at once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree->model()->rowCount(here) > 0; }));
    QStringList names;
    for (int row = 0; row < tree->model()->rowCount(here); ++row) {
        names << tree->model()->index(row, 0, here).data().toString();
    }
    EXPECT_EQ(names, (QStringList{"d", "e"}));
    // Size, type and date say nothing about a folder here.
    EXPECT_EQ(tree->model()->columnCount(here), 1);
    EXPECT_EQ(tree->indentation(), 19);
    EXPECT_FALSE(tree->rootIsDecorated());
}

// A folder on a network share whose server has gone never holds up the
// window: what is opened is read on a thread, and a read that returns after
// its folder was forgotten, or after the model went, is dropped.
TEST_F(BrowserTest, TreeReadsAnOpenedFolderOffTheWindowsThread) {
    folder.Folder(QStringLiteral("e"));
    const QString f = folder.Folder(QStringLiteral("d/f"));
    auto model = std::make_unique<TFolderTreeModel>(nullptr);
    const QPersistentModelIndex here = model->Find(folder.Path());
    ASSERT_TRUE(model->canFetchMore(here));
    model->fetchMore(here);
    EXPECT_EQ(model->rowCount(here), 0);
    EXPECT_TRUE(model->hasChildren(here));
    EXPECT_FALSE(model->canFetchMore(here));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->Reading(); }));
    ASSERT_EQ(model->rowCount(here), 2);
    EXPECT_EQ(model->index(1, 0, here).data().toString(), QStringLiteral("e"));

    // A folder read by Find while its read is going gets its rows once.
    const QPersistentModelIndex d = model->index(0, 0, here);
    int inserted = 0;
    QObject::connect(model.get(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex& Parent, int First, int Last) {
                         inserted += Parent == d ? Last - First + 1 : 0;
                     });
    model->fetchMore(d);
    EXPECT_TRUE(model->Find(f).isValid());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->Reading(); }));
    EXPECT_EQ(model->rowCount(d), 1);
    EXPECT_EQ(inserted, 1);

    // "/" outlives Forget; its read from before doesn't fill it afterwards.
    model->fetchMore(model->index(0, 0, d));
    model->Forget();
    model->fetchMore(model->index(0, 0));
    model->Forget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->Reading(); }));
    EXPECT_EQ(model->rowCount(model->index(0, 0)), 0);
    EXPECT_TRUE(model->canFetchMore(model->index(0, 0)));

    // Gone with a read going: the read is stopped and waited for, and names
    // already posted go with the model.
    model->fetchMore(model->index(0, 0));
    model.reset();
    QCoreApplication::processEvents();
}

TEST_F(BrowserTest, ChoosingAFolderInTheTreeReadsIt) {
    folder.Jpeg(QStringLiteral("d/inside.jpg"), 4, 4);
    Browse(folder.Path());
    ShowForm();
    QTreeView* tree = form->ShellTreeView1;
    tree->expand(tree->currentIndex());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return tree->model()->rowCount(tree->currentIndex()) == 1; }));
    const QModelIndex d = tree->model()->index(0, 0, tree->currentIndex());
    tree->scrollTo(d);
    // A right press chooses the folder under the pointer too.
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, tree->visualRect(d).center());
    QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, tree->visualRect(d).center());
    WaitForFileList();
    EXPECT_EQ(FileListNames(*form->ShellListView1), QStringList{"inside.jpg"});
    EXPECT_EQ(form->ShellTreeView1->Path(), folder.File(QStringLiteral("d")));
}

TEST_F(BrowserTest, FolderNamedInLatin1ShowsInTheTreeAndItsPhotosList) {
    // Qt's own listings leave such a name out.
    const QByteArray cafe = QFile::encodeName(folder.Path()) + "/caf\xe9";
    const QByteArray older = QFile::encodeName(folder.Path()) + "/old caf\xe9";
    // The scratch folder's own removal can't see such names.
    const std::shared_ptr<void> removal(nullptr, [&](void*) {
        std::filesystem::remove_all(cafe.toStdString());
        std::filesystem::remove_all(older.toStdString());
    });
    ASSERT_TRUE(std::filesystem::create_directory(cafe.toStdString()));
    const QByteArray photo = cafe + "/\xe9t\xe9.jpg";
    ASSERT_TRUE(std::filesystem::copy_file(
        QFile::encodeName(folder.File(QStringLiteral("a.jpg"))).toStdString(),
        photo.toStdString()));
    Browse(folder.Path());
    ShowForm();
    QTreeView* tree = form->ShellTreeView1;
    tree->expand(tree->currentIndex());
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree->model()->rowCount(tree->currentIndex()) > 0; }));
    QModelIndex shown;
    for (int row = 0; row < tree->model()->rowCount(tree->currentIndex()); ++row) {
        const QModelIndex item = tree->model()->index(row, 0, tree->currentIndex());
        if (item.data().toString() == DecodePathName("caf\xe9")) {
            shown = item;
        }
    }
    ASSERT_TRUE(shown.isValid());
    tree->scrollTo(shown);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(shown).center());
    WaitForFileList();
    EXPECT_EQ(form->ShellTreeView1->Path(), DecodePathName(cafe));
    EXPECT_EQ(FileListNames(*form->ShellListView1), QStringList{DecodePathName("\xe9t\xe9.jpg")});
    EXPECT_EQ(EncodePathName(form->ShellListView1->ItemPath(0)), photo);

    // Chosen by its path, as a folder argument or the start folder would be.
    Browse(folder.Path());
    Browse(DecodePathName(cafe));
    EXPECT_EQ(form->ShellTreeView1->Path(), DecodePathName(cafe));
    EXPECT_EQ(form->ShellListView1->ItemCount(), 1);
    // Found where it was already read: still one row of its name.
    const QAbstractItemModel* folders = tree->model();
    EXPECT_EQ(folders
                  ->match(folders->index(0, 0, tree->currentIndex().parent()), Qt::DisplayRole,
                          DecodePathName("caf\xe9"), -1, Qt::MatchExactly)
                  .size(),
              1);

    // Renamed in place by its bytes, never over another folder, and the file
    // list follows it.
    EXPECT_FALSE(tree->model()->setData(tree->currentIndex(), QStringLiteral("d")));
    EXPECT_TRUE(tree->model()->setData(tree->currentIndex(), DecodePathName("old caf\xe9")));
    EXPECT_TRUE(std::filesystem::is_directory(older.toStdString()));
    EXPECT_EQ(form->ShellTreeView1->Path(), DecodePathName(older));
    // Now after "d" in the tree's order, as it would be read.
    EXPECT_GT(tree->currentIndex().row(),
              folders
                  ->match(folders->index(0, 0, tree->currentIndex().parent()), Qt::DisplayRole,
                          QStringLiteral("d"), 1, Qt::MatchExactly)
                  .value(0)
                  .row());
    WaitForFileList();
    ASSERT_EQ(form->ShellListView1->ItemCount(), 1);
    EXPECT_EQ(EncodePathName(form->ShellListView1->ItemPath(0)), older + "/\xe9t\xe9.jpg");
}

TEST_F(BrowserTest, TreeMenuOpensTheFolderAndRefreshReadsItAgain) {
    Browse(folder.Path());
    std::unique_ptr<QMenu> menu(form->ShellTreeView1->CreateContextMenu(folder.Path()));
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Open in file manager"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Refresh"));

    folder.Jpeg(QStringLiteral("late.jpg"), 4, 4);
    actions[1]->trigger();
    WaitForFileList();
    EXPECT_EQ(form->ShellTreeView1->Path(), folder.Path());
    EXPECT_EQ(FileListNames(*form->ShellListView1),
              (QStringList{"a.jpg", "B.JPEG", "late.jpg", "x.jpg"}));
}

TEST_F(BrowserTest, ViewStylesShowTheSameItems) {
    Browse(folder.Path());
    form->ShellListView1->SetItemSelected(2, true);
    form->ImageBgMouseDown(form->ImageBg, mbLeft, 0, 500, 90); // details
    ASSERT_EQ(form->ShellListView1->ViewStyle(), vsReport);
    QTreeView* report = form->ShellListView1->ReportView();
    EXPECT_EQ(report->model()->rowCount(report->rootIndex()), 3);
    EXPECT_EQ(report->model()->columnCount(report->rootIndex()), 4); // name, size, type, date
    EXPECT_TRUE(form->ShellListView1->ItemSelected(2));
    EXPECT_EQ(FileListNames(*form->ShellListView1), kListed);
}

// A photo's date in Details is when it was taken (without an offset, in
// local time, as the camera's clock); other files keep their file time.
TEST_F(BrowserTest, DetailsShowTheDateTakenWhereThePhotoHasOne) {
    TScratchFolder photos;
    const QString plain = photos.Jpeg(QStringLiteral("plain.jpg"), 4, 4);
    const std::string jpeg = test::ReadFileBytes(plain.toStdString());
    test::WriteFileBytes(photos.File(QStringLiteral("taken.jpg")).toStdString(),
                         test::WithDateTaken(jpeg, "2001:02:03 04:05:06"));
    Browse(photos.Path());
    form->ShellListView1->SetViewStyle(vsReport);
    QTreeView* report = form->ShellListView1->ReportView();
    const auto* filter = qobject_cast<const QSortFilterProxyModel*>(report->model());
    ASSERT_NE(filter, nullptr);
    ASSERT_EQ(filter->rowCount(report->rootIndex()), 2);
    const auto date = [&](int Row) {
        const QModelIndex item = filter->index(Row, 3, report->rootIndex());
        return std::pair{item.data().toString(), filter->mapToSource(item).data().toString()};
    };
    const auto [plainShown, plainModified] = date(0);
    EXPECT_EQ(plainShown, plainModified);
    const auto [takenShown, takenModified] = date(1);
    EXPECT_EQ(takenShown, QLocale::system().toString(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)),
                                                     QLocale::ShortFormat));
    EXPECT_NE(takenShown, takenModified);
    EXPECT_EQ(filter->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Date"));
}

TEST_F(BrowserTest, NamesShowWholeInListAndSmallIconsAndEveryItemHasAnIcon) {
    TScratchFolder names;
    const QStringList files = {QStringLiteral("a.jpg"),
                               QStringLiteral("birthday party at the lake, 2023.jpg"),
                               QStringLiteral("ho.jpg")};
    for (const QString& name : files) {
        names.Text(name);
    }
    ShowForm();
    Browse(names.Path());
    for (TViewStyle style : {vsList, vsSmallIcon}) {
        form->ShellListView1->SetViewStyle(style);
        QAbstractItemView* view = form->ShellListView1->CurrentView();
        for (int i = 0; i < files.size(); ++i) {
            const QModelIndex item = view->model()->index(i, 0, view->rootIndex());
            EXPECT_GE(view->visualRect(item).width(),
                      view->iconSize().width() + view->fontMetrics().horizontalAdvance(files[i]))
                << files[i].toStdString() << " in style " << style;
            EXPECT_FALSE(item.data(Qt::DecorationRole).value<QIcon>().isNull());
        }
    }
    // Also where the icon theme has no icons of its own.
    EXPECT_FALSE(
        form->ShellTreeView1->currentIndex().data(Qt::DecorationRole).value<QIcon>().isNull());
}

TEST_F(BrowserTest, LargeIconsShowEachPhotographsThumbnailOnceItIsMade) {
    TScratchFolder photos;
    photos.Jpeg(QStringLiteral("red.jpg"), 400, 200, qRgb(220, 0, 0));
    photos.Text(QStringLiteral("x.jpg"));
    ShowForm();
    Browse(photos.Path());
    form->ImageBgMouseDown(form->ImageBg, mbLeft, 0, 300, 90); // large icons
    QAbstractItemView* view = form->ShellListView1->CurrentView();
    const auto redPixels = [&](int Index) {
        const QRect item = view->visualRect(view->model()->index(Index, 0, view->rootIndex()));
        const QImage shown = view->viewport()->grab(item).toImage();
        int red = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb pixel = shown.pixel(x, y);
                red += qRed(pixel) > 180 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
            }
        }
        return red;
    };
    // 64 x 32 pixels of red; a file that doesn't decode keeps its icon.
    EXPECT_TRUE(QTest::qWaitFor([&] { return redPixels(0) >= 64 * 32; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->ShellListView1->Thumbnails()->Idle(); }));
    EXPECT_LT(redPixels(0), 64 * 33);
    EXPECT_EQ(redPixels(1), 0);
}

TEST_F(BrowserTest, LargeIconThumbnailsFollowTheUprightBox) {
    TScratchFolder photos;
    QImage stored(400, 200, QImage::Format_RGB32);
    stored.fill(qRgb(220, 0, 0));
    photos.TurnedJpeg(QStringLiteral("turned.jpg"), stored, 6);
    ShowForm();
    Browse(photos.Path());
    form->ImageBgMouseDown(form->ImageBg, mbLeft, 0, 300, 90); // large icons
    QAbstractItemView* view = form->ShellListView1->CurrentView();
    // The red part of the item as shown: the thumbnail.
    const auto redArea = [&] {
        const QRect item = view->visualRect(view->model()->index(0, 0, view->rootIndex()));
        const QImage shown = view->viewport()->grab(item).toImage();
        QRect red;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb pixel = shown.pixel(x, y);
                if (qRed(pixel) > 180 && qGreen(pixel) < 60 && qBlue(pixel) < 60) {
                    red |= QRect(x, y, 1, 1);
                }
            }
        }
        return red.size();
    };
    // As stored, then turned upright by a click on the box, then back.
    for (const QSize expected : {QSize(64, 32), QSize(32, 64), QSize(64, 32)}) {
        SCOPED_TRACE(testing::Message() << expected.width() << " x " << expected.height());
        EXPECT_TRUE(QTest::qWaitFor([&] { return redArea() == expected; }, 10000))
            << redArea().width() << " x " << redArea().height();
        QTest::mouseClick(form->CheckBox1, Qt::LeftButton, {}, QPoint(7, 8));
    }
}

// "Also list HEIC, PNG and WebP pictures" widens the filter, and such a
// picture gets its thumbnail as a JPEG does.
TEST_F(BrowserTest, OtherKindsOfPicturesAreListedWhenAskedAndGetThumbnails) {
    for (const bool asked : {false, true}) {
        PageOptions.OtherKinds = asked;
        for (const char* name : {"/p/a.HEIC", "/p/a.heif", "/p/a.avif", "/p/a.png", "/p/a.WebP"}) {
            bool canAdd = !asked;
            form->ShellListView1AddFolder(form->ShellListView1, QFileInfo(QLatin1String(name)),
                                          canAdd);
            EXPECT_EQ(canAdd, asked) << name;
        }
        bool canAdd = true;
        form->ShellListView1AddFolder(form->ShellListView1, QFileInfo(QStringLiteral("/p/a.gif")),
                                      canAdd);
        EXPECT_FALSE(canAdd);
    }
    TScratchFolder photos;
    QImage red(400, 200, QImage::Format_RGB32);
    red.fill(qRgb(220, 0, 0));
    ASSERT_TRUE(red.save(photos.File(QStringLiteral("red.png"))));
    ShowForm();
    Browse(photos.Path());
    ASSERT_EQ(FileListNames(*form->ShellListView1), QStringList{QStringLiteral("red.png")});
    form->ImageBgMouseDown(form->ImageBg, mbLeft, 0, 300, 90); // large icons
    QAbstractItemView* view = form->ShellListView1->CurrentView();
    const auto redPixels = [&] {
        const QRect item = view->visualRect(view->model()->index(0, 0, view->rootIndex()));
        const QImage shown = view->viewport()->grab(item).toImage();
        int count = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb pixel = shown.pixel(x, y);
                count += qRed(pixel) > 180 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
            }
        }
        return count;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return redPixels() >= 64 * 32; }, 10000));
    PageOptions = {};
}

TEST_F(BrowserTest, AddAllAndAddSelectedKeepTheFileListsOrder) {
    Browse(folder.Path());
    form->ImgBtnAddClick(form->ImgBtnAdd); // nothing selected
    EXPECT_EQ(form->EntryCount(), 0);

    form->ImgBtnAddsClick(form->ImgBtnAdds);
    EXPECT_EQ(EntryNames(*form), kListed);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(form->ListView1->topLevelItem(row)->text(1), folder.Path() + QLatin1Char('/'));
    }

    form->ImgBtnDelsClick(form->ImgBtnDels);
    // Selected last to first: still added first to last.
    form->ShellListView1->SetItemSelected(2, true);
    form->ShellListView1->SetItemSelected(0, true);
    form->ImgBtnAddClick(form->ImgBtnAdd);
    EXPECT_EQ(EntryNames(*form), (QStringList{"a.jpg", "x.jpg"}));

    // An empty file list adds nothing.
    Browse(folder.File(QStringLiteral("d")));
    form->ImgBtnAddsClick(form->ImgBtnAdds);
    EXPECT_EQ(form->EntryCount(), 2);
}

TEST_F(BrowserTest, DoubleClickAndReturnAddTheSelection) {
    Browse(folder.Path());
    ShowForm();
    QAbstractItemView* view = form->ShellListView1->CurrentView();
    QWidget* viewport = view->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, ItemCentre(1));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, ItemCentre(1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, ItemCentre(1));
    EXPECT_EQ(EntryNames(*form), QStringList{"B.JPEG"});
    // Nothing was opened or entered.
    EXPECT_EQ(form->ShellListView1->Root(), folder.Path());

    form->ShellListView1->SetItemSelected(2, true);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(EntryNames(*form), (QStringList{"B.JPEG", "B.JPEG", "x.jpg"}));
}

TEST_F(BrowserTest, EndOfADragAddsTheSelectionWithoutIcons) {
    Browse(folder.Path());
    form->ShellListView1->SetItemSelected(1, true);
    form->ShellListView1->SetItemSelected(2, true);
    form->ShellListView1EndDrag(form->ShellListView1, nullptr, 0, 0);
    EXPECT_EQ(EntryNames(*form), (QStringList{"B.JPEG", "x.jpg"}));
    EXPECT_EQ(form->ListView1->ImageCount(), 0);
    // Only a drag out of a file list adds.
    form->ShellListView1EndDrag(form->ListView1, nullptr, 0, 0);
    EXPECT_EQ(form->EntryCount(), 2);
}

// The offscreen platform refuses every drag at once, as a drag cancelled
// before it got anywhere; the entries come all the same.
TEST_F(BrowserTest, RefusedDragStillAdds) {
    Browse(folder.Path());
    ShowForm();
    form->ShellListView1->SetItemSelected(0, true);
    form->ShellListView1->DragSelection(form->ShellListView1->CurrentView());
    EXPECT_EQ(EntryNames(*form), QStringList{"a.jpg"});
    EXPECT_EQ(form->ListView1->ImageCount(), 0);
}

TEST_F(BrowserTest, NameEditedInTheFileListRenamesTheFile) {
    Browse(folder.Path());
    ShowForm();
    QAbstractItemView* view = form->ShellListView1->CurrentView();
    const QModelIndex a = view->model()->index(0, 0, view->rootIndex());
    view->setCurrentIndex(a);
    view->edit(a);
    auto* editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("renamed.jpg"));
    QTest::keyClick(editor, Qt::Key_Return); // the editor commits after the key
    EXPECT_EQ(form->EntryCount(), 0) << "the editor's Return adds nothing";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QFileInfo::exists(folder.File(QStringLiteral("renamed.jpg"))); }));
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("a.jpg"))));
    const QStringList renamed = {"B.JPEG", "renamed.jpg", "x.jpg"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return FileListNames(*form->ShellListView1) == renamed; }));
    EXPECT_EQ(FileListNames(*form->ShellListView1), renamed);
    // Never over another file, and never to another folder: a name is one
    // name.
    for (const char* name : {"x.jpg", "d/B.JPEG", "../B.JPEG", "", ".", ".."}) {
        EXPECT_FALSE(view->model()->setData(view->model()->index(0, 0, view->rootIndex()),
                                            QString::fromLatin1(name)))
            << name;
    }
    EXPECT_TRUE(QFileInfo::exists(folder.File(QStringLiteral("B.JPEG"))));
    EXPECT_EQ(FileListNames(*form->ShellListView1), renamed);

    // A name in Latin-1 bytes is renamed by its bytes, the byte kept.
    const QByteArray latin1 = QFile::encodeName(folder.Path()) + "/caf\xe9.jpg";
    const QByteArray older = QFile::encodeName(folder.Path()) + "/old caf\xe9.jpg";
    ASSERT_EQ(std::rename(QFile::encodeName(folder.File(QStringLiteral("renamed.jpg"))).constData(),
                          latin1.constData()),
              0);
    form->ShellListView1->SetRoot(folder.Path());
    WaitForFileList();
    const QModelIndex cafe = view->model()->index(1, 0, view->rootIndex());
    ASSERT_EQ(cafe.data().toString(), DecodePathName("caf\xe9.jpg"));
    view->setCurrentIndex(cafe);
    view->edit(cafe);
    editor = view->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("old ") + editor->text());
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(older.toStdString()); }));
    EXPECT_FALSE(std::filesystem::exists(latin1.toStdString()));
    EXPECT_EQ(FileListNames(*form->ShellListView1),
              (QStringList{"B.JPEG", DecodePathName("old caf\xe9.jpg"), "x.jpg"}));
    // The scratch folder's own removal can't see such a name.
    std::remove(older.constData());
    std::remove(latin1.constData());
}

} // namespace
} // namespace vorpane
