#include "serial/mscomm.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <optional>
#include <utility>

#include "core/codepage.h"
#include "serial/devicetransport.h"
#ifdef Q_OS_LINUX
#include "serial/labtransport.h"
#endif
#include "serial/portmap.h"

using namespace serial;

// How the control works, whatever the port:
// - Opening resolves the port (ports.232, or a path set directly) and picks its transport: a
//   device, or an end of the virtual lab's line.
// - Events are queued and delivered one by one from the event loop. A handler may run a local
//   event loop; further events are then delivered inside it.
// - What is received is masked to the data bits and kept up to the input buffer's limit.

namespace {

constexpr int kDrainTickMs = 10;
// The longest a closing waits for the queue to leave: enough for any string the terminal sends
// (40 characters take 4 s at 110 bauds); a longer backlog, such as a repeated emission's under
// a slow speed, is discarded rather than keeping the program from answering for minutes.
constexpr int kMaxDrainMs = 10000;

// The speeds the control accepts in its settings text.
constexpr int kSpeeds[] = {110,   300,   600,   1200,  2400,  4800,   9600,   14400,
                           19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000};

// "9600,E,7,1" -> the format, or nothing when the text does not parse.
std::optional<LineFormat> parseSettings(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    LineFormat f;
    bool ok = false;
    f.speed = parts[0].trimmed().toInt(&ok);
    if (!ok || std::find(std::begin(kSpeeds), std::end(kSpeeds), f.speed) == std::end(kSpeeds))
        return std::nullopt;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity.size() != 1 || !QStringLiteral("NEOSM").contains(parity)) return std::nullopt;
    f.parity = parity.at(0).toLatin1();
    f.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || f.dataBits < 4 || f.dataBits > 8) return std::nullopt;
    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1")) {
        f.stopHalves = 2;
    } else if (stop == QLatin1String("1.5")) {
        f.stopHalves = 3;
    } else if (stop == QLatin1String("2")) {
        f.stopHalves = 4;
    } else {
        return std::nullopt;
    }
    return f;
}

// Time for `chars` characters at the format's speed, twice over plus a margin, within the bound.
int drainBoundMs(qint64 chars, const LineFormat& f) {
    const qint64 needMs = chars * bitsPerCharacter(f) * 1000 / qMax(1, f.speed);
    return int(qMin<qint64>(2 * needMs + 500, kMaxDrainMs));
}

}  // namespace

struct MSComm::Private {
    MSComm* q;
    std::unique_ptr<Transport> port;

    // Properties.
    int commPort = 1;
    QString settings = QStringLiteral("9600,N,8,1");
    serial::Handshaking handshaking = serial::Handshaking::None;
    bool rtsEnable = false;
    bool dtrEnable = true;
    int inputLen = 0;
    int rThreshold = 0;
    int sThreshold = 0;
    bool breakOn = false;
    QString portMapDir;
    QString devicePath;

    // The open port.
    bool open = false;
    bool closing = false;
    bool lost = false;  // the port went away; closing is on its way
    Error lastError = NoError;
    QString problem;
    QString device;
    LineFormat format;
    unsigned char mask = 0xFF;

    // Received bytes, masked.
    QByteArray input;
    bool overflowReported = false;
    quint64 reads = 0;  // Input calls that returned something

    // Events.
    int commEvent = NoEvent;
    int inputLimit = kInputBufferLimit;
    int outputLimit = kOutputQueueLimit;
    // Test seam: the far end holds the line; CTS reads inactive and what is written stays here.
    bool lineHeld = false;
    QByteArray heldOutput;
    QList<int> pending;
    bool deliveryPosted = false;
    bool receiveQueued = false;
    QList<int> delivering;  // events whose handlers run, innermost last
    bool sendArmed = false;

    explicit Private(MSComm* owner) : q(owner) {}

    // ---- events ----

