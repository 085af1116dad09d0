#include "cPathBytes.h"

namespace vorpane {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

} // namespace

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
        const bool escaped = i < Path.size() && IsEscapedByte(Path, i);
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

bool IsEscapedByte(const QString& Path, qsizetype At) {
    const char16_t unit = Path[At].unicode();
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF &&
           !(At > 0 && Path[At - 1].isHighSurrogate());
}

} // namespace vorpane
