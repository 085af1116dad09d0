#include "PathName.h"

#include <QUrl>

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace vorpane {

namespace {

bool Stat(const QString& Path, struct stat& Info) {
    return !Path.isEmpty() && ::stat(EncodePathName(Path).constData(), &Info) == 0;
}

} // namespace

qsizetype NameStart(const QString& Path) {
    return Path.lastIndexOf(QLatin1Char('/')) + 1;
}

QString PathArgument(const QByteArray& Argument) {
    if (Argument.startsWith("file://")) {
        const QUrl url = QUrl::fromEncoded(Argument);
        if (url.isValid() && url.isLocalFile()) {
            // The address's escapes are the name's bytes.
            return DecodePathName(
                QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
        }
    }
    return DecodePathName(Argument);
}

QString WorkingFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? QString() : DecodePathName(QByteArray::fromStdString(folder.native()));
}

QString ShownFolder(const QString& Folder) {
    qsizetype escape = 0;
    while (escape < Folder.size() && !IsEscapedByte(Folder, escape)) {
        ++escape;
    }
    if (escape == Folder.size()) {
        return Folder;
    }
    // The folder above the first name with an escaped byte; "/" above the
    // root's own.
    const qsizetype slash = Folder.lastIndexOf(QLatin1Char('/'), escape);
    return slash > 0 ? Folder.left(slash) : QStringLiteral("/");
}

bool IsRegularFile(const QString& Path) {
    struct stat info {};
    return Stat(Path, info) && S_ISREG(info.st_mode);
}

bool IsFolder(const QString& Path) {
    struct stat info {};
    return Stat(Path, info) && S_ISDIR(info.st_mode);
}

} // namespace vorpane
