#pragma once
// Load on the lab's running line, for tests and benchmarks: a client that writes without pause,
// the daemon's resident memory, and a probe of how long a pair of ends takes to deliver.

#include <QElapsedTimer>
#include <QList>
#include <QTimer>

#include "serial/mscomm.h"
#include "support/labline.h"

namespace testsupport {

// The resident memory of a process, in bytes (-1 when it cannot be read).
qint64 residentBytes(qint64 pid);

// A client of `end` that keeps its socket full, from a timer, until destroyed or stopped: of the
// longest writes, or of RTS turned on and off.
class LabWriter {
public:
    enum class Sends { Bytes, RtsToggles };
    LabWriter(const LabLine& lab, const QString& end, const QString& settings,
              Sends sends = Sends::Bytes);
    bool isAttached() const { return attached_; }
    Sends sends() const { return sends_; }
    // Bytes written, or RTS changes sent.
    qint64 written() const { return written_; }
    void stop() { timer_.stop(); }

private:
    LabClient client_;
    QTimer timer_;
    Sends sends_;
    qint64 written_ = 0;
    bool attached_ = false;
};

// A character every `intervalMs` from one end to another through the serial control, and how
// long each took from its writing to its arrival.
class DeliveryProbe {
public:
    bool start(const LabLine& lab, const QString& from, const QString& to, const QString& settings,
               int intervalMs);
    void stop() { ticker_.stop(); }
    bool allArrived() const { return received_.size() == sentAt_.size(); }
    qsizetype count() const { return latencies_.size(); }
    // The `p`th percentile of the delivery times, in nanoseconds (100: the longest).
    qint64 percentile(int p) const;

private:
    MSComm from_;
    MSComm to_;
    QElapsedTimer clock_;
    QTimer ticker_;
    QList<qint64> sentAt_;
    QList<qint64> latencies_;
    QByteArray received_;
};

}  // namespace testsupport
