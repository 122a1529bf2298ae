#include "emulator.h"

#include <algorithm>

namespace velmo {

Emulator::Emulator(Clock clock, Misbehaviour how)
    : clock_(std::move(clock)), how_(how), unit_(clock_) {}

QList<QByteArray> Emulator::receive(QByteArrayView bytes) {
    const QList<QByteArray> lines = lines_.feed(bytes);
    for (const QByteArray& line : lines) {
        const std::optional<Command> command = parseCommand(line);
        if (!command) continue;
        if (const std::optional<int> value = unit_.execute(*command))
            replies_.schedule(clock_(), replyPieces(*value, how_));
    }
    return lines;
}

QByteArray Emulator::takeDue() {
    return replies_.takeDue(clock_());
}

std::optional<qint64> Emulator::msUntilNext() const {
    const std::optional<qint64> due = replies_.nextDue();
    if (!due) return std::nullopt;
    return std::max<qint64>(0, *due - clock_());
}

}  // namespace velmo
