// TForm1: Vorpane's main window. A frameless, fixed-size picture: the
// background draws the panels, image buttons skinned from sprite sheets lie
// on top, and the ordinary controls (folder tree, file list, conversion list,
// option fields) sit where the background leaves room for them. The window is
// cut to a rounded rectangle, and every pixel of the key colour is
// see-through.
#pragma once

#include "cBackgroundWork.h"
#include "cFocusMark.h"
#include "cImage.h"
#include "cImgBtn.h"
#include "cListView.h"
#include "cShellListView.h"
#include "cShellTreeView.h"

#include "Progress.h"
#include "rundata/RunReport.h"

#include <QCoreApplication>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QFileInfo;
class QShortcut;
class QTimer;
class QTreeWidgetItem;
class QUrl;

namespace vorpane {

// The colour left out of the window on screen: RGB (255, 0, 128).
inline constexpr QRgb kKeyColour = 0xFFFF0080;

// The size mode of the next conversion: true for "Same size".
extern bool SameSizeMode;
// Which spin button is held: 0 for none, 1 to 6 for width up, width down,
// height up, height down, quality up, quality down.
extern int SpinAction;
// The column the conversion list was last sorted by: 0 for Name, 1 for Path.
extern int SortColumn;

struct TRunOptions;
class TForm1;
// The application's main window, which the progress callback reaches.
extern TForm1* Form1;

// The progress callback of a conversion: serves the window's pending events,
// then counts the report on the progress strip (StepProgressStrip) and in
// the status text (ShowRunCount).
void UpdateProgressStrip(const std::string& Text, std::int64_t Total, std::int64_t Done);

// The skin's picture Name (":/skin/Name"): the one drawn at twice the size,
// Name@2x, where the screen has more device pixels than pixels.
QPixmap SkinPicture(const QString& Name);

// The language of the skin's painted words: "de" takes ":/skin/de/Name"
// where there is one; empty, the words as drawn (English).
void SetSkinLanguage(const QString& Language);

// The rounded-rectangle region from (Left, Top) to (Right, Bottom), right and
// bottom edges excluded, with corner ellipses EllipseWidth x EllipseHeight.
QRegion RoundRectRegion(int Left, int Top, int Right, int Bottom, int EllipseWidth,
                        int EllipseHeight);

// Picture with every pixel outside Shape, and every pixel of the key colour,
// made see-through: the window's shape as alpha, for platforms that clip a
// window by its alpha rather than by a mask.
QPixmap CutToShape(const QPixmap& Picture, const QRegion& Shape);

// Where a window of Size first shows on a screen whose free area is
// Available: at the design's place where the window fits there whole, else
// centred (from the top-left corner when it is larger than the screen).
QPoint StartPosition(const QRect& Available, QSize Size);

class TForm1 : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(vorpane::TForm1)

public:
    explicit TForm1(QWidget* Owner = nullptr);
    ~TForm1() override;

    // Whether the next conversion, the thumbnails and the preview show
    // photographs upright by their EXIF orientation ("Upright (EXIF)").
    bool AutoOrientMode = false;

    // The controls, under the names the handlers use.
    TImage* ImageBg;
    QWidget* PanelImage;
    TImage* ImageMin;
    TImage* ImageClose;
    TImage* ImageName;
    TImage* ImagePath;
    TImage* ImageUp;
    TImage* ImageDown;
    TImage* ImageAdd;
    TImage* ImageAdds;
    TImage* ImageDel;
    TImage* ImageDels;
    TImage* ImageConvert;
    TImage* ImageStop;
    TImage* ImageHome;
    TImage* ImageHelp;
    TImage* ImageJia;
    TImage* ImageJian;
    TImage* ImageDropDown;
    TImage* ImageOptions;

