#include "PathName.h"

#include <gtest/gtest.h>

namespace vorpane {
namespace {

// The text a byte that is no part of UTF-8 becomes.
QChar Escape(int Byte) {
    return QChar(0xDC00 + Byte);
}

// Whole UTF-8 reads as its characters, so a name shows as the person wrote
// it; every other byte becomes its own escape. Each way back gives the bytes.
TEST(PathBytes, UtfEightStaysTextAndEveryOtherByteIsEscaped) {
    struct TCase {
        QByteArray bytes;
        QString text;
    };
    const TCase cases[] = {
        {"photo.jpg", QStringLiteral("photo.jpg")},
        {"caf\xC3\xA9", QStringLiteral("caf\u00E9")},       // two bytes
        {"\xE2\x82\xAC 5", QStringLiteral("\u20AC 5")},     // three bytes
        {"\xF0\x9F\x93\xB7", QStringLiteral("\U0001F4F7")}, // four bytes
        {"caf\xE9", QStringLiteral("caf") + Escape(0xE9)},  // Latin-1
        {"\xC3", QString(Escape(0xC3))},                    // cut short at the end
        {"\xE2\x82x",
         QString(Escape(0xE2)) + Escape(0x82) + QStringLiteral("x")}, // cut short before more
        {"\xC0\xAF", QString(Escape(0xC0)) + Escape(0xAF)},           // overlong "/"
        {"\xED\xA0\x80",
         QString(Escape(0xED)) + Escape(0xA0) + Escape(0x80)}, // a surrogate's bytes
        {"\xF4\x90\x80\x80",
         QString(Escape(0xF4)) + Escape(0x90) + Escape(0x80) + Escape(0x80)}, // past U+10FFFF
        {"\xFF\xC3\xA9", QString(Escape(0xFF)) + QStringLiteral("\u00E9")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(DecodePathName(c.bytes), c.text);
        EXPECT_EQ(EncodePathName(c.text), c.bytes);
    }
}

// The save dialog can't show a folder with such a byte in its path: it
// starts in the nearest one above that it can.
TEST(PathBytes, TheFolderShownIsTheNearestWithoutAnEscapedByte) {
    const QString camera = QStringLiteral("\U0001F4F7");
    struct TCase {
        QString folder;
        QString shown;
    };
    const TCase cases[] = {
        {QStringLiteral("/home/anna"), QStringLiteral("/home/anna")},
        {QStringLiteral("/home/") + camera, QStringLiteral("/home/") + camera},
        {QStringLiteral("/home/caf") + Escape(0xE9) + QStringLiteral("/2024"),
         QStringLiteral("/home")},
        {QStringLiteral("/caf") + Escape(0xE9), QStringLiteral("/")},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ShownFolder(c.folder), c.shown) << c.folder.toStdString();
    }
}

} // namespace
} // namespace vorpane
