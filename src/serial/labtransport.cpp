#include "serial/labtransport.h"

#include <QDeadlineTimer>
#include <QDir>

#include "serial/labline/line.h"
#include "serial/labline/localsocket.h"

namespace serial {

namespace local = labline::local;
using labline::wire::Message;
using labline::wire::Type;

namespace {

// The daemon answers an attachment at once; the bound only keeps a wedged lab from hanging the
// program.
constexpr int kAnswerMs = 3000;
// How long a write waits for a socket that cannot take more before the lab counts as lost.
constexpr int kSendWaitMs = 2000;
constexpr qint64 kEventMask = 0xFFFF;
constexpr int kLinesShift = 16;

qint64 attachFlags(const OpenRequest& r) {
    return qint64(r.handshaking) | (r.dtr ? labline::wire::kDtrOn : 0) |
           (r.rts ? labline::wire::kRtsOn : 0);
}

}  // namespace

bool isLabTarget(const QString& target) {
    return target.startsWith(QLatin1String(kLabPrefix));
}

std::optional<LabEnd> labEndOf(const QString& target) {
    if (!isLabTarget(target)) return std::nullopt;
    const QString rest = target.mid(int(qstrlen(kLabPrefix)));
    const qsizetype slash = rest.lastIndexOf('/');
    if (slash <= 0 || slash == rest.size() - 1) return std::nullopt;
    const QString folder = QDir::current().absoluteFilePath(rest.left(slash));
    return LabEnd{QDir(folder).filePath(QStringLiteral("socket")), rest.mid(slash + 1)};
}

LabTransport::LabTransport(TransportSink sink) : Transport(std::move(sink)) {}

LabTransport::~LabTransport() {
    notifier_.reset();
    local::closeFd(fd_);
}

MSComm::Error LabTransport::open(const OpenRequest& request) {
    const std::optional<LabEnd> where = labEndOf(request.target);
    if (!where) return MSComm::comPortInvalid;
    fd_ = local::connectTo(where->socket);
    if (fd_ < 0) return MSComm::comPortInvalid;  // no lab running there
    xonXoff_ = usesXonXoff(request.handshaking);
    room_ = labline::kTxFifoDepth;  // the line's own starting room
    dtr_ = request.dtr;
    rts_ = request.rts;
    const QByteArray text = where->end.toUtf8() + '\n' + request.settings.toUtf8();
    send(Message{Type::Attach, attachFlags(request), text});
    const MSComm::Error e = awaitAttached();
    if (e != MSComm::NoError) {
        local::closeFd(std::exchange(fd_, -1));
        return e;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readDaemon(); });
    return MSComm::NoError;
}

MSComm::Error LabTransport::awaitAttached() {
    QByteArray datagram;
    if (lost_ || !local::waitReadable(fd_, kAnswerMs) ||
        local::receive(fd_, &datagram) != local::ReceiveResult::Message)
        return MSComm::comPortInvalid;
    const std::optional<Message> m = labline::wire::decode(datagram);
    if (m && m->type == Type::Attached) {
        inputs_ = int(m->value);
        return MSComm::NoError;
    }
    if (m && m->type == Type::Refused) return MSComm::Error(m->value);
    return MSComm::comPortInvalid;
}

void LabTransport::close(bool discard) {
    if (fd_ < 0) return;
    if (discard) discardOutput();
    notifier_.reset();
    local::closeFd(std::exchange(fd_, -1));
}

void LabTransport::closeBlocking(int ms) {
    QDeadlineTimer deadline(ms);
    QByteArray datagram;
    while (fd_ >= 0 && !lost_ && !drained() &&
           local::waitReadable(fd_, int(deadline.remainingTime()))) {
        if (local::receive(fd_, &datagram) != local::ReceiveResult::Message) break;
        for (const Message& m : labline::wire::decodeAll(datagram).value_or(QList<Message>{}))
            if (m.type == Type::TxProgress) gone_ = m.value;
    }
    close(false);
}

// ---- Sending ---------------------------------------------------------------------------------

void LabTransport::send(const Message& m) {
    if (fd_ < 0 || lost_) return;
    const QByteArray datagram = labline::wire::encode(m);
    local::SendResult r = local::send(fd_, datagram);
    if (r == local::SendResult::WouldBlock && local::waitWritable(fd_, kSendWaitMs))
        r = local::send(fd_, datagram);
    if (r != local::SendResult::Sent) lose();
}

