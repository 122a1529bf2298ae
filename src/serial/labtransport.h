#pragma once
// The serial control's way to an end of the virtual lab's simulated line: a connection to the
// lab's daemon (see labline/protocol.h). The line is the truth: what is written is held back
// until the daemon says the end's UART has room for it and pending until it has left, CTS is the
// end's CTS, line errors and modem-line changes come from
// the line. Under Xon/Xoff the control's input buffer sends Xoff when it passes three quarters
// full and Xon once read empty, as a driver does.

#include <QSocketNotifier>
#include <memory>
#include <optional>

#include "serial/labline/protocol.h"
#include "serial/transport.h"

namespace serial {

// "lab:FOLDER/END" names an end of the lab whose private folder is FOLDER.
inline constexpr char kLabPrefix[] = "lab:";
bool isLabTarget(const QString& target);

// The daemon's socket and the end a lab target names; none for another target.
struct LabEnd {
    QString socket;
    QString end;
};
std::optional<LabEnd> labEndOf(const QString& target);

class LabTransport : public Transport {
public:
    explicit LabTransport(TransportSink sink);
    ~LabTransport() override;

    MSComm::Error open(const OpenRequest& request) override;
    void close(bool discard) override;
    void closeBlocking(int ms) override;
    void write(const QByteArray& bytes) override;
    int outBufferCount() const override;
    bool drained() const override;
    void discardOutput() override;
    void watchOutput(bool) override {}
    bool setHandshaking(Handshaking handshaking) override;
    void setModemOutputs(bool dtr, bool rts) override;
    void setBreak(bool on) override;
    bool ctsHolding() const override;
    void inputLevel(int queued, int capacity) override;

private:
    MSComm::Error awaitAttached();
    void send(const labline::wire::Message& m);
    void readDaemon();
    void handle(const labline::wire::Message& m, QByteArray* data, QList<int>* events);
    void lose();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool lost_ = false;
    bool xonXoff_ = false;
    bool xoffSent_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    int inputs_ = 0;      // the end's input lines (labline::wire::InputLine bits)
    qint64 written_ = 0;  // bytes written since the opening
    qint64 gone_ = 0;     // of which the line says they have left
    qint64 room_ = 0;     // how many of them the end's UART takes at once, as the line says
};

}  // namespace serial
