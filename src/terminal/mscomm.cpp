#include "terminal/mscomm.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QSerialPort>
#include <QSet>
#include <QTimer>
#include <optional>

#include "link/codepage.h"
#include "terminal/linemarks.h"
#include "terminal/portmap.h"

#ifdef Q_OS_UNIX
#include <errno.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

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

// Thin wrappers over the descriptor; each quietly reports "unsupported" elsewhere than Unix.
#ifdef Q_OS_UNIX
int outputQueue(int fd) {
    int n = 0;
    return ::ioctl(fd, TIOCOUTQ, &n) == 0 ? n : 0;
}
// True when the transmitter has sent its last bit; empty when the driver cannot tell.
std::optional<bool> transmitterEmpty(int fd) {
#ifdef TIOCSERGETLSR
    unsigned int lsr = 0;
    if (::ioctl(fd, TIOCSERGETLSR, &lsr) == 0) return (lsr & TIOCSER_TEMT) != 0;
#endif
    Q_UNUSED(fd);
    return std::nullopt;
}
std::optional<int> modemLines(int fd) {
    int bits = 0;
    if (::ioctl(fd, TIOCMGET, &bits) != 0) return std::nullopt;
    return bits;
}
void setModemLine(int fd, int line, bool on) {
    ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}
std::optional<linemarks::ErrorCounters> errorCounters(int fd) {
#ifdef Q_OS_LINUX
    serial_icounter_struct ic{};
    if (::ioctl(fd, TIOCGICOUNT, &ic) != 0) return std::nullopt;
    linemarks::ErrorCounters c;
    c.frame = quint32(ic.frame);
    c.parity = quint32(ic.parity);
    c.overrun = quint32(ic.overrun);
    c.brk = quint32(ic.brk);
    c.bufOverrun = quint32(ic.buf_overrun);
    return c;
#else
    Q_UNUSED(fd);
    return std::nullopt;
#endif
}
#endif

}  // namespace

struct MSComm::Private {
    MSComm* q;
    std::unique_ptr<QSerialPort> port;

