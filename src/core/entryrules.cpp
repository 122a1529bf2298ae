#include "core/entryrules.h"

#include "core/codepage.h"
#include "core/framebits.h"

namespace entry {

namespace {

constexpr int kMaxDecimalDigits = 3;

bool allDigits(const QString& text) {
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    }
    return true;
}

std::optional<int> within(int code, int maxCode) {
    if (code < 0 || code > maxCode) return std::nullopt;
    return code;
}

}  // namespace

std::optional<int> keyboardCharacter(const QString& text, int maxCode) {
    if (text.size() != 1) return std::nullopt;
    return within(cp1252::toCode(text.at(0)), maxCode);
}

std::optional<int> decimalCode(const QString& text, int maxCode) {
    if (text.isEmpty() || text.size() > kMaxDecimalDigits || !allDigits(text)) return std::nullopt;
    if (text.size() > 1 && text.startsWith(QLatin1Char('0'))) return std::nullopt;
    return within(text.toInt(), maxCode);
}

std::optional<int> hexadecimalCode(const QString& text, int maxCode) {
    if (text.isEmpty() || text.size() > 2) return std::nullopt;
    int code = 0;
    for (QChar c : text) {
        const int digit = frame::ParseHexDigit(QString(c));
        if (digit < 0) return std::nullopt;
        code = code * 16 + digit;
    }
    return within(code, maxCode);
}

StringEntry judgeString(const QString& text, int maxCode) {
    if (text.isEmpty() || text.size() > kMaxStringLength) return StringEntry::AskAgain;
    for (QChar c : text) {
        const int code = cp1252::toCode(c);
        if (code < 0) return StringEntry::OutsideCodePage;
        if (!within(code, maxCode)) return StringEntry::TooWide;
    }
    return StringEntry::Accept;
}

std::optional<QChar> firstOutsideCodePage(const QString& text) {
    for (QChar c : text) {
        if (cp1252::toCode(c) < 0) return c;
    }
    return std::nullopt;
}

std::optional<int> keyCode(const QString& keyText) {
    if (keyText.size() != 1) return std::nullopt;
    return within(cp1252::toCode(keyText.at(0)), 255);
}

QString twoHexDigits(int code) {
    return QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace entry
