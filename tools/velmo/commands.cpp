#include "commands.h"

namespace velmo {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr int kMaxDigits = 3;  // enough for every argument, too few to overflow

bool isBlank(char c) {
    return c == ' ';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number of a command: blanks, then up to three digits, then the end of the line.
std::optional<int> parseArgument(QByteArrayView rest) {
    qsizetype i = 0;
    while (i < rest.size() && isBlank(rest[i])) ++i;
    if (i == 0 || i == rest.size()) return std::nullopt;
    const QByteArrayView digits = rest.sliced(i);
    if (digits.size() > kMaxDigits) return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<Command> parseCommand(QByteArrayView line) {
    qsizetype start = 0;
    while (start < line.size() && (line[start] == '\n' || isBlank(line[start]))) ++start;
    line = line.sliced(start);
    qsizetype wordEnd = 0;
    while (wordEnd < line.size() && !isBlank(line[wordEnd])) ++wordEnd;
    const QByteArrayView word = line.first(wordEnd);
    for (const CommandWord& known : commandWords()) {
        if (known.word != word) continue;
        const QByteArrayView rest = line.sliced(wordEnd);
        if (known.maxArgument < 0) {
            if (!rest.isEmpty()) return std::nullopt;
            return Command{known.kind};
        }
        const std::optional<int> n = parseArgument(rest);
        if (!n || *n > known.maxArgument) return std::nullopt;
        return Command{known.kind, *n};
    }
    return std::nullopt;
}

QList<QByteArray> LineAssembler::feed(QByteArrayView bytes) {
    QList<QByteArray> lines;
    for (char c : bytes) {
        if (c == kCarriageReturn) {
            if (!overlong_) lines.append(pending_);
            pending_.clear();
            overlong_ = false;
        } else if (pending_.size() >= kMaxLine) {
            overlong_ = true;
            pending_.clear();
        } else if (!overlong_) {
            pending_.append(c);
        }
    }
    return lines;
}

}  // namespace velmo
