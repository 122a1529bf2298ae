#include "support/cpushare.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>

#include "support/wait.h"

namespace testsupport {

double processorSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

double coreShareWhileIdle(int ms) {
    QElapsedTimer clock;
    const double before = processorSeconds();
    clock.start();
    settle(ms);
    const double used = processorSeconds() - before;
    return used / (double(qMax<qint64>(1, clock.elapsed())) / 1000.0);
}

long long residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2) return -1;
    return fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

}  // namespace testsupport
