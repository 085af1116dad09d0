// Helpers shared by the window tests: a scratch folder of files and pictures,
// and a main window whose error box is caught instead of shown.
#pragma once

#include "Unit1.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace vorpane::test {

// A folder that removes itself, with helpers to fill it.
class TScratchFolder {
public:
    TScratchFolder();
    QString Path() const { return dir_.path(); }
    QString File(const QString& Name) const { return dir_.filePath(Name); }
    // A JPEG picture of Width x Height pixels, one colour.
    QString Jpeg(const QString& Name, int Width, int Height, QRgb Colour = 0xFF3070C0) const;
    // A JPEG of Stored with an Exif segment holding only Orientation.
    QString TurnedJpeg(const QString& Name, const QImage& Stored, int Orientation) const;
    QString Text(const QString& Name, const QByteArray& Bytes = "not a picture\n") const;
    QString Folder(const QString& Name) const;

private:
    QTemporaryDir dir_;
};

// The file list's items, names only, in display order.
QStringList FileListNames(const TShellListView& List);

// Waits, seconds at most, for the preview asked for last to be shown (or
// dropped, or its error raised); false when it never came.
bool WaitForPreview(const TForm1& Form);

// The conversion list's captions from the top.
QStringList EntryNames(const TForm1& Form);

// What the application's error box was asked to show, while an instance
// lives; nothing is shown on screen.
class TErrorBoxCatcher {
public:
    TErrorBoxCatcher();
    ~TErrorBoxCatcher();
    QStringList Texts;
    QStringList Captions;

private:
    std::function<void(const QString&, const QString&)> saved_;
};

} // namespace vorpane::test

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& Text, std::ostream* Out) {
    *Out << '"' << Text.toStdString() << '"';
}
