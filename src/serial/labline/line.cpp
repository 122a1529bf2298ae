#include "serial/labline/line.h"

#include <algorithm>

namespace labline {

namespace {

bool usesXonXoff(Handshake h) {
    return h == Handshake::XonXoff || h == Handshake::Both;
}
bool usesRtsCts(Handshake h) {
    return h == Handshake::RtsCts || h == Handshake::Both;
}

void earliest(std::optional<Nanos>& best, std::optional<Nanos> candidate) {
    if (candidate && (!best || *candidate < *best)) best = candidate;
}

// The daemon's wake-up, its socket and the receiving program take their share of the bound, so
// the line aims half a character time inside it.
Nanos handOverDelay(const Format& format) {
    return (2 * kHandOverFrames - 1) * frameNanos(format) / 2;
}

struct SignalName {
    Signal signal;
    const char* name;
};
constexpr SignalName kSignalNames[kSignalCount] = {
    {Signal::TxD, "TxD"}, {Signal::RxD, "RxD"}, {Signal::Rts, "RTS"}, {Signal::Cts, "CTS"},
    {Signal::Dtr, "DTR"}, {Signal::Dsr, "DSR"}, {Signal::Dcd, "DCD"}, {Signal::Ri, "RI"},
};

}  // namespace

FlowChar receiveFlowChar(int queued, int capacity, bool xoffSent) {
    if (!xoffSent && 4 * qint64(queued) > 3 * qint64(capacity)) return FlowChar::Xoff;
    if (xoffSent && queued == 0) return FlowChar::Xon;
    return FlowChar::None;
}

QString signalName(Signal signal) {
    return QLatin1String(kSignalNames[int(signal)].name);
}

bool idleLevel(Signal signal) {
    return signal == Signal::TxD || signal == Signal::RxD;
}

// ---- Wiring ----------------------------------------------------------------------------------

void Line::addEnd(const QString& name) {
    if (indexOf(name) >= 0) return;
    End e;
    e.name = name;
    for (int s = 0; s < kSignalCount; ++s) e.shown[s] = idleLevel(Signal(s));
    ends_.push_back(std::move(e));
}

void Line::plugLoopback(const QString& end) {
    addEnd(end);
    End& e = ends_[indexOf(end)];
    e.rxFrom = e.ctsFrom = e.dsrFrom = indexOf(end);
}

void Line::cableNullModem(const QString& a, const QString& b) {
    addEnd(a);
    addEnd(b);
    const int ia = indexOf(a);
    const int ib = indexOf(b);
    ends_[ia].rxFrom = ends_[ia].ctsFrom = ends_[ia].dsrFrom = ib;
    ends_[ib].rxFrom = ends_[ib].ctsFrom = ends_[ib].dsrFrom = ia;
}

QStringList Line::ends() const {
    QStringList names;
    for (const End& e : ends_) names.append(e.name);
    return names;
}

void Line::setNoise(quint32 errorsPerMillionBits, quint64 seed) {
    for (size_t i = 0; i < ends_.size(); ++i) {
        ends_[i].decoder.setNoise(errorsPerMillionBits, seed + i);
    }
}

int Line::indexOf(const QString& name) const {
    for (size_t i = 0; i < ends_.size(); ++i) {
        if (ends_[i].name == name) return int(i);
    }
    return -1;
}

Line::End* Line::find(const QString& name) {
    const int i = indexOf(name);
    return i < 0 ? nullptr : &ends_[i];
}

const Line::End* Line::find(const QString& name) const {
    const int i = indexOf(name);
    return i < 0 ? nullptr : &ends_[i];
}

// ---- Commands --------------------------------------------------------------------------------

bool Line::open(Nanos at, const QString& end, const Format& format, Handshake handshake, bool dtr,
                bool rts) {
    End* e = find(end);
    if (!e || !isUartSpeed(format.speed)) return false;
    catchUp(at, false);
    e->open = true;
    e->format = format;
    e->handshake = handshake;
    e->dtr = dtr;
    e->rts = rts;
    e->written = 0;
    e->gone = 0;
    e->room = kTxFifoDepth;
    e->stoppedByXoff = false;
    // A frame a former client left on the wire finishes before this client's first one, which is
    // timed at the new speed; the receiver starts after the frame on its own wire.
    e->streamOrigin = e->streamEnd;
    e->streamHalfBits = 0;
    e->decoder.setFormat(format, frameOnWireEnds(*e));
    e->deliveries.clear();
    updateInputs(now_);
    return true;
}

void Line::close(Nanos at, const QString& end) {
    End* e = find(end);
    if (!e || !e->open) return;
    catchUp(at, false);
    e->open = false;
    e->dtr = e->rts = e->lineBreak = false;
    // The driver drops what has not started; the UART's shift register finishes the frame it
    // started, so that the far end reads a whole character rather than a cut one. That frame is
    // no longer any client's to count.
    e->queue.clear();
    e->immediate = -1;
    e->sendingQueued = false;
    e->deliveries.clear();
    driveTxd(indexOf(end), now_);
    updateInputs(now_);
}

bool Line::setFormat(Nanos at, const QString& end, const Format& format) {
    End* e = find(end);
    if (!e || !isUartSpeed(format.speed)) return false;
    catchUp(at, false);
    e->format = format;
    // The next frame may still follow the current one back to back, timed at the new speed.
    e->streamOrigin = e->streamEnd;
    e->streamHalfBits = 0;
    e->decoder.setFormat(format, frameOnWireEnds(*e));
    return true;
}

void Line::setHandshake(Nanos at, const QString& end, Handshake handshake) {
    End* e = find(end);
    if (!e) return;
    catchUp(at, false);
    e->handshake = handshake;
    tryStart(*e, now_);
}

void Line::setDtr(Nanos at, const QString& end, bool on) {
    End* e = find(end);
    if (!e || !e->open) return;
    catchUp(at, false);
    e->dtr = on;
    updateInputs(now_);
}

void Line::setRts(Nanos at, const QString& end, bool on) {
    End* e = find(end);
    if (!e || !e->open) return;
    catchUp(at, false);
    e->rts = on;
    updateInputs(now_);
}

void Line::setBreak(Nanos at, const QString& end, bool on) {
    End* e = find(end);
    if (!e || !e->open) return;
    catchUp(at, false);
    e->lineBreak = on;
    driveTxd(indexOf(end), now_);
    tryStart(*e, now_);
}

void Line::write(Nanos at, const QString& end, const QByteArray& bytes) {
    End* e = find(end);
    if (!e || !e->open) return;
    catchUp(at, false);
    e->queue += bytes;
    e->written += bytes.size();
    tryStart(*e, now_);
}

void Line::sendImmediate(Nanos at, const QString& end, int code) {
    End* e = find(end);
    if (!e || !e->open) return;
    catchUp(at, false);
    e->immediate = code & 0xFF;
    tryStart(*e, now_);
}

void Line::discardTx(Nanos at, const QString& end, qint64 untaken) {
    End* e = find(end);
    if (!e || !e->open) return;
    catchUp(at, false);
    // Only the last bytes written, those the end's program counts as not taken by the UART:
    // the others it saw leave, and showed as sent. Its count may lag behind the line's (it waits
    // for the line's word), so it drops at least what the UART has not taken.
    const qsizetype dropped = qsizetype(qBound<qint64>(0, untaken, e->queue.size()));
    if (dropped == 0) return;
    e->gone += dropped;
    e->queue.chop(dropped);
    emitEvent(*e, now_, Event::Kind::TxProgress, int(e->gone));
    updateRoom(*e, now_);
}

void Line::ring(Nanos at, const QString& end) {
    const int from = indexOf(end);
    if (from < 0) return;
    catchUp(at, false);
    for (End& far : ends_) {
        if (far.rxFrom != from) continue;
        far.ringEnds = now_ + kRingPulse;
        updateInput(far, now_, &InputLines::ri, true, Signal::Ri, kRingDetected);
    }
}

// ---- Queries ---------------------------------------------------------------------------------

InputLines Line::inputs(const QString& end) const {
    const End* e = find(end);
    return e ? e->in : InputLines{};
}

bool Line::isOpen(const QString& end) const {
    const End* e = find(end);
    return e && e->open;
}

qint64 Line::txGone(const QString& end) const {
    const End* e = find(end);
    return e ? e->gone : 0;
}

qint64 Line::txRoom(const QString& end) const {
    const End* e = find(end);
    return e && e->open ? e->room : 0;
}

int Line::txPending(const QString& end) const {
    const End* e = find(end);
    if (!e || !e->open) return 0;
    return int(e->queue.size()) + (e->sending && e->sendingQueued ? 1 : 0);
}

Nanos Line::frameOnWireEnds(const End& receiver) const {
    if (receiver.rxFrom < 0) return now_;
    const End& source = ends_[receiver.rxFrom];
    return source.sending ? source.streamEnd : now_;
}

// ---- Running the line ------------------------------------------------------------------------

QList<Event> Line::advance(Nanos now) {
    catchUp(now, true);
    return std::exchange(events_, {});
}

void Line::catchUp(Nanos at, bool inclusive) {
    for (auto t = nextActivity(); t && (*t < at || (inclusive && *t == at)); t = nextActivity()) {
        step(*t);
    }
    now_ = std::max(now_, at);
}

std::optional<Nanos> Line::nextActivity() const {
    std::optional<Nanos> next;
    for (const End& e : ends_) {
        if (!e.deliveries.isEmpty()) earliest(next, e.deliveries.front().at);
        if (e.in.ri) earliest(next, e.ringEnds);
        if (e.sending) earliest(next, e.streamEnd);
        if (!e.shifterEdges.isEmpty()) earliest(next, e.shifterEdges.front().at);
        earliest(next, e.decoder.nextSample());
    }
    return next;
}

// Waiting for a batch only pays while the sender has more to send, and no longer than until it
// has sent what it holds: a character alone, or the last of a burst, goes at its own time.
std::optional<Nanos> Line::nextWakeUp() const {
    std::optional<Nanos> next;
    if (!events_.isEmpty()) next = now_;
    for (const End& e : ends_) {
        if (e.in.ri) earliest(next, e.ringEnds);
        // A closed end reports nothing: what goes on at it waits for the next command.
        if (!e.open) continue;
        const Nanos delay = handOverDelay(e.format);
        if (e.sending) earliest(next, dueFrom(e, e.streamEnd, delay));
        if (e.rxFrom < 0) continue;
        const End& source = ends_[e.rxFrom];
        if (!e.deliveries.isEmpty())
            earliest(next, dueFrom(source, e.deliveries.front().at, delay));
        if (const std::optional<Nanos> due = e.decoder.deliveryDue()) {
            earliest(next, dueFrom(source, *due, delay));
        } else if (const std::optional<Nanos> edge = nextEdge(source)) {
            // A frame not begun yet cannot be handed over sooner than one of our frames after the
            // sender's next edge.
            earliest(next, dueFrom(source, *edge + frameNanos(e.format), delay));
        }
    }
    return next;
}

Nanos Line::dueFrom(const End& source, Nanos at, Nanos delay) const {
    if (!moreToSend(source)) return at;
    const qint64 frames = source.queue.size() + (source.immediate >= 0 ? 1 : 0);
    const qint64 halfBits = source.streamHalfBits + frames * frameHalfBits(source.format);
    const Nanos drained = source.streamOrigin + halfBitsToNanos(halfBits, source.format.speed);
    return std::clamp(drained, at, at + delay);
}

bool Line::moreToSend(const End& e) const {
    return e.open && e.sending && !e.lineBreak &&
           (e.immediate >= 0 || (!e.queue.isEmpty() && !heldByFlow(e)));
}

std::optional<Nanos> Line::nextEdge(const End& e) const {
    if (!e.shifterEdges.isEmpty()) return e.shifterEdges.front().at;
    if (moreToSend(e)) return e.streamEnd;
    return std::nullopt;
}

// What happens at one instant, in cause-to-effect order: characters handed over (an Xoff may
// stop a transmitter), rings ending, frames ending and starting, the wires changing, and the
// receivers sampling the wires as they are after those changes.
void Line::step(Nanos t) {
    now_ = t;
    for (End& e : ends_) {
        while (!e.deliveries.isEmpty() && e.deliveries.front().at <= t) {
            deliver(e, e.deliveries.takeFirst());
        }
        if (e.in.ri && e.ringEnds <= t) {
            updateInput(e, t, &InputLines::ri, false, Signal::Ri, 0);
        }
        if (e.sending && e.streamEnd <= t) finishFrame(e, t);
    }
    for (size_t i = 0; i < ends_.size(); ++i) {
        End& e = ends_[i];
        while (!e.shifterEdges.isEmpty() && e.shifterEdges.front().at <= t) {
            e.shifter = e.shifterEdges.takeFirst().level;
            driveTxd(int(i), t);
        }
    }
    for (End& e : ends_) {
        for (auto s = e.decoder.nextSample(); s && *s <= t; s = e.decoder.nextSample()) {
            const std::optional<Decoded> frame = e.decoder.takeSample();
            if (frame && e.open) e.deliveries.append(*frame);
        }
    }
}

void Line::deliver(End& e, const Decoded& frame) {
    if (!e.open) return;
    if (frame.lineBreak) {
        emitEvent(e, now_, Event::Kind::LineError, kBreakReceived);
        return;
    }
    const bool clean = !frame.framingError && !frame.parityError;
    if (clean && usesXonXoff(e.handshake) && (frame.code == kXon || frame.code == kXoff)) {
        // The driver takes flow characters for itself; only Xon lifts an Xoff.
        e.stoppedByXoff = frame.code == kXoff;
        tryStart(e, now_);
        return;
    }
    if (frame.framingError) emitEvent(e, now_, Event::Kind::LineError, kFramingError);
    if (frame.parityError) emitEvent(e, now_, Event::Kind::LineError, kParityError);
    Event received{
        now_, e.name, Event::Kind::Received, frame.code, frame.framingError, frame.parityError};
    events_.append(received);
}

void Line::finishFrame(End& e, Nanos t) {
    e.sending = false;
    if (e.sendingQueued && e.open) {
        ++e.gone;
        emitEvent(e, t, Event::Kind::TxProgress, int(e.gone));
    }
    tryStart(e, t);
}

bool Line::heldByFlow(const End& e) const {
    return (usesRtsCts(e.handshake) && !e.in.cts) || (usesXonXoff(e.handshake) && e.stoppedByXoff);
}

void Line::tryStart(End& e, Nanos t) {
    if (!e.open || e.sending || e.lineBreak) return;
    int code = -1;
    e.sendingQueued = false;
    if (e.immediate >= 0) {
        code = std::exchange(e.immediate, -1);
    } else if (!e.queue.isEmpty() && !heldByFlow(e)) {
        code = quint8(e.queue.front());
        e.queue.remove(0, 1);
        e.sendingQueued = true;
        updateRoom(e, t);
    } else {
        return;
    }
    if (t != e.streamEnd) {
        e.streamOrigin = t;
        e.streamHalfBits = 0;
    }
    e.streamHalfBits =
        appendFrame(e.shifterEdges, code, e.format, e.streamOrigin, e.streamHalfBits);
    e.streamEnd = e.streamOrigin + halfBitsToNanos(e.streamHalfBits, e.format.speed);
    e.sending = true;
}

void Line::updateRoom(End& e, Nanos t) {
    const qint64 room = e.written - e.queue.size() + kTxFifoDepth;
    if (room <= e.room) return;
    e.room = room;
    emitEvent(e, t, Event::Kind::TxRoom, int(room));
}

// ---- Wires -----------------------------------------------------------------------------------

Level Line::txdLevel(const End& e) const {
    return e.lineBreak ? Level::Space : e.shifter;
}

bool Line::rtsOut(int index) const {
    return index >= 0 && ends_[index].open && ends_[index].rts;
}
bool Line::dtrOut(int index) const {
    return index >= 0 && ends_[index].open && ends_[index].dtr;
}

void Line::driveTxd(int index, Nanos t) {
    End& source = ends_[index];
    const Level level = txdLevel(source);
    const bool high = level == Level::Mark;
    if (source.shown[int(Signal::TxD)] == high) return;
    show(source, t, Signal::TxD, high);
    for (End& e : ends_) {
        if (e.rxFrom != index) continue;
        e.decoder.lineChanged(t, level);
        show(e, t, Signal::RxD, high);
    }
}

void Line::updateInputs(Nanos t) {
    for (size_t i = 0; i < ends_.size(); ++i) {
        End& e = ends_[i];
        show(e, t, Signal::Rts, rtsOut(int(i)));
        show(e, t, Signal::Dtr, dtrOut(int(i)));
    }
    for (End& e : ends_) {
        updateInput(e, t, &InputLines::cts, rtsOut(e.ctsFrom), Signal::Cts, kCtsChanged);
        updateInput(e, t, &InputLines::dsr, dtrOut(e.dsrFrom), Signal::Dsr, kDsrChanged);
        updateInput(e, t, &InputLines::dcd, dtrOut(e.dsrFrom), Signal::Dcd, kCdChanged);
    }
}

// `event` 0: the change raises no event (the end of a ring).
void Line::updateInput(End& e, Nanos t, bool InputLines::*line, bool level, Signal signal,
                       int event) {
    if (e.in.*line == level) return;
    e.in.*line = level;
    show(e, t, signal, level);
    if (event != 0) emitEvent(e, t, Event::Kind::Modem, event);
    if (signal == Signal::Cts) tryStart(e, t);
}

void Line::show(End& e, Nanos t, Signal signal, bool high) {
    bool& shown = e.shown[int(signal)];
    if (shown == high) return;
    shown = high;
    if (probe_) probe_(t, e.name, signal, high);
}

void Line::emitEvent(const End& e, Nanos t, Event::Kind kind, int value) {
    if (!e.open) return;
    events_.append(Event{t, e.name, kind, value});
}

}  // namespace labline
