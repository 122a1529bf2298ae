#pragma once
// The serial control: the one way the program reaches a serial port. It offers the contract of
// the classic communications control (CommPort, Settings, Handshaking, PortOpen, Output, Input,
// InputLen, RThreshold, SThreshold, CommEvent, the OnComm event ...) on top of QSerialPort, and
// absorbs what this platform does differently (pseudo-terminals, in-band line error marks,
// modem-line polling, lost devices). A port is a device or an end of the virtual lab's
// simulated line; both behave alike.
//
// Every call happens on the user-interface thread; OnComm is delivered there, from the event
// loop, never from inside a property setter.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

#include "core/serialtypes.h"

class MSComm : public QObject {
    Q_OBJECT
public:
    // Errors of opening (PortOpen = true), as lastError() reports them.
    enum Error {
        NoError = 0,
        comPortInvalid = 8002,        // no such port
        comPortAlreadyOpen = 8005,    // the port is in use (by this or another program)
        comPortAccessDenied = 8010,   // the user may not open the device (permissions)
        comSetCommStateFailed = 8015  // the device refuses the settings
    };

    explicit MSComm(QObject* parent = nullptr);
    ~MSComm() override;

    int CommPort() const;
    void setCommPort(int port);  // 1..4, others fail to open; ignored while open

    QString Settings() const;
    void setSettings(const QString& settings);  // "9600,E,7,1"; ignored while open

    serial::Handshaking Handshaking() const;
    // Xon/Xoff resumes on Xon only; applies at once while open.
    void setHandshaking(serial::Handshaking handshake);

    bool RTSEnable() const;
    void setRTSEnable(bool on);
    bool DTREnable() const;
    void setDTREnable(bool on);

    bool PortOpen() const;
    // Opens or closes the port. Opening returns NoError or one of the opening errors (also kept
    // in lastError()), and CommEvent reads 0 after it. Closing lets what is queued leave the line
    // first, within a bound derived from the speed and the queue length; what could not leave
    // (held back by flow control) is discarded and CommEvent then reads comEventCTSTO.
    Error setPortOpen(bool open);
    Error lastError() const;
    // The device the port resolved to at the last opening ("/dev/ttyS1", "/dev/pts/4",
    // "lab:/home/ana/lab/line/com2" ...).
    QString deviceName() const;
    // Why the last opening found no port in ports.232 (the malformed line, named), if it did not.
    QString portProblem() const;
    // The folder whose ports.232 maps Com1..Com4 to devices; the working directory by default.
    void setPortMapDirectory(const QString& dir);
    // A device to open instead of the one CommPort resolves to (a port the four names do not
    // reach, such as a pseudo-terminal, or an end of the virtual lab's line written
    // "lab:FOLDER/END"); an empty path goes back to CommPort.
    void setDevicePath(const QString& path);

    // Queues text for transmission; each character is one Windows-1252 byte. Ignored while the
    // port is closed. Beyond the queue bound the text is refused and CommEvent becomes
    // comEventTxFull.
    void setOutput(const QString& text);
    void setOutputBytes(const QByteArray& bytes);

    // Returns and removes at most InputLen received characters (all when InputLen is 0).
    QString Input();
    QByteArray InputBytes();
    int InputLen() const;
    void setInputLen(int n);
    int InBufferCount() const;

    int RThreshold() const;
    void setRThreshold(int n);
    int SThreshold() const;
    void setSThreshold(int n);

    // Characters the line holds back: what is written is handed to the driver at once, so this
    // counts only what flow control or a slow line keeps from leaving.
    int OutBufferCount() const;
    void setOutBufferCount(int n);  // 0 discards what waits to be sent

    // Inside an OnComm handler: the event of that delivery (a serial::CommEvent). Elsewhere: the
    // most recent event; a refused Output shows at once.
    int CommEvent() const;
    // The CTS line. False while the port is closed; true on a device without modem lines (a
    // virtual cable), so that RTS/CTS handshaking over it never holds anything back.
    bool CTSHolding() const;

    bool Break() const;
    void setBreak(bool on);  // ignored while closed

    // The most bytes Output holds before refusing more.
    static constexpr int kOutputQueueLimit = 4096;
    // The most received bytes kept unread; beyond, bytes are dropped and CommEvent becomes
    // comEventRxOver.
    static constexpr int kInputBufferLimit = 65536;

    // Test seams: a smaller receive buffer or transmit queue than the limits above, so that
    // filling them is quick; a line held by the far end, as RTS/CTS or Xoff hold it (CTS reads
    // inactive and nothing written leaves until it is released), which a pseudo-terminal cannot
    // show.
    void setInputBufferLimit(int bytes);
    void setOutputQueueLimit(int bytes);
    void holdLineForTest(bool held);

    // Test seam: raises an event as the driver would, e.g. a parity error that a virtual cable
    // never produces.
    void injectEvent(int commEvent);

signals:
    void OnComm();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
