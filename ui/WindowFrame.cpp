// TForm1: the frame and skin: FormCreate, the image buttons' sprite frames,
// the view tabs, dragging the window, the frame buttons and the window's
// shape.
#include "Unit1.h"

#include "Application.h"
#include "PageOptionsDialog.h"
#include "WindowLayout.h"

#include <QBitmap>
#include <QCheckBox>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cmath>

namespace vorpane {

namespace {

constexpr int kCornerEllipse = 30;

// Beside the program: the help file, and its pages as HTML.
QString HelpPath(const char* Name) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(Name);
}
const char* const kHelpFile = "vorpane.chm";
const char* const kHtmlHelp = "html/index.html";

} // namespace

QRegion RoundRectRegion(int Left, int Top, int Right, int Bottom, int EllipseWidth,
                        int EllipseHeight) {
    const double rx = EllipseWidth / 2.0;
    const double ry = EllipseHeight / 2.0;
    const int height = Bottom - Top;
    const int width = Right - Left;
    QRegion region;
    for (int y = 0; y < height; ++y) {
        // Distance of the row's centre from the nearer corner ellipse's
        // centre line; rows between the corners are full.
        const double centre = y + 0.5;
        double dy = 0;
        if (centre < ry) {
            dy = ry - centre;
        } else if (centre > height - ry) {
            dy = centre - (height - ry);
        }
        int inset = 0;
        if (dy > 0) {
            const double dx = rx * std::sqrt(std::max(0.0, 1.0 - (dy * dy) / (ry * ry)));
            inset = static_cast<int>(std::lround(rx - dx));
        }
        if (width - 2 * inset > 0) {
            region += QRect(Left + inset, Top + y, width - 2 * inset, 1);
        }
    }
    return region;
}

QPixmap CutToShape(const QPixmap& Picture, const QRegion& Shape) {
    QImage image = Picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == kKeyColour) {
                line[x] = 0;
            }
        }
    }
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setClipRegion(QRegion(QRect(QPoint(0, 0), image.deviceIndependentSize().toSize())) -
                          Shape);
    painter.fillRect(image.rect(), Qt::transparent);
    painter.end();
    return QPixmap::fromImage(image);
}

QPoint StartPosition(const QRect& Available, QSize Size) {
    const QRect designed(Available.topLeft() + QPoint(331, 99), Size);
    if (Available.contains(designed)) {
        return designed.topLeft();
    }
    const QPoint centred = Available.center() - QPoint(Size.width() / 2, Size.height() / 2);
    return QPoint(std::max(centred.x(), Available.left()), std::max(centred.y(), Available.top()));
}

