#pragma once
// The virtual lab's simulated line for tests: the daemon serlinq-lab-line started in a temporary
// folder, with the lab's wiring (com1 a loopback plug, com2-com3 a null-modem cable, com4 a
// straight cable to com4-peer). Its private folder is "line" inside folder(), which can also
// receive a ports.232 mapping Com1..Com4 to the ends. Destroying the object stops the daemon.
//
//     LabLine lab;
//     QVERIFY2(lab.isReady(), qPrintable(lab.errorString()));
//     comm.setDevicePath(lab.end("com2"));

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

#include "serial/labline/protocol.h"

namespace testsupport {

struct LabLineOptions {
    QString capture;  // a VCD file to write
    double noise = 0;
    QMap<QString, QString> ptys;  // end -> link in folder() to its pseudo-terminal
};

class LabLine {
public:
    using Options = LabLineOptions;

    // Starts the daemon and waits (event loop, bounded) until it says it is ready.
    explicit LabLine(const Options& options = {}, int timeoutMs = 5000);
    ~LabLine();
    LabLine(const LabLine&) = delete;
    LabLine& operator=(const LabLine&) = delete;

    bool isReady() const { return ready_; }
    QString errorString() const { return error_; }

    QString folder() const { return dir_.path(); }
    // The device path of an end, for MSComm::setDevicePath.
    QString end(const QString& name) const;
    // Rings whoever the line of end `from` reaches, as the lab's command does; true once the line
    // says it rang.
    bool ring(const QString& from) const;

    // Writes ports.232 in folder(): Com1..Com4 to com1..com4 in the lab form unless `devices`
    // says otherwise.
    bool writePortMap(const QMap<int, QString>& devices = {}) const;

    // The daemon's process, for measuring it.
    qint64 processId() const { return daemon_.processId(); }

    // Stops the daemon as a signal would (it closes every connection), or kills it outright.
    void stop();
    void kill();
    // Starts the line again in the same folder, after stop() or kill(): the ends come back at
    // the same paths, as a lab started again does.
    bool restart(int timeoutMs = 5000);

private:
    bool start(int timeoutMs);

    QStringList args_;
    QTemporaryDir dir_;
    QProcess daemon_;
    bool ready_ = false;
    QString error_;
};

// A program plugged into an end through the lab's own messages, not through the serial control:
// for what the control never does (absurd settings, writing without pause, never reading).
class LabClient {
public:
    using Message = labline::wire::Message;

    explicit LabClient(const LabLine& lab);
    ~LabClient();
    LabClient(const LabClient&) = delete;
    LabClient& operator=(const LabClient&) = delete;

    bool isConnected() const { return fd_ >= 0; }
    // Plugs into `end`; the daemon's answer (Attached or Refused), nothing if none came.
    std::optional<Message> attach(const QString& end, const QString& settings);
    // One message, without waiting: false when the socket cannot take it now (or is broken).
    bool trySend(const Message& m);
    // Bytes to send, in one Write message.
    bool tryWrite(const QByteArray& bytes);
    // The next message from the daemon, waiting at most `timeoutMs`; a batch's one by one.
    std::optional<Message> receive(int timeoutMs);
    // Unplugs at once, as a program that ends does.
    void close();

private:
    int fd_ = -1;
    QList<Message> unread_;  // the rest of a batch
};

}  // namespace testsupport
