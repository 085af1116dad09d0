#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

#include <string>
#include <vector>

namespace vorpane {

// Catches what the window asks the desktop to open.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void Open(const QUrl& Url) { urls.push_back(Url); }
};

namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The options state is process-wide; FormCreate must set it, whatever
        // it was.
        SameSizeMode = false;
        SpinAction = 4;
        form = std::make_unique<TForm1>();
        form->StartWindowDrag = [this] { ++drags; };
    }

    void ShowForm() {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        Settle();
    }

    // Lets the posted shape updates run.
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }

    TImage* VisibleTab() const {
        TImage* shown = nullptr;
        int count = 0;
        for (TImage* tab :
             {form->ImageLists2, form->ImageBig2, form->ImageSmall2, form->ImageDetails2}) {
            if (!tab->isHidden()) {
                shown = tab;
                ++count;
            }
        }
        return count == 1 ? shown : nullptr;
    }

    std::unique_ptr<TForm1> form;
    int drags = 0;
};

TEST_F(FormTest, WindowIsFramelessFixedAndPlacedAsDesigned) {
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->size(), QSize(767, 547));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->pos(), StartPosition(form->screen()->availableGeometry(), form->size()));
    EXPECT_EQ(form->font().pixelSize(), 11);
}

TEST(StartPosition, TheDesignsPlaceWhereTheWindowFitsElseCentredAndWhollyOnTheScreen) {
    const struct {
        QRect available;
        QPoint at;
    } rows[] = {
        {QRect(0, 0, 1920, 1080), QPoint(331, 99)},
        {QRect(1920, 32, 1920, 1048), QPoint(2251, 131)}, // a second screen, a panel on top
        {QRect(0, 0, 960, 540), QPoint(96, 0)},           // 1920 x 1080 at scale 2: centred
        {QRect(0, 0, 1440, 900), QPoint(331, 99)},
        {QRect(0, 0, 1000, 600), QPoint(116, 26)},
        {QRect(0, 0, 640, 480), QPoint(0, 0)}, // larger than the screen: its top-left corner shows
    };
    for (const auto& row : rows) {
        EXPECT_EQ(StartPosition(row.available, QSize(767, 547)), row.at) << row.available.width();
    }
}

TEST(CutToShape, CornersAndTheKeyColourBecomeSeeThroughTheRestStays) {
    for (const double ratio : {1.0, 2.0}) {
        QImage picture(QSize(40, 30) * ratio, QImage::Format_RGB32);
        picture.setDevicePixelRatio(ratio);
        picture.fill(QColor(10, 20, 30));
        picture.setPixel(QPoint(20, 15) * ratio, kKeyColour);
        const QImage cut =
            CutToShape(QPixmap::fromImage(picture), RoundRectRegion(0, 0, 41, 31, 10, 10))
                .toImage();
        EXPECT_EQ(qAlpha(cut.pixel(0, 0)), 0) << ratio;
        EXPECT_EQ(qAlpha(cut.pixel(QPoint(20, 15) * ratio)), 0) << ratio;
        EXPECT_EQ(cut.pixel(QPoint(10, 10) * ratio), QColor(10, 20, 30).rgb()) << ratio;
        EXPECT_EQ(cut.pixel(QPoint(20, 0) * ratio), QColor(10, 20, 30).rgb()) << ratio;
    }
}