    // `own` events result from the caller's own action (a refused Output) and show in CommEvent
    // at once; the others show at once only outside a handler, so that a handler always reads
    // the event it was called for.
    void raise(int event, bool own = false) {
        if (own || delivering.isEmpty()) commEvent = event;
        pending.append(event);
        postDelivery();
    }

    void postDelivery() {
        if (deliveryPosted) return;
        deliveryPosted = true;
        QMetaObject::invokeMethod(
            q, [this] { deliverNext(); }, Qt::QueuedConnection);
    }

    void deliverNext() {
        deliveryPosted = false;
        if (closing || pending.isEmpty()) return;
        const int event = pending.takeFirst();
        if (!pending.isEmpty()) postDelivery();
        if (event == comEvReceive) {
            receiveQueued = false;
            // Someone took the characters since the event was raised: nothing to announce.
            if (input.size() < qMax(1, rThreshold)) return;
        }
        const quint64 readsBefore = reads;
        QPointer<MSComm> alive(q);
        delivering.append(event);
        commEvent = event;
        emit q->OnComm();
        if (!alive) return;  // the handler destroyed the control
        delivering.removeLast();
        if (!delivering.isEmpty()) commEvent = delivering.last();
        // Characters left after a partial read are announced again; a handler that read
        // nothing is not called again before new characters arrive.
        if (event == comEvReceive && reads != readsBefore) maybeRaiseReceive();
    }

    void maybeRaiseReceive() {
        if (!open || lost || receiveQueued || rThreshold <= 0 || input.size() < rThreshold) return;
        receiveQueued = true;
        raise(comEvReceive);
    }

    // ---- receiving ----

    void received(QByteArray data, QList<int> events) {
        if (!open || lost) return;
        if (mask != 0xFF) {
            for (char& c : data) c = char(static_cast<unsigned char>(c) & mask);
        }
        const qsizetype room = inputLimit - input.size();
        if (data.size() > room) {
            data.truncate(qMax<qsizetype>(0, room));
            if (!overflowReported && !events.contains(comEventRxOver)) {
                events.append(comEventRxOver);
                std::sort(events.begin(), events.end());
            }
            overflowReported = true;
        }
        input.append(data);
        port->inputLevel(int(input.size()), inputLimit);
        // Errors first, so that a handler hears of the error before it reads the characters.
        for (int e : events) raise(e);
        maybeRaiseReceive();
    }

    QByteArray take() {
        const qsizetype n = inputLen > 0 ? qMin<qsizetype>(inputLen, input.size()) : input.size();
        QByteArray out = input.left(n);
        input.remove(0, n);
        if (n > 0) {
            ++reads;
            overflowReported = false;
            if (open && !lost) port->inputLevel(int(input.size()), inputLimit);
        }
        return out;
    }

    // ---- sending ----

    int outBufferCount() const {
        return open ? port->outBufferCount() + int(heldOutput.size()) : 0;
    }

    void write(const QByteArray& bytes) {
        if (!open || lost || bytes.isEmpty()) return;
        if (outBufferCount() + bytes.size() > outputLimit) {
            raise(comEventTxFull, true);
            return;
        }
        QByteArray out = bytes;
        if (mask != 0xFF) {
            for (char& c : out) c = char(static_cast<unsigned char>(c) & mask);
        }
        // The bytes count as having been queued even when the line took them at once: their
        // leaving is the sent event's transition.
        const int before = outBufferCount();
        if (lineHeld)
            heldOutput += out;
        else
            port->write(out);
        if (sThreshold > 0 && before + out.size() >= sThreshold) {
            sendArmed = true;
            port->watchOutput(true);
        }
    }

    void checkSent() {
        if (sendArmed && outBufferCount() < sThreshold) {
            sendArmed = false;
            port->watchOutput(false);
            raise(comEvSend);
        }
    }

    void applyModemOutputs() {
        if (open && !lost) port->setModemOutputs(dtrEnable, rtsEnable);
    }

