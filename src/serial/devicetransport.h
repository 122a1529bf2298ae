#pragma once
// The serial control's way to a device: QSerialPort plus the descriptor calls it lacks (see
// platform.h). Line errors come from the in-band marks and the driver's counters, modem-line
// changes from polling.

#include <QSerialPort>
#include <QTimer>
#include <memory>

#include "serial/linemarks.h"
#include "serial/transport.h"

namespace serial {

class DeviceTransport : public Transport {
public:
    explicit DeviceTransport(TransportSink sink);
    ~DeviceTransport() override;

    MSComm::Error open(const OpenRequest& request) override;
    void close(bool discard) override;
    void closeBlocking(int ms) override;
    void write(const QByteArray& bytes) override;
    int outBufferCount() const override;
    bool drained() const override;
    void discardOutput() override;
    void watchOutput(bool on) override;
    bool setHandshaking(Handshaking handshaking) override;
    void setModemOutputs(bool dtr, bool rts) override;
    void setBreak(bool on) override;
    bool ctsHolding() const override;

private:
    MSComm::Error openDevice(const OpenRequest& request, bool pty);
    bool holdsFormat() const;
    void readIncoming();
    void poll();
    void onError(QSerialPort::SerialPortError error);
    void release();
    // The descriptor for the platform's serial calls (platform.h); none where they are not made.
    int fd() const {
#ifdef Q_OS_UNIX
        return int(port_->handle());
#else
        return -1;
#endif
    }

    std::unique_ptr<QSerialPort> port_;
    QTimer pollTimer_;
    QString canonical_;
    LineFormat format_;
    bool open_ = false;
    bool lost_ = false;
    bool pseudoTerminal_ = false;
    bool hasModemLines_ = false;
    bool hasCounters_ = false;
    bool watching_ = false;
    bool breakOn_ = false;
    int lastModem_ = 0;
    linemarks::Parser parser_;
    linemarks::ErrorClassifier classifier_;
};

}  // namespace serial
