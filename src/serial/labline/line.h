#pragma once
// The lab's serial line: named port ends joined by loopback plugs and cables, each end with its
// own UART format, handshaking, modem outputs and transmit queue. The model is driven from
// outside: every command carries its time, advance() runs the line up to a given time and hands
// back what happened, nextWakeUp() tells when to look again. It never reads a clock.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

#include "serial/labline/decoder.h"
#include "serial/labline/encoder.h"

namespace labline {

enum class Handshake : quint8 { None = 0, XonXoff = 1, RtsCts = 2, Both = 3 };

inline constexpr int kXon = 17;
inline constexpr int kXoff = 19;

// Event numbers of the serial control.
enum CommEvent {
    kCtsChanged = 3,
    kDsrChanged = 4,
    kCdChanged = 5,
    kRingDetected = 6,
    kBreakReceived = 1001,
    kFramingError = 1004,
    kOverrun = 1006,
    kParityError = 1009,
};

// A ring lasts as long as a telephone's ring tone burst.
inline constexpr Nanos kRingPulse = 2 * kNanosPerSecond;
// A receiving UART hands its characters over in batches, from its FIFO, yet never later than
// this many of its character times after a character's last stop bit; the line hands out what
// happened the same way, each event at most this many character times of its end after its time.
inline constexpr int kHandOverFrames = 4;
// Characters a UART's transmit FIFO takes beyond the one being shifted out: a driver hands them
// over at once, so that they no longer count as held back by the line.
inline constexpr int kTxFifoDepth = 16;

struct Event {
    enum class Kind : quint8 {
        Received,    // value: the code; a code received with an error follows its line events
        LineError,   // value: 1001, 1004 or 1009
        Modem,       // value: 3, 4, 5 or 6
        TxProgress,  // value: bytes gone from the transmit queue since the end was opened
        TxRoom,      // value: bytes since the opening that the UART takes without holding back
    };
    Nanos at = 0;
    QString end;
    Kind kind = Kind::Received;
    int value = 0;
    bool framingError = false;
    bool parityError = false;
};

struct InputLines {
    bool cts = false;
    bool dsr = false;
    bool dcd = false;
    bool ri = false;
};

// What a receiver whose queue lives in the client sends ahead of its transmit queue: Xoff once
// the queue is more than three quarters full, Xon once it has drained after an Xoff.
enum class FlowChar { None, Xoff, Xon };
FlowChar receiveFlowChar(int queued, int capacity, bool xoffSent);

enum class Signal : quint8 { TxD, RxD, Rts, Cts, Dtr, Dsr, Dcd, Ri };
inline constexpr int kSignalCount = 8;
QString signalName(Signal signal);
// Every wire rests at its idle level until an end is opened: data at mark, modem lines off.
bool idleLevel(Signal signal);

// Called on every level change of every wire of every end, in time order.
using LevelProbe = std::function<void(Nanos at, const QString& end, Signal signal, bool high)>;

class Line {
public:
    // Wiring, done before the first command. Ends are created on first mention.
    void addEnd(const QString& name);
    // A loopback plug wired "modem null": TxD to RxD, RTS to CTS, DTR to DSR and DCD.
    void plugLoopback(const QString& end);
    // Crossed: each TxD to the other's RxD, RTS to the other's CTS, DTR to the other's DSR and DCD.
    void cableNullModem(const QString& a, const QString& b);
    // A straight cable to a peer that is itself a DCE sees the same crossing from each side.
    void cableStraight(const QString& end, const QString& peer) { cableNullModem(end, peer); }
    QStringList ends() const;

    void setNoise(quint32 errorsPerMillionBits, quint64 seed);
    void setProbe(LevelProbe probe) { probe_ = std::move(probe); }

