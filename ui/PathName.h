// Where a full path's file name begins, for the conversion list's Name and
// Path columns and the file list's extension test; and paths spelt in any
// bytes a file system holds (the codec itself is cPathBytes.h's, shared
// with the file list).
#pragma once

#include "cPathBytes.h"

#include <QByteArray>
#include <QString>

namespace vorpane {

// Where a path's name begins: after its last "/" (0 when it has none). A
// ":" is an ordinary character of a file name here.
qsizetype NameStart(const QString& Path);

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
