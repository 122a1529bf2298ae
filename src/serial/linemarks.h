#pragma once
// Line errors as a Unix serial port reports them. With in-band marking (PARMRK on, IGNPAR,
// IGNBRK and ISTRIP off) the driver inserts marks into the received stream:
//   0xFF 0xFF    the data byte 0xFF
//   0xFF 0x00 0x00   a break
//   0xFF 0x00 x  the byte x received with a framing or parity error
// The marks do not tell a framing error from a parity error and an overrun leaves no mark at
// all; the driver's error counters (where it has them) tell them apart. This module holds the
// two pure halves: the stream parser, which keeps its state across reads since a mark may be
// split between two reads, and the classification of one read into the control's events.

#include <QByteArray>
#include <QList>
#include <optional>

#include "core/serialtypes.h"

namespace linemarks {

// What one read held once the marks are taken out.
struct Chunk {
    QByteArray data;     // the received bytes; a byte received with an error is kept
    int errorMarks = 0;  // bytes marked as received with a framing or parity error
    int breakMarks = 0;  // breaks received
};

class Parser {
public:
    // Parses the bytes of one read. A mark cut by the end of the read is completed by the next.
    Chunk feed(const QByteArray& raw);
    // Forgets a partial mark (when the port is opened again).
    void reset() { state_ = State::Plain; }
    // True while the start of a mark waits for its end.
    bool midMark() const { return state_ != State::Plain; }

private:
    enum class State { Plain, AfterFF, AfterFF00 };
    State state_ = State::Plain;
};

// The driver's cumulative error counters (Linux: struct serial_icounter_struct).
struct ErrorCounters {
    quint32 frame = 0;
    quint32 parity = 0;
    quint32 overrun = 0;  // the UART lost a character
    quint32 brk = 0;
    quint32 bufOverrun = 0;  // the driver's buffer was full
};

// Turns the marks of each read and the counters read after it into line events. A counter
// may move one read before the mark of the same error arrives (the driver counts when the
// character comes in, the program reads later); the classifier remembers counted errors so
// that one error never gives two events.
class ErrorClassifier {
public:
    // Starts over when the port opens. `counters` is empty when the driver has none; with
    // `parityEnabled` an uncounted error mark is taken for a parity error, else for a framing
    // error.
    void reset(const std::optional<ErrorCounters>& counters, bool parityEnabled);
    // The events of one read, each at most once, in increasing number order.
    QList<int> classify(const Chunk& chunk, const std::optional<ErrorCounters>& counters);

private:
    std::optional<ErrorCounters> last_;
    bool parityEnabled_ = false;
    quint64 countedErrors_ = 0;  // errors counted whose mark has not been read yet
    quint64 countedBreaks_ = 0;
};

}  // namespace linemarks
