#include "UiTestSupport.h"

#include "Application.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <QTreeWidget>

#include <stdexcept>

namespace vorpane::test {

TScratchFolder::TScratchFolder() {
    if (!dir_.isValid()) {
        throw std::runtime_error("no scratch folder");
    }
}

QString TScratchFolder::Jpeg(const QString& Name, int Width, int Height, QRgb Colour) const {
    QImage picture(Width, Height, QImage::Format_RGB32);
    picture.fill(Colour);
    const QString path = File(Name);
    if (!picture.save(path, "JPG", 90)) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    return path;
}

QString TScratchFolder::TurnedJpeg(const QString& Name, const QImage& Stored,
                                   int Orientation) const {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!Stored.save(&buffer, "JPG", 90)) {
        throw std::runtime_error("cannot encode " + Name.toStdString());
    }
    // Little-endian TIFF data: one IFD with the one tag 0x0112, SHORT 1.
    QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24);
    exif += static_cast<char>(Orientation);
    exif += QByteArray(7, '\0'); // the value's padding, then no next IFD
    QByteArray app1("\xFF\xE1", 2);
    app1 += static_cast<char>((exif.size() + 2) >> 8);
    app1 += static_cast<char>((exif.size() + 2) & 0xFF);
    jpeg.insert(2, app1 + exif);
    return Text(Name, jpeg);
}

QString TScratchFolder::Text(const QString& Name, const QByteArray& Bytes) const {
    const QString path = File(Name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(Bytes) != Bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    return path;
}

QString TScratchFolder::Folder(const QString& Name) const {
    QDir(Path()).mkpath(Name);
    return File(Name);
}

QStringList FileListNames(const TShellListView& List) {
    QStringList names;
    for (int i = 0; i < List.ItemCount(); ++i) {
        names << QFileInfo(List.ItemPath(i)).fileName();
    }
    return names;
}

bool WaitForPreview(const TForm1& Form) {
    return QTest::qWaitFor([&] { return Form.PreviewWork->Idle(); }, 10000);
}

QStringList EntryNames(const TForm1& Form) {
    QStringList names;
    for (int row = 0; row < Form.ListView1->topLevelItemCount(); ++row) {
        names << Form.ListView1->topLevelItem(row)->text(0);
    }
    return names;
}

TErrorBoxCatcher::TErrorBoxCatcher() {
    auto* application = static_cast<TApplication*>(QApplication::instance());
    saved_ = application->ErrorBox;
    application->ErrorBox = [this](const QString& Caption, const QString& Text) {
        Captions << Caption;
        Texts << Text;
    };
}

TErrorBoxCatcher::~TErrorBoxCatcher() {
    static_cast<TApplication*>(QApplication::instance())->ErrorBox = saved_;
}

} // namespace vorpane::test