    // Properties.
    int commPort = 1;
    QString settings = QStringLiteral("9600,N,8,1");
    int handshaking = 0;
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
    int commEvent = 0;
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
#ifdef Q_OS_UNIX
        if (hasCounters) counters = errorCounters(fd());
#endif
        QList<int> events = classifier.classify(chunk, counters);
        QByteArray& data = chunk.data;
        if (mask != 0xFF) {
            for (char& c : data) c = char(static_cast<unsigned char>(c) & mask);
        }
        const qsizetype room = kInputBufferLimit - input.size();
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
        int n = int(port->bytesToWrite());
#ifdef Q_OS_UNIX
        n += outputQueue(fd());
#endif
        return n;
    }

    void write(const QByteArray& bytes) {
        if (!open || lost || bytes.isEmpty()) return;
        if (outBufferCount() + bytes.size() > kOutputQueueLimit) {
            raise(comEventTxFull, true);
            return;
        }
        QByteArray out = bytes;
        if (mask != 0xFF) {
            for (char& c : out) c = char(static_cast<unsigned char>(c) & mask);
        }
        port->write(out);
        if (sThreshold > 0 && outBufferCount() >= sThreshold) {
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
#ifdef Q_OS_UNIX
        if (hasModemLines) {
            if (const auto lines = modemLines(fd())) {
                const int changed = *lines ^ lastModem;
                if (changed & TIOCM_CTS) raise(comEvCTS);
                if (changed & TIOCM_DSR) raise(comEvDSR);
                if (changed & TIOCM_CD) raise(comEvCD);
                if ((changed & TIOCM_RI) && (*lines & TIOCM_RI)) raise(comEvRing);
                lastModem = *lines;
            }
        }
#endif
        if (!hasModemLines && !sendArmed) pollTimer.stop();
    }

    void applyModemOutputs() {
        if (!open || !hasModemLines) return;
#ifdef Q_OS_UNIX
        setModemLine(fd(), TIOCM_DTR, dtrEnable);
        setModemLine(fd(), TIOCM_RTS, rtsEnable);
#else
        port->setDataTerminalReady(dtrEnable);
        port->setRequestToSend(rtsEnable);
#endif
    }

    // In-band error marks and the handshaking, set on the descriptor after QSerialPort has
    // applied its own settings. Returns false when the device refuses them.
    bool applyLineDiscipline() {
#ifdef Q_OS_UNIX
        termios t{};
        if (::tcgetattr(fd(), &t) != 0) return false;
        t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                               IXOFF | IXANY);
        t.c_iflag |= INPCK | PARMRK;
        t.c_cflag &= ~tcflag_t(CRTSCTS);
        if (handshaking == 1 || handshaking == 3) {
            t.c_iflag |= IXON | IXOFF;
            t.c_cc[VSTART] = 0x11;
            t.c_cc[VSTOP] = 0x13;
        }
        if (handshaking == 2 || handshaking == 3) t.c_cflag |= CRTSCTS;
        if (::tcsetattr(fd(), TCSANOW, &t) == 0) return true;
        if (!pseudoTerminal) return false;
        // A virtual cable has no CTS line to follow.
        t.c_cflag &= ~tcflag_t(CRTSCTS);
        return ::tcsetattr(fd(), TCSANOW, &t) == 0;
#else
        QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
        if (handshaking == 1) flow = QSerialPort::SoftwareControl;
        if (handshaking >= 2) flow = QSerialPort::HardwareControl;
        return port->setFlowControl(flow);
#endif
    }

    // True when the device really holds the requested data bits, parity and stop bits.
    bool holdsFormat() const {
#ifdef Q_OS_UNIX
        termios t{};
        if (::tcgetattr(fd(), &t) != 0) return false;
        static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
        if (format.dataBits < 5 || (t.c_cflag & CSIZE) != kSizes[format.dataBits - 5]) return false;
        const bool parity = format.parity != 'N';
        if (bool(t.c_cflag & PARENB) != parity) return false;
        if (parity) {
            const bool odd = format.parity == 'O' || format.parity == 'M';
            if (bool(t.c_cflag & PARODD) != odd) return false;
#ifdef CMSPAR
            const bool stick = format.parity == 'S' || format.parity == 'M';
            if (bool(t.c_cflag & CMSPAR) != stick) return false;
#endif
        }
        return bool(t.c_cflag & CSTOPB) == (format.stopHalves > 2);
#else
        return true;
#endif
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

        bool pty = false;
#ifdef Q_OS_UNIX
        const QByteArray native = QFile::encodeName(path);
        struct stat st {};
        if (::stat(native.constData(), &st) != 0) {
            return fail(errno == EACCES ? comPortAccessDenied : comPortInvalid);
        }
        if (!S_ISCHR(st.st_mode)) return fail(comPortInvalid);
#ifdef Q_OS_LINUX
        // UNIX98 pseudo-terminal slaves.
        pty = major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
#endif
#endif
        QString canonical = QFileInfo(path).canonicalFilePath();
        if (canonical.isEmpty()) canonical = path;
        if (openDevices().contains(canonical)) return fail(comPortAlreadyOpen);
#ifdef Q_OS_UNIX
        // Told apart before opening: QSerialPort reports a refused permission and a device
        // held by someone else with the same error.
        if (::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES)
            return fail(comPortAccessDenied);
#endif

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
        receiveQueued = false;
        sendArmed = false;
        overflowReported = false;
        breakOn = false;
        parser.reset();
        std::optional<linemarks::ErrorCounters> counters;
#ifdef Q_OS_UNIX
        counters = errorCounters(fd());
        const std::optional<int> lines = modemLines(fd());
        hasModemLines = lines.has_value();
        lastModem = lines.value_or(0);
#endif
        hasCounters = counters.has_value();
        classifier.reset(counters, f.parity != 'N');
        applyModemOutputs();
#ifdef Q_OS_UNIX
        if (hasModemLines) {
            if (const auto now = modemLines(fd())) lastModem = *now;
            pollTimer.start();
        }
#endif
        return fail(NoError);
    }

    bool drained() const {
        if (!open || lost) return true;
        if (port->bytesToWrite() > 0) return false;
#ifdef Q_OS_UNIX
        if (outputQueue(fd()) > 0) return false;
        return transmitterEmpty(fd()).value_or(true);
#else
        return true;
#endif
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
            // Under flow control the queue may never leave: what remains is discarded.
            port->clear(QSerialPort::Output);
#ifdef Q_OS_UNIX
            if (breakOn) ::ioctl(fd(), TIOCCBRK);
#endif
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
            d->port->waitForBytesWritten(int(qMin<qint64>(2 * ms + 500, 10000)));
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

int MSComm::Handshaking() const {
    return d->handshaking;
}
void MSComm::setHandshaking(int handshake) {
    if (handshake < 0 || handshake > 3) return;
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
    d->port->clear(QSerialPort::Output);
    d->checkSent();
}

int MSComm::CommEvent() const {
    return d->commEvent;
}

bool MSComm::CTSHolding() const {
    if (!d->open || d->lost) return false;
    if (!d->hasModemLines) return true;  // a virtual cable: nothing ever holds the line back
#ifdef Q_OS_UNIX
    const std::optional<int> lines = modemLines(d->fd());
    return lines && (*lines & TIOCM_CTS);
#else
    return d->port->pinoutSignals() & QSerialPort::ClearToSendSignal;
#endif
}

bool MSComm::Break() const {
    return d->breakOn;
}
void MSComm::setBreak(bool on) {
    if (!d->open || d->lost) return;
    d->breakOn = on;
#ifdef Q_OS_UNIX
    ::ioctl(d->fd(), on ? TIOCSBRK : TIOCCBRK);  // a pseudo-terminal has no break: no effect
#else
    d->port->setBreakEnabled(on);
#endif
}

void MSComm::injectEvent(int commEvent) {
    d->raise(commEvent);
}
