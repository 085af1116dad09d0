#include "cFolderEntries.h"

#include "cPathBytes.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace vorpane {

void ReadFolder(const QString& Folder, TEntryKind Kind,
                const std::function<bool(TFolderEntry&& Entry)>& Take) {
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(EncodePathName(Folder).constData()),
                                                     &::closedir);
    if (folder == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(folder.get())) {
        // Hidden entries stay out, and so do "." and "..".
        if (entry->d_name[0] == '.') {
            continue;
        }
        TFolderEntry found;
        // A folder the file system says is one needs no stat: nothing waits
        // on a mount point whose server has gone (a network share in "/mnt").
        if (Kind == TEntryKind::File || entry->d_type != DT_DIR) {
            // Followed, so that a link lists as what it links to.
            struct stat info {};
            if (::fstatat(::dirfd(folder.get()), entry->d_name, &info, 0) != 0 ||
                !(Kind == TEntryKind::File ? S_ISREG(info.st_mode) : S_ISDIR(info.st_mode))) {
                continue;
            }
            found.Size = info.st_size;
            found.Modified = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        }
        found.Name = DecodePathName(QByteArray(entry->d_name));
        if (!Take(std::move(found))) {
            return;
        }
    }
}

QString PathInFolder(const QString& Folder, const QString& Name) {
    return Folder.endsWith(QLatin1Char('/')) ? Folder + Name : Folder + QLatin1Char('/') + Name;
}

bool RenameEntry(const QString& Folder, const QString& Name, const QString& NewName) {
    if (NewName.isEmpty() || NewName == QLatin1String(".") || NewName == QLatin1String("..") ||
        NewName.contains(QLatin1Char('/')) || NewName.contains(QChar(0))) {
        return false;
    }
    const QByteArray from = EncodePathName(PathInFolder(Folder, Name));
    const QByteArray to = EncodePathName(PathInFolder(Folder, NewName));
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system that can't promise it: the name is tested first.
    struct stat info {};
    return ::lstat(to.constData(), &info) != 0 && errno == ENOENT &&
           ::rename(from.constData(), to.constData()) == 0;
}

} // namespace vorpane
