// TForm1: the folder browser (tree and file list) and the preview.
#include "Unit1.h"

#include "Errors.h"
#include "JpegPicture.h"
#include "PageOptionsDialog.h"
#include "PathName.h"
#include "PrintableText.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace vorpane {

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
    if (!CanAdd && PageOptions.OtherKinds) {
        for (const char* other : {".heic", ".heif", ".avif", ".png", ".webp"}) {
            CanAdd = CanAdd || extension == QLatin1String(other);
        }
    }
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

// Return or Enter adds the selected files, as a double click does; with Ctrl
// held the key is the window's (it converts).
void TForm1::ShellListView1KeyDown(QObject* Sender, int& Key, TShiftState Shift) {
    if ((Key == Qt::Key_Return || Key == Qt::Key_Enter) && (Shift & (ssCtrl | ssAlt)) == 0) {
        ImgBtnAddClick(Sender);
        Key = 0;
    }
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
    // The latest click wins: what an earlier one still decodes is dropped,
    // also when this one shows nothing.
    PreviewWork->Cancel();
    // QFileInfo::isFile is false for folders, pipes and devices too: only
    // a regular file is opened.
    if (!IsRegularFile(Path)) {
        return;
    }
    struct TPreview {
        QImage Picture;
        QString Error; // the file's name and why it can't be shown
    };
    const QSize box = Image7->size();
    const bool upright = AutoOrientMode;
    const double ratio = Image7->devicePixelRatioF();
    PreviewWork->Run<TPreview>(
        [Path, box, upright, ratio] {
            TPreview preview;
            try {
                preview.Picture = PreviewPicture(Path, box, upright, ratio);
            } catch (const std::exception& error) {
                // A newline or a control character in the name is spelt out
                // in the box, not obeyed.
                preview.Error = QString::fromStdString(
                    PrintableText(EncodePathName(Path).toStdString() + ": " + ErrorMessage(error)));
            }
            return preview;
        },
        [this, Path](TPreview& Preview) {
            if (!Preview.Error.isEmpty()) {
                // The photograph shown before is not this file's: the box
                // goes back to saying there is nothing to see.
                previewPath_.clear();
                Image7->SetPicture(previewPlaceholder_);
                throw std::runtime_error(Preview.Error.toStdString());
            }
            if (!Preview.Picture.isNull()) {
                previewPath_ = Path;
                QPixmap picture = QPixmap::fromImage(Preview.Picture);
                picture.setDevicePixelRatio(Preview.Picture.devicePixelRatio());
                Image7->SetPicture(picture);
            }
        });
}

} // namespace vorpane
