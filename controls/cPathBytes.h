// Paths spelt in any bytes a file system holds, as text and back, losing
// nothing: the file list reads folders by their bytes, and the window hands
// the same text to everything it opens.
#pragma once

#include <QByteArray>
#include <QString>

namespace vorpane {

// A path's bytes as text and back, losing nothing. Qt's own file names
// (QFile::decodeName and encodeName) are UTF-8 and turn a byte that is no
// part of UTF-8 (a Latin-1 name from an old camera or archive) into U+FFFD,
// which names no file; and its folder listings leave such names out. Here
// each such byte becomes a lone low surrogate, U+DC80 to U+DCFF, which no
// UTF-8 text decodes to, and goes back to its byte (the escape Python's
// file names use); the rest is UTF-8 both ways.
QString DecodePathName(const QByteArray& Bytes);
QByteArray EncodePathName(const QString& Path);

// Whether the character at At of Path stands for a byte that isn't UTF-8:
// a low surrogate of the escapes' range with no high one before it (with
// one, it is half of a character past U+FFFF, an emoji say).
bool IsEscapedByte(const QString& Path, qsizetype At);

} // namespace vorpane