TEST_F(FormTest, FormCreatePlacesEveryControl) {
    const struct {
        const char* name;
        QWidget* control;
        QRect geometry;
        QWidget* parent;
    } rows[] = {
        {"ImgBtnMin", form->ImgBtnMin, {699, 6, 28, 28}, form.get()},
        {"ImgBtnClose", form->ImgBtnClose, {725, 2, 33, 41}, form.get()},
        {"Panel2", form->Panel2, {13, 363, 489, 40}, form.get()},
        {"ImgBtnName", form->ImgBtnName, {43, 20, 80, 22}, form->Panel2},
        {"ImgBtnPath", form->ImgBtnPath, {275, 20, 80, 22}, form->Panel2},
        {"ImgBtnUp", form->ImgBtnUp, {404, -2, 40, 40}, form->Panel2},
        {"ImgBtnDown", form->ImgBtnDown, {449, -2, 40, 40}, form->Panel2},
        {"ImgBtnAdd", form->ImgBtnAdd, {503, 381, 40, 40}, form.get()},
        {"ImgBtnAdds", form->ImgBtnAdds, {518, 422, 40, 40}, form.get()},
        {"ImgBtnDel", form->ImgBtnDel, {520, 462, 40, 40}, form.get()},
        {"ImgBtnDels", form->ImgBtnDels, {534, 502, 40, 40}, form.get()},
        {"ImgBtnConvert", form->ImgBtnConvert, {625, 428, 83, 83}, form.get()},
        {"ImgBtnStop", form->ImgBtnStop, {625, 428, 83, 83}, form.get()},
        {"ImgBtnHome", form->ImgBtnHome, {498, 48, 38, 24}, form.get()},
        {"ImgBtnHelp", form->ImgBtnHelp, {537, 48, 38, 24}, form.get()},
        {"ImgBtnWidth1", form->ImgBtnWidth1, {712, 245, 20, 9}, form.get()},
        {"ImgBtnWidth2", form->ImgBtnWidth2, {712, 255, 20, 9}, form.get()},
        {"ImgBtnHeight1", form->ImgBtnHeight1, {712, 293, 20, 9}, form.get()},
        {"ImgBtnHeight2", form->ImgBtnHeight2, {712, 303, 20, 9}, form.get()},
        {"ImgBtnQ1", form->ImgBtnQ1, {712, 341, 20, 9}, form.get()},
        {"ImgBtnQ2", form->ImgBtnQ2, {712, 351, 20, 9}, form.get()},
        {"Panel3", form->Panel3, {711, 201, 19, 19}, form.get()},
        {"ImgBtnDropDown", form->ImgBtnDropDown, {0, 0, 19, 19}, form->Panel3},
        {"ImageLists2", form->ImageLists2, {213, 84, 65, 17}, form.get()},
        {"ImageBig2", form->ImageBig2, {278, 84, 86, 23}, form.get()},
        {"ImageSmall2", form->ImageSmall2, {364, 84, 101, 23}, form.get()},
        {"ImageDetails2", form->ImageDetails2, {472, 84, 97, 23}, form.get()},
        {"Edit1", form->Edit1, {602, 245, 110, 19}, form.get()},
        {"Edit2", form->Edit2, {602, 293, 110, 19}, form.get()},
        {"Edit3", form->Edit3, {602, 341, 110, 19}, form.get()},
        {"ImageProgress", form->ImageProgress, {578, 378, 1, 27}, form.get()},
        {"ImageBg", form->ImageBg, {0, 0, 767, 547}, form.get()},
        {"ShellTreeView1", form->ShellTreeView1, {23, 108, 172, 252}, form.get()},
        {"ShellListView1", form->ShellListView1, {220, 108, 343, 253}, form.get()},
        {"Panel1", form->Panel1, {592, 64, 153, 129}, form.get()},
        {"Image7", form->Image7, {1, 1, 151, 127}, form->Panel1},
        {"ListView1", form->ListView1, {15, 384, 481, 129}, form.get()},
        {"ComboBox2", form->ComboBox2, {600, 200, 129, 22}, form.get()},
        {"CheckBox2", form->CheckBox2, {600, 361, 129, 16}, form.get()}, // as wide as its words
        {"CheckBox1", form->CheckBox1, {600, 409, 118, 16}, form.get()},
        {"ImgBtnOptions", form->ImgBtnOptions, {722, 406, 24, 22}, form.get()},
        {"Label2", form->Label2, {322, 3, 80, 14}, form->Panel2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.control->geometry(), row.geometry);
        EXPECT_EQ(row.control->parentWidget(), row.parent);
    }
    EXPECT_EQ(form->Label1->pos(), QPoint(624, 528));
}

TEST_F(FormTest, FormCreateSetsTheStartState) {
    EXPECT_TRUE(form->PanelImage->isHidden());
    EXPECT_TRUE(form->ImgBtnStop->isHidden());
    EXPECT_FALSE(form->ImgBtnConvert->isHidden());
    EXPECT_TRUE(form->Label1->isHidden());
    EXPECT_EQ(VisibleTab(), form->ImageLists2);
    EXPECT_EQ(form->ShellListView1->ViewStyle(), vsList);
    EXPECT_TRUE(SameSizeMode);
    EXPECT_FALSE(form->AutoOrientMode);
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_FALSE(form->CheckBox2->isChecked()) << "Keep proportions is off at start";
    EXPECT_EQ(SpinAction, 0);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 100);
}

TEST_F(FormTest, TheSkinStaysOnTheWindowsOwnControls) {
    ShowForm();
    // The size-mode box, its edit part and its list: Arial, bold, 11 pixels,
    // maroon.
    for (QWidget* part : {static_cast<QWidget*>(form->ComboBox2),
                          static_cast<QWidget*>(form->ComboBox2->lineEdit()),
                          static_cast<QWidget*>(form->ComboBox2->view())}) {
        part->ensurePolished();
        EXPECT_TRUE(part->font().bold()) << part->metaObject()->className();
        EXPECT_EQ(part->font().pixelSize(), 11) << part->metaObject()->className();
        EXPECT_EQ(part->palette().color(QPalette::Text), QColor(0x80, 0, 0))
            << part->metaObject()->className();
    }
    // What opens over the window keeps the desktop's look.
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), QStringLiteral("x"),
                    QMessageBox::Ok, form.get());
    for (QWidget* dialog :
         {static_cast<QWidget*>(form->SaveDialog1), static_cast<QWidget*>(&box)}) {
        dialog->ensurePolished();
        EXPECT_STRNE(dialog->style()->metaObject()->className(), "QStyleSheetStyle");
    }
}

