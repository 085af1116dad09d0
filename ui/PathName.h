// Where a full path's file name begins, for the conversion list's Name and
// Path columns and the file list's extension test; and paths spelt in any
// bytes a file system holds.
#pragma once

#include <QByteArray>
#include <QString>

namespace vorpane {

// Where a path's name begins: after its last "/" (0 when it has none). A
// ":" is an ordinary character of a file name here.
qsizetype NameStart(const QString& Path);

// A path's bytes as text and back, losing nothing. Qt's own file names
// (QFile::decodeName and encodeName) are UTF-8 and turn a byte that is no
// part of UTF-8 (a Latin-1 name from an old camera or archive) into U+FFFD,
// which names no file; and its folder listings leave such names out. Here
// each such byte becomes a lone low surrogate, U+DC80 to U+DCFF, which no
// UTF-8 text decodes to, and goes back to its byte (the escape Python's
// file names use); the rest is UTF-8 both ways.
QString DecodePathName(const QByteArray& Bytes);
QByteArray EncodePathName(const QString& Path);

// A command-line argument as a path: a file:// address (as a desktop may
// pass one) becomes its local path; anything else is taken as it is.
QString PathArgument(const QByteArray& Argument);

// The program's working folder, however its name is spelt.
QString WorkingFolder();

// The nearest folder at or above Folder whose path is all UTF-8: Qt's file
// dialog can neither list nor name a folder with other bytes in its path.
QString ShownFolder(const QString& Folder);

// Whether Path names a regular file or a folder, following links, however
// its name is spelt.
bool IsRegularFile(const QString& Path);
bool IsFolder(const QString& Path);

} // namespace vorpane
