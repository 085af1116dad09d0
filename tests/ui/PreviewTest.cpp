// The preview: the whole-factor shrink rule, what leaves the preview as it
// was, the error box for a file that is no JPEG, and the latest request
// winning over those still decoding.
#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

namespace vorpane {
namespace {

using test::TErrorBoxCatcher;
using test::TScratchFolder;

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override { form = std::make_unique<TForm1>(); }

    QSize Shown() const { return form->Image7->Picture().size(); }

    void Preview(const QString& Path) {
        form->ShowPreview(Path);
        ASSERT_TRUE(test::WaitForPreview(*form));
    }

    // Puts a picture of its own into the preview, to see it kept.
    QImage Mark() {
        QImage mark(10, 20, QImage::Format_RGB32);
        mark.fill(qRgb(1, 2, 3));
        form->Image7->SetPicture(QPixmap::fromImage(mark));
        return form->Image7->Picture().toImage();
    }

    TScratchFolder folder;
    std::unique_ptr<TForm1> form;
};

// A JPEG's colours come back near what was saved.
bool Near(QRgb A, QRgb B) {
    return std::abs(qRed(A) - qRed(B)) < 12 && std::abs(qGreen(A) - qGreen(B)) < 12 &&
           std::abs(qBlue(A) - qBlue(B)) < 12;
}

TEST_F(PreviewTest, PictureIsShrunkByAWholeFactorAndCentred) {
    const QRgb colour = qRgb(200, 60, 30);
    const struct {
        int width, height;
        QSize shown;
    } rows[] = {
        {151, 127, {151, 127}},   // fits as it is
        {20, 10, {20, 10}},       // small ones are not blown up
        {152, 100, {152, 100}},   // factor 1: one column cut off
        {400, 300, {200, 150}},   // factor 2
        {300, 200, {300, 200}},   // factor 1, larger than the box
        {100, 200, {100, 200}},   // portrait, 200 div 127 = 1
        {127, 300, {63, 150}},    // portrait, factor 2
        {1000, 1000, {166, 166}}, // square goes by width: 1000 div 151 = 6
        {3000, 2000, {157, 105}}, // factor 19, decoded at 1/8 first
        {1209, 50, {151, 6}},     // factor 8: 1209 div 8 = 151
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << " x " << row.height);
        const QString path = folder.Jpeg(QStringLiteral("p.jpg"), row.width, row.height, colour);
        Preview(path);
        ASSERT_EQ(Shown(), row.shown);
        const QImage shown = form->Image7->Picture().toImage();
        EXPECT_TRUE(Near(shown.pixel(row.shown.width() / 2, row.shown.height() / 2), colour));
        EXPECT_EQ(form->Image7->PictureOrigin(),
                  QPoint((151 - row.shown.width()) / 2, (127 - row.shown.height()) / 2));
    }
}

TEST_F(PreviewTest, FactorZeroLeavesThePreviewAsItWas) {
    // Landscape no wider than the box but taller: 140 div 151 = 0.
    const QImage before = Mark();
    Preview(folder.Jpeg(QStringLiteral("tall.jpg"), 140, 130));
    EXPECT_EQ(form->Image7->Picture().toImage(), before);
}

TEST_F(PreviewTest, NothingToShowLeavesThePreviewAsItWasWithoutAWord) {
    TErrorBoxCatcher errors;
    const QImage before = Mark();
    for (const QString& path : {QString(), folder.File(QStringLiteral("missing.jpg")),
                                folder.Path(), folder.Folder(QStringLiteral("looks.jpg"))}) {
        Preview(path);
        EXPECT_EQ(form->Image7->Picture().toImage(), before) << path.toStdString();
    }
    EXPECT_TRUE(errors.Texts.isEmpty());
}

TEST_F(PreviewTest, OnlyTheLatestPreviewIsShownAndOnlyItsErrorReported) {
    TErrorBoxCatcher errors;
    const QString text = folder.Text(QStringLiteral("x.jpg"));
    const QString big = folder.Jpeg(QStringLiteral("big.jpg"), 3000, 2000);
    const QString small = folder.Jpeg(QStringLiteral("small.jpg"), 20, 10);
    // Each asked for while the one before is still decoding.
    form->ShowPreview(text);
    form->ShowPreview(big);
    form->ShowPreview(small);
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(Shown(), QSize(20, 10));
    EXPECT_TRUE(errors.Texts.isEmpty());

    // Neither does a click that shows nothing let an older one through.
    const QImage before = Mark();
    form->ShowPreview(big);
    form->ShowPreview(folder.File(QStringLiteral("missing.jpg")));
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(form->Image7->Picture().toImage(), before);
}

