#pragma once
// The emulated interface unit: its outputs and edge counters, which the commands set, and its
// inputs, which move with time by themselves. Time comes from the clock it is given, in
// milliseconds, so that it can be driven step by step; the unit's time starts at its creation.

#include <QtGlobal>
#include <functional>
#include <optional>

#include "commands.h"

namespace velmo {

using Clock = std::function<qint64()>;

class Unit {
public:
    explicit Unit(Clock clock);

    // Carries a command out; returns the number to reply with, or nothing for a command that
    // gets no reply.
    std::optional<int> execute(const Command& command);

    int analogInput(int n) const;  // 0..255
    int binaryInput(int n) const;  // 0 or 1
    // The edges counted since the creation or the last reset.
    qint64 edgeCount(int n) const;
    int analogOutput() const { return analogOut_; }
    bool binaryOutput(int n) const { return (binaryOuts_ >> n) & 1; }

private:
    qint64 elapsed() const;
    void reset();

    Clock clock_;
    qint64 origin_;
    int analogOut_ = kAnalogOutInitial;
    unsigned binaryOuts_ = 0;
    qint64 countsAt_[kEdgeCounters] = {};  // edge totals at the last reset
};

// The state of binary input n and the number of its rising or falling edges in (0, t], at
// t ms of the unit's time.
int binaryInputAt(int n, qint64 t);
qint64 edgesUpTo(int n, bool rising, qint64 t);
int analogInputAt(int n, qint64 t);

}  // namespace velmo