    // ---- opening and closing ----

    Error fail(Error e) {
        lastError = e;
        return e;
    }

    // The device or lab end the port leads to; empty, with `problem` set, when there is none.
    QString target() {
        problem.clear();
        if (!devicePath.isEmpty()) return devicePath;
        const QString dir = portMapDir.isEmpty() ? QDir::currentPath() : portMapDir;
        const portmap::Entry r = portmap::resolve(commPort, dir);
        problem = r.problem;
        return r.device;
    }

    std::unique_ptr<Transport> makeTransport(const QString& path) {
        TransportSink sink;
        sink.received = [this](const QByteArray& data, const QList<int>& events) {
            received(data, events);
        };
        sink.progressed = [this] { checkSent(); };
        sink.lost = [this] { onLost(); };
#ifdef Q_OS_LINUX
        // The lab's line runs on Linux only: elsewhere a lab end is a device that is not there.
        if (isLabTarget(path)) return std::make_unique<LabTransport>(std::move(sink));
#endif
        return std::make_unique<DeviceTransport>(std::move(sink));
    }

    Error openPort() {
        if (open) return fail(NoError);
        const QString path = target();
        if (path.isEmpty()) return fail(comPortInvalid);
        const std::optional<LineFormat> parsed = parseSettings(settings);
        if (!parsed) return fail(comSetCommStateFailed);
        port = makeTransport(path);
        const Error e =
            port->open(OpenRequest{path, settings, *parsed, handshaking, dtrEnable, rtsEnable});
        if (e != NoError) {
            port.reset();
            return fail(e);
        }
        format = *parsed;
        device = path;
        open = true;
        lost = false;
        mask = static_cast<unsigned char>((1u << format.dataBits) - 1);
        input.clear();
        pending.clear();
        // An event of an earlier opening must not be taken for one of this one.
        commEvent = NoEvent;
        receiveQueued = false;
        sendArmed = false;
        overflowReported = false;
        breakOn = false;
        return fail(NoError);
    }

    bool drained() const {
        return !open || lost || (heldOutput.isEmpty() && port->drained());
    }

    // Lets what is queued leave the line, waiting at most twice the time the queue needs at the
    // requested speed, plus a margin.
    void drain() {
        if (drained()) return;
        const qint64 chars = outBufferCount() + 16;  // 16: a UART's transmit FIFO
        QEventLoop loop;
        QTimer tick;
        tick.setInterval(kDrainTickMs);
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            if (drained()) loop.quit();
        });
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        tick.start();
        deadline.start(drainBoundMs(chars, format));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

    void releasePort() {
        open = false;
        lost = false;
        breakOn = false;
        sendArmed = false;
        receiveQueued = false;
        pending.clear();
    }

    void closePort() {
        if (!open || closing) return;
        closing = true;
        drain();
        // Under flow control the queue may never leave: what remains is discarded, and said as
        // the time-out it is, never taken for a success. (A flush with nothing held back would
        // also throw away, on a pseudo-terminal, what the far end has not read yet.)
        const bool discard = open && !lost && !drained();
        if (discard) commEvent = comEventCTSTO;
        if (port) port->close(discard);
        releasePort();
        closing = false;
    }

    // The port went away. The transport reports it once; the closing runs from the event loop,
    // not from inside the transport's notification.
    void onLost() {
        if (!open || lost) return;
        lost = true;
        if (closing) return;  // closePort finishes the job
        QMetaObject::invokeMethod(
            q, [this] { finishLost(); }, Qt::QueuedConnection);
    }

    void finishLost() {
        if (!open || !lost || closing) return;
        port->close(false);
        releasePort();
        raise(comEventPortLost);
    }
};

MSComm::MSComm(QObject* parent) : QObject(parent), d(std::make_unique<Private>(this)) {}

