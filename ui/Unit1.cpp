#include "Unit1.h"

#include <QBitmap>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "ConversionRun.h"
#include "JpegDecoder.h"
#include "JpegUtils.h"
#include "WholeNumber.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// The pictures live in a static library; their registration must be pulled in
// by hand.
static void InitSkinResources() {
    Q_INIT_RESOURCE(skin);
}

namespace vorpane {

bool SameSizeMode = true;
int SpinAction = 0;
int SortColumn = 0;

namespace {

constexpr int kClientWidth = 767;
constexpr int kClientHeight = 547;
constexpr int kCornerEllipse = 30;

// Colours the skin's pictures are drawn in, for the few controls that draw
// themselves.
const char* const kStyleSheet = R"(
QTreeView, QListView, QTreeWidget {
    background: #ffffff; color: #22324a; border: none; outline: 0;
    selection-background-color: #dbe8fd; selection-color: #12305c;
}
QTreeView::item:hover, QListView::item:hover { background: #eef4fe; }
QLineEdit { background: #ffffff; color: #22324a; border: none;
    selection-background-color: #2f80ed; }
QComboBox { background: #ffffff; color: #800000; border: none; padding-left: 5px; }
QComboBox::drop-down { width: 0px; border: none; }
QComboBox QAbstractItemView { background: #ffffff; border: 1px solid #c5d0de;
    selection-background-color: #dbe8fd; selection-color: #12305c; }
#ListView1 { color: #ff0000; }
QLabel#Label1 { color: #55657d; }
QToolTip { background: #1e2a3e; color: #ffffff; border: 1px solid #1e2a3e; padding: 3px; }
QScrollBar:vertical { background: #f3f6fa; width: 10px; margin: 0; }
QScrollBar:horizontal { background: #f3f6fa; height: 10px; margin: 0; }
QScrollBar::handle { background: #c3cedd; border-radius: 4px; margin: 2px; }
QScrollBar::handle:hover { background: #9fb0c7; }
QScrollBar::handle:vertical { min-height: 24px; }
QScrollBar::handle:horizontal { min-width: 24px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
QHeaderView::section { background: #f3f6fa; color: #55657d; border: none;
    border-right: 1px solid #dde4ee; padding: 2px 6px; }
)";

QFont WindowFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QPixmap SkinPicture(const QString& Name) {
    return QPixmap(QStringLiteral(":/skin/") + Name);
}

// Where the browser opens: the user's Desktop folder, else the home folder.
QString StartFolder() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir()) {
        return desktop;
    }
    return QDir::homePath();
}

// Where a path's name begins: after its last "/" or ":" (0 when it has
// neither).
qsizetype NameStart(const QString& Path) {
    return std::max(Path.lastIndexOf(QLatin1Char('/')), Path.lastIndexOf(QLatin1Char(':'))) + 1;
}

// Text without the characters of code 32 or below at either end.
QString TrimControls(const QString& Text) {
    qsizetype first = 0;
    qsizetype last = Text.size();
    while (first < last && Text[first].unicode() <= 32) {
        ++first;
    }
    while (last > first && Text[last - 1].unicode() <= 32) {
        --last;
    }
    return Text.mid(first, last - first);
}

// Byte by byte over the shorter length, the letters a to z taken as
// capitals, other bytes by their value; then the shorter first.
int CompareText(const QByteArray& A, const QByteArray& B) {
    const qsizetype common = std::min(A.size(), B.size());
    for (qsizetype i = 0; i < common; ++i) {
        auto a = static_cast<unsigned char>(A[i]);
        auto b = static_cast<unsigned char>(B[i]);
        if (a >= 'a' && a <= 'z') {
            a -= 'a' - 'A';
        }
        if (b >= 'a' && b <= 'z') {
            b -= 'a' - 'A';
        }
        if (a != b) {
            return a - b;
        }
    }
    return static_cast<int>(A.size() - B.size());
}

// A picture of the engine's as a Qt image: both hold red, green and blue
// bytes row by row; Qt's rows may be longer.
QImage ToImage(const TBitmap24& Bitmap) {
    QImage image(static_cast<int>(Bitmap.Width()), static_cast<int>(Bitmap.Height()),
                 QImage::Format_RGB888);
    for (std::uint32_t y = 0; y < Bitmap.Height(); ++y) {
        std::memcpy(image.scanLine(static_cast<int>(y)), Bitmap.Row(y), Bitmap.RowBytes());
    }
    return image;
}

// The small icon of a file's type, found by its name alone: the file need not
// exist. A type without an icon of its own gets the plain file icon.
QIcon FileTypeIcon(const QString& Path) {
    static const QMimeDatabase types;
    const QMimeType type = types.mimeTypeForFile(Path, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull()) {
        static const QFileIconProvider provider;
        icon = provider.icon(QAbstractFileIconProvider::File);
    }
    return icon;
}

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

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* Owner) : QWidget(Owner, Qt::Window | Qt::FramelessWindowHint) {
    Form1 = this;
    InitSkinResources();
    StartWindowDrag = [this] { DragByHand(); };
    ExecuteSaveDialog = [this](QString& FileName) {
        if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) {
            return false;
        }
        FileName = SaveDialog1->selectedFiles().constFirst();
        SaveDialog1->selectFile(FileName); // offered again next time, while the program runs
        return true;
    };
    ShowMessage = [this](int Icon, const QString& Caption, const QString& Text) {
        QMessageBox box(static_cast<QMessageBox::Icon>(Icon), Caption, Text, QMessageBox::Ok, this);
        box.exec();
    };
    OpenFolder = [](const QString& Folder) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(Folder));
    };
    CreateDesign();
    FormCreate();
    ShellTreeView1->SetPath(StartFolder());
}

// The window as designed: every control with its design size, hint and
// events. FormCreate then places and skins them.
void TForm1::CreateDesign() {
    setFixedSize(kClientWidth, kClientHeight);
    move(331, 99);
    setFont(WindowFont());
    setStyleSheet(QString::fromLatin1(kStyleSheet));
    setWindowIcon(SkinPicture(QStringLiteral("vorpane.png")));
    setWindowTitle(QCoreApplication::applicationName());

    ImageBg = new TImage(this);
    ImageBg->setGeometry(0, 0, kClientWidth, kClientHeight);
    ImageBg->SetPicture(SkinPicture(QStringLiteral("ImageBg.jpg")));
    ImageBg->OnMouseDown = [this](QObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                  int Y) { ImageBgMouseDown(Sender, Button, Shift, X, Y); };

    PanelImage = new QWidget(this);
    ImageMin = Sheet(QStringLiteral("ImageMin"));
    ImageClose = Sheet(QStringLiteral("ImageClose"));
    ImageName = Sheet(QStringLiteral("ImageName"));
    ImagePath = Sheet(QStringLiteral("ImagePath"));
    ImageUp = Sheet(QStringLiteral("ImageUp"));
    ImageDown = Sheet(QStringLiteral("ImageDown"));
    ImageAdd = Sheet(QStringLiteral("ImageAdd"));
    ImageAdds = Sheet(QStringLiteral("ImageAdds"));
    ImageDel = Sheet(QStringLiteral("ImageDel"));
    ImageDels = Sheet(QStringLiteral("ImageDels"));
    ImageConvert = Sheet(QStringLiteral("ImageConvert"));
    ImageStop = Sheet(QStringLiteral("ImageStop"));
    ImageHome = Sheet(QStringLiteral("ImageHome"));
    ImageHelp = Sheet(QStringLiteral("ImageHelp"));
    ImageJia = Sheet(QStringLiteral("ImageJia"));
    ImageJian = Sheet(QStringLiteral("ImageJian"));
    ImageDropDown = Sheet(QStringLiteral("ImageDropDown"));

    ShellTreeView1 = new TShellTreeView(this);
    ShellTreeView1->setGeometry(23, 108, 172, 252);
    ShellTreeView1->OnChange = [this](QObject* Sender, const QString& Folder) {
        ShellTreeView1Change(Sender, Folder);
    };

    ShellListView1 = new TShellListView(this);
    ShellListView1->setGeometry(220, 108, 343, 253);
    ShellListView1->setToolTip(QStringLiteral("jpg files under the folder"));
    ShellListView1->OnAddFolder = [this](QObject* Sender, const QFileInfo& AFolder, bool& CanAdd) {
        ShellListView1AddFolder(Sender, AFolder, CanAdd);
    };
    ShellListView1->OnClick = [this](QObject* Sender) { ShellListView1Click(Sender); };
    ShellListView1->OnDblClick = [this](QObject* Sender) { ShellListView1DblClick(Sender); };
    ShellListView1->OnEndDrag = [this](QObject* Sender, QObject* Target, int X, int Y) {
        ShellListView1EndDrag(Sender, Target, X, Y);
    };

    const auto tab = [this](const char* Name, int Width, int Height) {
        auto* image = new TImage(this);
        image->resize(Width, Height);
        image->SetPicture(SkinPicture(QString::fromLatin1(Name) + QStringLiteral(".png")));
        return image;
    };
    ImageLists2 = tab("ImageLists2", 65, 17);
    ImageBig2 = tab("ImageBig2", 86, 23);
    ImageSmall2 = tab("ImageSmall2", 101, 23);
    ImageDetails2 = tab("ImageDetails2", 97, 23);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(592, 64, 153, 129);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    QPalette bevel = Panel1->palette();
    bevel.setColor(QPalette::Light, QColor(0xFF, 0xFF, 0xFF));
    bevel.setColor(QPalette::Dark, QColor(0xB4, 0xC0, 0xD0));
    Panel1->setPalette(bevel);
    Image7 = new TImage(Panel1);
    Image7->setGeometry(1, 1, 151, 127);
    Image7->SetCenter(true);
    Image7->SetPicture(SkinPicture(QStringLiteral("Image7.png")));
    Image7->setToolTip(QStringLiteral("Preview of selected jpg"));

    SortColumn = 0;
    ListView1 = new TListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(15, 384, 481, 129);
    ListView1->setFrameShape(QFrame::NoFrame);
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Path")});
    ListView1->setColumnWidth(0, 215);
    ListView1->setColumnWidth(1, 250);
    // The strip above the list hides the header; it must not peek out below.
    ListView1->header()->setFixedHeight(19);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setToolTip(QStringLiteral("selected jpg files to convert to pdf "));
    ListView1->OnClick = [this](QObject* Sender) { ListView1Click(Sender); };
    ListView1->OnColumnClick = [this](QObject* Sender, int Column) {
        ListView1ColumnClick(Sender, Column);
    };

    Panel2 = new QWidget(this);
    Panel2->resize(489, 40);
    ImageListbox = new TImage(Panel2);
    ImageListbox->setGeometry(0, 0, 489, 40);
    ImageListbox->SetPicture(SkinPicture(QStringLiteral("ImageListbox.png")));
    ImgBtnName = new TImgBtn(Panel2);
    ImgBtnName->resize(80, 22);
    ImgBtnPath = new TImgBtn(Panel2);
    ImgBtnPath->resize(80, 22);
    ImgBtnUp = new TImgBtn(Panel2);
    ImgBtnUp->resize(40, 40);
    ImgBtnUp->setToolTip(QStringLiteral("Move up selected jpg"));
    ImgBtnDown = new TImgBtn(Panel2);
    ImgBtnDown->resize(40, 40);
    ImgBtnDown->setToolTip(QStringLiteral("Move down selected jpg"));

    ComboBox2 = new QComboBox(this);
    ComboBox2->setGeometry(600, 200, 129, 22);
    ComboBox2->setEditable(true);
    ComboBox2->addItems({QStringLiteral("Same size"), QStringLiteral("Original size")});
    QFont comboFont(QStringLiteral("Arial"));
    comboFont.setStyleHint(QFont::SansSerif);
    comboFont.setPixelSize(11);
    comboFont.setBold(true);
    ComboBox2->setFont(comboFont);

    Panel3 = new QWidget(this);
    Panel3->resize(19, 19);
    Panel3->setAutoFillBackground(true);
    QPalette white = Panel3->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel3->setPalette(white);
    ImgBtnDropDown = new TImgBtn(Panel3);
    ImgBtnDropDown->resize(19, 19);

    const auto field = [this](const char* Text) {
        auto* edit = new QLineEdit(QString::fromLatin1(Text), this);
        edit->resize(110, 19);
        edit->setFrame(false);
        return edit;
    };
    Edit1 = field("800");
    Edit2 = field("600");
    Edit3 = field("100");

    const auto button = [this](QWidget* Parent, int Width, int Height, const char* Hint) {
        auto* imgBtn = new TImgBtn(Parent);
        imgBtn->resize(Width, Height);
        if (Hint != nullptr) {
            imgBtn->setToolTip(QString::fromLatin1(Hint));
        }
        return imgBtn;
    };
    ImgBtnWidth1 = button(this, 20, 9, nullptr);
    ImgBtnWidth2 = button(this, 20, 9, nullptr);
    ImgBtnHeight1 = button(this, 20, 9, nullptr);
    ImgBtnHeight2 = button(this, 20, 9, nullptr);
    ImgBtnQ1 = button(this, 20, 9, nullptr);
    ImgBtnQ2 = button(this, 20, 9, nullptr);
    ImgBtnMin = button(this, 28, 28, nullptr);
    ImgBtnClose = button(this, 33, 41, nullptr);
    ImgBtnHome = button(this, 38, 24, "Homepage");
    ImgBtnHelp = button(this, 38, 24, "Help");
    ImgBtnAdd = button(this, 40, 40, "Add selected jpg");
    ImgBtnAdds = button(this, 40, 40, "Add all jpg files");
    ImgBtnDel = button(this, 40, 40, "Remove selected jpg");
    ImgBtnDels = button(this, 40, 40, "Remove all jpg files");
    ImgBtnConvert = button(this, 83, 83, nullptr);
    ImgBtnStop = button(this, 83, 83, nullptr);

    ImageProgress = new TImage(this);
    ImageProgress->resize(176, 27);
    ImageProgress->SetPicture(SkinPicture(QStringLiteral("ImageProgress.png")));

    Label1 = new QLabel(QStringLiteral("Converting..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(624, 528);
    Label1->adjustSize();

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    // Every change of the box's text, typed or chosen, comes here.
    QObject::connect(ComboBox2, &QComboBox::currentTextChanged, this,
                     [this] { ComboBox2Change(ComboBox2); });
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setDefaultSuffix(QStringLiteral("pdf"));
    SaveDialog1->setNameFilter(QStringLiteral("PDF Document (*.pdf)"));
    SaveDialog1->setFileMode(QFileDialog::AnyFile);

    const auto click = [this](TImgBtn* Button, void (TForm1::*Handler)(QObject*)) {
        Button->OnClick = [this, Handler](QObject* Sender) { (this->*Handler)(Sender); };
    };
    click(ImgBtnMin, &TForm1::ImgBtnMinClick);
    click(ImgBtnClose, &TForm1::ImgBtnCloseClick);
    click(ImgBtnName, &TForm1::ImgBtnNameClick);
    click(ImgBtnPath, &TForm1::ImgBtnPathClick);
    click(ImgBtnUp, &TForm1::ImgBtnUpClick);
    click(ImgBtnDown, &TForm1::ImgBtnDownClick);
    click(ImgBtnAdd, &TForm1::ImgBtnAddClick);
    click(ImgBtnAdds, &TForm1::ImgBtnAddsClick);
    click(ImgBtnDel, &TForm1::ImgBtnDelClick);
    click(ImgBtnDels, &TForm1::ImgBtnDelsClick);
    click(ImgBtnConvert, &TForm1::ImgBtnConvertClick);
    click(ImgBtnStop, &TForm1::ImgBtnStopClick);
    click(ImgBtnHome, &TForm1::ImgBtnHomeClick);
    click(ImgBtnHelp, &TForm1::ImgBtnHelpClick);
    click(ImgBtnDropDown, &TForm1::ImgBtnDropDownClick);

    const auto spin = [this](TImgBtn* Button, void (TForm1::*Down)(TWMMouse&)) {
        Button->OnMouseDown = [this, Down](TWMMouse& Msg) { (this->*Down)(Msg); };
        Button->OnMouseUp = [this](TWMMouse& Msg) { ImgBtnWidth1MouseUp(Msg); };
    };
    spin(ImgBtnWidth1, &TForm1::ImgBtnWidth1MouseDown);
    spin(ImgBtnWidth2, &TForm1::ImgBtnWidth2MouseDown);
    spin(ImgBtnHeight1, &TForm1::ImgBtnHeight1MouseDown);
    spin(ImgBtnHeight2, &TForm1::ImgBtnHeight2MouseDown);
    spin(ImgBtnQ1, &TForm1::ImgBtnQ1MouseDown);
    spin(ImgBtnQ2, &TForm1::ImgBtnQ2MouseDown);
}

TImage* TForm1::Sheet(const QString& Name) {
    auto* sheet = new TImage(PanelImage);
    sheet->SetPicture(SkinPicture(Name + QStringLiteral(".png")));
    sheet->resize(sheet->Picture().size());
    return sheet;
}

void TForm1::FormCreate() {
    // The region reaches one pixel past the window's right and bottom edges.
    region_ = RoundRectRegion(0, 0, width() + 1, height() + 1, kCornerEllipse, kCornerEllipse);
    UpdateShape();
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

    ImageLists2->move(213, 84);
    ImageBig2->move(278, 84);
    ImageSmall2->move(364, 84);
    ImageDetails2->move(472, 84);
    ImageLists2->show();
    ImageBig2->hide();
    ImageSmall2->hide();
    ImageDetails2->hide();

    Edit1->move(602, 245);
    SkinButton(ImgBtnWidth1, 712, 245, ImageJia);
    SkinButton(ImgBtnWidth2, 712, 255, ImageJian);
    Edit2->move(602, 293);
    SkinButton(ImgBtnHeight1, 712, 293, ImageJia);
    SkinButton(ImgBtnHeight2, 712, 303, ImageJian);
    Edit3->move(602, 341);
    SkinButton(ImgBtnQ1, 712, 341, ImageJia);
    SkinButton(ImgBtnQ2, 712, 351, ImageJian);

    Panel3->move(711, 201);
    SkinButton(ImgBtnDropDown, 0, 0, ImageDropDown);

    ImageProgress->move(578, 378);
    ImageProgress->resize(1, ImageProgress->height());

    SameSizeMode = true;
    SpinAction = 0;
    Timer1->stop();

    Label1->hide();
}

void TForm1::SkinButton(TImgBtn* Button, int Left, int Top, TImage* FromSheet) {
    Button->raise();
    Button->move(Left, Top);
    const QPixmap& sheet = FromSheet->Picture();
    LoadButtonSkin(Button, FromSheet, sheet.width() / 4, sheet.height(), 0, 0);
}

void TForm1::LoadButtonSkin(TImgBtn* Button, TImage* Sheet, int Width, int Height, int X, int Y) {
    const QImage sheet = Sheet->Picture().toImage().convertToFormat(QImage::Format_RGB32);
    const auto frame = [&](int Index) {
        return MakeTransparentBitmap(sheet.copy(X + Index * (Width + 1), Y, Width, Height));
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
        TViewStyle style;
    } tabs[] = {{ImageLists2, vsList},
                {ImageBig2, vsIcon},
                {ImageSmall2, vsSmallIcon},
                {ImageDetails2, vsReport}};
    for (const auto& entry : tabs) {
        entry.tab->setVisible(entry.tab == Tab);
        if (entry.tab == Tab) {
            ShellListView1->SetViewStyle(entry.style);
        }
    }
}

void TForm1::ImgBtnMinClick(QObject*) {
    showMinimized();
}

void TForm1::ImgBtnCloseClick(QObject*) {
    close();
}

void TForm1::ImgBtnHelpClick(QObject*) {
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/vorpane.chm");
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TForm1::ImgBtnHomeClick(QObject*) {
    QDesktopServices::openUrl(QUrl(QStringLiteral(VORPANE_HOMEPAGE)));
}

void TForm1::ShellTreeView1Change(QObject*, const QString& Folder) {
    ShellListView1->SetRoot(Folder);
}

void TForm1::ShellListView1AddFolder(QObject*, const QFileInfo& AFolder, bool& CanAdd) {
    if (AFolder.isDir()) {
        CanAdd = true;
        return;
    }
    // The extension: from the last "." of the name on. Only the ASCII
    // capitals are lowered, so no other letter can pass for a "j".
    const QString path = AFolder.filePath();
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    QString extension = dot >= NameStart(path) ? path.mid(dot) : QString();
    for (QChar& c : extension) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            c = QChar(c.unicode() + ('a' - 'A'));
        }
    }
    CanAdd = extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg");
}

void TForm1::ShellListView1Click(QObject*) {
    for (int i = 0; i < ShellListView1->ItemCount(); ++i) {
        if (ShellListView1->ItemSelected(i)) {
            ShowPreview(ShellListView1->ItemPath(i));
            return;
        }
    }
}

void TForm1::ShellListView1DblClick(QObject* Sender) {
    ImgBtnAddClick(Sender);
}

void TForm1::ShellListView1EndDrag(QObject* Sender, QObject*, int, int) {
    auto* files = dynamic_cast<TShellListView*>(Sender);
    if (files == nullptr) {
        return;
    }
    for (int i = 0; i < files->ItemCount(); ++i) {
        if (files->ItemSelected(i)) {
            AppendEntry(files->ItemPath(i), false);
        }
    }
}

void TForm1::ShowPreview(const QString& Path) {
    // QFileInfo::isFile is false for folders, pipes and devices too: only
    // a regular file is opened.
    if (Path.isEmpty() || !QFileInfo(Path).isFile()) {
        return;
    }
    TJpegDecoder decoder(QFile::encodeName(Path).toStdString());
    const std::uint32_t width = decoder.Width();
    const std::uint32_t height = decoder.Height();
    const auto boxWidth = static_cast<std::uint32_t>(Image7->width());
    const auto boxHeight = static_cast<std::uint32_t>(Image7->height());
    if (width <= boxWidth && height <= boxHeight) {
        Image7->SetPicture(QPixmap::fromImage(ToImage(decoder.Decode())));
        return;
    }
    // A whole factor, so the picture can stay larger than the box; the box
    // then shows its middle.
    const std::uint32_t factor = width < height ? height / boxHeight : width / boxWidth;
    if (factor == 0) {
        return;
    }
    const auto shownWidth = static_cast<int>(width / factor);
    const auto shownHeight = static_cast<int>(height / factor);
    // libjpeg decodes at M/8 of the full size for far less work; the
    // smallest such size that is still large enough is scaled down to the
    // exact size.
    QImage picture = ToImage(decoder.DecodeAtLeast(width / factor, height / factor));
    if (picture.size() != QSize(shownWidth, shownHeight)) {
        picture = picture.scaled(shownWidth, shownHeight, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    }
    Image7->SetPicture(QPixmap::fromImage(picture));
}

void TForm1::AppendEntry(const QString& Path, bool WithIcon) {
    const qsizetype cut = NameStart(Path);
    QTreeWidgetItem* entry = ListView1->AddItem(Path.mid(cut));
    entry->setText(1, Path.left(cut));
    if (WithIcon) {
        ListView1->SetImageIndex(entry, ListView1->AddImage(FileTypeIcon(Path)));
    }
}

QString TForm1::EntryPath(const QTreeWidgetItem* Entry) {
    return TrimControls(Entry->text(1)) + TrimControls(Entry->text(0));
}

std::vector<std::string> TForm1::EntryPaths() const {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(EntryCount()));
    for (int row = 0; row < EntryCount(); ++row) {
        paths.push_back(QFile::encodeName(EntryPath(ListView1->topLevelItem(row))).toStdString());
    }
    return paths;
}

int TForm1::EntryCount() const {
    return ListView1->topLevelItemCount();
}

void TForm1::ListView1Click(QObject*) {
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (!selected.isEmpty()) {
        ShowPreview(EntryPath(selected.front()));
    }
}

void TForm1::ListView1ColumnClick(QObject*, int Column) {
    SortColumn = Column;
    SortEntries();
}

void TForm1::ListView1Compare(QObject*, QTreeWidgetItem* Item1, QTreeWidgetItem* Item2, int,
                              int& Compare) {
    // Column 0 is the caption, column n the sub-item n - 1.
    Compare = CompareText(Item1->text(SortColumn).toUtf8(), Item2->text(SortColumn).toUtf8());
}

void TForm1::SortEntries() {
    ListView1->CustomSort([this](QTreeWidgetItem* Item1, QTreeWidgetItem* Item2) {
        int compare = 0;
        ListView1Compare(ListView1, Item1, Item2, 0, compare);
        return compare;
    });
}

// The sort buttons stand in for the hidden header; whatever goes wrong in
// their sort is let pass without a word.
void TForm1::ImgBtnNameClick(QObject*) {
    SortColumn = 0;
    try {
        SortEntries();
    } catch (...) {
    }
}

void TForm1::ImgBtnPathClick(QObject*) {
    SortColumn = 1;
    try {
        SortEntries();
    } catch (...) {
    }
}

void TForm1::MoveSelectedEntry(int By) {
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QTreeWidgetItem* entry = selected.front();
    const int from = ListView1->indexOfTopLevelItem(entry);
    const int to = from + By;
    if (to < 0 || to >= ListView1->topLevelItemCount()) {
        return;
    }
    ListView1->takeTopLevelItem(from);
    ListView1->insertTopLevelItem(to, entry);
    ListView1->setCurrentItem(entry);
}

void TForm1::ImgBtnUpClick(QObject*) {
    MoveSelectedEntry(-1);
}

void TForm1::ImgBtnDownClick(QObject*) {
    MoveSelectedEntry(1);
}

void TForm1::ImgBtnAddClick(QObject*) {
    for (int i = 0; i < ShellListView1->ItemCount(); ++i) {
        if (ShellListView1->ItemSelected(i)) {
            AppendEntry(ShellListView1->ItemPath(i), true);
        }
    }
}

void TForm1::ImgBtnAddsClick(QObject*) {
    for (int i = 0; i < ShellListView1->ItemCount(); ++i) {
        AppendEntry(ShellListView1->ItemPath(i), true);
    }
}

void TForm1::ImgBtnDelClick(QObject*) {
    qDeleteAll(ListView1->selectedItems());
}

void TForm1::ImgBtnDelsClick(QObject*) {
    ListView1->clear();
}

TForm1::~TForm1() {
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

// The size mode follows the entry chosen in the box; typed text that names
// no entry changes nothing.
void TForm1::ComboBox2Change(QObject*) {
    switch (ComboBox2->findText(ComboBox2->currentText(), Qt::MatchExactly)) {
    case 0:
        Edit1->setText(QStringLiteral("800"));
        Edit2->setText(QStringLiteral("600"));
        SameSizeMode = true;
        break;
    case 1:
        Edit1->setText(QStringLiteral("0"));
        Edit2->setText(QStringLiteral("0"));
        SameSizeMode = false;
        break;
    default:
        break;
    }
}

void TForm1::ImgBtnDropDownClick(QObject*) {
    try {
        ComboBox2->showPopup();
    } catch (...) {
        // Opening the list is a convenience; nothing to tell the user.
    }
}

void TForm1::StartSpin(int Action) {
    SpinAction = Action;
    Timer1->start();
}

void TForm1::ImgBtnWidth1MouseDown(TWMMouse&) {
    StartSpin(1);
}
void TForm1::ImgBtnWidth2MouseDown(TWMMouse&) {
    StartSpin(2);
}
void TForm1::ImgBtnHeight1MouseDown(TWMMouse&) {
    StartSpin(3);
}
void TForm1::ImgBtnHeight2MouseDown(TWMMouse&) {
    StartSpin(4);
}
void TForm1::ImgBtnQ1MouseDown(TWMMouse&) {
    StartSpin(5);
}
void TForm1::ImgBtnQ2MouseDown(TWMMouse&) {
    StartSpin(6);
}

// Every spin button's release ends the repeat.
void TForm1::ImgBtnWidth1MouseUp(TWMMouse&) {
    SpinAction = 0;
    Timer1->stop();
}

void TForm1::Timer1Timer() {
    // Per SpinAction 1 to 6: the field, the step, and the values from which
    // a step is taken (width and height stay within 0 to 9000, the quality
    // within 1 to 100).
    struct TSpin {
        QLineEdit* TForm1::*Field;
        int Step;
        bool (*Allowed)(std::int32_t);
    };
    static const TSpin spins[] = {
        {&TForm1::Edit1, +1, [](std::int32_t v) { return v < 9000; }},
        {&TForm1::Edit1, -1, [](std::int32_t v) { return v > 0; }},
        {&TForm1::Edit2, +1, [](std::int32_t v) { return v < 9000; }},
        {&TForm1::Edit2, -1, [](std::int32_t v) { return v > 0; }},
        {&TForm1::Edit3, +1, [](std::int32_t v) { return v < 100; }},
        {&TForm1::Edit3, -1, [](std::int32_t v) { return v >= 2; }},
    };
    if (SpinAction < 1 || SpinAction > 6) {
        return;
    }
    const TSpin& spin = spins[SpinAction - 1];
    QLineEdit* field = this->*spin.Field;
    std::int32_t value = 0;
    try {
        value = StrToInt(field->text().toStdString());
    } catch (...) {
        // One box for a held button, not one at every tick.
        TWMMouse release;
        ImgBtnWidth1MouseUp(release);
        throw;
    }
    if (spin.Allowed(value)) {
        field->setText(QString::number(value + spin.Step));
    }
}

void UpdateProgressStrip(const std::string&, std::int64_t, std::int64_t) {
    QCoreApplication::processEvents();
    TForm1* form = Form1;
    if (form == nullptr || form->ImageProgress->width() >= 176) {
        return;
    }
    // A list emptied during the run leaves nothing to divide by: no step.
    const int entries = form->EntryCount();
    if (entries > 0) {
        form->ImageProgress->resize(form->ImageProgress->width() + 176 / entries,
                                    form->ImageProgress->height());
    }
}

void TForm1::ImgBtnStopClick(QObject*) {
    StopConverting = true;
    StopPreparing = true;
}

void TForm1::ImgBtnConvertClick(QObject*) {
    if (EntryCount() == 0) {
        ShowMessage(QMessageBox::Information, QStringLiteral("Information"),
                    QStringLiteral("\nPlease add jpg files to the left blank first!"));
        return;
    }
    Label1->show();
    QString outputFile;
    if (!ExecuteSaveDialog(outputFile)) {
        Label1->hide();
        return;
    }
    // From here on the idle look comes back on every path, errors included.
    struct TIdleLookGuard {
        TForm1* Form;
        ~TIdleLookGuard() { Form->LeaveBusyLook(); }
    } idleLook{this};
    ConvertEntries(outputFile);
}

void TForm1::ConvertEntries(const QString& OutputFile) {
    const std::vector<std::string> files = EntryPaths();
    ImgBtnConvert->hide();
    ImgBtnStop->show();
    busy_ = true;

    const std::int32_t quality = StrToInt(Edit3->text().toStdString());
    const std::int32_t width = StrToInt(Edit1->text().toStdString());
    const std::int32_t height = StrToInt(Edit2->text().toStdString());
    // Only "Same size" uses the numbers. Cut to the run's 8 and 16 bits, a
    // width of 70000 would become 4464 and -1 would become 65535; refuse
    // what doesn't fit instead of converting at a size nobody asked for.
    if (SameSizeMode) {
        struct TRange {
            std::int32_t Value;
            std::int32_t Largest;
            const char* Field;
        };
        for (const TRange& range : {TRange{quality, 255, "quality"}, TRange{width, 32767, "width"},
                                    TRange{height, 32767, "height"}}) {
            if (range.Value < 0 || range.Value > range.Largest) {
                ShowMessage(QMessageBox::Critical, QStringLiteral("Error"),
                            QStringLiteral("\nThe %1 must be a whole number from 0 to %2.")
                                .arg(QLatin1String(range.Field))
                                .arg(range.Largest));
                return;
            }
        }
    }

    const std::int32_t result =
        ConversionRun(files, QFile::encodeName(OutputFile).toStdString(), &UpdateProgressStrip,
                      SameSizeMode, static_cast<std::uint8_t>(quality),
                      static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), false);
    switch (result) {
    case rcNoFiles:
        ShowMessage(QMessageBox::Information, QStringLiteral("Information"),
                    QStringLiteral("\nNo files existing!"));
        break;
    case rcDone:
        ShowMessage(QMessageBox::Information, QStringLiteral("Information"),
                    QStringLiteral("\nCongratulation! Converting Successed!"));
        OpenFolder(QFileInfo(OutputFile).absolutePath());
        break;
    case rcAborted:
        ShowMessage(QMessageBox::Critical, QStringLiteral("Error"), QStringLiteral("\nAborted!"));
        break;
    case rcStopped:
        ShowMessage(QMessageBox::Information, QStringLiteral("Information"),
                    QStringLiteral("\nStop converting\u00EC!"));
        break;
    default:
        break;
    }
}

void TForm1::LeaveBusyLook() {
    busy_ = false;
    ImageProgress->resize(1, ImageProgress->height());
    ImgBtnConvert->show();
    ImgBtnStop->hide();
    Label1->hide();
    if (closeRequested_) {
        // The close asked for during the run, now that it is over.
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TForm1::closeEvent(QCloseEvent* Event) {
    // The run lives inside the Convert click; closing now would pull the
    // window from under it. The close waits for the run and its message.
    if (busy_) {
        closeRequested_ = true;
        Event->ignore();
        return;
    }
    Event->accept();
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
            QMetaObject::invokeMethod(
                this,
                [this] {
                    shapeUpdatePending_ = false;
                    UpdateShape();
                },
                Qt::QueuedConnection);
        }
        return true;
    }
    return QWidget::event(Event);
}

// What the window shows through its picture controls, with every other
// control painted over in a colour that is never the key colour: only the
// pictures can make the window see-through.
QImage TForm1::ComposePictures() const {
    QImage canvas(size(), QImage::Format_RGB32);
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

void TForm1::UpdateShape() {
    // The mask image holds 0 (which QBitmap takes as set) for the key colour.
    const QImage keyPixels = ComposePictures().createMaskFromColor(kKeyColour, Qt::MaskOutColor);
    const QRegion shape = region_ - QRegion(QBitmap::fromImage(keyPixels));
    if (shape != mask()) {
        setMask(shape);
    }
}

} // namespace vorpane
