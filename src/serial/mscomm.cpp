#include "serial/mscomm.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QSerialPort>
#include <QSet>
#include <QTimer>
#include <optional>
#include <utility>

#include "core/codepage.h"
#include "serial/linemarks.h"
#include "serial/platform.h"
#include "serial/portmap.h"

using namespace serial;

// How the control meets the platform:
// - Opening checks the device itself before QSerialPort does, so that a missing device, a
//   folder, a device without read/write permission and a device this process already holds
//   each get their own error. A process-wide registry of open devices makes a second opening
//   of one device fail deterministically, whatever the lock files and TIOCEXCL do (as root
//   TIOCEXCL does not stop a second open).
// - A pseudo-terminal (a virtual cable) accepts only 8 data bits without parity. It is opened
//   raw, 8 bits, no parity, and the requested format is kept for the program: every byte
//   written and read is masked to the requested data-bit width. Real ports get the real
//   format, checked after opening.
// - The line discipline marks line errors in-band (PARMRK); the marks are parsed out of the
//   received stream and classified with the driver's error counters (see linemarks.h).
// - Handshaking is set on the descriptor directly: Xon/Xoff without IXANY (only Xon resumes),
//   RTS/CTS, or both, which QSerialPort cannot express.
// - Modem lines have no change signal: they are polled every 50 ms while the port is open, on
//   devices that have them.
// - Events are queued and delivered one by one from the event loop. A handler may run a local
//   event loop; further events are then delivered inside it.

namespace {

constexpr int kModemPollMs = 50;
constexpr int kDrainTickMs = 10;
// The longest a closing waits for the queue to leave: enough for any string the terminal sends
// (40 characters take 4 s at 110 bauds); a longer backlog, such as a repeated emission's under
// a slow speed, is discarded rather than keeping the program from answering for minutes.
constexpr int kMaxDrainMs = 10000;

// The speeds the control accepts in its settings text.
constexpr int kSpeeds[] = {110,   300,   600,   1200,  2400,  4800,   9600,   14400,
                           19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000};

struct LineFormat {
    int speed = 9600;
    char parity = 'N';   // N E O S M
    int dataBits = 8;    // 4..8
    int stopHalves = 2;  // 2 one stop bit, 3 one and a half, 4 two
};

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

// Bits on the line for one character: start, data, parity, stop (rounded up).
int bitsPerCharacter(const LineFormat& f) {
    return 1 + f.dataBits + (f.parity == 'N' ? 0 : 1) + (f.stopHalves + 1) / 2;
}

QSet<QString>& openDevices() {
    static QSet<QString> devices;
    return devices;
}

}  // namespace

struct MSComm::Private {
    MSComm* q;
    std::unique_ptr<QSerialPort> port;

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
    bool lost = false;  // a read or write error was seen; closing is on its way
    Error lastError = NoError;
    QString device;
    QString canonicalDevice;
    bool pseudoTerminal = false;
    LineFormat format;
    unsigned char mask = 0xFF;
    bool hasModemLines = false;
    bool hasCounters = false;
    int lastModem = 0;
    QTimer pollTimer;

    // Received bytes, marks taken out and masked.
    QByteArray input;
    linemarks::Parser parser;
    linemarks::ErrorClassifier classifier;
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

    explicit Private(MSComm* owner) : q(owner) {
        pollTimer.setInterval(kModemPollMs);
        QObject::connect(&pollTimer, &QTimer::timeout, q, [this] { poll(); });
    }

    int fd() const { return port ? int(port->handle()) : -1; }

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