void LabTransport::write(const QByteArray& bytes) {
    for (qsizetype i = 0; i < bytes.size(); i += labline::wire::kMaxData) {
        send(Message{Type::Write, 0, bytes.mid(i, labline::wire::kMaxData)});
    }
    written_ += bytes.size();
}

// As a driver counts it: what the UART has not taken, not the frame being shifted out nor what
// waits in the FIFO.
int LabTransport::outBufferCount() const {
    return fd_ < 0 || lost_ ? 0 : int(qMax<qint64>(0, written_ - room_));
}

bool LabTransport::drained() const {
    return fd_ < 0 || lost_ || written_ == gone_;
}

void LabTransport::discardOutput() {
    // Only what outBufferCount() counts: the rest was shown as sent. What is dropped counts as
    // taken from now on, before the line says so, so that nothing is dropped twice.
    const int untaken = outBufferCount();
    if (untaken == 0) return;
    send(Message{Type::Discard, untaken, {}});
    room_ = written_;
}

// ---- Lines -----------------------------------------------------------------------------------

bool LabTransport::setHandshaking(Handshaking handshaking) {
    xonXoff_ = usesXonXoff(handshaking);
    send(Message{Type::SetHandshake, qint64(handshaking), {}});
    return true;
}

void LabTransport::setModemOutputs(bool dtr, bool rts) {
    if (dtr != dtr_) send(Message{Type::SetDtr, dtr, {}});
    if (rts != rts_) send(Message{Type::SetRts, rts, {}});
    dtr_ = dtr;
    rts_ = rts;
}

void LabTransport::setBreak(bool on) {
    send(Message{Type::SetBreak, on, {}});
}

bool LabTransport::ctsHolding() const {
    return fd_ >= 0 && !lost_ && (inputs_ & labline::wire::kCts);
}

void LabTransport::inputLevel(int queued, int capacity) {
    if (!xonXoff_ || fd_ < 0) return;
    switch (labline::receiveFlowChar(queued, capacity, xoffSent_)) {
        case labline::FlowChar::Xoff:
            send(Message{Type::SendImmediate, labline::kXoff, {}});
            xoffSent_ = true;
            break;
        case labline::FlowChar::Xon:
            send(Message{Type::SendImmediate, labline::kXon, {}});
            xoffSent_ = false;
            break;
        case labline::FlowChar::None:
            break;
    }
}

// ---- Receiving -------------------------------------------------------------------------------

void LabTransport::readDaemon() {
    QByteArray data;
    QList<int> events;
    const qint64 goneBefore = gone_;
    const qint64 roomBefore = room_;
    QByteArray datagram;
    bool closed = false;
    for (;;) {
        const local::ReceiveResult r = local::receive(fd_, &datagram);
        if (r == local::ReceiveResult::Nothing) break;
        const std::optional<QList<Message>> messages =
            r == local::ReceiveResult::Message ? labline::wire::decodeAll(datagram) : std::nullopt;
        if (!messages) {
            closed = true;
            break;
        }
        for (const Message& m : *messages) handle(m, &data, &events);
    }
    if (!data.isEmpty() || !events.isEmpty()) sink_.received(data, events);
    if (gone_ != goneBefore || room_ != roomBefore) sink_.progressed();
    if (closed) lose();
}

void LabTransport::handle(const Message& m, QByteArray* data, QList<int>* events) {
    switch (m.type) {
        case Type::Received:
            data->append(m.data);
            break;
        case Type::Errored:
            data->append(char(m.value));
            break;
        case Type::LineError:
            if (!events->contains(int(m.value))) events->append(int(m.value));
            break;
        case Type::Modem:
            inputs_ = int(m.value >> kLinesShift);
            events->append(int(m.value & kEventMask));
            break;
        case Type::TxProgress:
            gone_ = m.value;
            break;
        case Type::TxRoom:
            room_ = m.value;
            break;
        default:
            break;
    }
}

void LabTransport::lose() {
    if (lost_) return;
    lost_ = true;
    if (notifier_) notifier_->setEnabled(false);
    if (sink_.lost) sink_.lost();
}

}  // namespace serial
