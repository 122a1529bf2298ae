#pragma once
// The blinking arrows of the simplex and duplex diagram. Two timers alternate every half second:
// the first moves the step n on and shows what the step shows, the second takes away what only
// lasts half a step. One cycle is 19 steps: the simplex arrow blinks five times, a pause, the
// half-duplex arrow turns round four times and points left to right once more, a pause, both
// full-duplex arrows blink five times, a pause, then everything is hidden and n is 0 again.
// Widget-free, so that the whole cycle can be checked as data.

#include <QFlags>

namespace plex {

enum class Arrow {
    None = 0,
    Simplex = 1 << 0,    // left to right, on the simplex line
    HalfRight = 1 << 1,  // half-duplex, left to right
    HalfLeft = 1 << 2,   // half-duplex, right to left
    FullRight = 1 << 3,  // full-duplex, left to right
    FullLeft = 1 << 4,   // full-duplex, right to left
};
Q_DECLARE_FLAGS(Arrows, Arrow)

// Every arrow, each once, in the order of the diagram's lines.
inline constexpr Arrow kArrows[] = {Arrow::Simplex, Arrow::HalfRight, Arrow::HalfLeft,
                                    Arrow::FullRight, Arrow::FullLeft};

// The timers' interval, and the steps of one cycle.
inline constexpr int kTickMs = 500;
inline constexpr int kCycleSteps = 19;

struct State {
    int step = 0;  // n
    Arrows shown;  // the arrows visible
    bool operator==(const State&) const = default;
};

// What the first timer's tick makes of a state, and the second's.
State firstTick(State s);
State secondTick(State s);

}  // namespace plex

Q_DECLARE_OPERATORS_FOR_FLAGS(plex::Arrows)
