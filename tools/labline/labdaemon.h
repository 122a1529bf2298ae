#pragma once
// The lab's line daemon: one simulated line with the lab's wiring, reached by the programs
// plugged into its ends through a local socket in a folder private to the user who started it.
// It runs the line on the real clock: commands are timed when they arrive, and one timer wakes
// the line when its next event is due.

#include <QFile>
#include <QMap>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "serial/labline/line.h"
#include "serial/labline/protocol.h"
#include "serial/labline/vcdwriter.h"

namespace lablined {

class PtyEnd;

struct Options {
    QString folder;               // the private folder; the socket is "socket" inside it
    quint32 noisePerMillion = 0;  // bit errors per million bits sampled
    QString capture;              // a VCD file, or nothing
    QMap<QString, QString> ptys;  // end -> path of the link to its pseudo-terminal
};

class LabDaemon : public QObject {
    Q_OBJECT
public:
    LabDaemon();
    ~LabDaemon() override;

    // Wires the line, makes the folder and starts listening; false with `error` set.
    bool start(const Options& options, QString* error);
    // Closes every connection and removes the socket.
    void stop();

    static QString socketPath(const QString& folder);

private:
    struct Client {
        int fd = -1;
        QString end;            // empty until attached
        qint64 acceptedAt = 0;  // monotonic nanoseconds, to time out a client that never attaches
        std::unique_ptr<QSocketNotifier> readable;
        std::unique_ptr<QSocketNotifier> writable;
        bool heldBack = false;     // its end's queue is full: its socket is left unread
        QList<QByteArray> outbox;  // datagrams the socket could not take yet
        qsizetype outboxBytes = 0;
        // What a full outbox could not take: the latest of each kind whose value replaces the
        // one before, and how many received characters were dropped since last said.
        std::optional<labline::wire::Message> lateModem;
        std::optional<labline::wire::Message> lateRoom;
        std::optional<labline::wire::Message> lateProgress;
        qint64 overrun = 0;
        // A monitor: the wires it watches on one end, the level changes its socket has not
        // taken yet (whole records, the oldest dropped past a bound) and how many were dropped.
        struct Watch {
            QString end;
            QList<labline::Signal> wires;
            QByteArray pending;
            qint64 lost = 0;
        };
        std::optional<Watch> watch;
        // What one run of the line has for it, sent as one datagram at the run's end.
        QList<labline::wire::Message> batch;
        qsizetype batchBytes = 0;
    };

    bool startCapture(const QString& path, QString* error);
    bool startPtys(const QMap<QString, QString>& ptys, QString* error);
    void acceptClients();
    void readClient(Client* client);
    void limitUnattached();
    void expireUnattached();
    void reject(Client* client, const QByteArray& datagram, int why);
    void ringFrom(Client* client, const labline::wire::Message& m);
    void watchFrom(Client* client, const labline::wire::Message& m);
    void probe(labline::Nanos at, const QString& end, labline::Signal signal, bool high);
    void feedMonitors(labline::Nanos completeTo, bool tick);
    void feed(Client* client, labline::Nanos completeTo);
    void handle(Client* client, const labline::wire::Message& m);
    void attach(Client* client, const labline::wire::Message& m);
    void drop(Client* client);
    bool holdBack(Client* client);
    void resumeHeld();
    void checkHeld();
    void flushOutbox(Client* client);
    void queue(Client* client, const labline::wire::Message& m);
    void queueReceived(Client* client, QByteArray codes);
    void queueLate(Client* client);
    bool queueFull(const QString& end) const;
    bool endTaken(const QString& end) const;
    Client* clientAt(const QString& end);

    labline::Nanos now() const;
    // Runs the line to now, hands out what happened and sets the timer to the next wake-up.
    void run(const QString& quietEnd = {});
    void dispatch(const QList<labline::Event>& events, const QString& quietEnd);
    void dispatchOne(const labline::Event& event, const QString& quietEnd);
    void sendTo(const QString& end, const labline::wire::Message& m);
    static bool backedUp(const Client* client);
    void addToBatch(Client* client, const labline::wire::Message& m);
    void sendBatch(Client* client);
    void armTimer();

    labline::Line line_;
    qint64 origin_ = 0;  // the monotonic clock's reading at line time 0
    int listener_ = -1;
    int timer_ = -1;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::unique_ptr<QSocketNotifier> timerNotifier_;
    QTimer heldCheck_;        // runs while a client is held back, to see it leave
    QTimer unattachedCheck_;  // runs while a client has not attached, to time it out
    QTimer monitorTick_;      // runs while a monitor watches, so that its record keeps up
    std::vector<std::unique_ptr<Client>> clients_;
    bool batching_ = false;  // a run's events are being handed out
    std::vector<std::unique_ptr<PtyEnd>> ptys_;
    QFile captureFile_;
    std::unique_ptr<labline::VcdWriter> vcd_;
    QString folder_;
};

}  // namespace lablined
