#include "session.h"

#include <cstdio>

namespace velmo {

Session::Session(ByteLink* link, const Misbehaviour& how, bool verbose, QObject* parent)
    : QObject(parent),
      link_(link),
      verbose_(verbose),
      emulator_([this] { return clock_.elapsed(); }, how) {
    next_.setSingleShot(true);
    // A coarse timer may fire early, and a reply must never come before its pause is over.
    next_.setTimerType(Qt::PreciseTimer);
    connect(&next_, &QTimer::timeout, this, &Session::sendDue);
    connect(link_, &ByteLink::received, this, &Session::onReceived);
}

void Session::onReceived(const QByteArray& bytes) {
    const QList<QByteArray> lines = emulator_.receive(bytes);
    if (verbose_) {
        for (const QByteArray& line : lines)
            std::fprintf(stderr, "velmo-emulator: %s\n", line.toPercentEncoding(" ").constData());
    }
    sendDue();
}

void Session::sendDue() {
    const QByteArray due = emulator_.takeDue();
    if (!due.isEmpty()) link_->write(due);
    if (const std::optional<qint64> ms = emulator_.msUntilNext()) next_.start(int(*ms));
}

}  // namespace velmo
