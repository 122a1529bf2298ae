#include "serial/labmonitor.h"

#ifdef Q_OS_LINUX
#include <QtEndian>

#include "serial/labline/localsocket.h"
#include "serial/labtransport.h"
#endif

namespace serial {

#ifndef Q_OS_LINUX
// The lab's line runs on Linux only: elsewhere there is nothing to watch.
LabMonitor::LabMonitor(QObject* parent) : QObject(parent) {}
LabMonitor::~LabMonitor() = default;
bool LabMonitor::watch(const QString&, const QList<labline::Signal>&, QString* why) {
    if (why) *why = QStringLiteral("le laboratoire virtuel n'existe que sous Linux");
    return false;
}
void LabMonitor::stop() {}
void LabMonitor::readDaemon() {}
#else
namespace {

using labline::wire::Message;
using labline::wire::Type;
namespace local = labline::local;

// The daemon answers at once; the bound only keeps a wedged daemon from freezing the window.
constexpr int kAnswerMs = 2000;
// Datagrams read in one turn of the event loop, so that a burst never holds up the window.
constexpr int kPerTurn = 64;

}  // namespace

LabMonitor::LabMonitor(QObject* parent) : QObject(parent) {}

LabMonitor::~LabMonitor() {
    stop();
}

bool LabMonitor::watch(const QString& target, const QList<labline::Signal>& wires, QString* why) {
    stop();
    auto fail = [&](const QString& reason) {
        if (why) *why = reason;
        stop();
        return false;
    };
    const std::optional<LabEnd> where = labEndOf(target);
    if (!where) return fail(QStringLiteral("le port n'est pas un port du laboratoire virtuel"));
    fd_ = local::connectTo(where->socket);
    if (fd_ < 0) return fail(QStringLiteral("le laboratoire virtuel ne répond pas"));
    QStringList names;
    for (labline::Signal s : wires) names << labline::signalName(s);
    local::send(fd_,
                Message{Type::Monitor, 0, where->end.toUtf8() + '\n' + names.join(',').toUtf8()});
    QByteArray datagram;
    if (!local::waitReadable(fd_, kAnswerMs) ||
        local::receive(fd_, &datagram) != local::ReceiveResult::Message)
        return fail(QStringLiteral("le laboratoire virtuel ne répond pas"));
    const std::optional<Message> answer = labline::wire::decode(datagram);
    if (!answer || answer->type != Type::Monitoring)
        return fail(QStringLiteral("le laboratoire virtuel refuse la mesure"));
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &LabMonitor::readDaemon);
    return true;
}

void LabMonitor::stop() {
    notifier_.reset();
    local::closeFd(std::exchange(fd_, -1));
}

void LabMonitor::readDaemon() {
    QByteArray datagram;
    for (int n = 0; n < kPerTurn && fd_ >= 0; ++n) {
        const local::ReceiveResult r = local::receive(fd_, &datagram);
        if (r == local::ReceiveResult::Nothing) return;
        const std::optional<Message> m =
            r == local::ReceiveResult::Message ? labline::wire::decode(datagram) : std::nullopt;
        if (!m) {
            stop();
            emit ended();
            return;
        }
        if (m->type == Type::LevelsLost) emit lost(m->value);
        if (m->type != Type::Levels) continue;
        QList<Change> out;
        const qsizetype records = m->data.size() / labline::wire::kLevelRecord;
        for (qsizetype i = 0; i < records; ++i) {
            const char* rec = m->data.constData() + i * labline::wire::kLevelRecord;
            const quint8 tag = quint8(rec[8]);
            out << Change{qFromLittleEndian<qint64>(rec), tag >> 1, (tag & 1) != 0};
        }
        emit changes(out, m->value);
    }
}

#endif

}  // namespace serial
