#include "core/scope.h"

#include <algorithm>

namespace scope {
namespace {

constexpr Nanos kMicro = 1'000;
constexpr Nanos kMilli = 1'000'000;

constexpr Nanos kTimeBases[] = {
    5 * kMicro,   10 * kMicro, 20 * kMicro, 50 * kMicro, 100 * kMicro, 200 * kMicro,
    500 * kMicro, 1 * kMilli,  2 * kMilli,  5 * kMilli,  10 * kMilli,  20 * kMilli,
};

// With no start bit for this long, the automatic mode shows the line as it is.
constexpr Nanos kAutoAfter = 100 * kMilli;

int volts(bool mark) {
    return mark ? kMarkVolts : kSpaceVolts;
}

bool evenOnes(const QString& bits) {
    return bits.count(u'1') % 2 == 0;
}

bool parityHolds(QChar parity, const QString& data, QChar bit) {
    switch (parity.unicode()) {
        case u'E':
            return evenOnes(data + bit);
        case u'O':
            return !evenOnes(data + bit);
        case u'M':
            return bit == u'1';
        case u'S':
            return bit == u'0';
        default:
            return true;
    }
}

}  // namespace

Channel::Channel(bool idleMark, int capacity)
    : first_(idleMark), capacity_(std::max(capacity, 1)) {}

void Channel::append(const Edge& edge) {
    const bool level = edges_.empty() ? first_ : edges_.back().mark;
    if (edge.mark == level) return;
    if (!edges_.empty() && edge.atNs < edges_.back().atNs) return;
    edges_.push_back(edge);
    while (static_cast<int>(edges_.size()) > capacity_) {
        first_ = edges_.front().mark;
        edges_.pop_front();
        ++dropped_;
    }
}

void Channel::clear() {
    if (!edges_.empty()) first_ = edges_.back().mark;
    edges_.clear();
}

namespace {

// The first change at or after `at`.
auto firstFrom(const std::deque<Edge>& edges, Nanos at) {
    return std::lower_bound(edges.begin(), edges.end(), at,
                            [](const Edge& e, Nanos t) { return e.atNs < t; });
}

}  // namespace

bool Channel::levelAt(Nanos at) const {
    auto it = std::upper_bound(edges_.begin(), edges_.end(), at,
                               [](Nanos t, const Edge& e) { return t < e.atNs; });
    return it == edges_.begin() ? first_ : std::prev(it)->mark;
}

QList<Edge> Channel::between(Nanos from, Nanos to) const {
    QList<Edge> out;
    for (auto it = firstFrom(edges_, from); it != edges_.end() && it->atNs < to; ++it) out << *it;
    return out;
}

std::optional<Nanos> Channel::fallFrom(Nanos from) const {
    for (auto it = firstFrom(edges_, from); it != edges_.end(); ++it)
        if (!it->mark) return it->atNs;
    return std::nullopt;
}

std::optional<Nanos> Channel::lastChange() const {
    if (edges_.empty()) return std::nullopt;
    return edges_.back().atNs;
}

std::span<const Nanos> timeBases() {
    return kTimeBases;
}

QString timeBaseText(Nanos perDivision) {
    if (perDivision % kMilli == 0) return QStringLiteral("%1 ms/div").arg(perDivision / kMilli);
    if (perDivision % kMicro == 0) return QStringLiteral("%1 µs/div").arg(perDivision / kMicro);
    return QStringLiteral("%1 ns/div").arg(perDivision);
}

Nanos bitStart(Nanos startNs, int index, int baud) {
    return startNs + index * kSecond / baud;
}

Nanos timeBaseFor(int baud, int bitTimes) {
    const Nanos needed = bitStart(0, bitTimes, baud);
    for (Nanos base : kTimeBases)
        if (base * (kDivisions - kTriggerDivision) >= needed) return base;
    return kTimeBases[std::size(kTimeBases) - 1];
}

void Trigger::setMode(TriggerMode mode) {
    mode_ = mode;
}

int frameBits(const FrameFormat& format) {
    return 1 + format.dataBits + (format.parity != u'N' ? 1 : 0) + (format.stopBits >= 2 ? 2 : 1);
}

void Trigger::run(Nanos from) {
    running_ = true;
    armedFrom_ = from;
    huntFrom_ = from;
    lastTriggerAt_ = from;
}

Nanos Trigger::huntAfter(Nanos startBit) const {
    if (!format_) return startBit + 1;
    const int stop = frameBits(*format_) - (format_->stopBits >= 2 ? 2 : 1);
    return (bitStart(startBit, stop, format_->baud) + bitStart(startBit, stop + 1, format_->baud)) /
           2;
}

std::optional<Sweep> Trigger::next(const Channel& first, Nanos now) {
    if (!running_) return std::nullopt;
    // The latest sweep a start bit completes, each one looked for after the one before it ends,
    // so that a screen refreshed less often than characters come keeps up with the line.
    std::optional<Sweep> found;
    while (const auto fall = first.fallFrom(huntFrom_)) {
        const Nanos start = *fall - before();
        if (start + width() > now) break;
        huntFrom_ = huntAfter(*fall);
        if (*fall < armedFrom_) continue;
        found = Sweep{start, true};
        armedFrom_ = start + width();
        if (mode_ == TriggerMode::Single) break;
    }
    if (found) {
        lastTriggerAt_ = now;
        if (mode_ == TriggerMode::Single) running_ = false;
        return found;
    }
    if (mode_ == TriggerMode::Auto && now - lastTriggerAt_ >= std::max(kAutoAfter, width()))
        return Sweep{now - width(), false};
    return std::nullopt;
}

QList<Point> trace(const Channel& channel, Nanos startNs, Nanos widthNs) {
    QList<Point> out;
    int level = volts(channel.levelAt(startNs));
    out << Point{0, level};
    for (const Edge& e : channel.between(startNs + 1, startNs + widthNs)) {
        out << Point{e.atNs - startNs, level};
        level = volts(e.mark);
        out << Point{e.atNs - startNs, level};
    }
    out << Point{widthNs, level};
    return out;
}

int voltsAt(const QList<Point>& polyline, Nanos tNs) {
    int v = polyline.isEmpty() ? kMarkVolts : polyline.first().volts;
    for (const Point& p : polyline) {
        if (p.tNs > tNs) break;
        v = p.volts;
    }
    return v;
}

std::optional<FrameReading> readFrame(const QList<Point>& polyline, Nanos startNs,
                                      const FrameFormat& format, Nanos widthNs) {
    const bool withParity = format.parity != u'N';
    const int stops = format.stopBits >= 2 ? 2 : 1;
    const int count = frameBits(format);
    FrameReading r;
    r.bitNs = kSecond / format.baud;
    for (int i = 0; i < count; ++i) {
        // The middle of bit i, from the two ends of the frame's own clock.
        const Nanos middle =
            (bitStart(startNs, i, format.baud) + bitStart(startNs, i + 1, format.baud)) / 2;
        if (middle >= widthNs) return std::nullopt;
        r.bits += voltsAt(polyline, middle) < 0 ? u'1' : u'0';
    }
    const QString data = r.bits.mid(1, format.dataBits);
    for (int b = 0; b < format.dataBits; ++b)
        if (data.at(b) == u'1') r.code |= 1 << b;
    if (withParity) r.parityOk = parityHolds(format.parity, data, r.bits.at(1 + format.dataBits));
    r.framingOk = r.bits.at(0) == u'0' && !r.bits.right(stops).contains(u'0');
    return r;
}

}  // namespace scope
