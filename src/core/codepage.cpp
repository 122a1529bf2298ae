#include "core/codepage.h"

namespace cp1252 {
namespace {

// Unicode code points of the bytes 0x80..0x9F; the rest of the page equals Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

}  // namespace

QChar toChar(int code) {
    code &= 0xFF;
    if (code >= 0x80 && code <= 0x9F) return QChar(kHighControls[code - 0x80]);
    return QChar(static_cast<char16_t>(code));
}

int toCode(QChar ch) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == u) return 0x80 + i;
    }
    return -1;
}

QString decode(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char b : bytes) text.append(toChar(static_cast<unsigned char>(b)));
    return text;
}

QByteArray encode(const QString& text, bool* ok) {
    QByteArray bytes;
    bytes.reserve(text.size());
    if (ok) *ok = true;
    for (QChar ch : text) {
        const int code = toCode(ch);
        if (code < 0) {
            if (ok) *ok = false;
            bytes.append('?');
        } else {
            bytes.append(static_cast<char>(code));
        }
    }
    return bytes;
}

bool canEncode(const QString& text) {
    for (QChar ch : text) {
        if (toCode(ch) < 0) return false;
    }
    return true;
}

}  // namespace cp1252
