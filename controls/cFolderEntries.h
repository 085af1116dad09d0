// A folder's entries read by their bytes, and renaming one by its bytes. Qt's
// own listings (QDir, QFileSystemModel) leave out every name that isn't UTF-8,
// a Latin-1 name from an old camera or archive among them; here each name is
// spelt as DecodePathName spells it, so the folder tree, the file list and
// the folders added to the conversion list see every entry the same way.
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace vorpane {

// One entry of a folder as read.
struct TFolderEntry {
    QString Name;
    // A file's; a folder's may be 0, as nothing asks for them.
    qint64 Size = 0;
    qint64 Modified = 0; // milliseconds since the epoch
};

enum class TEntryKind {
    File,   // regular files and links to them
    Folder, // folders and links to them
};

// Calls Take with each entry of Folder of the kind asked for, in the order
// the file system gives them, until Take returns false. Hidden entries (a
// name starting with ".") stay out, and so do "." and "..", and entries
// whose kind can't be read. A folder that can't be read has no entries.
void ReadFolder(const QString& Folder, TEntryKind Kind,
                const std::function<bool(TFolderEntry&& Entry)>& Take);

// The path of Name in Folder, one "/" between them.
QString PathInFolder(const QString& Folder, const QString& Name);

// Renames the entry Name of Folder to NewName, by their bytes, never over
// another entry (rename(2) would replace it). NewName must be one name: not
// empty, not "." or "..", without "/" and without NUL, which would end the
// bytes.
bool RenameEntry(const QString& Folder, const QString& Name, const QString& NewName);

} // namespace vorpane