void TForm1::FormCreate() {
    // The region reaches one pixel past the window's right and bottom edges.
    region_ = RoundRectRegion(0, 0, width() + 1, height() + 1, kCornerEllipse, kCornerEllipse);
    UpdateShape();
    // On Wayland a mask limits only where the window takes input; the
    // compositor cuts the corners by the window's alpha.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        setAttribute(Qt::WA_TranslucentBackground);
        ImageBg->SetPicture(CutToShape(ImageBg->Picture(), region_));
    }
    // Qt widgets paint through a back buffer already.
    PanelImage->hide();

    SkinButton(ImgBtnMin, 699, 6, ImageMin);
    SkinButton(ImgBtnClose, 725, 2, ImageClose);
    Panel2->move(13, 363);
    SkinButton(ImgBtnName, 43, 20, ImageName);
    SkinButton(ImgBtnPath, 275, 20, ImagePath);
    SkinButton(ImgBtnUp, 404, -2, ImageUp);
    SkinButton(ImgBtnDown, 449, -2, ImageDown);
    SkinButton(ImgBtnAdd, 503, 381, ImageAdd);
    SkinButton(ImgBtnAdds, 518, 422, ImageAdds);
    SkinButton(ImgBtnDel, 520, 462, ImageDel);
    SkinButton(ImgBtnDels, 534, 502, ImageDels);
    SkinButton(ImgBtnConvert, 625, 428, ImageConvert);
    SkinButton(ImgBtnStop, 625, 428, ImageStop);
    ImgBtnStop->hide();
    SkinButton(ImgBtnHome, 498, 48, ImageHome);
    SkinButton(ImgBtnHelp, 537, 48, ImageHelp);

    ImageLists2->move(layout::kViewTabLeft[0], layout::kViewTabTop);
    ImageBig2->move(layout::kViewTabLeft[1], layout::kViewTabTop);
    ImageSmall2->move(layout::kViewTabLeft[2], layout::kViewTabTop);
    ImageDetails2->move(layout::kViewTabLeft[3], layout::kViewTabTop);
    for (TImage* tab : {ImageLists2, ImageBig2, ImageSmall2, ImageDetails2}) {
        tab->hide();
    }
    const struct {
        TImgBtn* Button;
        TImage* Tab;
    } viewTabs[] = {{TabLists, ImageLists2},
                    {TabBig, ImageBig2},
                    {TabSmall, ImageSmall2},
                    {TabDetails, ImageDetails2}};
    for (const auto& viewTab : viewTabs) {
        viewTab.Button->setGeometry(viewTab.Tab->geometry());
        viewTab.Button->raise();
    }
    SelectViewTab(ImageLists2);

    const struct {
        QLineEdit* Field;
        TImgBtn* Up;
        TImgBtn* Down;
    } fields[] = {{Edit1, ImgBtnWidth1, ImgBtnWidth2},
                  {Edit2, ImgBtnHeight1, ImgBtnHeight2},
                  {Edit3, ImgBtnQ1, ImgBtnQ2}};
    for (int i = 0; i < 3; ++i) {
        const int top = layout::kFieldTop[i];
        fields[i].Field->move(layout::kFieldLeft, top);
        SkinButton(fields[i].Up, layout::kSpinLeft, top, ImageJia);
        SkinButton(fields[i].Down, layout::kSpinLeft, top + layout::kSpinStep, ImageJian);
    }

    Panel3->move(layout::kDropDown.Left, layout::kDropDown.Top);
    SkinButton(ImgBtnDropDown, 0, 0, ImageDropDown);

    ImageProgress->move(layout::kProgressStrip.Left, layout::kProgressStrip.Top);
    ImageProgress->resize(1, ImageProgress->height());
    CheckBox2->move(layout::kKeepProportions.Left, layout::kKeepProportions.Top);
    // As wide as its words need in the window's language, font and skin, up
    // to the box's edge: a fixed width cut "Keep proportions" short.
    CheckBox2->ensurePolished();
    CheckBox2->resize(std::min(CheckBox2->sizeHint().width(),
                               layout::kOptionsRight - layout::kKeepProportions.Left),
                      CheckBox2->height());
    CheckBox1->move(600, 409);
    SkinButton(ImgBtnOptions, 722, 406, ImageOptions);

    CheckBox1->setChecked(false);
    CheckBox2->setChecked(false);
    AutoOrientMode = false;
    PageOptions = {};
    SameSizeMode = true;
    SpinAction = 0;
    Timer1->stop();

    Label1->hide();
    ListView1Changed();
}

void TForm1::SkinButton(TImgBtn* Button, int Left, int Top, TImage* FromSheet) {
    Button->raise();
    Button->move(Left, Top);
    const QSize sheet = FromSheet->Picture().deviceIndependentSize().toSize();
    LoadButtonSkin(Button, FromSheet, sheet.width() / 4, sheet.height(), 0, 0);
}

// Sizes and places are the window's pixels; a sheet drawn at twice the size
// gives frames of twice as many device pixels.
void TForm1::LoadButtonSkin(TImgBtn* Button, TImage* Sheet, int Width, int Height, int X, int Y) {
    const QImage sheet = Sheet->Picture().toImage().convertToFormat(QImage::Format_RGB32);
    const double ratio = Sheet->Picture().devicePixelRatio();
    const auto device = [ratio](int Pixels) {
        return static_cast<int>(std::lround(Pixels * ratio));
    };
    const auto frame = [&](int Index) {
        QImage cut =
            sheet.copy(device(X + Index * (Width + 1)), device(Y), device(Width), device(Height));
        cut.setDevicePixelRatio(ratio);
        return MakeTransparentBitmap(cut);
    };
    Button->SetPic(frame(0));
    Button->SetPicUp(frame(1));
    Button->SetPicDown(frame(2));
}