TEST_F(FormTest, HintsAreTheDesignedOnes) {
    const struct {
        QWidget* control;
        const char* hint;
    } rows[] = {
        {form->ImgBtnUp, "Move up selected jpg"},
        {form->ImgBtnDown, "Move down selected jpg"},
        {form->ImgBtnAdd, "Add selected jpg"},
        {form->ImgBtnAdds, "Add all jpg files"},
        {form->ImgBtnDel, "Remove selected jpg"},
        {form->ImgBtnDels, "Remove all jpg files"},
        {form->ImgBtnHome, "Homepage"},
        {form->ImgBtnHelp, "Help"},
        {form->ImgBtnMin, ""},
        {form->ImgBtnClose, ""},
        {form->ImgBtnName, ""},
        {form->ImgBtnConvert, ""},
        {form->ImgBtnWidth1, ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.control->toolTip().toStdString(), row.hint);
    }
}

// Each visible button must be what a click on its middle reaches: above the
// background and above the panels it overlaps.
TEST_F(FormTest, ButtonsLieOnTopOfWhatTheyOverlap) {
    ShowForm();
    for (TImgBtn* button :
         {form->ImgBtnMin,     form->ImgBtnClose,  form->ImgBtnName,    form->ImgBtnPath,
          form->ImgBtnUp,      form->ImgBtnDown,   form->ImgBtnAdd,     form->ImgBtnAdds,
          form->ImgBtnDel,     form->ImgBtnDels,   form->ImgBtnConvert, form->ImgBtnHome,
          form->ImgBtnHelp,    form->ImgBtnWidth1, form->ImgBtnWidth2,  form->ImgBtnHeight1,
          form->ImgBtnHeight2, form->ImgBtnQ1,     form->ImgBtnQ2,      form->ImgBtnDropDown}) {
        const QPoint middle =
            button->mapTo(form.get(), QPoint(button->width() / 2, 10 % button->height()));
        EXPECT_EQ(form->childAt(middle), button) << button->toolTip().toStdString();
    }
    // The strip over the conversion list hides the list's own header.
    const QPoint header(20, 395);
    EXPECT_EQ(form->childAt(header), form->ImageListbox);
}

TEST_F(FormTest, SheetsHaveTheDesignedSizesAndButtonsTheirFrames) {
    const struct {
        TImage* sheet;
        QSize size;
        std::vector<TImgBtn*> buttons;
    } rows[] = {
        {form->ImageMin, {115, 28}, {form->ImgBtnMin}},
        {form->ImageClose, {135, 32}, {form->ImgBtnClose}},
        {form->ImageName, {323, 22}, {form->ImgBtnName}},
        {form->ImagePath, {323, 22}, {form->ImgBtnPath}},
        {form->ImageUp, {163, 40}, {form->ImgBtnUp}},
        {form->ImageDown, {163, 40}, {form->ImgBtnDown}},
        {form->ImageAdd, {163, 40}, {form->ImgBtnAdd}},
        {form->ImageAdds, {163, 40}, {form->ImgBtnAdds}},
        {form->ImageDel, {163, 40}, {form->ImgBtnDel}},
        {form->ImageDels, {163, 40}, {form->ImgBtnDels}},
        {form->ImageConvert, {335, 83}, {form->ImgBtnConvert}},
        {form->ImageStop, {335, 83}, {form->ImgBtnStop}},
        {form->ImageHome, {159, 24}, {form->ImgBtnHome}},
        {form->ImageHelp, {135, 24}, {form->ImgBtnHelp}},
        {form->ImageJia, {83, 9}, {form->ImgBtnWidth1, form->ImgBtnHeight1, form->ImgBtnQ1}},
        {form->ImageJian, {83, 9}, {form->ImgBtnWidth2, form->ImgBtnHeight2, form->ImgBtnQ2}},
        {form->ImageDropDown, {83, 19}, {form->ImgBtnDropDown}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.sheet->Picture().size(), row.size);
        const QSize frame(row.size.width() / 4, row.size.height());
        for (TImgBtn* button : row.buttons) {
            EXPECT_EQ(button->Pic().size(), frame);
            EXPECT_EQ(button->PicUp().size(), frame);
            EXPECT_EQ(button->PicDown().size(), frame);
            // The three looks differ: hover and press show.
            EXPECT_NE(button->Pic().toImage(), button->PicUp().toImage());
            EXPECT_NE(button->PicUp().toImage(), button->PicDown().toImage());
            EXPECT_TRUE(button->Supported);
        }
    }
}

TEST_F(FormTest, OtherPicturesHaveTheirDesignedSizes) {
    EXPECT_EQ(form->ImageBg->Picture().size(), QSize(769, 547));
    EXPECT_EQ(form->ImageProgress->Picture().size(), QSize(176, 27));
    EXPECT_EQ(form->ImageLists2->Picture().size(), QSize(73, 23));
    EXPECT_EQ(form->ImageBig2->Picture().size(), QSize(86, 23));
    EXPECT_EQ(form->ImageSmall2->Picture().size(), QSize(101, 23));
    EXPECT_EQ(form->ImageDetails2->Picture().size(), QSize(97, 23));
    EXPECT_EQ(form->Image7->Picture().size(), QSize(151, 127));
    EXPECT_EQ(form->ImageListbox->Picture().size(), QSize(489, 40));
}

