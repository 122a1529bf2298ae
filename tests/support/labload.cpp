#include "support/labload.h"

#include <QFile>
#include <algorithm>

namespace testsupport {

qint64 residentBytes(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ')[0].toLongLong() * 1024;
    }
    return -1;
}

LabWriter::LabWriter(const LabLine& lab, const QString& end, const QString& settings, Sends sends)
    : client_(lab), sends_(sends) {
    const auto answer = client_.attach(end, settings);
    attached_ = answer && answer->type == labline::wire::Type::Attached;
    QObject::connect(&timer_, &QTimer::timeout, [this, sends] {
        using labline::wire::Message;
        using labline::wire::Type;
        const QByteArray block(labline::wire::kMaxData, 'w');
        if (sends == Sends::Bytes) {
            while (client_.tryWrite(block)) written_ += block.size();
        } else {
            while (client_.trySend(Message{Type::SetRts, written_ % 2, {}})) ++written_;
        }
    });
    timer_.start(1);
}

bool DeliveryProbe::start(const LabLine& lab, const QString& from, const QString& to,
                          const QString& settings, int intervalMs) {
    from_.setDevicePath(lab.end(from));
    to_.setDevicePath(lab.end(to));
    for (MSComm* c : {&from_, &to_}) {
        c->setSettings(settings);
        c->setRThreshold(1);
        if (c->setPortOpen(true) != MSComm::NoError) return false;
    }
    clock_.start();
    QObject::connect(&to_, &MSComm::OnComm, &to_, [this] {
        if (to_.CommEvent() != serial::comEvReceive) return;
        const qint64 now = clock_.nsecsElapsed();
        for (const char c : to_.InputBytes()) {
            received_.append(c);
            if (received_.size() <= sentAt_.size())
                latencies_.append(now - sentAt_[received_.size() - 1]);
        }
    });
    QObject::connect(&ticker_, &QTimer::timeout, &from_, [this] {
        sentAt_.append(clock_.nsecsElapsed());
        from_.setOutputBytes(QByteArray(1, char('A' + sentAt_.size() % 26)));
    });
    ticker_.start(intervalMs);
    return true;
}

qint64 DeliveryProbe::percentile(int p) const {
    QList<qint64> sorted = latencies_;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.isEmpty()) return -1;
    return sorted[qMin(sorted.size() - 1, sorted.size() * p / 100)];
}

}  // namespace testsupport
