#include "serial/devicetransport.h"

#include <QFileInfo>
#include <QSet>
#include <cerrno>

#include "serial/platform.h"

// How the control meets a device:
// - Opening checks the device itself before QSerialPort does, so that a missing device, a
//   folder, a device without read/write permission and a device this process already holds
//   each get their own error. A process-wide registry of open devices makes a second opening
//   of one device fail deterministically, whatever the lock files and TIOCEXCL do (as root
//   TIOCEXCL does not stop a second open).
// - A pseudo-terminal (a virtual cable) accepts only 8 data bits without parity. It is opened
//   raw, 8 bits, no parity; the control keeps the requested format for the program and masks
//   every byte to its data-bit width. It carries no line error, so no in-band marks are asked
//   for and its bytes are taken as they come. Real ports get the real format, checked after
//   opening.
// - On a real port the line discipline marks line errors in-band (PARMRK); the marks are parsed
//   out of the received stream and classified with the driver's error counters (linemarks.h).
// - Handshaking is set on the descriptor directly: Xon/Xoff without IXANY (only Xon resumes),
//   RTS/CTS, or both, which QSerialPort cannot express.
// - Modem lines have no change signal: they are polled every 50 ms while the port is open, on
//   devices that have them.

namespace serial {

namespace {

constexpr int kModemPollMs = 50;

QSet<QString>& openDevices() {
    static QSet<QString> devices;
    return devices;
}

MSComm::Error openingError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return MSComm::comPortInvalid;
        case QSerialPort::PermissionError:
        case QSerialPort::OpenError:
            return MSComm::comPortAlreadyOpen;
        default:
            return MSComm::comSetCommStateFailed;
    }
}

// What a UART cannot do: 4 data bits; 1.5 stop bits exist only with 5 data bits, where 2 stop
// bits cannot be had.
bool uartCanDo(const LineFormat& f) {
    if (f.dataBits < 5) return false;
    if (f.stopHalves == 3 && f.dataBits != 5) return false;
    return !(f.stopHalves == 4 && f.dataBits == 5);
}

void setPortFormat(QSerialPort& port, const LineFormat& f, bool pty) {
    if (pty) {
        port.setBaudRate(QSerialPort::Baud9600);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        return;
    }
    port.setBaudRate(f.speed);
    port.setDataBits(QSerialPort::DataBits(f.dataBits));
    static constexpr QSerialPort::Parity kParities[] = {
        QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
        QSerialPort::SpaceParity, QSerialPort::MarkParity};
    port.setParity(kParities[QByteArrayView("NEOSM").indexOf(f.parity)]);
    // With 5 data bits the driver's "two stop bits" are one and a half.
    port.setStopBits(f.stopHalves == 2 ? QSerialPort::OneStop : QSerialPort::TwoStop);
}

}  // namespace

