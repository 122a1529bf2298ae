#include "core/plexcycle.h"

namespace plex {

namespace {

// The steps of each part of the cycle, pauses excluded.
constexpr int kSimplexEnd = 6;    // blinks while n < 6
constexpr int kHalfFirst = 7;     // turns round from n = 7 ...
constexpr int kHalfTurnEnd = 11;  // ... while n < 11, left to right once more at 11
constexpr int kFullFirst = 13;    // both blink from n = 13 ...
constexpr int kFullEnd = 18;      // ... while n < 18

void set(Arrows& arrows, Arrows which, bool on) {
    arrows = on ? (arrows | which) : (arrows & ~which);
}

}  // namespace

State firstTick(State s) {
    ++s.step;
    const int n = s.step;
    if (n < kSimplexEnd) set(s.shown, Arrow::Simplex, true);
    if (n >= kHalfFirst && n <= kHalfTurnEnd) {
        set(s.shown, Arrow::HalfRight, true);
        set(s.shown, Arrow::HalfLeft, false);
    }
    if (n >= kFullFirst && n < kFullEnd) set(s.shown, Arrow::FullRight | Arrow::FullLeft, true);
    if (n >= kCycleSteps) {
        set(s.shown, Arrow::FullRight | Arrow::FullLeft, false);
        s.step = 0;
    }
    return s;
}

State secondTick(State s) {
    const int n = s.step;
    set(s.shown, Arrow::Simplex, false);
    if (n >= kHalfFirst && n < kHalfTurnEnd) {
        set(s.shown, Arrow::HalfRight, false);
        set(s.shown, Arrow::HalfLeft, true);
    }
    if (n >= kHalfTurnEnd) set(s.shown, Arrow::HalfRight | Arrow::HalfLeft, false);
    if (n >= kFullFirst && n < kFullEnd) set(s.shown, Arrow::FullRight | Arrow::FullLeft, false);
    return s;
}

}  // namespace plex