// A sheet whose every pixel says which frame, column and row it came from.
QImage NumberedSheet(int Frame, int Height, int Left, int Top) {
    QImage sheet(Left + 4 * Frame + 3, Top + Height, QImage::Format_RGB32);
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x) {
            sheet.setPixel(x, y, qRgb(x, y, 7));
        }
    }
    return sheet;
}

TEST_F(FormTest, LoadButtonSkinCutsTheThreeFramesPastTheFillerColumns) {
    const int frame = 6, height = 5, left = 3, top = 2;
    TImage sheet(nullptr);
    sheet.SetPicture(QPixmap::fromImage(NumberedSheet(frame, height, left, top)));
    TImgBtn button(nullptr);
    form->LoadButtonSkin(&button, &sheet, frame, height, left, top);

    const struct {
        const char* name;
        QPixmap picture;
        int firstColumn;
    } frames[] = {{"Pic", button.Pic(), left},
                  {"PicUp", button.PicUp(), left + frame + 1},
                  {"PicDown", button.PicDown(), left + 2 * frame + 2}};
    for (const auto& f : frames) {
        SCOPED_TRACE(f.name);
        ASSERT_EQ(f.picture.size(), QSize(frame, height));
        const QImage image = f.picture.toImage();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < frame; ++x) {
                const QRgb pixel = image.pixel(x, y);
                const bool bottomLeft = x == 0 && y == height - 1;
                // Only the bottom-left pixel has its own colour here, so it
                // alone is left out.
                EXPECT_EQ(qAlpha(pixel), bottomLeft ? 0 : 255) << x << "," << y;
                if (!bottomLeft) {
                    EXPECT_EQ(qRed(pixel), f.firstColumn + x);
                    EXPECT_EQ(qGreen(pixel), top + y);
                }
            }
        }
    }
    // The normal frame is shown at once.
    EXPECT_EQ(button.Picture().toImage(), button.Pic().toImage());
}

TEST_F(FormTest, LoadButtonSkinLeavesOutEveryPixelOfTheBottomLeftColour) {
    QImage sheetImage(4 * 4 + 3, 3, QImage::Format_RGB32);
    sheetImage.fill(qRgb(10, 20, 30));
    sheetImage.setPixel(1, 1, qRgb(200, 0, 0)); // the only other colour of frame 0
    TImage sheet(nullptr);
    sheet.SetPicture(QPixmap::fromImage(sheetImage));
    TImgBtn button(nullptr);
    form->LoadButtonSkin(&button, &sheet, 4, 3, 0, 0);
    const QImage pic = button.Pic().toImage();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(qAlpha(pic.pixel(x, y)), x == 1 && y == 1 ? 255 : 0) << x << "," << y;
        }
    }
}

// Frames drawn on the window: a frame wider than its control is cut at the
// control's edge, and a shorter one leaves the background showing below it.
TEST_F(FormTest, FramesAreDrawnUnstretchedAndClippedToTheirControl) {
    QImage sheetImage(4 * 39 + 3, 24, QImage::Format_RGB32);
    sheetImage.fill(qRgb(0, 160, 0));
    for (int y = 0; y < 24; ++y) {
        sheetImage.setPixel(0, y, qRgb(1, 2, 3)); // transparent column
    }
    form->ImageHome->SetPicture(QPixmap::fromImage(sheetImage));
    form->LoadButtonSkin(form->ImgBtnHome, form->ImageHome, 39, 24, 0, 0);
    ShowForm();
    const QImage shown = form->grab().toImage();
    const QImage background = form->ImageBg->Picture().toImage();
    // Home: 38 wide at 498, its frame 39 wide.
    EXPECT_EQ(shown.pixel(498 + 37, 60), qRgb(0, 160, 0));
    EXPECT_EQ(shown.pixel(498, 60), background.pixel(498, 60)); // left out
    // Column 38 of the frame would fall at 536, outside the control.
    EXPECT_EQ(shown.pixel(536, 60), background.pixel(536, 60));
    // Close: 41 high, its frame 32 high; below the frame the background shows.
    EXPECT_EQ(shown.pixel(725 + 16, 2 + 36), background.pixel(725 + 16, 2 + 36));
}

