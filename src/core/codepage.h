#pragma once
// The program's characters are single bytes of the Windows-1252 code page: what travels on the
// serial line, what config.232 holds and what the code tables show. Every conversion between
// those bytes and displayed text goes through these functions.
//
// The mapping is a bijection over the 256 byte values: the five byte values that Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters of the same
// number, as the platform's own conversion does, so that any byte survives a round trip.

#include <QByteArray>
#include <QChar>
#include <QString>

namespace cp1252 {

// The character of a code 0..255.
QChar toChar(int code);

// The code of a character, or -1 when the code page has no byte for it.
int toCode(QChar ch);

// Bytes to text, one character per byte.
QString decode(const QByteArray& bytes);

// Text to bytes, one byte per character. A character the code page cannot represent becomes
// '?' and, when `ok` is given, sets it to false.
QByteArray encode(const QString& text, bool* ok = nullptr);

// True when every character of the text has a byte in the code page.
bool canEncode(const QString& text);

}  // namespace cp1252
