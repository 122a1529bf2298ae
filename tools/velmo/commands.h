#pragma once
// Commands as they arrive on the line: ASCII text ended by one carriage return, a number after
// the command word and one or more blanks ("XEA  3\r").

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>

#include "tables.h"

namespace velmo {

struct Command {
    CommandKind kind;
    int argument = 0;
    bool operator==(const Command&) const = default;
};

// The command a line (without its carriage return) holds, or nothing when the word is unknown,
// the number is missing, out of range or followed by anything, or a number follows a command
// that takes none. Line feeds and blanks before the word are skipped: a terminal that ends its
// lines with CR LF leaves its LF at the start of the next line.
std::optional<Command> parseCommand(QByteArrayView line);

// Cuts the received byte stream into lines at each carriage return, however the bytes are split
// across reads. A line that grows beyond any command's length is dropped up to its end, so that
// noise on the line cannot fill the memory.
class LineAssembler {
public:
    static constexpr int kMaxLine = 32;

    QList<QByteArray> feed(QByteArrayView bytes);

private:
    QByteArray pending_;
    bool overlong_ = false;
};

}  // namespace velmo