MSComm::~MSComm() {
    if (d->open && !d->lost) {
        // No event loop here: a bounded blocking wait lets the queue leave.
        d->port->closeBlocking(drainBoundMs(d->outBufferCount(), d->format));
    }
    d->port.reset();
}

int MSComm::CommPort() const {
    return d->commPort;
}
void MSComm::setCommPort(int port) {
    if (!d->open) d->commPort = port;
}

QString MSComm::Settings() const {
    return d->settings;
}
void MSComm::setSettings(const QString& settings) {
    if (!d->open) d->settings = settings;
}

serial::Handshaking MSComm::Handshaking() const {
    return d->handshaking;
}
void MSComm::setHandshaking(serial::Handshaking handshake) {
    d->handshaking = handshake;
    if (d->open && !d->lost) d->port->setHandshaking(handshake);
}

bool MSComm::RTSEnable() const {
    return d->rtsEnable;
}
void MSComm::setRTSEnable(bool on) {
    d->rtsEnable = on;
    d->applyModemOutputs();
}
bool MSComm::DTREnable() const {
    return d->dtrEnable;
}
void MSComm::setDTREnable(bool on) {
    d->dtrEnable = on;
    d->applyModemOutputs();
}

bool MSComm::PortOpen() const {
    return d->open;
}
MSComm::Error MSComm::setPortOpen(bool open) {
    if (open) return d->openPort();
    d->closePort();
    return NoError;
}
MSComm::Error MSComm::lastError() const {
    return d->lastError;
}
QString MSComm::deviceName() const {
    return d->device;
}
QString MSComm::portProblem() const {
    return d->problem;
}
void MSComm::setPortMapDirectory(const QString& dir) {
    d->portMapDir = dir;
}

void MSComm::setDevicePath(const QString& path) {
    d->devicePath = path;
}

void MSComm::setOutput(const QString& text) {
    d->write(cp1252::encode(text));
}
void MSComm::setOutputBytes(const QByteArray& bytes) {
    d->write(bytes);
}

QString MSComm::Input() {
    return cp1252::decode(d->take());
}
QByteArray MSComm::InputBytes() {
    return d->take();
}
int MSComm::InputLen() const {
    return d->inputLen;
}
void MSComm::setInputLen(int n) {
    d->inputLen = qMax(0, n);
}
int MSComm::InBufferCount() const {
    return int(d->input.size());
}

int MSComm::RThreshold() const {
    return d->rThreshold;
}
void MSComm::setRThreshold(int n) {
    d->rThreshold = qMax(0, n);
    d->maybeRaiseReceive();
}
int MSComm::SThreshold() const {
    return d->sThreshold;
}
void MSComm::setSThreshold(int n) {
    d->sThreshold = qMax(0, n);
    if (d->sThreshold == 0) d->sendArmed = false;
}

int MSComm::OutBufferCount() const {
    return d->outBufferCount();
}
void MSComm::setOutBufferCount(int n) {
    if (n != 0 || !d->open || d->lost) return;
    d->heldOutput.clear();
    d->port->discardOutput();
    d->checkSent();
}

int MSComm::CommEvent() const {
    return d->commEvent;
}

bool MSComm::CTSHolding() const {
    return d->open && !d->lost && !d->lineHeld && d->port->ctsHolding();
}

bool MSComm::Break() const {
    return d->breakOn;
}
void MSComm::setBreak(bool on) {
    if (!d->open || d->lost) return;
    d->breakOn = on;
    d->port->setBreak(on);
}

void MSComm::setInputBufferLimit(int bytes) {
    d->inputLimit = qMax(1, bytes);
}

void MSComm::setOutputQueueLimit(int bytes) {
    d->outputLimit = qMax(0, bytes);
}

void MSComm::holdLineForTest(bool held) {
    d->lineHeld = held;
    if (!held && d->open && !d->lost) d->port->write(std::exchange(d->heldOutput, QByteArray()));
}

void MSComm::injectEvent(int commEvent) {
    d->raise(commEvent);
}