void TForm1::ImageBgMouseDown(QObject*, TMouseButton Button, TShiftState, int X, int Y) {
    const QPoint at(X, Y);
    // QRect::contains leaves out the right and bottom edges, as the tab
    // rectangles must; a hidden tab still has its rectangle.
    for (TImage* tab : {ImageLists2, ImageBig2, ImageSmall2, ImageDetails2}) {
        if (tab->geometry().contains(at)) {
            SelectViewTab(tab);
        }
    }
    if (Button == mbLeft) {
        StartWindowDrag();
    }
}

void TForm1::SelectViewTab(TImage* Tab) {
    const struct {
        TImage* tab;
        TImgBtn* button;
        TViewStyle style;
    } tabs[] = {{ImageLists2, TabLists, vsList},
                {ImageBig2, TabBig, vsIcon},
                {ImageSmall2, TabSmall, vsSmallIcon},
                {ImageDetails2, TabDetails, vsReport}};
    for (const auto& entry : tabs) {
        const bool chosen = entry.tab == Tab;
        entry.tab->setVisible(chosen);
        // Only the chosen tab is a stop of the Tab key, as in a tab bar.
        entry.button->Checked = chosen;
        entry.button->setFocusPolicy(chosen ? Qt::TabFocus : Qt::NoFocus);
        if (chosen) {
            ShellListView1->SetViewStyle(entry.style);
        }
    }
}

bool TForm1::ViewTabKey(QObject* Watched, QEvent* Event) {
    if (Event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(Event)->key();
    if (key != Qt::Key_Left && key != Qt::Key_Right) {
        return false;
    }
    const std::array<TImgBtn*, 4> buttons = {TabLists, TabBig, TabSmall, TabDetails};
    const std::array<TImage*, 4> tabs = {ImageLists2, ImageBig2, ImageSmall2, ImageDetails2};
    const auto at = std::find(buttons.begin(), buttons.end(), Watched);
    if (at == buttons.end()) {
        return false;
    }
    // The row goes round, as a tab bar's does.
    const auto index = static_cast<std::size_t>(at - buttons.begin());
    const std::size_t next =
        (index + (key == Qt::Key_Right ? 1 : buttons.size() - 1)) % buttons.size();
    SelectViewTab(tabs[next]);
    buttons[next]->setFocus(Qt::TabFocusReason);
    return true;
}

void TForm1::ImgBtnMinClick(QObject*) {
    showMinimized();
}

void TForm1::ImgBtnCloseClick(QObject*) {
    close();
}

// Few Linux desktops can show a compiled help file: it opens where an
// application is set up for its type, and the browser shows the same pages
// as HTML everywhere else.
void TForm1::ImgBtnHelpClick(QObject*) {
    const bool viewer = HasOpener(QStringLiteral("application/vnd.ms-htmlhelp")) ||
                        HasOpener(QStringLiteral("application/x-chm"));
    if (viewer && OpenUrl(QUrl::fromLocalFile(HelpPath(kHelpFile)))) {
        return;
    }
    OpenOrTell(QUrl::fromLocalFile(HelpPath(kHtmlHelp)), tr("the help"));
}

// Without a web address of its own, the homepage is the help's first page.
void TForm1::ImgBtnHomeClick(QObject*) {
    OpenOrTell(Homepage.isEmpty() ? QUrl::fromLocalFile(HelpPath(kHtmlHelp)) : QUrl(Homepage),
               tr("the homepage"));
}

void TForm1::OpenOrTell(const QUrl& Url, const QString& What) {
    if (!OpenUrl(Url)) {
        ShowMessage(QMessageBox::Critical, tr("Error"),
                    tr("\nCould not open %1:\n%2")
                        .arg(What, Url.isLocalFile() ? Url.toLocalFile() : Url.toString()));
    }
}

// The window system moves the window where it can; where it cannot (a bare X
// server without a window manager, for one), the window follows the mouse
// itself until the button comes up.
void TForm1::DragByHand() {
    QWindow* handle = windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
        return;
    }
    draggingByHand_ = true;
    dragOffset_ = QCursor::pos() - pos();
    grabMouse();
}

