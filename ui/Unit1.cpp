// TForm1: the window's design (every control with its size, hint and
// events) and its construction.
#include "Unit1.h"

#include "Application.h"
#include "JpegPicture.h"
#include "PageOptionsDialog.h"
#include "PathName.h"
#include "jpeg/ExifDateTaken.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

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
QComboBox { background: #ffffff; border: none; padding-left: 5px; }
QComboBox, QComboBox QLineEdit, QComboBox QAbstractItemView {
    color: #800000; font: bold 11px "Arial"; }
QComboBox::drop-down { width: 0px; border: none; }
QComboBox QAbstractItemView { background: #ffffff; border: 1px solid #c5d0de;
    selection-background-color: #dbe8fd; selection-color: #12305c; }
QCheckBox { color: #6a7a92; font-weight: bold; spacing: 6px; }
QCheckBox::indicator { width: 14px; height: 14px; }
QCheckBox::indicator:unchecked { image: url(:/skin/ImageCheckOff.png); }
QCheckBox::indicator:checked { image: url(:/skin/ImageCheckOn.png); }
#ListView1 { color: #ff0000; }
QLabel#Label1 { color: #55657d; }
QLabel#Label2 { color: #2f80ed; font-weight: bold; }
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

} // namespace

namespace {
QString skinLanguage;
} // namespace

void SetSkinLanguage(const QString& Language) {
    skinLanguage = Language;
}

QPixmap SkinPicture(const QString& Name) {
    const QString translated = QStringLiteral(":/skin/%1/%2").arg(skinLanguage, Name);
    const QString path = !skinLanguage.isEmpty() && QFile::exists(translated)
                             ? translated
                             : QStringLiteral(":/skin/") + Name;
    // On a screen of more device pixels than pixels the picture drawn at
    // twice the size stands in, as sharp as the screen is.
    if (qGuiApp->devicePixelRatio() > 1) {
        const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
        QPixmap sharp(path.left(dot) + QStringLiteral("@2x") + path.mid(dot));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2);
            return sharp;
        }
    }
    return QPixmap(path);
}

namespace {

// Whether xdg-mime knows an application for files of MimeType; not when
// there is no xdg-mime. It answers in a fraction of a second.
bool HasDefaultApplication(const QString& MimeType) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), MimeType});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
}

// Where the browser opens: the user's Desktop folder, else the home folder.
QString StartFolder() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir()) {
        return desktop;
    }
    return QDir::homePath();
}

} // namespace

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
    AskLeaveOut = [this](const QString& Text) {
        QMessageBox box(QMessageBox::Warning, tr("Information"), Text, QMessageBox::NoButton, this);
        QPushButton* leaveOut = box.addButton(tr("Leave them out"), QMessageBox::AcceptRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(leaveOut);
        box.exec();
        return box.clickedButton() == leaveOut;
    };
    OpenFolder = [this](const QString& Folder) {
        OpenOrTell(QUrl::fromLocalFile(Folder), tr("the folder"));
    };
    OpenUrl = [](const QUrl& Url) {
        // The desktop's opener would only tell a missing file on a terminal.
        if (Url.isLocalFile() && !QFileInfo::exists(Url.toLocalFile())) {
            return false;
        }
        return QDesktopServices::openUrl(Url);
    };
    HasOpener = &HasDefaultApplication;
    Homepage = QStringLiteral(VORPANE_HOMEPAGE_URL);
    CreateDesign();
    FormCreate();
    ShellTreeView1->SetPath(StartFolder());
}

