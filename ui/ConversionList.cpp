// TForm1: the conversion list: adding, removing, moving and sorting its
// entries, and the paths a conversion works on.
#include "Unit1.h"

#include "PathName.h"
#include "PrintableText.h"
#include "cFolderEntries.h"
#include "cShellListFilter.h"
#include "run/PhotoOrder.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QStyle>

#include <algorithm>
#include <fstream>
#include <unordered_map>

namespace vorpane {

namespace {

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

// A file named on the command line or dropped is taken for its type, found
// by its name and content, as a file manager does: a photograph named
// "scan.jpe" or with no extension at all counts. A person named it, so the
// other kinds a phone makes count too, whatever the file list shows. The
// name may be in any bytes, so the file is read by them.
bool IsJpegFile(const QString& Path) {
    static const QMimeDatabase types;
    if (!IsRegularFile(Path)) {
        return false;
    }
    std::ifstream file(EncodePathName(Path).toStdString(), std::ios::binary);
    // Enough for every content rule of the picture types.
    QByteArray head(4096, '\0');
    file.read(head.data(), head.size());
    head.resize(file.gcount());
    const QMimeType type = types.mimeTypeForFileNameAndData(Path.mid(NameStart(Path)), head);
    for (const char* kind :
         {"image/jpeg", "image/png", "image/webp", "image/heif", "image/heic", "image/avif"}) {
        if (type.inherits(QLatin1String(kind))) {
            return true;
        }
    }
    return false;
}

// Longer lists of what was left out end in a count.
constexpr int kNamesShown = 10;

} // namespace

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
        paths.push_back(EncodePathName(EntryPath(ListView1->topLevelItem(row))).toStdString());
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
    } catch (...) { // the list stays as it was, as the design has it
    }
}

void TForm1::ImgBtnPathClick(QObject*) {
    SortColumn = 1;
    try {
        SortEntries();
    } catch (...) { // the list stays as it was, as the design has it
    }
}

void TForm1::SortEntriesByDateTaken() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        std::vector<std::string> order = EntryPaths();
        SortPhotos(order, TPhotoOrder::poTaken);
        // Entries of one path share a place; the stable sort keeps their order.
        std::unordered_map<std::string, std::size_t> place;
        for (std::size_t i = 0; i < order.size(); ++i) {
            place.emplace(order[i], i);
        }
        ListView1->CustomSort([&place](QTreeWidgetItem* Item1, QTreeWidgetItem* Item2) {
            const std::size_t a = place.at(EncodePathName(EntryPath(Item1)).toStdString());
            const std::size_t b = place.at(EncodePathName(EntryPath(Item2)).toStdString());
            return a < b ? -1 : (a > b ? 1 : 0);
        });
    } catch (...) { // as the other sorts: the list stays as it was
    }
    QGuiApplication::restoreOverrideCursor();
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

void TForm1::AppendFiles(const QStringList& Paths) {
    QStringList leftOut;
    for (const QString& path : Paths) {
        // Only text: a name in other bytes than UTF-8 is no name to Qt.
        const QString absolute = QDir::current().absoluteFilePath(path);
        if (IsFolder(path)) {
            AppendFolder(absolute);
        } else if (IsJpegFile(path)) {
            AppendEntry(absolute, true);
        } else {
            leftOut << path;
        }
    }
    if (leftOut.isEmpty()) {
        return;
    }
    QString names = leftOut.mid(0, kNamesShown).join(QLatin1Char('\n'));
    if (leftOut.size() > kNamesShown) {
        names += tr("\nand %1 more").arg(leftOut.size() - kNamesShown);
    }
    ShowMessage(QMessageBox::Information, tr("Information"),
                tr("\nOnly JPEG, HEIC, AVIF, PNG and WebP files can be added. These were left "
                   "out:\n") +
                    names);
}

void TForm1::AppendFolder(const QString& Folder) {
    for (const QString& file : FolderJpegFiles(Folder)) {
        AppendEntry(file, true);
    }
}