TEST_F(PreviewTest, ClickOnATextFileClearsThePreviewAndNamesTheFileInTheErrorBox) {
    const QString x = folder.Text(QStringLiteral("x.jpg"));
    form->ShellTreeView1->SetPath(folder.Path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->ShellListView1->Reading(); }));
    ASSERT_EQ(form->ShellListView1->ItemCount(), 1);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QImage placeholder = form->Image7->Picture().toImage();
    Mark();

    TErrorBoxCatcher errors;
    QAbstractItemView* view = form->ShellListView1->CurrentView();
    const QModelIndex index = view->model()->index(0, 0, view->rootIndex());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    ASSERT_TRUE(test::WaitForPreview(*form));
    ASSERT_EQ(errors.Texts.size(), 1);
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^%1: JPEG error #\\d+ ").arg(QRegularExpression::escape(x)))
                    .match(errors.Texts[0])
                    .hasMatch())
        << errors.Texts[0].toStdString();
    EXPECT_EQ(errors.Captions[0], QStringLiteral("Vorpane_ui_tests"));
    // The photograph shown before is not left standing for this file.
    EXPECT_EQ(form->Image7->Picture().toImage(), placeholder);
    // The file can still be added.
    form->ImgBtnAddClick(form->ImgBtnAdd);
    EXPECT_EQ(form->EntryCount(), 1);
}

TEST_F(PreviewTest, UprightBoxTurnsThePreviewAsTheDocumentWill) {
    // Stored 400 x 200, red above blue; orientation 6: turned a quarter
    // clockwise, 200 x 400 upright, red on the right.
    QImage stored(400, 200, QImage::Format_RGB32);
    stored.fill(qRgb(0, 0, 220));
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 400; ++x) {
            stored.setPixel(x, y, qRgb(220, 0, 0));
        }
    }
    const QString path = folder.TurnedJpeg(QStringLiteral("turned.jpg"), stored, 6);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    Preview(path);
    ASSERT_EQ(Shown(), QSize(200, 100));
    EXPECT_TRUE(Near(form->Image7->Picture().toImage().pixel(100, 10), qRgb(220, 0, 0)));

    // Ticked, the shown photograph is turned at once: portrait, so the
    // factor is the height's, 400 div 127 = 3.
    QTest::mouseClick(form->CheckBox1, Qt::LeftButton, {}, QPoint(7, 8));
    ASSERT_TRUE(form->CheckBox1->isChecked());
    ASSERT_TRUE(test::WaitForPreview(*form));
    ASSERT_EQ(Shown(), QSize(66, 133));
    const QImage upright = form->Image7->Picture().toImage();
    EXPECT_TRUE(Near(upright.pixel(60, 66), qRgb(220, 0, 0)));
    EXPECT_TRUE(Near(upright.pixel(5, 66), qRgb(0, 0, 220)));

    // Unticked: as stored again.
    QTest::mouseClick(form->CheckBox1, Qt::LeftButton, {}, QPoint(7, 8));
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(Shown(), QSize(200, 100));
}

TEST_F(PreviewTest, FileListPreviewsItsFirstSelectedEntryAlsoOnAClickBesideTheItems) {
    folder.Jpeg(QStringLiteral("a.jpg"), 300, 200);
    folder.Jpeg(QStringLiteral("b.jpg"), 400, 300);
    form->ShellTreeView1->SetPath(folder.Path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->ShellListView1->Reading(); }));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QAbstractItemView* view = form->ShellListView1->CurrentView();

    // b clicked, then a added with Ctrl: a comes first in the list.
    const QModelIndex a = view->model()->index(0, 0, view->rootIndex());
    const QModelIndex b = view->model()->index(1, 0, view->rootIndex());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(b).center());
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(Shown(), QSize(200, 150));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(a).center());
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(Shown(), QSize(300, 200));

    // A click where no item is keeps the selection and shows it again.
    Mark();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(330, 240));
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(Shown(), QSize(300, 200));
    EXPECT_TRUE(form->ShellListView1->ItemSelected(0));
    EXPECT_TRUE(form->ShellListView1->ItemSelected(1));

    // Nothing selected: nothing shown.
    view->clearSelection();
    Mark();
    form->ShellListView1Click(form->ShellListView1);
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(Shown(), QSize(10, 20));

    // The keyboard's current file is previewed as a clicked one: down from
    // a to b.
    view->setCurrentIndex(a);
    QTest::keyClick(view, Qt::Key_Down);
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(Shown(), QSize(200, 150));
}

TEST_F(PreviewTest, ConversionListPreviewsTheSelectedEntryOnAClick) {
    const QString a = folder.Jpeg(QStringLiteral("a.jpg"), 400, 300);
    form->AppendEntry(a, true);
    form->AppendEntry(folder.File(QStringLiteral("gone.jpg")), true);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTreeWidget* list = form->ListView1;
    const QPoint first = list->visualItemRect(list->topLevelItem(0)).center();
    const QPoint second = list->visualItemRect(list->topLevelItem(1)).center();

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(Shown(), QSize(200, 150));
    // A vanished file: nothing new is shown.
    const QImage before = Mark();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(form->Image7->Picture().toImage(), before);
    // The keyboard's current entry is previewed as a click's is.
    form->Image7->SetPicture(QPixmap());
    QTest::keyClick(list, Qt::Key_Up);
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_EQ(Shown(), QSize(200, 150));
}

TEST_F(PreviewTest, PlaceholderIsShownAtStart) {
    EXPECT_EQ(Shown(), QSize(151, 127));
}

} // namespace
} // namespace vorpane