// The window as designed: every control with its design size, hint and
// events. FormCreate then places and skins them.
void TForm1::CreateDesign() {
    setFixedSize(kClientWidth, kClientHeight);
    move(StartPosition(screen()->availableGeometry(), size()));
    setFont(WindowFont());
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
    ImageOptions = Sheet(QStringLiteral("ImageOptions"));

    ShellTreeView1 = new TShellTreeView(this);
    ShellTreeView1->setGeometry(23, 108, 172, 252);
    ShellTreeView1->OnChange = [this](QObject* Sender, const QString& Folder) {
        ShellTreeView1Change(Sender, Folder);
    };

    ShellListView1 = new TShellListView(this);
    ShellListView1->DateTaken = [](const QString& Path) {
        const std::optional<TTakenTime> taken = ReadDateTaken(EncodePathName(Path).toStdString());
        return taken ? QDateTime::fromSecsSinceEpoch(taken->Seconds) : QDateTime();
    };
    ShellListView1->setGeometry(220, 108, 343, 253);
    ShellListView1->setToolTip(tr("jpg files under the folder"));
    ShellListView1->OnAddFolder = [this](QObject* Sender, const QFileInfo& AFolder, bool& CanAdd) {
        ShellListView1AddFolder(Sender, AFolder, CanAdd);
    };
    ShellListView1->OnClick = [this](QObject* Sender) { ShellListView1Click(Sender); };
    ShellListView1->OnDblClick = [this](QObject* Sender) { ShellListView1DblClick(Sender); };
    ShellListView1->OnEndDrag = [this](QObject* Sender, QObject* Target, int X, int Y) {
        ShellListView1EndDrag(Sender, Target, X, Y);
    };
    ShellListView1->OnKeyDown = [this](QObject* Sender, int& Key, TShiftState Shift) {
        ShellListView1KeyDown(Sender, Key, Shift);
    };
    ShellListView1->OnCurrentKeyed = [this](QObject*) {
        ShowPreview(ShellListView1->CurrentPath());
    };
    ShellListView1->Thumbnails()->MakeThumbnail = &ThumbnailPicture;

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
    const auto viewTab = [this](TImage* Tab) {
        auto* button = new TImgBtn(this);
        // No pictures of its own: the tab's picture and the background show.
        button->Supported = false;
        button->AccessibleRole = QAccessible::PageTab;
        button->setAttribute(Qt::WA_TransparentForMouseEvents);
        button->OnClick = [this, Tab](QObject*) { SelectViewTab(Tab); };
        button->installEventFilter(this);
        return button;
    };
    TabLists = viewTab(ImageLists2);
    TabBig = viewTab(ImageBig2);
    TabSmall = viewTab(ImageSmall2);
    TabDetails = viewTab(ImageDetails2);

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
    previewPlaceholder_ = SkinPicture(QStringLiteral("Image7.png"));
    Image7->SetPicture(previewPlaceholder_);
    Image7->setToolTip(tr("Preview of selected jpg"));
    // Two threads: a click on another photograph need not wait for a slow
    // one that nobody wants any more.
    PreviewWork = new TBackgroundWork(2, this);

    SortColumn = 0;
    ListView1 = new TListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(15, 384, 481, 129);
    ListView1->setFrameShape(QFrame::NoFrame);
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({tr("Name"), tr("Path")});
    ListView1->setColumnWidth(0, 215);
    ListView1->setColumnWidth(1, 250);
    // The strip above the list hides the header; it must not peek out below.
    ListView1->header()->setFixedHeight(19);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setToolTip(tr("selected jpg files to convert to pdf "));
    ListView1->OnClick = [this](QObject* Sender) { ListView1Click(Sender); };
    ListView1->OnColumnClick = [this](QObject* Sender, int Column) {
        ListView1ColumnClick(Sender, Column);
    };
    ListView1->OnKeyDown = [this](QObject* Sender, int& Key, TShiftState Shift) {
        ListView1KeyDown(Sender, Key, Shift);
    };
    ListView1->OnCurrentKeyed = [this](QObject*) {
        ShowPreview(EntryPath(ListView1->currentItem()));
    };
    ListView1->OnDropFiles = [this](QObject* Sender, const QStringList& Files) {
        ListView1DropFiles(Sender, Files);
    };
    // The address's escapes are the name's bytes, whatever they are.
    ListView1->LocalPath = [](const QUrl& Url) { return PathArgument(Url.toEncoded()); };

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
    ImgBtnUp->setToolTip(tr("Move up selected jpg"));
    ImgBtnDown = new TImgBtn(Panel2);
    ImgBtnDown->resize(40, 40);
    ImgBtnDown->setToolTip(tr("Move down selected jpg"));
    Label2 = new QLabel(Panel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(322, 3, 80, 14);
    // Every change of the list, whoever makes it, comes here.
    QAbstractItemModel* entries = ListView1->model();
    const auto changed = Guarded([this] { ListView1Changed(); });
    QObject::connect(entries, &QAbstractItemModel::rowsInserted, this, changed);
    QObject::connect(entries, &QAbstractItemModel::rowsRemoved, this, changed);
    QObject::connect(entries, &QAbstractItemModel::rowsMoved, this, changed);
    QObject::connect(entries, &QAbstractItemModel::modelReset, this, changed);
    QObject::connect(entries, &QAbstractItemModel::layoutChanged, this, changed);
    QObject::connect(
        entries, &QAbstractItemModel::dataChanged, this,
        Guarded([this](const QModelIndex&, const QModelIndex&, const QList<int>& Roles) {
            // A rename; not the marks being set or cleared.
            if (Roles.isEmpty() || Roles.contains(Qt::DisplayRole) ||
                Roles.contains(Qt::EditRole)) {
                ListView1Changed();
            }
        }));

    ComboBox2 = new QComboBox(this);
    ComboBox2->setGeometry(600, 200, 129, 22);
    ComboBox2->setEditable(true);
    ComboBox2->addItems({tr("Same size"), tr("Original size")});

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
    // The keys and the wheel that step them (OptionsPanel.cpp).
    for (QLineEdit* edit : {Edit1, Edit2, Edit3}) {
        edit->installEventFilter(this);
    }

    const auto button = [this](QWidget* Parent, int Width, int Height, const char* Hint) {
        auto* imgBtn = new TImgBtn(Parent);
        imgBtn->resize(Width, Height);
        if (Hint != nullptr) {
            imgBtn->setToolTip(tr(Hint));
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
    ImgBtnHome = button(this, 38, 24, QT_TR_NOOP("Homepage"));
    ImgBtnHelp = button(this, 38, 24, QT_TR_NOOP("Help"));
    ImgBtnAdd = button(this, 40, 40, QT_TR_NOOP("Add selected jpg"));
    ImgBtnAdds = button(this, 40, 40, QT_TR_NOOP("Add all jpg files"));
    ImgBtnDel = button(this, 40, 40, QT_TR_NOOP("Remove selected jpg"));
    ImgBtnDels = button(this, 40, 40, QT_TR_NOOP("Remove all jpg files"));
    ImgBtnConvert = button(this, 83, 83, nullptr);

    CheckBox2 = new QCheckBox(tr("Keep proportions"), this);
    CheckBox2->resize(118, 16);
    CheckBox2->setToolTip(tr("Scale each photo to the largest size inside Width x Height that "
                             "keeps its proportions, never enlarged"));
    CheckBox1 = new QCheckBox(tr("Upright (EXIF)"), this);
    CheckBox1->resize(118, 16);
    CheckBox1->setToolTip(tr("Show each photo upright, as the camera's orientation tag says"));
    // Any change of the box, clicked, keyed or set, comes here.
    QObject::connect(CheckBox1, &QCheckBox::toggled, this,
                     Guarded([this] { CheckBox1Click(CheckBox1); }));
    ImgBtnOptions = button(this, 24, 22, QT_TR_NOOP("Page and photo options"));
    ImgBtnStop = button(this, 83, 83, nullptr);

    ImageProgress = new TImage(this);
    ImageProgress->resize(176, 27);
    ImageProgress->SetPicture(SkinPicture(QStringLiteral("ImageProgress.png")));

    Label1 = new QLabel(tr("Converting..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(624, 528);
    Label1->adjustSize();

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    QObject::connect(Timer1, &QTimer::timeout, this, Guarded([this] { Timer1Timer(); }));

    // Every change of the box's text, typed or chosen, comes here.
    QObject::connect(ComboBox2, &QComboBox::currentTextChanged, this,
                     Guarded([this] { ComboBox2Change(ComboBox2); }));
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    // Typed text chooses an entry only when it names one whole: completing
    // it would switch the mode at the first key.
    ComboBox2->setCompleter(nullptr);

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setDefaultSuffix(QStringLiteral("pdf"));
    SaveDialog1->setNameFilter(tr("PDF Document (*.pdf)"));
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    // Its own start, the working folder as Qt spells it, is no folder when
    // that has a name in other bytes than UTF-8.
    SaveDialog1->setDirectory(ShownFolder(WorkingFolder()));

    const auto click = [this](TImgBtn* Button, void (TForm1::*Handler)(QObject*)) {
        Button->OnClick = [this, Handler](QObject* Sender) { (this->*Handler)(Sender); };
    };
    click(ImgBtnMin, &TForm1::ImgBtnMinClick);
    click(ImgBtnClose, &TForm1::ImgBtnCloseClick);
    click(ImgBtnName, &TForm1::ImgBtnNameClick);
    click(ImgBtnPath, &TForm1::ImgBtnPathClick);
    SortMenu = new QMenu(this);
    SortMenu->addAction(tr("By name"), this, Guarded([this] { ImgBtnNameClick(ImgBtnName); }));
    SortMenu->addAction(tr("By folder"), this, Guarded([this] { ImgBtnPathClick(ImgBtnPath); }));
    SortMenu->addAction(tr("By date taken"), this, Guarded([this] { SortEntriesByDateTaken(); }));
    for (TImgBtn* sortButton : {ImgBtnName, ImgBtnPath}) {
        sortButton->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(
            sortButton, &QWidget::customContextMenuRequested, this,
            [this, sortButton](const QPoint& At) { SortMenu->popup(sortButton->mapToGlobal(At)); });
    }
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
    click(ImgBtnOptions, &TForm1::ImgBtnOptionsClick);

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

    // Ctrl+Return converts. Escape stops a conversion, and only then: at
    // other times it belongs to the control with the focus.
    auto* convertKey = new QShortcut(this);
    convertKey->setKeys(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    QObject::connect(convertKey, &QShortcut::activated, this, Guarded([this] {
                         if (!busy_) {
                             ImgBtnConvertClick(ImgBtnConvert);
                         }
                     }));
    stopKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    stopKey_->setEnabled(false);
    QObject::connect(stopKey_, &QShortcut::activated, this,
                     Guarded([this] { ImgBtnStopClick(ImgBtnStop); }));

    // Tab goes through the controls in the order of the work: the browser,
    // the conversion list with its buttons, the options, Convert; then the
    // frame's buttons.
    const QList<QWidget*> tabOrder = {ShellTreeView1,
                                      TabLists,
                                      TabBig,
                                      TabSmall,
                                      TabDetails,
                                      ShellListView1->IconView(),
                                      ShellListView1->ReportView(),
                                      ImgBtnAdd,
                                      ImgBtnAdds,
                                      ImgBtnName,
                                      ImgBtnPath,
                                      ImgBtnUp,
                                      ImgBtnDown,
                                      ListView1,
                                      ImgBtnDel,
                                      ImgBtnDels,
                                      ComboBox2,
                                      ImgBtnDropDown,
                                      Edit1,
                                      ImgBtnWidth1,
                                      ImgBtnWidth2,
                                      Edit2,
                                      ImgBtnHeight1,
                                      ImgBtnHeight2,
                                      Edit3,
                                      ImgBtnQ1,
                                      ImgBtnQ2,
                                      CheckBox2,
                                      CheckBox1,
                                      ImgBtnOptions,
                                      ImgBtnConvert,
                                      ImgBtnStop,
                                      ImgBtnHome,
                                      ImgBtnHelp,
                                      ImgBtnMin,
                                      ImgBtnClose};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    ShellTreeView1->setFocus();
    NameControls();
    FocusMark = new TFocusMark(this);
    FocusMark->DrawsOwn = [](const QWidget* Control) {
        return dynamic_cast<const TImgBtn*>(Control) != nullptr;
    };

    // The skin is for the window's own controls. Set on each of them rather
    // than on the window, it never reaches a dialog or message box opened
    // over the window: those keep the desktop's look.
    const QString skin = QString::fromLatin1(kStyleSheet);
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->isWindow()) {
            control->setStyleSheet(skin);
        }
    }
}

TImage* TForm1::Sheet(const QString& Name) {
    auto* sheet = new TImage(PanelImage);
    sheet->SetPicture(SkinPicture(Name + QStringLiteral(".png")));
    sheet->resize(sheet->Picture().deviceIndependentSize().toSize());
    return sheet;
}

TForm1::~TForm1() {
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

} // namespace vorpane
