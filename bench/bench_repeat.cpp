// The repeated emission against a far end that reads at the line's pace: how much of the line
// it keeps busy (characters read / (speed / frame bits x time)), the longest time the reader
// found nothing to read, and the process's resident memory at the start and at the end; over a
// socat cable read at a paced rate, then on the lab's simulated line.
//   bench_repeat [SECONDS]   (30 by default, at 9600 and at 28800 bauds)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "core/appstate.h"
#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"
#include "ui/terminal/femirecep.h"

using namespace testsupport;

namespace {

long residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// Reads the far end of the cable no faster than a line of `charsPerSecond` delivers.
struct PacedReader {
    int fd = -1;
    qint64 charsPerSecond;
    qint64 consumed = 0;
    qint64 longestStarvedMs = 0;
    QElapsedTimer clock;
    qint64 starvedSince = -1;
    QTimer tick;

    PacedReader(const QString& device, qint64 cps) : charsPerSecond(cps) {
        fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [this] { read(); });
    }
    ~PacedReader() {
        if (fd >= 0) ::close(fd);
    }
    void start() {
        clock.start();
        tick.start(1);
    }
    void read() {
        const qint64 due = clock.nsecsElapsed() * charsPerSecond / 1000000000 - consumed;
        if (due <= 0) return;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, size_t(qMin<qint64>(due, sizeof buffer)));
        consumed += qMax<ssize_t>(0, n);
        const bool starved = n < due;
        const qint64 now = clock.elapsed();
        if (starved && starvedSince < 0) starvedSince = now;
        if (!starved && starvedSince >= 0) {
            longestStarvedMs = qMax(longestStarvedMs, now - starvedSince);
            starvedSince = -1;
        }
    }
};

void measure(const char* speed, int frameBits, int seconds) {
    AppFixture fx;
    if (!fx.isReady()) {
        std::printf("%s bauds: no virtual cable (%s)\n", speed, qPrintable(fx.errorString()));
        return;
    }
    linkconfig::setSpeed(fx.state.LinkConfig, speed);
    linkconfig::setParityByLetter(fx.state.LinkConfig, "N");
    linkconfig::setDataBits(fx.state.LinkConfig, 8);
    const qint64 cps = QByteArray(speed).toLongLong() / frameBits;
    PacedReader reader(fx.cable->endA(), cps);
    onModals({typeAndEnter("55")});
    fx.menu().Identique_Click();
    waitFor([&] { return fx.get<FEmiRecep>().Tempo->isActive(); });
    reader.start();
    settle(1000);  // the first second fills the line
    const long memoryStart = residentKiB();
    const qint64 readStart = reader.consumed;
    const qint64 t0 = reader.clock.elapsed();
    reader.longestStarvedMs = 0;
    settle(seconds * 1000);
    const qint64 elapsedMs = reader.clock.elapsed() - t0;
    const qint64 read = reader.consumed - readStart;
    const long memoryEnd = residentKiB();
    fx.get<FEmiRecep>().Annuler->click();
    std::printf(
        "%6s bauds 8N1, %d s: utilisation %.2f %% (%lld characters read, capacity %lld), "
        "longest wait for a character %lld ms (one frame: %.2f ms), resident memory "
        "%ld KiB -> %ld KiB (%+ld KiB)\n",
        speed, seconds, 100.0 * double(read) / (double(cps) * elapsedMs / 1000.0),
        static_cast<long long>(read), static_cast<long long>(cps * elapsedMs / 1000),
        static_cast<long long>(reader.longestStarvedMs),
        1000.0 * frameBits / QByteArray(speed).toDouble(), memoryStart, memoryEnd,
        memoryEnd - memoryStart);
}

// The same on the lab's simulated line, whose far end receives at the line's true pace: the
// longest silence between two characters, and how soon the line falls silent after Annuler.
void measureOnTheLab(const char* speed, int frameBits, int seconds) {
    AppFixture fx(AppFixture::Ports::Lab);
    if (!fx.isReady()) {
        std::printf("lab line: not started (%s)\n", qPrintable(fx.errorString()));
        return;
    }
    LinkRecord& c = fx.state.LinkConfig;
    linkconfig::setSpeed(c, speed);
    linkconfig::setParityByLetter(c, "N");
    linkconfig::setDataBits(c, 8);
    MSComm far;
    far.setPortMapDirectory(fx.folder());
    far.setCommPort(3);
    far.setSettings(linkconfig::portSettings(c));
    far.setRThreshold(1);
    QElapsedTimer clock;
    qint64 received = 0, last = -1, longestSilence = 0;
    QObject::connect(&far, &MSComm::OnComm, &far, [&] {
        if (far.CommEvent() != serial::comEvReceive) return;
        received += far.InputBytes().size();
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0 && clock.elapsed() > 1000) longestSilence = qMax(longestSilence, now - last);
        last = now;
    });
    far.setPortOpen(true);
    onModals({typeAndEnter("55")});
    clock.start();
    fx.menu().Identique_Click();
    settle(1000);
    const qint64 start = received;
    const qint64 t0 = clock.elapsed();
    settle(seconds * 1000);
    const qint64 elapsedMs = clock.elapsed() - t0;
    const qint64 read = received - start;
    const qint64 cancelledAt = clock.nsecsElapsed();
    fx.get<FEmiRecep>().Annuler->click();
    settle(500);
    const qint64 cps = QByteArray(speed).toLongLong() / frameBits;
    const double frameMs = 1000.0 * frameBits / QByteArray(speed).toDouble();
    std::printf(
        "%6s bauds 8N1 on the lab line, %d s: utilisation %.2f %%, longest silence %.2f ms "
        "(one frame: %.2f ms), last character %.2f ms after Annuler\n",
        speed, seconds, 100.0 * double(read) / (double(cps) * elapsedMs / 1000.0),
        double(longestSilence) / 1e6, frameMs, double(last - cancelledAt) / 1e6);
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    measure("9600", 10, seconds);
    measure("28800", 10, seconds);
    measureOnTheLab("9600", 10, seconds);
    measureOnTheLab("28800", 10, seconds);
    return 0;
}