    TShellTreeView* ShellTreeView1;
    TShellListView* ShellListView1;
    TImage* ImageLists2;
    TImage* ImageBig2;
    TImage* ImageSmall2;
    TImage* ImageDetails2;
    // The four view tabs as the keyboard and a screen reader reach them:
    // see-through buttons over the tabs' places, which the mouse's presses
    // pass through to the background as before. Tab reaches the chosen one,
    // the arrow keys choose another.
    TImgBtn* TabLists;
    TImgBtn* TabBig;
    TImgBtn* TabSmall;
    TImgBtn* TabDetails;
    QFrame* Panel1;
    TImage* Image7;
    TBackgroundWork* PreviewWork;

    TListView* ListView1;
    QWidget* Panel2;
    TImage* ImageListbox;
    TImgBtn* ImgBtnName;
    TImgBtn* ImgBtnPath;
    // Both sort buttons' right-click menu: "By name", "By folder", "By date taken".
    QMenu* SortMenu;
    TImgBtn* ImgBtnUp;
    TImgBtn* ImgBtnDown;
    // The number of entries, on the strip over the list.
    QLabel* Label2;

    QComboBox* ComboBox2;
    QWidget* Panel3;
    TImgBtn* ImgBtnDropDown;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    TImgBtn* ImgBtnWidth1;
    TImgBtn* ImgBtnWidth2;
    TImgBtn* ImgBtnHeight1;
    TImgBtn* ImgBtnHeight2;
    TImgBtn* ImgBtnQ1;
    TImgBtn* ImgBtnQ2;
    // "Keep proportions": Width x Height is the box each photo fits inside.
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox1;
    TImgBtn* ImgBtnOptions;
    QTimer* Timer1;
    // Frames the control with the keyboard focus (the image buttons frame
    // themselves).
    TFocusMark* FocusMark;
    QFileDialog* SaveDialog1;

    TImgBtn* ImgBtnMin;
    TImgBtn* ImgBtnClose;
    TImgBtn* ImgBtnHome;
    TImgBtn* ImgBtnHelp;
    TImgBtn* ImgBtnAdd;
    TImgBtn* ImgBtnAdds;
    TImgBtn* ImgBtnDel;
    TImgBtn* ImgBtnDels;
    TImgBtn* ImgBtnConvert;
    TImgBtn* ImgBtnStop;
    TImage* ImageProgress;
    QLabel* Label1;

    // The frame and skin (WindowFrame.cpp). FormCreate runs once, from the
    // constructor, before the window is first shown.
    void FormCreate();

    // Cuts the normal, hover and pressed frames (Width x Height, the first at
    // (X, Y), each next one a filler column further right) out of the sheet
    // held by Sheet into Button.
    void LoadButtonSkin(TImgBtn* Button, TImage* Sheet, int Width, int Height, int X, int Y);

    void ImageBgMouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ImgBtnMinClick(QObject* Sender);
    void ImgBtnCloseClick(QObject* Sender);
    void ImgBtnHelpClick(QObject* Sender);
    void ImgBtnHomeClick(QObject* Sender);

    // The folder browser and the preview (FolderBrowser.cpp).
    void ShellTreeView1Change(QObject* Sender, const QString& Folder);
    void ShellListView1AddFolder(QObject* Sender, const QFileInfo& AFolder, bool& CanAdd);
    void ShellListView1Click(QObject* Sender);
    void ShellListView1DblClick(QObject* Sender);
    void ShellListView1EndDrag(QObject* Sender, QObject* Target, int X, int Y);
    void ShellListView1KeyDown(QObject* Sender, int& Key, TShiftState Shift);
    // Shows the JPEG file Path in Image7, shrunk by a whole factor to about
    // the box's size, upright with "Upright (EXIF)". The picture is decoded
    // in PreviewWork and shown when it is ready, unless another preview was
    // asked for meanwhile; a decoding error then puts the placeholder back
    // and reaches the application's error box, naming the file.
    void ShowPreview(const QString& Path);

