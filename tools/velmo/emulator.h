#pragma once
// The emulator without its line: bytes in, the unit's replies out when they are due.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>

#include "commands.h"
#include "replies.h"
#include "unit.h"

namespace velmo {

class Emulator {
public:
    Emulator(Clock clock, Misbehaviour how);

    // Takes received bytes; returns the lines they completed, for a log.
    QList<QByteArray> receive(QByteArrayView bytes);
    // The reply bytes due now.
    QByteArray takeDue();
    // Milliseconds until the next reply bytes are due; nothing when none wait.
    std::optional<qint64> msUntilNext() const;

    const Unit& unit() const { return unit_; }

private:
    Clock clock_;
    Misbehaviour how_;
    Unit unit_;
    LineAssembler lines_;
    ReplyQueue replies_;
};

}  // namespace velmo
