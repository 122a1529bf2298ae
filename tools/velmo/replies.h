#pragma once
// How replies leave: as pieces of bytes, each after a pause. A well-behaved unit sends its
// whole reply at once; the misbehaviours that tests ask for hold it back, cut it in two, spoil
// it or drop it.

#include <QByteArray>
#include <QList>
#include <optional>

namespace velmo {

struct Misbehaviour {
    bool silent = false;   // never reply
    int delayMs = 0;       // pause before the reply
    int splitMs = -1;      // >= 0: the reply in two pieces, with this pause between them
    bool garbage = false;  // reply with a text that is not a number
};

struct Piece {
    int delayMs;  // after the previous piece, or after the command for the first one
    QByteArray bytes;
    bool operator==(const Piece&) const = default;
};

// The pieces of the reply `value`: its decimal digits and a carriage return.
QList<Piece> replyPieces(int value, const Misbehaviour& how);

// Replies waiting for their time. One reply's pieces all leave before the next reply's first
// piece, as from a unit that handles one command at a time.
class ReplyQueue {
public:
    void schedule(qint64 now, const QList<Piece>& pieces);
    // Removes and returns the bytes of every piece due at `now`, in order.
    QByteArray takeDue(qint64 now);
    // When the next piece is due; nothing when the queue is empty.
    std::optional<qint64> nextDue() const;

private:
    struct Timed {
        qint64 due;
        QByteArray bytes;
    };
    QList<Timed> queue_;
};

}  // namespace velmo
