#pragma once
// A Value Change Dump of a line: every wire of every end (TxD, RxD, RTS, CTS, DTR, DSR, DCD, RI)
// as a one-bit wire named "<end>_<signal>", in nanoseconds, for PulseView or sigrok-cli.

#include <QIODevice>
#include <QStringList>

#include "serial/labline/line.h"

namespace labline {

class VcdWriter {
public:
    // Writes the declarations and the idle levels at time 0 to `out`, which stays the caller's.
    VcdWriter(QIODevice* out, const QStringList& ends);

    void change(Nanos at, const QString& end, Signal signal, bool high);
    // A probe for Line::setProbe(); the writer must outlive the line's use of it.
    LevelProbe probe();

    // The wire name of a signal, e.g. "com4_peer_TxD" for "com4-peer".
    static QString wireName(const QString& end, Signal signal);

private:
    void writeHeader();
    QByteArray identifier(const QString& end, Signal signal) const;

    QIODevice* out_;
    QStringList ends_;
    QList<QByteArray> ids_;  // per end, per signal
    Nanos written_ = 0;
    QByteArray text_;  // reused: a busy line changes a wire every few microseconds
};

}  // namespace labline