TEST_F(FormTest, BackgroundPressSwitchesTabsAndDragsWithTheLeftButton) {
    const struct {
        QPoint at;
        TMouseButton button;
        TImage* tab; // nullptr: the tab stays as it was (list)
        TViewStyle style;
        int drags;
    } rows[] = {
        {{240, 90}, mbLeft, nullptr, vsList, 1},
        {{300, 90}, mbLeft, form->ImageBig2, vsIcon, 1},
        {{400, 100}, mbLeft, form->ImageSmall2, vsSmallIcon, 1},
        {{500, 90}, mbLeft, form->ImageDetails2, vsReport, 1},
        {{213, 84}, mbLeft, form->ImageLists2, vsList, 1},
        // The list tab's right edge is the large-icon tab's left edge.
        {{278, 90}, mbLeft, form->ImageBig2, vsIcon, 1},
        // Right and bottom edges belong to no tab.
        {{300, 107}, mbLeft, nullptr, vsList, 1},
        {{569, 90}, mbLeft, nullptr, vsList, 1},
        {{467, 90}, mbLeft, nullptr, vsList, 1},
        {{300, 106}, mbMiddle, form->ImageBig2, vsIcon, 0},
        {{500, 90}, mbRight, form->ImageDetails2, vsReport, 0},
        {{100, 300}, mbRight, nullptr, vsList, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.at.x() << "," << row.at.y());
        form->ImageBgMouseDown(form->ImageBg, mbLeft, 0, 240, 90); // back to the list tab
        drags = 0;
        form->ImageBgMouseDown(form->ImageBg, row.button, 0, row.at.x(), row.at.y());
        EXPECT_EQ(VisibleTab(), row.tab != nullptr ? row.tab : form->ImageLists2);
        EXPECT_EQ(form->ShellListView1->ViewStyle(), row.style);
        EXPECT_EQ(drags, row.drags);
    }
}

TEST_F(FormTest, PressesThroughTheMouseReachTheTopmostPicture) {
    ShowForm();
    QWindow* window = form->windowHandle();
    // On the visible list tab: the tab takes the press, nothing happens.
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(240, 90));
    EXPECT_EQ(VisibleTab(), form->ImageLists2);
    EXPECT_EQ(drags, 0);
    // Where the hidden large-icon tab lies: the background switches and drags.
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(300, 90));
    EXPECT_EQ(VisibleTab(), form->ImageBig2);
    EXPECT_EQ(form->ShellListView1->ViewStyle(), vsIcon);
    EXPECT_EQ(drags, 1);
    // The same spot now shows the large-icon tab itself.
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(300, 90));
    EXPECT_EQ(drags, 1);
    // A right press switches without a drag.
    QTest::mouseClick(window, Qt::RightButton, {}, QPoint(500, 90));
    EXPECT_EQ(VisibleTab(), form->ImageDetails2);
    EXPECT_EQ(form->ShellListView1->ViewStyle(), vsReport);
    EXPECT_EQ(drags, 1);
    // A press on a panel of the background starts a drag.
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(600, 20));
    EXPECT_EQ(drags, 2);
}

TEST_F(FormTest, ShapeCutsTheCornersAndKeepsThePanels) {
    ShowForm();
    const QRegion shape = form->mask();
    for (QPoint corner : {QPoint(0, 0), QPoint(766, 0), QPoint(0, 546), QPoint(766, 546),
                          QPoint(2, 2), QPoint(763, 544)}) {
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
    }
    for (QPoint inside : {QPoint(383, 273), QPoint(15, 0), QPoint(0, 273), QPoint(766, 273),
                          QPoint(383, 546), QPoint(700, 450)}) {
        EXPECT_TRUE(shape.contains(inside)) << inside.x() << "," << inside.y();
    }
}

TEST_F(FormTest, KeyColourInTheBackgroundIsSeeThrough) {
    QImage background = form->ImageBg->Picture().toImage();
    const QPoint key(450, 530);
    background.setPixel(key, kKeyColour);
    background.setPixel(key + QPoint(1, 0), qRgb(255, 0, 127)); // near is not enough
    form->ImageBg->SetPicture(QPixmap::fromImage(background));
    ShowForm();
    EXPECT_FALSE(form->mask().contains(key));
    EXPECT_TRUE(form->mask().contains(key + QPoint(1, 0)));
    EXPECT_TRUE(form->mask().contains(key - QPoint(1, 0)));
}

TEST_F(FormTest, KeyColourUnderAnotherControlIsCovered) {
    QImage background = form->ImageBg->Picture().toImage();
    const QPoint underList(300, 200); // the file list covers this spot
    background.setPixel(underList, kKeyColour);
    form->ImageBg->SetPicture(QPixmap::fromImage(background));
    ShowForm();
    EXPECT_TRUE(form->mask().contains(underList));
}

TEST_F(FormTest, KeyColourInAButtonFrameIsSeeThroughWhileShown) {
    // Frame 0 has a key-colour pixel at (40, 40); the hover frame has none.
    QImage sheetImage(335, 83, QImage::Format_RGB32);
    sheetImage.fill(qRgb(0, 100, 200));
    sheetImage.setPixel(40, 40, kKeyColour);
    form->ImageConvert->SetPicture(QPixmap::fromImage(sheetImage));
    form->LoadButtonSkin(form->ImgBtnConvert, form->ImageConvert, 83, 83, 0, 0);
    ShowForm();
    const QPoint key(625 + 40, 428 + 40);
    EXPECT_FALSE(form->mask().contains(key));
    TWMMouse enter;
    enter.Msg = CM_MOUSEENTER;
    form->ImgBtnConvert->CMMouseEnter(enter);
    Settle();
    EXPECT_TRUE(form->mask().contains(key));
}

