#include "serial/labline/encoder.h"

#include <QStringList>
#include <algorithm>
#include <bit>
#include <string_view>

#include "serial/labline/speeds.h"

namespace labline {

namespace {

constexpr int kMinDataBits = 4;
constexpr int kMaxDataBits = 8;

struct StopName {
    const char* text;
    int halfBits;
};
constexpr StopName kStopNames[] = {{"1", 2}, {"1.5", 3}, {"2", 4}};

constexpr std::string_view kParityLetters = "NEOSM";  // in Parity order

}  // namespace

bool isUartSpeed(qint32 speed) {
    return std::find(std::begin(kUartSpeeds), std::end(kUartSpeeds), speed) !=
           std::end(kUartSpeeds);
}

std::optional<Format> parseSettings(const QString& text) {
    const QStringList fields = text.split(',');
    if (fields.size() != 4) return std::nullopt;
    Format format;
    bool ok = false;
    format.speed = fields[0].trimmed().toInt(&ok);
    if (!ok || !isUartSpeed(format.speed)) return std::nullopt;

    const QString letter = fields[1].trimmed().toUpper();
    const size_t parity =
        letter.size() == 1 ? kParityLetters.find(letter[0].toLatin1()) : std::string_view::npos;
    if (parity == std::string_view::npos) return std::nullopt;
    format.parity = Parity(parity);

    format.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || format.dataBits < kMinDataBits || format.dataBits > kMaxDataBits)
        return std::nullopt;

    const QString stop = fields[3].trimmed();
    format.stopHalfBits = 0;
    for (const StopName& s : kStopNames) {
        if (stop == QLatin1String(s.text)) format.stopHalfBits = s.halfBits;
    }
    if (format.stopHalfBits == 0) return std::nullopt;
    return format;
}

QString settingsText(const Format& format) {
    QString stop;
    for (const StopName& s : kStopNames) {
        if (s.halfBits == format.stopHalfBits) stop = QLatin1String(s.text);
    }
    return QStringLiteral("%1,%2,%3,%4")
        .arg(format.speed)
        .arg(QChar(kParityLetters[int(format.parity)]))
        .arg(format.dataBits)
        .arg(stop);
}

Nanos unitsToNanos(qint64 units, qint64 unitsPerSecond) {
    const __int128 scaled = __int128(units) * kNanosPerSecond;
    return Nanos(scaled / unitsPerSecond);
}

Nanos halfBitsToNanos(qint64 halfBits, qint32 speed) {
    return unitsToNanos(halfBits, 2 * qint64(speed));
}

int frameHalfBits(const Format& format) {
    const int parityBits = format.parity == Parity::None ? 0 : 1;
    return 2 * (1 + format.dataBits + parityBits) + format.stopHalfBits;
}

Nanos frameNanos(const Format& format) {
    return halfBitsToNanos(frameHalfBits(format), format.speed);
}

Level parityLevel(int code, const Format& format) {
    const unsigned data = unsigned(code) & ((1u << format.dataBits) - 1);
    const bool oddOnes = std::popcount(data) % 2 == 1;
    switch (format.parity) {
        case Parity::Even:
            return oddOnes ? Level::Mark : Level::Space;
        case Parity::Odd:
            return oddOnes ? Level::Space : Level::Mark;
        case Parity::Space:
            return Level::Space;
        case Parity::Mark:
        case Parity::None:
            break;
    }
    return Level::Mark;
}

qint64 appendFrame(Wire& wire, int code, const Format& format, Nanos origin, qint64 startHalfBit) {
    // Whole-bit cells before the stop bits: start, data least significant first, parity.
    QList<Level> cells{Level::Space};
    for (int i = 0; i < format.dataBits; ++i) {
        cells.append((code >> i) & 1 ? Level::Mark : Level::Space);
    }
    if (format.parity != Parity::None) cells.append(parityLevel(code, format));
    cells.append(Level::Mark);  // the stop bits

    Level level = Level::Mark;
    for (int i = 0; i < cells.size(); ++i) {
        if (cells[i] == level) continue;
        level = cells[i];
        wire.append({origin + halfBitsToNanos(startHalfBit + 2 * i, format.speed), level});
    }
    return startHalfBit + frameHalfBits(format);
}

Wire encode(const QByteArray& codes, const Format& format, Nanos start) {
    Wire wire;
    qint64 halfBit = 0;
    for (const char c : codes) {
        halfBit = appendFrame(wire, quint8(c), format, start, halfBit);
    }
    return wire;
}

}  // namespace labline
