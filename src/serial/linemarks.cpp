#include "serial/linemarks.h"

namespace linemarks {

Chunk Parser::feed(const QByteArray& raw) {
    Chunk chunk;
    chunk.data.reserve(raw.size());
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        switch (state_) {
            case State::Plain:
                if (byte == 0xFF) {
                    state_ = State::AfterFF;
                } else {
                    chunk.data.append(c);
                }
                break;
            case State::AfterFF:
                if (byte == 0xFF) {
                    chunk.data.append(c);
                    state_ = State::Plain;
                } else if (byte == 0x00) {
                    state_ = State::AfterFF00;
                } else {
                    // Not a mark (marking was off when these bytes came in): keep both.
                    chunk.data.append('\xFF');
                    chunk.data.append(c);
                    state_ = State::Plain;
                }
                break;
            case State::AfterFF00:
                // A byte 0 received with a parity error looks the same as a break; the driver
                // gives no way to tell them apart, so it counts as a break.
                if (byte == 0x00) {
                    ++chunk.breakMarks;
                } else {
                    ++chunk.errorMarks;
                    chunk.data.append(c);
                }
                state_ = State::Plain;
                break;
        }
    }
    return chunk;
}

void ErrorClassifier::reset(const std::optional<ErrorCounters>& counters, bool parityEnabled) {
    last_ = counters;
    parityEnabled_ = parityEnabled;
    countedErrors_ = 0;
    countedBreaks_ = 0;
}

QList<int> ErrorClassifier::classify(const Chunk& chunk,
                                     const std::optional<ErrorCounters>& counters) {
    bool seen[5] = {false, false, false, false, false};  // break, frame, overrun, rx, parity
    if (counters && last_) {
        // Unsigned differences stay right when a counter wraps.
        const quint32 frame = counters->frame - last_->frame;
        const quint32 parity = counters->parity - last_->parity;
        const quint32 overrun = counters->overrun - last_->overrun;
        const quint32 brk = counters->brk - last_->brk;
        const quint32 bufOverrun = counters->bufOverrun - last_->bufOverrun;
        seen[0] = brk > 0;
        seen[1] = frame > 0;
        seen[2] = overrun > 0;
        seen[3] = bufOverrun > 0;
        seen[4] = parity > 0;
        countedErrors_ += quint64(frame) + parity;
        countedBreaks_ += brk;
    }
    if (counters) last_ = counters;

    // Marks whose error the counters already reported are not reported again; the others
    // (a driver without counters) are classified from the marks alone.
    auto uncounted = [](int marks, quint64& counted) {
        const quint64 matched = qMin<quint64>(quint64(marks), counted);
        counted -= matched;
        return quint64(marks) - matched;
    };
    if (uncounted(chunk.breakMarks, countedBreaks_) > 0) seen[0] = true;
    if (uncounted(chunk.errorMarks, countedErrors_) > 0) seen[parityEnabled_ ? 4 : 1] = true;

    static constexpr int kEvents[5] = {serial::comEventBreak, serial::comEventFrame,
                                       serial::comEventOverrun, serial::comEventRxOver,
                                       serial::comEventRxParity};
    QList<int> events;
    for (int i = 0; i < 5; ++i) {
        if (seen[i]) events.append(kEvents[i]);
    }
    return events;
}

}  // namespace linemarks