// Run by ctest with QT_SCALE_FACTOR=2 (ui_hidpi): two device pixels a
// window pixel.
class HiDpiFormTest : public FormTest {
protected:
    void SetUp() override {
        if (qGuiApp->devicePixelRatio() != 2) {
            GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
        }
        FormTest::SetUp();
    }
};

TEST_F(HiDpiFormTest, TheSkinIsDrawnAtTwiceTheSizeAndFitsAsAtOne) {
    for (TImgBtn* button :
         {form->ImgBtnMin, form->ImgBtnClose, form->ImgBtnName, form->ImgBtnUp, form->ImgBtnAdd,
          form->ImgBtnConvert, form->ImgBtnStop, form->ImgBtnHelp, form->ImgBtnQ1,
          form->ImgBtnDropDown, form->ImgBtnOptions}) {
        for (const QPixmap* picture : {&button->Pic(), &button->PicUp(), &button->PicDown()}) {
            EXPECT_EQ(picture->devicePixelRatio(), 2);
        }
    }
    EXPECT_EQ(form->ImgBtnConvert->Pic().size(), QSize(166, 166));
    // The hover frame is the large sheet's second frame, cut at twice the
    // window's places: the frame's middle row, where no pixel is left out.
    const QImage sheet = QImage(QStringLiteral(":/skin/ImageConvert@2x.png"))
                             .convertToFormat(QImage::Format_RGB32)
                             .copy(2 * 84, 0, 166, 166);
    const QImage hover =
        form->ImgBtnConvert->PicUp().toImage().convertToFormat(QImage::Format_RGB32);
    for (int x = 40; x < 126; ++x) {
        ASSERT_EQ(hover.pixel(x, 83), sheet.pixel(x, 83)) << x;
    }
    EXPECT_EQ(form->ImageBg->Picture().size(), QSize(1538, 1094));
    EXPECT_EQ(form->ImageBg->Picture().deviceIndependentSize(), QSizeF(769, 547));
    EXPECT_EQ(form->Image7->PictureOrigin(), QPoint(0, 0));
    // The same shape as at scale 1: the rounded region, nothing of the
    // pictures see-through.
    ShowForm();
    EXPECT_EQ(form->mask(), RoundRectRegion(0, 0, 768, 548, 30, 30));
}

TEST_F(HiDpiFormTest, KeyColourCutsAPixelOnlyWhereAllItsDevicePixelsHaveIt) {
    QImage background = form->ImageBg->Picture().toImage();
    const QPoint key(450, 530);
    for (const QPoint device : {QPoint(900, 1060), QPoint(901, 1060), QPoint(900, 1061),
                                QPoint(901, 1061), QPoint(904, 1060)}) {
        background.setPixel(device, kKeyColour);
    }
    form->ImageBg->SetPicture(QPixmap::fromImage(background));
    ShowForm();
    EXPECT_FALSE(form->mask().contains(key));
    EXPECT_TRUE(form->mask().contains(key + QPoint(1, 0)));
    EXPECT_TRUE(form->mask().contains(key + QPoint(2, 0))) << "one device pixel of four";
}

TEST_F(HiDpiFormTest, PreviewAndThumbnailsHaveTheScreensPixels) {
    test::TScratchFolder folder;
    // 400 x 300: shown at 200 x 150 from 400 x 300 pixels; 300 x 200 has
    // no more pixels than it shows.
    form->ShowPreview(folder.Jpeg(QStringLiteral("a.jpg"), 400, 300));
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(form->Image7->Picture().deviceIndependentSize(), QSizeF(200, 150));
    EXPECT_EQ(form->Image7->Picture().size(), QSize(400, 300));
    form->ShowPreview(folder.Jpeg(QStringLiteral("b.jpg"), 300, 200));
    ASSERT_TRUE(test::WaitForPreview(*form));
    EXPECT_EQ(form->Image7->Picture().size(), QSize(300, 200));
    EXPECT_EQ(form->Image7->Picture().devicePixelRatio(), 1);
    EXPECT_EQ(form->ShellListView1->CurrentView()->devicePixelRatioF(), 2);
}

