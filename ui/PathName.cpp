#include "PathName.h"

#include <QUrl>

#include <sys/stat.h>

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

bool IsRegularFile(const QString& Path) {
    struct stat info {};
    return Stat(Path, info) && S_ISREG(info.st_mode);
}

bool IsFolder(const QString& Path) {
    struct stat info {};
    return Stat(Path, info) && S_ISDIR(info.st_mode);
}

} // namespace vorpane
