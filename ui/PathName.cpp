#include "PathName.h"

#include <QUrl>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vorpane {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscape(QChar Character) {
    return Character.unicode() >= kEscapeBase + 0x80 && Character.unicode() <= kEscapeBase + 0xFF;
}

bool Stat(const QString& Path, struct stat& Info) {
    return !Path.isEmpty() && ::stat(EncodePathName(Path).constData(), &Info) == 0;
}

} // namespace

qsizetype NameStart(const QString& Path) {
    return Path.lastIndexOf(QLatin1Char('/')) + 1;
}

QString DecodePathName(const QByteArray& Bytes) {
    QString text;
    text.reserve(Bytes.size());
    qsizetype i = 0;
    while (i < Bytes.size()) {
        // The longest run that is whole UTF-8 goes through Qt's decoder.
        qsizetype end = i;
        while (end < Bytes.size()) {
            const auto lead = static_cast<unsigned char>(Bytes[end]);
            const int length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
            if (length == 0 || end + length > Bytes.size()) {
                break;
            }
            const QByteArray sequence = Bytes.mid(end, length);
            const QString decoded = QString::fromUtf8(sequence);
            // Overlong forms, surrogates and values past U+10FFFF come back
            // as U+FFFD, or as other bytes.
            if (decoded.toUtf8() != sequence) {
                break;
            }
            end += length;
        }
        text += QString::fromUtf8(Bytes.mid(i, end - i));
        if (end < Bytes.size()) {
            text += QChar(kEscapeBase + static_cast<unsigned char>(Bytes[end]));
            ++end;
        }
        i = end;
    }
    return text;
}

QByteArray EncodePathName(const QString& Path) {
    QByteArray bytes;
    bytes.reserve(Path.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i <= Path.size(); ++i) {
        const bool escaped = i < Path.size() && IsEscape(Path[i]);
        if (i == Path.size() || escaped) {
            bytes += Path.mid(start, i - start).toUtf8();
            if (escaped) {
                bytes += static_cast<char>(Path[i].unicode() - kEscapeBase);
            }
            start = i + 1;
        }
    }
    return bytes;
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
    const auto escape = std::find_if(Folder.begin(), Folder.end(), IsEscape);
    if (escape == Folder.end()) {
        return Folder;
    }
    // The folder above the first name with an escaped byte; "/" above the
    // root's own.
    const qsizetype slash = Folder.lastIndexOf(QLatin1Char('/'), escape - Folder.begin());
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
