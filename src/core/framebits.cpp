#include "core/framebits.h"

#include "core/codepage.h"

namespace frame {

QString BuildFrameBits(int code, const QString& dataBits, const QString& parityLetter,
                       const QString& stopBits) {
    int n = 8;
    if (dataBits == "7")
        n = 7;
    else if (dataBits == "6")
        n = 6;
    else if (dataBits == "5")
        n = 5;
    else if (dataBits == "4")
        n = 4;

    // Data bits, most significant weight first, each put in front: the text ends up least
    // significant bit first.
    int c = code;
    QString bits;
    for (int w = 1 << (n - 1); w >= 2; w /= 2) {
        if (c >= w) {
            bits.prepend('1');
            c -= w;
        } else {
            bits.prepend('0');
        }
    }
    bits.prepend(c == 1 ? '1' : '0');

    const bool oddOnes = bits.count('1') % 2 == 1;
    if (parityLetter == "E")
        bits.append(oddOnes ? '1' : '0');
    else if (parityLetter == "O")
        bits.append(oddOnes ? '0' : '1');
    else if (parityLetter == "S")
        bits.append('0');
    else if (parityLetter == "M")
        bits.append('1');

    if (stopBits == "1" || stopBits == "1.5")
        bits.append('1');
    else if (stopBits == "2")
        bits.append("11");

    bits.prepend('0');
    return bits;
}

int ParseHexDigit(const QString& hexDigit) {
    if (hexDigit.size() != 1) return -1;
    const QChar d = hexDigit[0];
    if (d >= '0' && d <= '9') return d.unicode() - '0';
    if (d >= 'A' && d <= 'F') return d.unicode() - 'A' + 10;
    if (d >= 'a' && d <= 'f') return d.unicode() - 'a' + 10;
    return -1;
}

bool isDisplayable(int code) {
    return (code >= 32 && code <= 126) || code == 145 || code == 146 ||
           (code >= 160 && code <= 255);
}

QString DisplayChar(int code) {
    if (!isDisplayable(code)) return QStringLiteral(" ");
    return QString(cp1252::toChar(code));
}

}  // namespace frame