    // The conversion list (ConversionList.cpp).
    void AppendEntry(const QString& Path, bool WithIcon);
    // Files named on the command line or dropped on the list, in their
    // order: each JPEG file, and each folder's JPEG files in the file list's
    // order. The others are left out and named in one message.
    void AppendFiles(const QStringList& Paths);
    // The entry's folder and name, each without the characters of code 32
    // or below at either end, joined as they are.
    static QString EntryPath(const QTreeWidgetItem* Entry);
    // What a conversion works on: the entries' full paths from the top, as
    // the file system spells them, and how many there are.
    std::vector<std::string> EntryPaths() const;
    int EntryCount() const;
    void ListView1Click(QObject* Sender);
    void ListView1ColumnClick(QObject* Sender, int Column);
    void ListView1Compare(QObject* Sender, QTreeWidgetItem* Item1, QTreeWidgetItem* Item2, int Data,
                          int& Compare);
    void ImgBtnNameClick(QObject* Sender);
    void ImgBtnPathClick(QObject* Sender);
    // The order --sort taken gives: by each photo's date taken, else its
    // file's time, then the name. Reads every entry's Exif header on this
    // thread under the wait cursor; a list of a few hundred takes moments.
    void SortEntriesByDateTaken();
    void ImgBtnUpClick(QObject* Sender);
    void ImgBtnDownClick(QObject* Sender);
    void ImgBtnAddClick(QObject* Sender);
    void ImgBtnAddsClick(QObject* Sender);
    void ImgBtnDelClick(QObject* Sender);
    void ImgBtnDelsClick(QObject* Sender);
    void ListView1KeyDown(QObject* Sender, int& Key, TShiftState Shift);
    void ListView1DropFiles(QObject* Sender, const QStringList& Files);
    // After any change of the list: its count shown, and the marks of the
    // last run's report gone, since they may no longer fit.
    void ListView1Changed();
    // Marks the entries of the files a run left out, and of the photos whose
    // data was incomplete, with a colour and their reason as a tip; the
    // marks of an earlier run go.
    void MarkReportedEntries(const std::vector<TSkippedFile>& Skipped,
                             const std::vector<TSkippedFile>& Incomplete);

    // The options panel (OptionsPanel.cpp).
    void ImgBtnDropDownClick(QObject* Sender);
    void ComboBox2Change(QObject* Sender);
    void ImgBtnWidth1MouseDown(TWMMouse& Msg);
    void ImgBtnWidth2MouseDown(TWMMouse& Msg);
    void ImgBtnHeight1MouseDown(TWMMouse& Msg);
    void ImgBtnHeight2MouseDown(TWMMouse& Msg);
    void ImgBtnQ1MouseDown(TWMMouse& Msg);
    void ImgBtnQ2MouseDown(TWMMouse& Msg);
    void ImgBtnWidth1MouseUp(TWMMouse& Msg);
    void Timer1Timer();
    void CheckBox1Click(QObject* Sender);
    // Opens the page and photo options (TPageOptionsDialog) on PageOptions.
    void ImgBtnOptionsClick(QObject* Sender);

    // The Convert and Stop commands (ConvertCommand.cpp).
    void ImgBtnConvertClick(QObject* Sender);
    void ImgBtnStopClick(QObject* Sender);
    // The progress strip of a run: StartProgressStrip before it, then one
    // StepProgressStrip per report, which makes the strip 1 + 176 x reports
    // / expected reports wide, at most 177 (the whole bar). A run is expected
    // to report once per list entry, twice in "Same size".
    void StartProgressStrip(bool SameSize);
    void StepProgressStrip();
    // The status text of a run of Files: "Converting... n / N", n counting
    // the photographs done: prepared in "Same size", embedded in "Original
    // size". FollowRunPhase is told each phase of the run as it begins (the
    // run's TRunOptions::Phase); ShowRunCount takes one report of the run
    // (Report and Done as the progress callback has them) and counts it by
    // the phase it came in, never by its text.
    void StartRunCount(const std::vector<std::string>& Files);
    void FollowRunPhase(TRunPhase Phase);
    void ShowRunCount(const std::string& Report, std::int64_t Done);

