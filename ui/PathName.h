// Where a full path's file name begins, for the conversion list's Name and
// Path columns and the file list's extension test.
#pragma once

#include <QString>

namespace vorpane {

// Where a path's name begins: after its last "/" (0 when it has none). A
// ":" is an ordinary character of a file name here.
qsizetype NameStart(const QString& Path);

} // namespace vorpane
