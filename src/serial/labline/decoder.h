#pragma once
// A receiving UART: it reads its RxD wire with its own format, whatever the sender used.

#include <memory>
#include <optional>
#include <random>

#include "serial/labline/encoder.h"

namespace labline {

// One frame read off the wire.
struct Decoded {
    Nanos at = 0;  // when the character is handed over: start edge + one frame at our speed
    int code = 0;  // the data bits read; 0 for a break
    bool framingError = false;
    bool parityError = false;
    bool lineBreak = false;  // the whole frame, first stop bit included, was space
    bool operator==(const Decoded&) const = default;
};

class Decoder {
public:
    explicit Decoder(const Format& format = Format{});

    // Forgets the frame being read; the line level is kept. A receiver starting while a frame is
    // already on its wire gives the time that frame ends as `quietUntil`: it takes no edge before
    // it for a start bit, so that it never reads the middle of a frame as one of its own.
    void setFormat(const Format& format, Nanos quietUntil = 0);
    const Format& format() const { return format_; }
    // Flips each sampled bit with a probability of `errorsPerMillion` / 1e6 (0: no noise).
    void setNoise(quint32 errorsPerMillion, quint64 seed);

    // The wire changed level. Every sample due before `at` must have been taken.
    void lineChanged(Nanos at, Level level);
    Level level() const { return level_; }

    // When the next sample is due, if a frame is being read.
    std::optional<Nanos> nextSample() const {
        return reading_ ? std::optional<Nanos>(sampleAt_) : std::nullopt;
    }
    // Samples the wire at nextSample(); gives the frame once its first stop bit is read.
    std::optional<Decoded> takeSample();
    // When the frame being read will be handed over, if it turns out to be one.
    std::optional<Nanos> deliveryDue() const;

private:
    Level sampled();
    void scheduleSample();
    std::optional<Decoded> finishFrame(Level stop);

    Format format_;
    Level level_ = Level::Mark;
    bool reading_ = false;
    Nanos quietUntil_ = 0;
    Nanos start_ = 0;
    int cell_ = 0;  // next cell to sample: 0 start, then data, parity, first stop
    Nanos sampleAt_ = 0;
    int data_ = 0;
    bool parityError_ = false;
    bool allSpace_ = true;
    bool markSeen_ = false;  // the wire went back to mark since the start edge
    quint32 noise_ = 0;
    // Made only for a noisy line: the generator's state is larger than all the rest, and the
    // line walks every receiver at each of its steps.
    std::unique_ptr<std::mt19937_64> random_;
};

// Runs a decoder over a whole wire and gives the frames handed over up to `until`.
QList<Decoded> decodeWire(const Wire& wire, const Format& format, Nanos until);

}  // namespace labline