DeviceTransport::DeviceTransport(TransportSink sink)
    : Transport(std::move(sink)), port_(std::make_unique<QSerialPort>()) {
    pollTimer_.setInterval(kModemPollMs);
    QObject::connect(&pollTimer_, &QTimer::timeout, [this] { poll(); });
    QObject::connect(port_.get(), &QSerialPort::readyRead, [this] { readIncoming(); });
    QObject::connect(port_.get(), &QSerialPort::bytesWritten, [this] { sink_.progressed(); });
    QObject::connect(port_.get(), &QSerialPort::errorOccurred,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
}

DeviceTransport::~DeviceTransport() {
    port_->disconnect();
    if (open_) {
        port_->close();
        release();
    }
}

MSComm::Error DeviceTransport::open(const OpenRequest& request) {
    const platform::DeviceInfo info = platform::inspectDevice(request.target);
    switch (info.check) {
        case platform::DeviceCheck::Missing:
        case platform::DeviceCheck::NotADevice:
            return MSComm::comPortInvalid;
        case platform::DeviceCheck::AccessDenied:
            return MSComm::comPortAccessDenied;
        case platform::DeviceCheck::Usable:
            break;
    }
    canonical_ = QFileInfo(request.target).canonicalFilePath();
    if (canonical_.isEmpty()) canonical_ = request.target;
    if (openDevices().contains(canonical_)) return MSComm::comPortAlreadyOpen;
    if (!info.pseudoTerminal && !uartCanDo(request.format)) return MSComm::comSetCommStateFailed;
    return openDevice(request, info.pseudoTerminal);
}

MSComm::Error DeviceTransport::openDevice(const OpenRequest& request, bool pty) {
    port_->setPortName(request.target);
    setPortFormat(*port_, request.format, pty);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = port_->error();
        port_->clearError();
        return openingError(error);
    }
    format_ = request.format;
    pseudoTerminal_ = pty;
    open_ = true;
    if (!setHandshaking(request.handshaking) || (!pty && !holdsFormat())) {
        open_ = false;
        port_->close();
        return MSComm::comSetCommStateFailed;
    }
    openDevices().insert(canonical_);
    parser_.reset();
    const std::optional<linemarks::ErrorCounters> counters = platform::errorCounters(fd());
    // Without the platform's calls, QSerialPort sets and reads the modem lines.
    hasModemLines_ = !platform::supported() || platform::modemLines(fd()).has_value();
    hasCounters_ = counters.has_value();
    classifier_.reset(counters, format_.parity != 'N');
    setModemOutputs(request.dtr, request.rts);
    if (hasModemLines_) {
        lastModem_ = platform::modemLines(fd()).value_or(0);
        pollTimer_.start();
    }
    return MSComm::NoError;
}

bool DeviceTransport::holdsFormat() const {
    return platform::holdsFormat(fd(), format_.dataBits, format_.parity, format_.stopHalves > 2);
}

void DeviceTransport::release() {
    pollTimer_.stop();
    openDevices().remove(canonical_);
    open_ = false;
}

void DeviceTransport::close(bool discard) {
    if (!open_) return;
    if (!lost_) {
        if (discard) port_->clear(QSerialPort::Output);
        if (breakOn_) platform::setBreak(fd(), false);
    }
    port_->close();
    port_->clearError();
    release();
}

void DeviceTransport::closeBlocking(int ms) {
    if (!open_) return;
    if (!lost_ && port_->bytesToWrite() > 0) port_->waitForBytesWritten(ms);
    port_->close();
    release();
}

// ---- Receiving -------------------------------------------------------------------------------

void DeviceTransport::readIncoming() {
    if (!open_ || lost_) return;
    const QByteArray raw = port_->readAll();
    if (raw.isEmpty()) return;
    // Marks are only there when the line discipline was asked for them.
    if (pseudoTerminal_ || !platform::supported()) {
        sink_.received(raw, {});
        return;
    }
    const linemarks::Chunk chunk = parser_.feed(raw);
    std::optional<linemarks::ErrorCounters> counters;
    if (hasCounters_) counters = platform::errorCounters(fd());
    sink_.received(chunk.data, classifier_.classify(chunk, counters));
}

// ---- Sending ---------------------------------------------------------------------------------

int DeviceTransport::outBufferCount() const {
    if (!open_) return 0;
    return int(port_->bytesToWrite()) + platform::outputQueue(fd());
}

void DeviceTransport::write(const QByteArray& bytes) {
    if (!open_ || lost_) return;
    // Handed to the driver at once, as a UART driver takes it, so that OutBufferCount counts
    // only what the line really holds back (flow control, a slow line); what the driver cannot
    // take yet waits in QSerialPort's queue, behind nothing.
    const qint64 taken = port_->bytesToWrite() == 0 ? platform::writeNow(fd(), bytes) : 0;
    if (taken < bytes.size()) port_->write(bytes.mid(taken));
}

bool DeviceTransport::drained() const {
    if (!open_ || lost_) return true;
    if (port_->bytesToWrite() > 0) return false;
    if (platform::outputQueue(fd()) > 0) return false;
    return platform::transmitterEmpty(fd()).value_or(true);
}

