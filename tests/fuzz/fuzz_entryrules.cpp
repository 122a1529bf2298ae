// The value dialogs' entries, typed or pasted: an entry accepted is within its rule and is the
// text of the value it gives; a string is accepted exactly when each of its characters would be
// accepted on its own, and refused for the first character that is not.

#include "check.h"
#include "core/codepage.h"
#include "core/entryrules.h"

#include <cstring>

namespace {

// The largest codes of 4 to 8 data bits.
constexpr int kMaxCodes[] = {15, 31, 63, 127, 255};

// The text from the input's bytes, read three ways so that the rules also see characters beyond
// the code page and lone halves of surrogate pairs.
QString textOf(const QByteArray& bytes, int how) {
    switch (how) {
        case 0:
            return QString::fromUtf8(bytes);
        case 1:
            return cp1252::decode(bytes);
        default: {
            QString text(bytes.size() / 2, Qt::Uninitialized);
            std::memcpy(text.data(), bytes.constData(), size_t(text.size()) * sizeof(QChar));
            return text;
        }
    }
}

void checkCodes(const QString& text, int maxCode) {
    if (const auto c = entry::keyboardCharacter(text, maxCode)) {
        FUZZ_CHECK(text.size() == 1 && *c >= 0 && *c <= maxCode);
        FUZZ_CHECK(cp1252::toChar(*c) == text[0]);
    }
    if (const auto c = entry::decimalCode(text, maxCode)) {
        FUZZ_CHECK(*c >= 0 && *c <= maxCode);
        FUZZ_CHECK(QString::number(*c) == text);
    }
    if (const auto c = entry::hexadecimalCode(text, maxCode)) {
        FUZZ_CHECK(*c >= 0 && *c <= maxCode);
        const QString two = entry::twoHexDigits(*c);
        FUZZ_CHECK(two == text.toUpper() || two == '0' + text.toUpper());
    }
    if (const auto c = entry::keyCode(text)) {
        FUZZ_CHECK(text.size() == 1 && cp1252::toChar(*c) == text[0]);
    }
}

void checkString(const QString& text, int maxCode) {
    const entry::StringEntry verdict = entry::judgeString(text, maxCode);
    if (text.isEmpty() || text.size() > entry::kMaxStringLength) {
        FUZZ_CHECK(verdict == entry::StringEntry::AskAgain);
        return;
    }
    auto expected = entry::StringEntry::Accept;
    for (QChar c : text) {
        if (!entry::keyCode(QString(c))) {
            expected = entry::StringEntry::OutsideCodePage;
            break;
        }
        if (!entry::keyboardCharacter(QString(c), maxCode)) {
            expected = entry::StringEntry::TooWide;
            break;
        }
    }
    FUZZ_CHECK(verdict == expected);
    FUZZ_CHECK(entry::firstOutsideCodePage(text).has_value() == !cp1252::canEncode(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int maxCode = kMaxCodes[data[0] % 5];
    const QString text = textOf(fuzz::bytes(data + 1, size - 1), (data[0] / 5) % 3);
    checkCodes(text, maxCode);
    checkString(text, maxCode);
    // Every code of the configuration is reachable by each of its entries.
    const int code = text.isEmpty() ? 0 : text[0].unicode() % (maxCode + 1);
    FUZZ_CHECK(entry::decimalCode(QString::number(code), maxCode) == code);
    FUZZ_CHECK(entry::hexadecimalCode(entry::twoHexDigits(code), maxCode) == code);
    FUZZ_CHECK(entry::keyboardCharacter(QString(cp1252::toChar(code)), maxCode) == code);
    return 0;
}