TEST_F(FormTest, HelpHomepageAndFolderOpenOrAMessageSaysWhatCouldNotBe) {
    const QString beside = QCoreApplication::applicationDirPath();
    const QUrl chm = QUrl::fromLocalFile(beside + "/vorpane.chm");
    const QUrl html = QUrl::fromLocalFile(beside + "/html/index.html");
    const QUrl web(QStringLiteral("https://example.net/vorpane/"));
    enum TWhat { wHelp, wHome, wFolder };
    struct TCase {
        TWhat what;
        bool chmViewer;
        QString homepage;
        bool opens;
        std::vector<QUrl> tried;
        QString message;
    };
    const TCase cases[] = {
        {wHelp, true, {}, true, {chm}, {}},
        {wHelp, false, {}, true, {html}, {}},
        {wHelp, true, {}, false, {chm, html}, "\nCould not open the help:\n" + html.toLocalFile()},
        {wHome, false, {}, true, {html}, {}},
        {wHome,
         false,
         web.toString(),
         false,
         {web},
         "\nCould not open the homepage:\n" + web.toString()},
        {wFolder,
         false,
         {},
         false,
         {QUrl::fromLocalFile("/photos/pdf")},
         "\nCould not open the folder:\n/photos/pdf"},
    };
    for (const TCase& c : cases) {
        std::vector<QUrl> tried;
        QStringList asked;
        QStringList messages;
        form->HasOpener = [&](const QString& MimeType) {
            asked << MimeType;
            return c.chmViewer;
        };
        form->OpenUrl = [&](const QUrl& Url) {
            tried.push_back(Url);
            return c.opens;
        };
        form->ShowMessage = [&](int Icon, const QString& Caption, const QString& Text) {
            EXPECT_EQ(Icon, QMessageBox::Critical);
            EXPECT_EQ(Caption, QStringLiteral("Error"));
            messages << Text;
        };
        form->Homepage = c.homepage;
        switch (c.what) {
        case wHelp:
            form->ImgBtnHelpClick(form->ImgBtnHelp);
            EXPECT_TRUE(asked.contains(QStringLiteral("application/vnd.ms-htmlhelp")));
            break;
        case wHome:
            form->ImgBtnHomeClick(form->ImgBtnHome);
            break;
        case wFolder:
            form->OpenFolder(QStringLiteral("/photos/pdf"));
            break;
        }
        EXPECT_EQ(tried, c.tried) << c.what << " " << c.chmViewer << " " << c.opens;
        EXPECT_EQ(messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
}

TEST_F(FormTest, HelpButtonIsWiredAndAMissingFileIsNotOpened) {
    // The desktop's own lookup, on a machine without xdg-mime or xdg-open:
    // no viewer for the help file, so the HTML pages are tried.
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir noTools;
    qputenv("PATH", QFile::encodeName(noTools.path()));
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    QStringList messages;
    form->ShowMessage = [&](int, const QString&, const QString& Text) { messages << Text; };
    ShowForm();
    // The test program has no help pages beside it.
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, QPoint(537 + 15, 48 + 12));
    qputenv("PATH", path);
    EXPECT_TRUE(catcher.urls.empty());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral("/html/index.html")));

    const QString here = QCoreApplication::applicationFilePath();
    EXPECT_TRUE(form->OpenUrl(QUrl::fromLocalFile(here)));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(catcher.urls.size(), 1u);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(here));
}

TEST_F(FormTest, TabReachesEveryControlInTheOrderOfTheWorkAndButtonsShowIt) {
    ShowForm();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    const std::vector<QWidget*> order = {
        form->ShellTreeView1, form->TabLists,       form->ShellListView1->IconView(),
        form->ImgBtnAdd,      form->ImgBtnAdds,     form->ImgBtnName,
        form->ImgBtnPath,     form->ImgBtnUp,       form->ImgBtnDown,
        form->ListView1,      form->ImgBtnDel,      form->ImgBtnDels,
        form->ComboBox2,      form->ImgBtnDropDown, form->Edit1,
        form->ImgBtnWidth1,   form->ImgBtnWidth2,   form->Edit2,
        form->ImgBtnHeight1,  form->ImgBtnHeight2,  form->Edit3,
        form->ImgBtnQ1,       form->ImgBtnQ2,       form->CheckBox2,
        form->CheckBox1,      form->ImgBtnOptions,  form->ImgBtnConvert,
        form->ImgBtnHome,     form->ImgBtnHelp,     form->ImgBtnMin,
        form->ImgBtnClose,    form->ShellTreeView1};
    // The focus may sit in a part of the control (the size-mode box's text).
    const auto focused = [](QWidget* Control) {
        QWidget* focus = QApplication::focusWidget();
        return focus == Control || Control->isAncestorOf(focus);
    };
    EXPECT_TRUE(focused(order[0]));
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(focused(order[i]))
            << "step " << i << ": " << QApplication::focusWidget()->metaObject()->className();
    }
    // A focused image button wears a mark.
    const QImage unmarked = form->ImgBtnConvert->grab().toImage();
    form->ImgBtnConvert->setFocus(Qt::TabFocusReason);
    EXPECT_NE(form->ImgBtnConvert->grab().toImage(), unmarked);
    EXPECT_FALSE(form->FocusMark->isVisible());
    // Any other control is framed by the window's focus mark.
    form->Edit2->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(form->FocusMark->Target(), form->Edit2);
    EXPECT_TRUE(form->FocusMark->isVisible());
    EXPECT_TRUE(form->FocusMark->geometry().contains(form->Edit2->geometry()));

    // The arrow keys choose the tab beside, round the row; the chosen tab
    // alone is the Tab key's stop.
    form->TabLists->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form->TabLists, Qt::Key_Right);
    EXPECT_TRUE(form->TabBig->hasFocus());
    EXPECT_EQ(VisibleTab(), form->ImageBig2);
    EXPECT_EQ(form->ShellListView1->ViewStyle(), vsIcon);
    EXPECT_EQ(form->TabLists->focusPolicy(), Qt::NoFocus);
    QTest::keyClick(form->TabBig, Qt::Key_Left);
    QTest::keyClick(form->TabLists, Qt::Key_Left);
    EXPECT_TRUE(form->TabDetails->hasFocus());
    EXPECT_EQ(form->ShellListView1->ViewStyle(), vsReport);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(form->TabDetails)->state().selected);
}

