#include "unit.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <numeric>

namespace velmo {

namespace {

qint64 roundLength(const Pattern& p) {
    return std::accumulate(p.spansMs.begin(), p.spansMs.end(), qint64(0));
}

// The state during span k of a round.
int stateInSpan(const Pattern& p, std::size_t k) {
    return p.initial ^ int(k & 1);
}

}  // namespace

int analogInputAt(int n, qint64 t) {
    const Wave& w = analogWaves()[n];
    const double turns = double(t % w.periodMs) / w.periodMs + w.phasePermille / 1000.0;
    const double code = w.centre + w.amplitude * std::sin(2 * std::numbers::pi * turns);
    return std::clamp(int(std::lround(code)), 0, kMaxCode);
}

int binaryInputAt(int n, qint64 t) {
    const Pattern& p = binaryPatterns()[n];
    qint64 r = t % roundLength(p);
    std::size_t k = 0;
    while (r >= p.spansMs[k]) r -= p.spansMs[k++];
    return stateInSpan(p, k);
}

qint64 edgesUpTo(int n, bool rising, qint64 t) {
    const Pattern& p = binaryPatterns()[n];
    const qint64 length = roundLength(p);
    // Every round holds each kind of edge once per pair of spans.
    qint64 edges = t / length * (p.spansMs.size() / 2);
    qint64 end = 0;
    const qint64 r = t % length;
    for (std::size_t k = 0; k < p.spansMs.size(); ++k) {
        end += p.spansMs[k];
        if (end > r) break;
        // Span k ends with a rising edge when its state is 0.
        if ((stateInSpan(p, k) == 0) == rising) ++edges;
    }
    return edges;
}

Unit::Unit(Clock clock) : clock_(std::move(clock)), origin_(clock_()) {}

qint64 Unit::elapsed() const {
    return std::max<qint64>(0, clock_() - origin_);
}

int Unit::analogInput(int n) const {
    return analogInputAt(n, elapsed());
}

int Unit::binaryInput(int n) const {
    return binaryInputAt(n, elapsed());
}

qint64 Unit::edgeCount(int n) const {
    const EdgeSource& s = edgeSources()[n];
    return edgesUpTo(s.binaryInput, s.rising, elapsed()) - countsAt_[n];
}

void Unit::reset() {
    analogOut_ = kAnalogOutInitial;
    binaryOuts_ = 0;
    for (int n = 0; n < kEdgeCounters; ++n) {
        const EdgeSource& s = edgeSources()[n];
        countsAt_[n] = edgesUpTo(s.binaryInput, s.rising, elapsed());
    }
}

std::optional<int> Unit::execute(const Command& command) {
    switch (command.kind) {
        case CommandKind::Reset:
            reset();
            return std::nullopt;
        case CommandKind::EdgeCount:
            return int(std::min<qint64>(edgeCount(command.argument), INT_MAX));
        case CommandKind::AnalogIn:
            return analogInput(command.argument);
        case CommandKind::BinaryIn:
            return binaryInput(command.argument);
        case CommandKind::AnalogOut:
            analogOut_ = command.argument;
            return std::nullopt;
        case CommandKind::SetBit:
            binaryOuts_ |= 1u << command.argument;
            return std::nullopt;
        case CommandKind::ResetBit:
            binaryOuts_ &= ~(1u << command.argument);
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace velmo