    // Starts moving the window with the mouse, for a left press on the
    // background. Replaceable, so that a test can see it happen.
    std::function<void()> StartWindowDrag;
    // The outside world of the Convert command, replaceable for tests: the
    // save dialog (false when cancelled), a modal message box, and opening a
    // folder in the file manager.
    std::function<bool(QString& FileName)> ExecuteSaveDialog;
    std::function<void(int Icon, const QString& Caption, const QString& Text)> ShowMessage;
    // The question before a run whose list holds files that can't be
    // converted (LeaveOutQuestion): true to leave them out and convert the
    // rest, false to cancel.
    std::function<bool(const QString& Text)> AskLeaveOut;
    std::function<void(const QString& Folder)> OpenFolder;
    // Opening a file or web address with the desktop's application for it:
    // false when it could not be opened (a missing file, no way to open
    // anything); and whether the desktop has an application set up for
    // files of a MIME type. The help, the homepage and the output's folder
    // are opened through them, or a message names what could not be.
    std::function<bool(const QUrl& Url)> OpenUrl;
    std::function<bool(const QString& MimeType)> HasOpener;
    // The web address of the Homepage button; empty for the help's pages.
    QString Homepage;

    // Recomputes the window's mask: the rounded region less every pixel that
    // shows the key colour. Runs by itself after a picture changes.
    void UpdateShape();

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    void CreateDesign();
    // Every control's accessible name and, where the design gives no tool
    // tip, its description (AccessibleNames.cpp).
    void NameControls();
    TImage* Sheet(const QString& Name);
    void SkinButton(TImgBtn* Button, int Left, int Top, TImage* FromSheet);
    void SelectViewTab(TImage* Tab);
    // Left and Right on a view tab choose the one beside it; true when
    // Event was such a key.
    bool ViewTabKey(QObject* Watched, QEvent* Event);
    void SortEntries();
    void MoveSelectedEntry(int By);
    void AppendFolder(const QString& Folder);
    // The JPEG files the file list would show for Folder, in its order,
    // whatever bytes their names are in.
    QStringList FolderJpegFiles(const QString& Folder);
    void DragByHand();
    void ClearEntryMarks();
    void StartSpin(int Action);
    // One step of spin action 1 to 6; raises EConvertError for a field that
    // is no whole number.
    void StepSpin(int Action);
    void ConvertEntries(const QString& OutputFile);
    // The run's options from the window: the size mode, the width, height
    // and quality fields, AutoOrientMode and the page options dialog's
    // choices, the phases told to FollowRunPhase. Raises EConvertError for a
    // field that is no whole number; false, after the error box, for a
    // number beyond what "Same size" takes.
    bool GatherRunOptions(TRunOptions& Options);
    void LeaveBusyLook();
    void OpenOrTell(const QUrl& Url, const QString& What);
    // The window's pictures at Ratio device pixels a pixel.
    QImage ComposePictures(double Ratio) const;

    QPixmap previewPlaceholder_;
    // The file the preview shows; empty for the placeholder.
    QString previewPath_;
    QRegion region_;
    bool shapeUpdatePending_ = false;
    bool draggingByHand_ = false;
    QPoint dragOffset_;
    // A conversion is running inside ImgBtnConvertClick; a close request
    // then waits for its end.
    bool busy_ = false;
    QShortcut* stopKey_;
    bool closeRequested_ = false;
    int wheelAngle_ = 0;
    std::int64_t progressReports_ = 0;
    bool progressSameSize_ = true;
    TRunPhase runPhase_ = TRunPhase::rpStarting;
    std::int64_t runPhotos_ = 0;
    std::int64_t runDone_ = 0;
    // Some entries carry a run's marks.
    bool entriesMarked_ = false;
};

} // namespace vorpane
