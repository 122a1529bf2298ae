#include "replies.h"

#include <algorithm>

namespace velmo {

namespace {

constexpr char kCarriageReturn = '\r';
// Not a number, nor a blank then a number, for any reader that takes a leading number.
constexpr char kGarbage[] = "ERR";

}  // namespace

QList<Piece> replyPieces(int value, const Misbehaviour& how) {
    if (how.silent) return {};
    QByteArray text = how.garbage ? QByteArray(kGarbage) : QByteArray::number(value);
    text.append(kCarriageReturn);
    if (how.splitMs < 0) return {{how.delayMs, text}};
    return {{how.delayMs, text.first(1)}, {how.splitMs, text.sliced(1)}};
}

void ReplyQueue::schedule(qint64 now, const QList<Piece>& pieces) {
    qint64 at = queue_.isEmpty() ? now : std::max(now, queue_.last().due);
    for (const Piece& p : pieces) {
        at += p.delayMs;
        queue_.append({at, p.bytes});
    }
}

QByteArray ReplyQueue::takeDue(qint64 now) {
    QByteArray out;
    while (!queue_.isEmpty() && queue_.first().due <= now) out += queue_.takeFirst().bytes;
    return out;
}

std::optional<qint64> ReplyQueue::nextDue() const {
    if (queue_.isEmpty()) return std::nullopt;
    return queue_.first().due;
}

}  // namespace velmo
