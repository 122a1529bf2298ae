#pragma once
// The messages between the lab's line daemon and the programs plugged into its ends. Each message
// is one datagram of a sequenced-packet local socket: a type byte, a 64-bit little-endian value
// and, for some types, bytes; what the daemon has for a client from one run of the line may come
// as one Batch datagram holding several.
//
// A client plugs in with Attach (the end's name, its settings and outputs); the daemon answers
// Attached with the end's input lines, or Refused with the serial control's opening error. From
// then on the client sends its commands and the daemon sends what happens at that end; the daemon
// leaves a client unread while its end's transmit queue is full. A client that has not attached
// may send Ring naming an end: the lab rings whoever that end's line reaches, as an incoming call
// would, and answers Rung (or Refused for an end it does not have). A message the daemon cannot
// carry out is answered Rejected, never cut or guessed at.

#include <QByteArray>
#include <QList>
#include <optional>

namespace labline::wire {

enum class Type : quint8 {
    // Client to daemon.
    Attach = 1,    // data: "end\nsettings"; value: handshake | kDtrOn | kRtsOn
    SetDtr = 2,    // value: 0 or 1
    SetRts = 3,    // value: 0 or 1
    SetBreak = 4,  // value: 0 or 1
    SetHandshake = 5,
    Write = 6,          // data: the bytes
    SendImmediate = 7,  // value: the code, sent ahead of the queue (Xon, Xoff)
    Discard = 8,        // drops the last `value` bytes written, if not started
    Ring = 9,           // rings the end(s) receiving this end's TxD; unattached, data: the end
    Monitor = 10,       // unattached: watch wires of an end; data: "end\nTxD,RxD,..."
    // Daemon to client.
    Attached = 64,    // value: input lines
    Refused = 65,     // value: the opening error
    Received = 66,    // data: codes received intact, in order
    Errored = 67,     // value: a code received with errors; the LineError messages come first
    LineError = 68,   // value: 1001, 1004, 1009, or 1006 for characters the client was too slow for
    Modem = 69,       // value: the event (3 to 6) | input lines << 16
    TxProgress = 70,  // value: bytes gone from the transmit queue since attaching
    TxRoom = 71,      // value: bytes since attaching that the end's UART takes at once
    Rung = 72,        // an unattached Ring went out (an unknown end is Refused instead)
    Rejected = 73,    // value: the type of a message not carried out | its Rejection << 8
    Monitoring = 74,  // Monitor taken; value: the monotonic clock's nanoseconds at line time 0
    Levels = 75,      // value: line time the record is complete to; data: kLevelRecord each
    LevelsLost = 76,  // value: level changes dropped for a monitor that did not keep up
    Batch = 77,       // data: several of the messages above for one client, in order
};

// Why a message was not carried out. Its client stays attached; nothing of the message was done.
enum Rejection : int {
    kTooLong = 1,   // longer than kHeaderSize + kMaxData
    kNotTaken = 2,  // not a command, or an Attach once attached
};

// Flags of Attach's value, above the handshake number.
inline constexpr qint64 kDtrOn = 1 << 4;
inline constexpr qint64 kRtsOn = 1 << 5;

// Input lines as carried by Attached and Modem.
enum InputLine : int { kCts = 1, kDsr = 2, kDcd = 4, kRi = 8 };

// The most bytes one Write or Received carries.
inline constexpr int kMaxData = 4096;
// A level change for a monitor: the line time (8 bytes, little-endian nanoseconds), then the
// wire's index in the monitor's list shifted left by one, its bit 0 the wire's new level.
inline constexpr int kLevelRecord = 9;
// The most wires one monitor watches.
inline constexpr int kMonitorWires = 8;
// Header size: type and value.
inline constexpr int kHeaderSize = 9;

struct Message {
    Type type = Type::Write;
    qint64 value = 0;
    QByteArray data;
    bool operator==(const Message&) const = default;
};

QByteArray encode(const Message& message);
// Nothing for a datagram too short to hold a header.
std::optional<Message> decode(const QByteArray& datagram);

// What a run of the line has for one client goes as one datagram, so that a batch of characters,
// the transmit queue's room and its progress cost the line one system call rather than three.
// Each message is its length (16 bits, little-endian) followed by its encoding; a batch never
// holds another, and its data stays within kMaxData.
QByteArray encodeBatch(const QList<Message>& messages);
// The room a message takes in a batch's data.
qsizetype batchedSize(const Message& message);
// The messages a datagram carries: itself, or those of a batch in order. Nothing for a datagram
// too short, or a batch whose contents do not read whole.
std::optional<QList<Message>> decodeAll(const QByteArray& datagram);

}  // namespace labline::wire