void DeviceTransport::discardOutput() {
    if (!open_ || lost_) return;
    // Only when something waits: on a pseudo-terminal the flush would also take back what the
    // far end has not read yet, characters that have already left.
    if (port_->bytesToWrite() > 0 || platform::outputQueue(fd()) > 0)
        port_->clear(QSerialPort::Output);
}

void DeviceTransport::watchOutput(bool on) {
    watching_ = on;
    if (on && open_ && !pollTimer_.isActive()) pollTimer_.start();
}

// ---- Lines -----------------------------------------------------------------------------------

void DeviceTransport::poll() {
    if (!open_ || lost_) {
        pollTimer_.stop();
        return;
    }
    if (watching_) sink_.progressed();
    if (hasModemLines_) {
        if (const auto lines = platform::modemLines(fd())) {
            const int changed = *lines ^ lastModem_;
            QList<int> events;
            if (changed & platform::Cts) events.append(comEvCTS);
            if (changed & platform::Dsr) events.append(comEvDSR);
            if (changed & platform::Cd) events.append(comEvCD);
            if ((changed & platform::Ri) && (*lines & platform::Ri)) events.append(comEvRing);
            lastModem_ = *lines;
            if (!events.isEmpty()) sink_.received({}, events);
        }
    }
    if (!hasModemLines_ && !watching_) pollTimer_.stop();
}

bool DeviceTransport::setHandshaking(Handshaking handshaking) {
    if (!open_ || lost_) return false;
    if (platform::supported())
        return platform::setLineDiscipline(fd(), handshaking, pseudoTerminal_);
    QSerialPort::FlowControl flow = QSerialPort::NoFlowControl;
    if (usesXonXoff(handshaking)) flow = QSerialPort::SoftwareControl;
    if (usesRtsCts(handshaking)) flow = QSerialPort::HardwareControl;
    return port_->setFlowControl(flow);
}

void DeviceTransport::setModemOutputs(bool dtr, bool rts) {
    if (!open_ || lost_ || !hasModemLines_) return;
    if (platform::supported()) {
        platform::setModemLine(fd(), platform::Dtr, dtr);
        platform::setModemLine(fd(), platform::Rts, rts);
    } else {
        port_->setDataTerminalReady(dtr);
        port_->setRequestToSend(rts);
    }
}

void DeviceTransport::setBreak(bool on) {
    if (!open_ || lost_) return;
    breakOn_ = on;
    if (platform::supported())
        platform::setBreak(fd(), on);  // a pseudo-terminal has no break: no effect
    else
        port_->setBreakEnabled(on);
}

bool DeviceTransport::ctsHolding() const {
    if (!open_ || lost_) return false;
    if (!hasModemLines_) return true;  // a virtual cable: nothing ever holds the line back
    if (platform::supported()) {
        const std::optional<int> lines = platform::modemLines(fd());
        return lines && (*lines & platform::Cts);
    }
    return port_->pinoutSignals() & QSerialPort::ClearToSendSignal;
}

// A read or write error on an open port: the device went away. QSerialPort may report it many
// thousand times a second, so only the first report counts.
void DeviceTransport::onError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    if (!open_ || lost_) return;
    // The error number QSerialPort leaves is not always the read's own: a read that found the
    // end of a device that has hung up returns nothing and sets none, and a stale EAGAIN would
    // then hide the loss. The descriptor itself tells.
    if (error == QSerialPort::ResourceError && (errno == EAGAIN || errno == EWOULDBLOCK) &&
        !platform::hungUp(fd())) {
        // An empty read of a line that has nothing yet, which QSerialPort takes for a lost
        // device and stops reading: it reads again (setting the buffer size restarts it).
        port_->clearError();
        port_->setReadBufferSize(port_->readBufferSize());
        return;
    }
    lost_ = true;
    sink_.lost();
}

}  // namespace serial
