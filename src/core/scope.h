#pragma once
// A storage oscilloscope's rules, without widgets: the record of a wire's level changes, the time
// bases, the trigger on the start bit, the trace as it is drawn in RS-232 voltages, and the
// reading of a frame from a trace. Times are nanoseconds on the line's own clock.

#include <QList>
#include <QString>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>

namespace scope {

using Nanos = std::int64_t;

inline constexpr Nanos kSecond = 1'000'000'000;
// On the wire: logic 1 (mark, the idle level) is negative, logic 0 (space) positive.
inline constexpr int kMarkVolts = -12;
inline constexpr int kSpaceVolts = 12;
inline constexpr int kDivisions = 10;
// The trigger point, in divisions from the left of the screen: what came just before the start
// bit (the idle line) stays in view.
inline constexpr int kTriggerDivision = 1;
// How many level changes a channel keeps; the oldest go first.
inline constexpr int kDefaultCapacity = 1 << 16;

// One level change of a wire: from `atNs` on, the wire is at mark (logic 1) or not.
struct Edge {
    Nanos atNs = 0;
    bool mark = true;
    bool operator==(const Edge&) const = default;
};

// One wire as the oscilloscope recorded it: its level before the first change kept, then its
// changes in time order.
class Channel {
public:
    explicit Channel(bool idleMark = true, int capacity = kDefaultCapacity);

    // A change to the level the wire already has, or one dated before the last, is not a change.
    void append(const Edge& edge);
    void clear();

    bool levelAt(Nanos at) const;
    // The changes at or after `from` and before `to`.
    QList<Edge> between(Nanos from, Nanos to) const;
    // The first fall from mark to space (a start bit's front edge) at or after `from`.
    std::optional<Nanos> fallFrom(Nanos from) const;
    // The time of the last change kept, or none.
    std::optional<Nanos> lastChange() const;
    // The changes dropped to keep within the capacity.
    std::int64_t dropped() const { return dropped_; }

private:
    bool first_;
    int capacity_;
    std::deque<Edge> edges_;
    std::int64_t dropped_ = 0;
};

// The time bases, nanoseconds per division, in a 1-2-5 sequence from one bit at 28 800 bauds to
// one character at 110 bauds on the screen.
std::span<const Nanos> timeBases();
// "5 µs/div", "200 µs/div", "10 ms/div".
QString timeBaseText(Nanos perDivision);
// The smallest time base whose screen holds `bitTimes` bit times at `baud` after the trigger.
Nanos timeBaseFor(int baud, int bitTimes);
// The start of bit `index` of a frame whose start bit begins at `startNs`, without drift.
Nanos bitStart(Nanos startNs, int index, int baud);

// A frame's format, as a port's settings give it.
struct FrameFormat {
    int baud = 9600;
    int dataBits = 8;
    QChar parity = u'N';  // N, E, O, M, S
    int stopBits = 1;     // 1.5 is read as 1: the receiver checks the first stop bit only
};
// The bits of a frame of that format, start and stop bits included.
int frameBits(const FrameFormat& format);

enum class TriggerMode { Auto, Normal, Single };

// Where a sweep begins on the line's clock, and whether a start bit set it.
struct Sweep {
    Nanos startNs = 0;
    bool triggered = false;
    bool operator==(const Sweep&) const = default;
};

// The trigger on the first channel's start bits. `next` is asked at each refresh of the screen
// with the line's time: it gives the sweep to show, or nothing to keep the one shown. Knowing the
// frame's format, it finds the start bits as a receiver does, each one the first fall after the
// middle of the stop bit before, so that a data bit's fall in a stream of characters never
// triggers it; without, any fall does.
class Trigger {
public:
    void setMode(TriggerMode mode);
    void setFormat(const std::optional<FrameFormat>& format) { format_ = format; }
    TriggerMode mode() const { return mode_; }
    void setTimeBase(Nanos perDivision) { perDivision_ = perDivision; }
    // Run: looks for a trigger from `from` on (Single: for one only). Stop: the screen freezes.
    void run(Nanos from);
    void stop() { running_ = false; }
    bool isRunning() const { return running_; }

    std::optional<Sweep> next(const Channel& first, Nanos now);

private:
    Nanos width() const { return perDivision_ * kDivisions; }
    Nanos before() const { return perDivision_ * kTriggerDivision; }

    TriggerMode mode_ = TriggerMode::Auto;
    Nanos perDivision_ = 1'000'000;
    // Where a start bit may begin: after the middle of the last frame's stop bit.
    Nanos huntAfter(Nanos startBit) const;

    std::optional<FrameFormat> format_;
    Nanos armedFrom_ = 0;  // the end of the last sweep: no trigger before
    Nanos huntFrom_ = 0;   // no start bit before
    Nanos lastTriggerAt_ = 0;
    bool running_ = true;
};

// A point of the drawn trace: a time from the sweep's start and a voltage.
struct Point {
    Nanos tNs = 0;
    int volts = 0;
    bool operator==(const Point&) const = default;
};
// The polyline of a channel over a sweep `widthNs` long: its level at the start, a vertical step
// at each change, its level at the end.
QList<Point> trace(const Channel& channel, Nanos startNs, Nanos widthNs);
// The voltage a polyline gives at `tNs` (the later level at a step).
int voltsAt(const QList<Point>& polyline, Nanos tNs);

// A frame read back from a drawn trace by sampling the middle of each bit.
struct FrameReading {
    QString bits;  // "0" and "1" in line order: start, data least significant first, parity, stop
    int code = 0;
    bool parityOk = true;
    bool framingOk = true;
    Nanos bitNs = 0;
};
// The frame whose start bit begins `startNs` after the polyline's origin; none when the trace
// ends before its last stop bit's middle.
std::optional<FrameReading> readFrame(const QList<Point>& polyline, Nanos startNs,
                                      const FrameFormat& format, Nanos widthNs);

}  // namespace scope