    // Commands. Times never go back: an earlier time counts as the line's current time.
    // Commands naming an unknown end are ignored. A format at a speed no UART offers
    // (isUartSpeed) is refused: open and setFormat then change nothing and give false.
    bool open(Nanos at, const QString& end, const Format& format, Handshake handshake, bool dtr,
              bool rts);
    // The client leaves: what has not started is dropped, the frame on the wire finishes. A new
    // client's frames follow it, and its receiver reads nothing of a frame begun before it.
    void close(Nanos at, const QString& end);
    bool setFormat(Nanos at, const QString& end, const Format& format);
    void setHandshake(Nanos at, const QString& end, Handshake handshake);
    void setDtr(Nanos at, const QString& end, bool on);
    void setRts(Nanos at, const QString& end, bool on);
    void setBreak(Nanos at, const QString& end, bool on);
    void write(Nanos at, const QString& end, const QByteArray& bytes);
    // Sends one character ahead of the queue, whatever the flow control says.
    void sendImmediate(Nanos at, const QString& end, int code);
    // Drops the last `untaken` bytes written, if not started yet: what the end's program counts
    // as not taken by the UART. The frame on the wire goes, and so does what the UART took.
    void discardTx(Nanos at, const QString& end, qint64 untaken);
    // The end(s) receiving this end's TxD see RI for kRingPulse.
    void ring(Nanos at, const QString& end);

    // Runs the line up to `now`; the events since the last call, commands' included, in time
    // order.
    QList<Event> advance(Nanos now);
    // When advance() must next be called: the earliest moment an event falls due, at most
    // kHandOverFrames character times of its end after it happens. Nothing while the line has
    // nothing to tell. Events keep their own times, and the line's state its exact timing,
    // whenever advance() is called.
    std::optional<Nanos> nextWakeUp() const;
    Nanos now() const { return now_; }

    InputLines inputs(const QString& end) const;
    bool isOpen(const QString& end) const;
    // Bytes written since the end was opened that are gone, sent or discarded.
    qint64 txGone(const QString& end) const;
    // Bytes written that have not fully left: queued or on the wire.
    int txPending(const QString& end) const;
    // How many bytes, counted from the opening, the UART takes at once: its FIFO's room after
    // what has started or been dropped. Starts at kTxFifoDepth and only grows; a frame held by
    // flow control does not start, so the room stops growing while the line is held.
    qint64 txRoom(const QString& end) const;

private:
    struct End {
        QString name;
        bool open = false;
        Format format;
        Handshake handshake = Handshake::None;
        bool dtr = false;
        bool rts = false;
        bool lineBreak = false;
        // Transmitter
        QByteArray queue;
        int immediate = -1;
        qint64 written = 0;
        qint64 gone = 0;
        qint64 room = 0;
        bool stoppedByXoff = false;
        bool sending = false;
        bool sendingQueued = false;  // the frame on the wire came from the queue
        Nanos streamOrigin = 0;      // frames sent back to back are timed from here
        qint64 streamHalfBits = 0;
        Nanos streamEnd = -1;
        Level shifter = Level::Mark;
        Wire shifterEdges;  // the rest of the frame on the wire
        // Wiring: the end driving our RxD, CTS, and DSR with DCD (-1: nothing)
        int rxFrom = -1;
        int ctsFrom = -1;
        int dsrFrom = -1;
        // Receiver
        InputLines in;
        Nanos ringEnds = 0;
        Decoder decoder;
        QList<Decoded> deliveries;
        std::array<bool, kSignalCount> shown{};
    };

    int indexOf(const QString& name) const;
    End* find(const QString& name);
    const End* find(const QString& name) const;
    // Runs the line to `at` and makes it the current time.
    void catchUp(Nanos at, bool inclusive);
    std::optional<Nanos> nextActivity() const;
    // When the frame now on the wire that `receiver` reads ends (now if there is none).
    Nanos frameOnWireEnds(const End& receiver) const;
    void step(Nanos t);
    void deliver(End& e, const Decoded& frame);
    void finishFrame(End& e, Nanos t);
    void tryStart(End& e, Nanos t);
    void updateRoom(End& e, Nanos t);
    bool heldByFlow(const End& e) const;
    // Another frame follows the one on the wire, back to back.
    bool moreToSend(const End& e) const;
    // When an event at `at` of a line fed by `source` falls due.
    Nanos dueFrom(const End& source, Nanos at, Nanos delay) const;
    std::optional<Nanos> nextEdge(const End& e) const;
    void driveTxd(int index, Nanos t);
    Level txdLevel(const End& e) const;
    bool rtsOut(int index) const;
    bool dtrOut(int index) const;
    void updateInputs(Nanos t);
    void updateInput(End& e, Nanos t, bool InputLines::*line, bool level, Signal signal, int event);
    void show(End& e, Nanos t, Signal signal, bool high);
    void emitEvent(const End& e, Nanos t, Event::Kind kind, int value);

    std::vector<End> ends_;
    LevelProbe probe_;
    Nanos now_ = 0;
    QList<Event> events_;
};

}  // namespace labline