QStringList TForm1::FolderJpegFiles(const QString& Folder) {
    // The files the file list would read there, hidden ones left out.
    QStringList files;
    ReadFolder(Folder, TEntryKind::File, [&](TFolderEntry&& Entry) {
        const QString path = PathInFolder(Folder, Entry.Name);
        bool canAdd = true;
        ShellListView1AddFolder(ListView1, QFileInfo(path), canAdd);
        if (canAdd) {
            files << path;
        }
        return true;
    });
    const QCollator collator = NaturalCollator();
    std::sort(files.begin(), files.end(), [&](const QString& Left, const QString& Right) {
        return NameLess(collator, Left.mid(NameStart(Left)), Right.mid(NameStart(Right)));
    });
    return files;
}

void TForm1::ListView1DropFiles(QObject*, const QStringList& Files) {
    AppendFiles(Files);
}

void TForm1::ListView1Changed() {
    const int count = EntryCount();
    Label2->setText(count == 1 ? tr("1 photo") : tr("%1 photos").arg(count));
    ClearEntryMarks();
}

void TForm1::ClearEntryMarks() {
    if (!entriesMarked_) {
        return;
    }
    entriesMarked_ = false;
    for (int row = 0; row < EntryCount(); ++row) {
        QTreeWidgetItem* entry = ListView1->topLevelItem(row);
        for (int column = 0; column < ListView1->columnCount(); ++column) {
            entry->setData(column, Qt::BackgroundRole, QVariant());
            entry->setData(column, Qt::ToolTipRole, QVariant());
            entry->setData(column, Qt::AccessibleDescriptionRole, QVariant());
        }
        // The file's own icon again in place of the mark's.
        ListView1->SetImageIndex(entry, TListView::ImageIndex(entry));
    }
}

void TForm1::MarkReportedEntries(const std::vector<TSkippedFile>& Skipped,
                                 const std::vector<TSkippedFile>& Incomplete) {
    // Only this run's files. Left out: the skin's danger tint and an error
    // icon; incomplete: amber and a warning icon. The design draws every
    // entry's text red, so the tint alone could pass for an ordinary entry
    // and says nothing to whoever can't tell the colours apart: the icon
    // and the reason (the tip, and what a screen reader reads) say it. A
    // file listed twice is marked twice.
    ClearEntryMarks();
    const struct {
        const std::vector<TSkippedFile>& Files;
        QColor Colour;
        QStyle::StandardPixmap Icon;
        const char* Why;
    } kinds[] = {{Skipped, QColor(0xFD, 0xDC, 0xDC), QStyle::SP_MessageBoxCritical,
                  QT_TR_NOOP("Left out: ")},
                 {Incomplete, QColor(0xFF, 0xEE, 0xC2), QStyle::SP_MessageBoxWarning,
                  QT_TR_NOOP("Data incomplete: ")}};
    const std::vector<std::string> paths = EntryPaths();
    for (const auto& kind : kinds) {
        for (const TSkippedFile& file : kind.Files) {
            for (std::size_t row = 0; row < paths.size(); ++row) {
                if (paths[row] != file.File) {
                    continue;
                }
                QTreeWidgetItem* entry = ListView1->topLevelItem(static_cast<int>(row));
                const QString why =
                    tr(kind.Why) + QString::fromStdString(PrintableText(file.Reason));
                for (int column = 0; column < ListView1->columnCount(); ++column) {
                    entry->setData(column, Qt::BackgroundRole, kind.Colour);
                    entry->setData(column, Qt::ToolTipRole, why);
                    entry->setData(column, Qt::AccessibleDescriptionRole, why);
                }
                entry->setIcon(0, ListView1->style()->standardIcon(kind.Icon));
                entriesMarked_ = true;
            }
        }
    }
}

void TForm1::ListView1KeyDown(QObject*, int& Key, TShiftState Shift) {
    const bool ctrl = (Shift & ssCtrl) != 0;
    if (Key == Qt::Key_Delete && Shift == 0) {
        ImgBtnDelClick(ImgBtnDel);
    } else if (Key == Qt::Key_Up && ctrl) {
        ImgBtnUpClick(ImgBtnUp);
    } else if (Key == Qt::Key_Down && ctrl) {
        ImgBtnDownClick(ImgBtnDown);
    } else {
        return;
    }
    Key = 0;
}

} // namespace vorpane