void TForm1::mouseMoveEvent(QMouseEvent* Event) {
    if (draggingByHand_) {
        move(Event->globalPosition().toPoint() - dragOffset_);
    }
}

void TForm1::mouseReleaseEvent(QMouseEvent* Event) {
    if (draggingByHand_ && Event->button() == Qt::LeftButton) {
        draggingByHand_ = false;
        releaseMouse();
    }
}

bool TForm1::event(QEvent* Event) {
    if (Event->type() == PictureChangedEvent()) {
        // Many pictures change at once (a hover, a tab switch); the shape is
        // recomputed once after all of them.
        if (!shapeUpdatePending_ && !region_.isEmpty()) {
            shapeUpdatePending_ = true;
            QMetaObject::invokeMethod(this, Guarded([this] {
                                          shapeUpdatePending_ = false;
                                          UpdateShape();
                                      }),
                                      Qt::QueuedConnection);
        }
        return true;
    }
    return QWidget::event(Event);
}

// What the window shows through its picture controls, with every other
// control painted over in a colour that is never the key colour: only the
// pictures can make the window see-through.
QImage TForm1::ComposePictures(double Ratio) const {
    QImage canvas(size() * Ratio, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(Ratio);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    const std::function<void(const QWidget*, QPoint, QRect)> paint =
        [&](const QWidget* Parent, QPoint Origin, QRect Clip) {
            for (QObject* object : Parent->children()) {
                const auto* child = qobject_cast<const QWidget*>(object);
                if (child == nullptr || child->isHidden() || child->isWindow()) {
                    continue;
                }
                const QPoint at = Origin + child->pos();
                const QRect bounds = QRect(at, child->size()).intersected(Clip);
                if (bounds.isEmpty()) {
                    continue;
                }
                painter.setClipRect(bounds);
                if (const auto* image = dynamic_cast<const TImage*>(child)) {
                    painter.drawPixmap(at + image->PictureOrigin(), image->Picture());
                } else {
                    painter.fillRect(bounds, Qt::black);
                }
                paint(child, at, bounds);
            }
        };
    paint(this, QPoint(0, 0), rect());
    return canvas;
}

namespace {

// The window's mask has a bit for each of the window's pixels, however many
// device pixels the screen gives each: a pixel is see-through when all of
// its device pixels show the key colour.
QImage KeyPixelsAtWindowSize(const QImage& Composed, QSize Size) {
    QImage pixels(Size, QImage::Format_RGB32);
    pixels.fill(Qt::black);
    const double ratio = double(Composed.width()) / Size.width();
    const auto device = [ratio](int Pixel) { return static_cast<int>(std::floor(Pixel * ratio)); };
    for (int y = 0; y < Size.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(pixels.scanLine(y));
        for (int x = 0; x < Size.width(); ++x) {
            bool key = true;
            for (int dy = device(y); key && dy < std::max(device(y + 1), device(y) + 1); ++dy) {
                const auto* in = reinterpret_cast<const QRgb*>(Composed.constScanLine(dy));
                for (int dx = device(x); key && dx < std::max(device(x + 1), device(x) + 1); ++dx) {
                    key = in[dx] == kKeyColour;
                }
            }
            if (key) {
                out[x] = kKeyColour;
            }
        }
    }
    return pixels;
}

} // namespace

void TForm1::UpdateShape() {
    QImage composed = ComposePictures(devicePixelRatioF());
    if (composed.size() != size()) {
        composed = KeyPixelsAtWindowSize(composed, size());
    }
    // The mask image holds 0 (which QBitmap takes as set) for the key colour.
    const QImage keyPixels = composed.createMaskFromColor(kKeyColour, Qt::MaskOutColor);
    const QRegion shape = region_ - QRegion(QBitmap::fromImage(keyPixels));
    if (shape != mask()) {
        setMask(shape);
    }
}

} // namespace vorpane
