// TForm1: the folder browser (tree and file list) and the preview.
#include "Unit1.h"

#include "JpegDecoder.h"
#include "PathName.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace vorpane {

namespace {

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

} // namespace

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

} // namespace vorpane
