// Cost of running the lab line model the way its daemon does: sleep until nextWakeUp(), advance,
// repeat. Two null-modem cables, both directions busy at 28800 bauds. Prints figures.
#include <QElapsedTimer>
#include <QTextStream>

#include "serial/labline/line.h"

using namespace labline;

int main() {
    const Format f = *parseSettings("28800,N,8,1");
    const int perEnd = 50000;
    Line line;
    line.cableNullModem("com1", "com2");
    line.cableNullModem("com3", "com4");
    const QStringList ends = line.ends();
    for (const QString& end : ends) {
        line.open(0, end, f, Handshake::None, true, true);
        line.write(0, end, QByteArray(perEnd, 'b'));
    }
    QElapsedTimer clock;
    clock.start();
    qint64 wakeUps = 0;
    qint64 received = 0;
    for (auto t = line.nextWakeUp(); t; t = line.nextWakeUp()) {
        ++wakeUps;
        for (const Event& e : line.advance(*t)) received += e.kind == Event::Kind::Received;
    }
    const qint64 elapsed = clock.nsecsElapsed();
    const qint64 simulated = line.now();
    QTextStream out(stdout);
    out << "characters received: " << received << " of " << perEnd * ends.size() << "\n"
        << "simulated line time: " << simulated / 1'000'000 << " ms\n"
        << "processor time: " << elapsed / 1'000'000 << " ms ("
        << elapsed / qMax<qint64>(received, 1) << " ns per character)\n"
        << "wake-ups: " << wakeUps << " (" << QString::number(double(wakeUps) / received, 'f', 2)
        << " per character)\n"
        << "real time / simulated time: "
        << QString::number(100.0 * double(elapsed) / double(simulated), 'f', 3) << " %\n";
    return received == perEnd * ends.size() ? 0 : 1;
}
