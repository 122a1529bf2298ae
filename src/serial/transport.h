#pragma once
// How the serial control reaches a port: a device through QSerialPort, or an end of the virtual
// lab's simulated line. The control keeps everything a program sees (events, thresholds, the
// input buffer, masking, the drain bound); a transport only moves bytes and line states.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "core/serialtypes.h"
#include "serial/mscomm.h"

namespace serial {

struct LineFormat {
    int speed = 9600;
    char parity = 'N';   // N E O S M
    int dataBits = 8;    // 4..8
    int stopHalves = 2;  // 2 one stop bit, 3 one and a half, 4 two
};

// What the control asks for when it opens a port.
struct OpenRequest {
    QString target;    // a device path, or a lab end ("lab:FOLDER/END")
    QString settings;  // the settings text, as given
    LineFormat format;
    Handshaking handshaking = Handshaking::None;
    bool dtr = true;
    bool rts = false;
};

// What a transport tells the control, from the event loop.
struct TransportSink {
    // Bytes received (not yet masked) and the line events of the same arrival, errors first.
    std::function<void(const QByteArray& data, const QList<int>& events)> received;
    // Bytes left the line: the control looks at its send threshold.
    std::function<void()> progressed;
    // The port went away; reported once.
    std::function<void()> lost;
};

class Transport {
public:
    explicit Transport(TransportSink sink) : sink_(std::move(sink)) {}
    virtual ~Transport() = default;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    virtual MSComm::Error open(const OpenRequest& request) = 0;
    // Closes the port; `discard` throws away what has not left.
    virtual void close(bool discard) = 0;
    // Without an event loop: waits at most `ms` for the output to leave, then closes.
    virtual void closeBlocking(int ms) = 0;

    // Hands bytes to the line; what it cannot take now it keeps and sends later.
    virtual void write(const QByteArray& bytes) = 0;
    // Bytes written that have not left the line.
    virtual int outBufferCount() const = 0;
    // True once the last bit of what was written has left.
    virtual bool drained() const = 0;
    virtual void discardOutput() = 0;
    // Until called off, the transport reports output progress even where it must look for it.
    virtual void watchOutput(bool on) = 0;

    virtual bool setHandshaking(Handshaking handshaking) = 0;
    virtual void setModemOutputs(bool dtr, bool rts) = 0;
    virtual void setBreak(bool on) = 0;
    virtual bool ctsHolding() const = 0;

    // The control's input buffer holds `queued` of `capacity` bytes (for receive flow control).
    virtual void inputLevel(int queued, int capacity) {
        Q_UNUSED(queued);
        Q_UNUSED(capacity);
    }

protected:
    TransportSink sink_;
};

// Bits on the line for one character: start, data, parity, stop (rounded up).
inline int bitsPerCharacter(const LineFormat& f) {
    return 1 + f.dataBits + (f.parity == 'N' ? 0 : 1) + (f.stopHalves + 1) / 2;
}

}  // namespace serial
