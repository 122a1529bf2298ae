#include "mscommlink.h"

namespace velmo {

namespace {

// The unit's line: 9600 bauds, no parity, 8 data bits, 1 stop bit, no handshaking.
const QString kUnitSettings = QStringLiteral("9600,N,8,1");

QString openingError(MSComm::Error e, const QString& path) {
    switch (e) {
        case MSComm::comPortInvalid:
            return QStringLiteral("%1: no such serial device").arg(path);
        case MSComm::comPortAlreadyOpen:
            return QStringLiteral("%1: the device is in use").arg(path);
        case MSComm::comPortAccessDenied:
            return QStringLiteral("%1: permission denied").arg(path);
        default:
            return QStringLiteral("%1: the device refuses %2").arg(path, kUnitSettings);
    }
}

}  // namespace

MSCommLink::MSCommLink(const QString& devicePath, QObject* parent)
    : ByteLink(parent), path_(devicePath) {
    connect(&comm_, &MSComm::OnComm, this, &MSCommLink::onComm);
}

QString MSCommLink::open() {
    comm_.setDevicePath(path_);
    comm_.setSettings(kUnitSettings);
    comm_.setHandshaking(serial::Handshaking::None);
    comm_.setRThreshold(1);
    const MSComm::Error e = comm_.setPortOpen(true);
    return e == MSComm::NoError ? QString() : openingError(e, path_);
}

void MSCommLink::write(const QByteArray& bytes) {
    comm_.setOutputBytes(bytes);
}

void MSCommLink::onComm() {
    switch (comm_.CommEvent()) {
        case serial::comEvReceive:
            emit received(comm_.InputBytes());
            break;
        case serial::comEventPortLost:
            emit lost(QStringLiteral("%1: the device went away").arg(path_));
            break;
        default:
            break;  // line errors: the garbled command simply gets no reply
    }
}

}  // namespace velmo
