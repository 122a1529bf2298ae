#include "serial/labline/decoder.h"

namespace labline {

namespace {

// A UART samples with a clock sixteen times the bit rate and sees the start edge at its next
// tick, on average half a tick late; every sample lags the true middle of its cell as much.
// The lag also keeps a sample off the edges of a sender running at exactly twice or half our
// speed, where "the middle" would otherwise fall on an edge within a nanosecond of rounding.
constexpr qint64 kHalfTicksPerBit = 32;
constexpr qint64 kSampleOffset = kHalfTicksPerBit / 2 + 1;
constexpr quint32 kMillion = 1'000'000;

}  // namespace

Decoder::Decoder(const Format& format) : format_(format) {}

void Decoder::setFormat(const Format& format, Nanos quietUntil) {
    format_ = format;
    reading_ = false;
    quietUntil_ = quietUntil;
}

void Decoder::setNoise(quint32 errorsPerMillion, quint64 seed) {
    noise_ = errorsPerMillion;
    random_ = errorsPerMillion > 0 ? std::make_unique<std::mt19937_64>(seed) : nullptr;
}

void Decoder::lineChanged(Nanos at, Level level) {
    if (level == level_) return;
    level_ = level;
    if (reading_) {
        if (level == Level::Mark) markSeen_ = true;
        return;
    }
    if (level == Level::Space && at >= quietUntil_) {
        reading_ = true;
        start_ = at;
        cell_ = 0;
        data_ = 0;
        parityError_ = false;
        allSpace_ = true;
        markSeen_ = false;
        scheduleSample();
    }
}

// The line asks for the next sample far more often than it takes one.
void Decoder::scheduleSample() {
    const qint64 halfTicks = cell_ * kHalfTicksPerBit + kSampleOffset;
    sampleAt_ = start_ + unitsToNanos(halfTicks, kHalfTicksPerBit * format_.speed);
}

std::optional<Nanos> Decoder::deliveryDue() const {
    if (!reading_) return std::nullopt;
    return start_ + frameNanos(format_);
}

Level Decoder::sampled() {
    if (noise_ == 0) return level_;
    const bool flip = std::uniform_int_distribution<quint32>(0, kMillion - 1)(*random_) < noise_;
    if (!flip) return level_;
    return level_ == Level::Mark ? Level::Space : Level::Mark;
}

std::optional<Decoded> Decoder::takeSample() {
    if (!reading_) return std::nullopt;
    const Level bit = sampled();
    const int dataEnd = 1 + format_.dataBits;
    const bool hasParity = format_.parity != Parity::None;
    if (cell_ == 0) {
        // Back at mark in the middle of the start bit: a glitch, not a frame.
        if (bit == Level::Mark) reading_ = false;
    } else if (cell_ < dataEnd) {
        if (bit == Level::Mark) data_ |= 1 << (cell_ - 1);
    } else if (hasParity && cell_ == dataEnd) {
        parityError_ = bit != parityLevel(data_, format_);
    } else {
        return finishFrame(bit);
    }
    if (bit == Level::Mark) allSpace_ = false;
    ++cell_;
    scheduleSample();
    return std::nullopt;
}

std::optional<Decoded> Decoder::finishFrame(Level stop) {
    reading_ = false;
    Decoded frame;
    frame.at = start_ + frameNanos(format_);
    if (stop == Level::Space && allSpace_ && !markSeen_) {
        frame.lineBreak = true;
        return frame;
    }
    frame.code = data_;
    frame.parityError = parityError_;
    frame.framingError = stop == Level::Space;
    return frame;
}

QList<Decoded> decodeWire(const Wire& wire, const Format& format, Nanos until) {
    Decoder decoder(format);
    QList<Decoded> frames;
    auto sampleBefore = [&](Nanos limit, bool inclusive) {
        for (auto t = decoder.nextSample(); t && (*t < limit || (inclusive && *t == limit));
             t = decoder.nextSample()) {
            if (auto frame = decoder.takeSample()) frames.append(*frame);
        }
    };
    for (const Edge& edge : wire) {
        if (edge.at > until) break;
        sampleBefore(edge.at, false);
        decoder.lineChanged(edge.at, edge.level);
    }
    sampleBefore(until, true);
    QList<Decoded> delivered;
    for (const Decoded& frame : frames) {
        if (frame.at <= until) delivered.append(frame);
    }
    return delivered;
}

}  // namespace labline
