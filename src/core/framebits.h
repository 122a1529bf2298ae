#pragma once
// The frame of a character on the line, and the small code helpers every window uses.

#include <QString>

namespace frame {

// The frame of `code` in line order, as "0" and "1" characters: start bit, data bits least
// significant first, parity bit, stop bits. `dataBits` "4".."8" (anything else counts as 8),
// `parityLetter` "N", "E", "O", "S", "M" (anything else adds no parity bit), `stopBits` "1",
// "1.5" (one character: the half bit is drawn by the timing diagram) or "2" (anything else adds
// no stop bit). The code is expected not to exceed the largest code of the width.
QString BuildFrameBits(int code, const QString& dataBits, const QString& parityLetter,
                       const QString& stopBits);

// The value of one hexadecimal digit "0".."9", "A".."F", "a".."f"; -1 for anything else,
// including the empty text and texts of two or more characters.
int ParseHexDigit(const QString& hexDigit);

// Codes 32 to 126, 145, 146 and 160 to 255 are shown as characters.
bool isDisplayable(int code);

// The character shown for a code: a single space when it is not displayable, else its
// Windows-1252 character.
QString DisplayChar(int code);

}  // namespace frame
