#pragma once
// Character format of an asynchronous serial line and what a transmitting UART puts on its TxD
// wire. Times are integer nanoseconds; a bit position is turned into a time by one
// multiplication and one division from the start of the stream, so that long runs of frames sent
// back to back never drift.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace labline {

using Nanos = qint64;

inline constexpr Nanos kNanosPerSecond = 1'000'000'000;

enum class Level : quint8 { Space = 0, Mark = 1 };  // logical 0 and logical 1 (idle)

enum class Parity : quint8 { None, Even, Odd, Space, Mark };

struct Format {
    qint32 speed = 9600;  // bits per second: the line takes only isUartSpeed() ones
    int dataBits = 8;     // 4 to 8
    Parity parity = Parity::None;
    int stopHalfBits = 2;  // 2, 3 or 4 for 1, 1.5 or 2 stop bits
    bool operator==(const Format&) const = default;
};

// True for a speed a UART offers (serial/labline/speeds.h); the encoder and decoder compute for
// any positive speed, the line refuses the others.
bool isUartSpeed(qint32 speed);

// "9600,E,7,1": speed a UART offers, parity letter N E O S M, data bits 4..8, stop "1" "1.5"
// "2". Spaces around the fields are allowed; anything else gives no format.
std::optional<Format> parseSettings(const QString& text);
QString settingsText(const Format& format);

// floor(units * 1e9 / unitsPerSecond), exact for any count of units a line can see.
Nanos unitsToNanos(qint64 units, qint64 unitsPerSecond);

// Half-bit cells are the unit of a frame since a stop bit may last one and a half bits.
Nanos halfBitsToNanos(qint64 halfBits, qint32 speed);
int frameHalfBits(const Format& format);
Nanos frameNanos(const Format& format);

// The level of the parity bit of `code` (its low `dataBits` bits); Mark when there is none.
Level parityLevel(int code, const Format& format);

struct Edge {
    Nanos at = 0;
    Level level = Level::Mark;
    bool operator==(const Edge&) const = default;
};
// A wire as its level changes in time order; before the first change it is idle at mark.
using Wire = QList<Edge>;

// Appends the level changes of the frame of `code` to `wire`, which is at mark when the frame
// starts. The frame starts `startHalfBit` half bits after `origin`; returns the half bit at
// which it ends, where the next frame of a back to back stream starts.
qint64 appendFrame(Wire& wire, int code, const Format& format, Nanos origin, qint64 startHalfBit);

// The wire of `codes` sent back to back from `start`.
Wire encode(const QByteArray& codes, const Format& format, Nanos start);

}  // namespace labline