    void readIncoming() {
        if (!open || lost) return;
        const QByteArray raw = port->readAll();
        if (raw.isEmpty()) return;
        linemarks::Chunk chunk = parser.feed(raw);
        std::optional<linemarks::ErrorCounters> counters;
        if (hasCounters) counters = platform::errorCounters(fd());
        QList<int> events = classifier.classify(chunk, counters);
        QByteArray& data = chunk.data;
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
        }
        return out;
    }

    // ---- sending ----

    int outBufferCount() const {
        if (!open) return 0;
        int n = int(port->bytesToWrite() + heldOutput.size());
        n += platform::outputQueue(fd());
        return n;
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
        // Handed to the driver at once, as a UART driver takes it, so that OutBufferCount counts
        // only what the line really holds back (flow control, a slow line); what the driver
        // cannot take yet waits in QSerialPort's queue, behind nothing.
        if (lineHeld) {
            heldOutput += out;
            return;
        }
        const qint64 taken = port->bytesToWrite() == 0 ? platform::writeNow(fd(), out) : 0;
        if (taken < out.size()) port->write(out.mid(taken));
        // The bytes the driver took count as having been queued: their leaving is the sent
        // event's transition.
        if (sThreshold > 0 && outBufferCount() + taken >= sThreshold) {
            sendArmed = true;
            if (!pollTimer.isActive()) pollTimer.start();
        }
    }

    void checkSent() {
        if (sendArmed && outBufferCount() < sThreshold) {
            sendArmed = false;
            raise(comEvSend);
        }
    }

    // ---- modem lines ----

    void poll() {
        if (!open || lost) {
            pollTimer.stop();
            return;
        }
        checkSent();
        if (hasModemLines) {
            if (const auto lines = platform::modemLines(fd())) {
                const int changed = *lines ^ lastModem;
                if (changed & platform::Cts) raise(comEvCTS);
                if (changed & platform::Dsr) raise(comEvDSR);
                if (changed & platform::Cd) raise(comEvCD);
                if ((changed & platform::Ri) && (*lines & platform::Ri)) raise(comEvRing);
                lastModem = *lines;
            }
        }
        if (!hasModemLines && !sendArmed) pollTimer.stop();
    }

    void applyModemOutputs() {
        if (!open || !hasModemLines) return;
        if (platform::supported()) {
            platform::setModemLine(fd(), platform::Dtr, dtrEnable);
            platform::setModemLine(fd(), platform::Rts, rtsEnable);
        } else {
            port->setDataTerminalReady(dtrEnable);
            port->setRequestToSend(rtsEnable);
        }
    }

    // In-band error marks and the handshaking, set on the descriptor after QSerialPort has
    // applied its own settings. Returns false when the device refuses them.
    bool applyLineDiscipline() {
        if (platform::supported())
            return platform::setLineDiscipline(fd(), handshaking, pseudoTerminal);
        QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
        if (usesXonXoff(handshaking)) flow = QSerialPort::SoftwareControl;
        if (usesRtsCts(handshaking)) flow = QSerialPort::HardwareControl;
        return port->setFlowControl(flow);
    }

    // True when the device really holds the requested data bits, parity and stop bits.
    bool holdsFormat() const {
        return platform::holdsFormat(fd(), format.dataBits, format.parity, format.stopHalves > 2);
    }

    // ---- opening and closing ----

    Error fail(Error e) {
        lastError = e;
        return e;
    }

    Error openPort() {
        if (open) return fail(NoError);
        const QString dir = portMapDir.isEmpty() ? QDir::currentPath() : portMapDir;
        const QString path =
            devicePath.isEmpty() ? portmap::resolveDevice(commPort, dir) : devicePath;
        if (path.isEmpty()) return fail(comPortInvalid);

        const platform::DeviceInfo info = platform::inspectDevice(path);
        switch (info.check) {
            case platform::DeviceCheck::Missing:
            case platform::DeviceCheck::NotADevice:
                return fail(comPortInvalid);
            case platform::DeviceCheck::AccessDenied:
                return fail(comPortAccessDenied);
            case platform::DeviceCheck::Usable:
                break;
        }
        const bool pty = info.pseudoTerminal;
        QString canonical = QFileInfo(path).canonicalFilePath();
        if (canonical.isEmpty()) canonical = path;
        if (openDevices().contains(canonical)) return fail(comPortAlreadyOpen);

        const std::optional<LineFormat> parsed = parseSettings(settings);
        if (!parsed) return fail(comSetCommStateFailed);
        const LineFormat f = *parsed;
        if (!pty) {
            // What a UART cannot do: 4 data bits; 1.5 stop bits exist only with 5 data bits,
            // where 2 stop bits cannot be had.
            if (f.dataBits < 5) return fail(comSetCommStateFailed);
            if (f.stopHalves == 3 && f.dataBits != 5) return fail(comSetCommStateFailed);
            if (f.stopHalves == 4 && f.dataBits == 5) return fail(comSetCommStateFailed);
        }

        port->setPortName(path);
        if (pty) {
            port->setBaudRate(QSerialPort::Baud9600);
            port->setDataBits(QSerialPort::Data8);
            port->setParity(QSerialPort::NoParity);
            port->setStopBits(QSerialPort::OneStop);
        } else {
            port->setBaudRate(f.speed);
            port->setDataBits(QSerialPort::DataBits(f.dataBits));
            static constexpr QSerialPort::Parity kParities[] = {
                QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
                QSerialPort::SpaceParity, QSerialPort::MarkParity};
            port->setParity(kParities[QByteArrayView("NEOSM").indexOf(f.parity)]);
            // With 5 data bits the driver's "two stop bits" are one and a half.
            port->setStopBits(f.stopHalves == 2 ? QSerialPort::OneStop : QSerialPort::TwoStop);
        }
        port->setFlowControl(QSerialPort::NoFlowControl);
        if (!port->open(QIODevice::ReadWrite)) {
            const QSerialPort::SerialPortError error = port->error();
            port->clearError();
            switch (error) {
                case QSerialPort::DeviceNotFoundError:
                    return fail(comPortInvalid);
                case QSerialPort::PermissionError:
                case QSerialPort::OpenError:
                    return fail(comPortAlreadyOpen);
                default:
                    return fail(comSetCommStateFailed);
            }
        }

        format = f;
        pseudoTerminal = pty;
        open = true;  // the descriptor helpers below need it
        if (!applyLineDiscipline() || (!pty && !holdsFormat())) {
            open = false;
            port->close();
            return fail(comSetCommStateFailed);
        }

        device = path;
        canonicalDevice = canonical;
        openDevices().insert(canonical);
        lost = false;
        mask = static_cast<unsigned char>((1u << f.dataBits) - 1);
        input.clear();
        pending.clear();
        // An event of an earlier opening must not be taken for one of this one.
        commEvent = NoEvent;
        receiveQueued = false;
        sendArmed = false;
        overflowReported = false;
        breakOn = false;
        parser.reset();
        const std::optional<linemarks::ErrorCounters> counters = platform::errorCounters(fd());
        hasModemLines = platform::modemLines(fd()).has_value();
        hasCounters = counters.has_value();
        classifier.reset(counters, f.parity != 'N');
        applyModemOutputs();
        if (hasModemLines) {
            lastModem = platform::modemLines(fd()).value_or(0);
            pollTimer.start();
        }
        return fail(NoError);
    }

    bool drained() const {
        if (!open || lost) return true;
        if (port->bytesToWrite() > 0 || !heldOutput.isEmpty()) return false;
        if (platform::outputQueue(fd()) > 0) return false;
        return platform::transmitterEmpty(fd()).value_or(true);
    }

    // Lets what is queued leave the line, waiting at most twice the time the queue needs at the
    // requested speed, plus a margin. QSerialPort::close() would throw its buffer away.
    void drain() {
        if (drained()) return;
        const qint64 chars = outBufferCount() + 16;  // 16: a UART's transmit FIFO
        const qint64 needMs = chars * bitsPerCharacter(format) * 1000 / qMax(1, format.speed);
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
        deadline.start(int(qMin<qint64>(2 * needMs + 500, kMaxDrainMs)));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

    void releaseDevice() {
        pollTimer.stop();
        openDevices().remove(canonicalDevice);
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
        if (open && !lost) {
            // Under flow control the queue may never leave: what remains is discarded, and said
            // as the time-out it is, never taken for a success. (A flush with nothing held back
            // would also throw away, on a pseudo-terminal, what the far end has not read yet.)
            if (!drained()) {
                commEvent = comEventCTSTO;
                port->clear(QSerialPort::Output);
            }
            if (breakOn) platform::setBreak(fd(), false);
        }
        port->close();
        port->clearError();
        releaseDevice();
        closing = false;
    }

    // A read or write error on an open port: the device went away. QSerialPort may report it
    // many thousand times a second, so the first report closes the port (from the event loop,
    // not from inside QSerialPort's notification) and the rest are ignored.
    void onError(QSerialPort::SerialPortError error) {
        if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
            error != QSerialPort::WriteError)
            return;
        if (!open || lost) return;
        lost = true;
        if (closing) return;  // closePort finishes the job
        QMetaObject::invokeMethod(
            q, [this] { finishLost(); }, Qt::QueuedConnection);
    }

    void finishLost() {
        if (!open || !lost || closing) return;
        port->close();
        port->clearError();
        releaseDevice();
        raise(comEventPortLost);
    }
};