// What a screen reader is told of each control: its name and role, through
// the same interfaces AT-SPI reads; and no control the keyboard reaches goes
// unnamed. Pressing Convert through its interface runs the command.
TEST_F(FormTest, ControlsHaveAccessibleNamesAndRoles) {
    ShowForm();
    const struct {
        QWidget* control;
        const char* name;
        QAccessible::Role role;
    } rows[] = {
        {form->ShellTreeView1, "Folders", QAccessible::Tree},
        {form->ShellListView1->IconView(), "Files", QAccessible::List},
        {form->ShellListView1->ReportView(), "Files", QAccessible::Tree},
        {form->TabLists, "List", QAccessible::PageTab},
        {form->TabBig, "Large icons", QAccessible::PageTab},
        {form->TabSmall, "Small icons", QAccessible::PageTab},
        {form->TabDetails, "Details", QAccessible::PageTab},
        {form->Image7, "Preview", QAccessible::Graphic},
        {form->ListView1, "Conversion list", QAccessible::Tree},
        {form->ImgBtnAdd, "Add", QAccessible::PushButton},
        {form->ImgBtnAdds, "Add all", QAccessible::PushButton},
        {form->ImgBtnDel, "Remove", QAccessible::PushButton},
        {form->ImgBtnDels, "Remove all", QAccessible::PushButton},
        {form->ImgBtnName, "Sort by name", QAccessible::PushButton},
        {form->ImgBtnPath, "Sort by folder", QAccessible::PushButton},
        {form->ImgBtnUp, "Move up", QAccessible::PushButton},
        {form->ImgBtnDown, "Move down", QAccessible::PushButton},
        // On Linux Qt names an editable box by its text (its accessible name
        // is what a label relation would give).
        {form->ComboBox2, "Same size", QAccessible::ComboBox},
        {form->ComboBox2->lineEdit(), "Size mode", QAccessible::EditableText},
        {form->ImgBtnDropDown, "Size modes", QAccessible::PushButton},
        {form->Edit1, "Width", QAccessible::EditableText},
        {form->Edit2, "Height", QAccessible::EditableText},
        {form->Edit3, "Quality", QAccessible::EditableText},
        {form->ImgBtnWidth1, "Width up", QAccessible::PushButton},
        {form->ImgBtnWidth2, "Width down", QAccessible::PushButton},
        {form->ImgBtnHeight1, "Height up", QAccessible::PushButton},
        {form->ImgBtnHeight2, "Height down", QAccessible::PushButton},
        {form->ImgBtnQ1, "Quality up", QAccessible::PushButton},
        {form->ImgBtnQ2, "Quality down", QAccessible::PushButton},
        {form->CheckBox1, "Upright (EXIF)", QAccessible::CheckBox},
        {form->ImgBtnOptions, "Page and photo options", QAccessible::PushButton},
        {form->ImgBtnConvert, "Convert", QAccessible::PushButton},
        {form->ImgBtnStop, "Stop", QAccessible::PushButton},
        {form->ImgBtnHome, "Homepage", QAccessible::PushButton},
        {form->ImgBtnHelp, "Help", QAccessible::PushButton},
        {form->ImgBtnMin, "Minimise", QAccessible::PushButton},
        {form->ImgBtnClose, "Close", QAccessible::PushButton},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(row.control);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->text(QAccessible::Name).toStdString(), row.name);
        EXPECT_EQ(control->role(), row.role);
    }
    // The design's tool tips stay, as the descriptions; a button without
    // one has a description of its own.
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(form->ImgBtnAdd)->text(QAccessible::Description),
        QStringLiteral("Add selected jpg"));
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(form->ImgBtnConvert)
                     ->text(QAccessible::Description)
                     .isEmpty());
    for (QWidget* control : form->findChildren<QWidget*>()) {
        if ((control->focusPolicy() & Qt::TabFocus) != 0 && control->isVisibleTo(form.get())) {
            EXPECT_FALSE(
                QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
                << control->metaObject()->className() << " at " << control->x() << ","
                << control->y();
        }
    }

    QStringList messages;
    form->ShowMessage = [&](int, const QString&, const QString& Text) { messages << Text; };
    QAccessibleActionInterface* convert =
        QAccessible::queryAccessibleInterface(form->ImgBtnConvert)->actionInterface();
    ASSERT_NE(convert, nullptr);
    ASSERT_TRUE(convert->actionNames().contains(QAccessibleActionInterface::pressAction()));
    convert->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(messages,
              QStringList{QStringLiteral("\nPlease add jpg files to the left blank first!")});
}

TEST_F(FormTest, CloseHidesTheWindowAndMinimiseMinimises) {
    ShowForm();
    form->ImgBtnMinClick(form->ImgBtnMin);
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
    form->showNormal();
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, QPoint(725 + 16, 2 + 16));
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace vorpane

#include "FormTest.moc"
