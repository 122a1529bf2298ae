#pragma once
// What the terminal accepts from the user: a character, a decimal or hexadecimal code, a string,
// and the codes typed during the simultaneous exchange. A refused entry gives nothing: the caller
// asks again, or drops the key. Every check is made on the text before any conversion, so that no
// entry can wrap around into another code, and a character the line's code page lacks counts as
// too large for any configuration.

#include <QString>
#include <optional>

namespace entry {

// Exactly one character whose code is from 0 to `maxCode`.
std::optional<int> keyboardCharacter(const QString& text, int maxCode);

// One to three digits, without a leading zero unless the text is "0", at most `maxCode`.
std::optional<int> decimalCode(const QString& text, int maxCode);

// One or two hexadecimal digits (either case), at most `maxCode`.
std::optional<int> hexadecimalCode(const QString& text, int maxCode);

// The string of a string emission.
enum class StringEntry {
    Accept,           // 1 to kMaxStringLength characters, all within the configuration
    AskAgain,         // empty or too long
    TooWide,          // a character above the largest code
    OutsideCodePage,  // a character the code page has no byte for (the line cannot carry it)
};
inline constexpr int kMaxStringLength = 40;
// The first character that is refused decides.
StringEntry judgeString(const QString& text, int maxCode);
// The first character of the text that the code page cannot represent, if any.
std::optional<QChar> firstOutsideCodePage(const QString& text);

// The code of a key of the exchange: the key's one character within the code page, or nothing
// (keys without text, characters the line cannot carry).
std::optional<int> keyCode(const QString& keyText);

// The decimal digits collected in the exchange, judged at Enter: the same rule as decimalCode.
inline std::optional<int> collectedDecimal(const QString& digits, int maxCode) {
    return decimalCode(digits, maxCode);
}

// A code as the exchange shows it in hexadecimal: always two digits, upper case.
QString twoHexDigits(int code);

}  // namespace entry