MSComm::MSComm(QObject* parent) : QObject(parent), d(std::make_unique<Private>(this)) {
    d->port = std::make_unique<QSerialPort>();
    QSerialPort* port = d->port.get();
    connect(port, &QSerialPort::readyRead, this, [this] { d->readIncoming(); });
    connect(port, &QSerialPort::bytesWritten, this, [this] { d->checkSent(); });
    connect(port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { d->onError(e); });
}

MSComm::~MSComm() {
    d->port->disconnect(this);
    if (d->open) {
        // No event loop here: a bounded blocking wait lets the queue leave.
        if (!d->lost && d->port->bytesToWrite() > 0) {
            const qint64 ms =
                d->outBufferCount() * bitsPerCharacter(d->format) * 1000 / qMax(1, d->format.speed);
            d->port->waitForBytesWritten(int(qMin<qint64>(2 * ms + 500, kMaxDrainMs)));
        }
        d->port->close();
        openDevices().remove(d->canonicalDevice);
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
    if (d->open && !d->lost) d->applyLineDiscipline();
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
    // Only when something waits: on a pseudo-terminal the flush would also take back what the
    // far end has not read yet, characters that have already left.
    if (d->port->bytesToWrite() > 0 || platform::outputQueue(d->fd()) > 0)
        d->port->clear(QSerialPort::Output);
    d->checkSent();
}

int MSComm::CommEvent() const {
    return d->commEvent;
}

bool MSComm::CTSHolding() const {
    if (!d->open || d->lost || d->lineHeld) return false;
    if (!d->hasModemLines) return true;  // a virtual cable: nothing ever holds the line back
    if (platform::supported()) {
        const std::optional<int> lines = platform::modemLines(d->fd());
        return lines && (*lines & platform::Cts);
    }
    return d->port->pinoutSignals() & QSerialPort::ClearToSendSignal;
}

bool MSComm::Break() const {
    return d->breakOn;
}
void MSComm::setBreak(bool on) {
    if (!d->open || d->lost) return;
    d->breakOn = on;
    if (platform::supported())
        platform::setBreak(d->fd(), on);  // a pseudo-terminal has no break: no effect
    else
        d->port->setBreakEnabled(on);
}

void MSComm::setInputBufferLimit(int bytes) {
    d->inputLimit = qMax(1, bytes);
}

void MSComm::setOutputQueueLimit(int bytes) {
    d->outputLimit = qMax(0, bytes);
}

void MSComm::holdLineForTest(bool held) {
    d->lineHeld = held;
    if (!held && d->open && !d->lost) {
        const QByteArray released = std::exchange(d->heldOutput, QByteArray());
        d->port->write(released);
    }
}

void MSComm::injectEvent(int commEvent) {
    d->raise(commEvent);
}
