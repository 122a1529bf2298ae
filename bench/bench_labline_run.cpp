// The lab's running line under load: both directions of its null-modem cable at 28800 bauds
// 8N1, each sender's queue kept full through the sent event, for 30 s (or the seconds given as
// the first argument). Prints, per direction, the characters delivered against the line's
// capacity, how late each delivery to the program is against the ideal clock (one frame per
// character, in the phase of the least late delivery), and the daemon's processor time and
// wake-ups. The run is made twice: on the bare line, then with com4 offered as a pseudo-terminal
// and every wire captured to a file. Then the ends stay open and quiet for a while: the daemon's
// processor time and wake-ups then, for 5 s (or the seconds given as the third argument).
//
// Then the same cable carries a character every 20 ms at 9600 bauds for 10 s (or the seconds
// given as the second argument), first alone, then beside programs that misuse the other ends:
// com1 written without pause at 115 200 bauds, com4 written faster than its 28 800 bauds, and
// com4-peer never read. Prints each phase's delivery times (median, 99th percentile, longest)
// and the daemon's resident memory and processor time.
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "serial/mscomm.h"
#include "support/labline.h"
#include "support/labload.h"
#include "support/wait.h"

namespace {

constexpr int kSpeed = 28800;
constexpr int kFrameBits = 10;
constexpr qint64 kBitNs = 1'000'000'000LL / kSpeed;
constexpr qint64 kFrameNs = kBitNs * kFrameBits;
constexpr int kBlock = MSComm::kOutputQueueLimit / 2;

// User and system time of a process, in nanoseconds: the scheduler's own count when the system
// keeps it, since the clock ticks of /proc/PID/stat are a hundredth of a second.
qint64 processCpuNs(qint64 pid) {
    QFile schedstat(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (schedstat.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const qint64 ns = schedstat.readAll().split(' ').value(0).toLongLong(&ok);
        if (ok) return ns;
    }
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    return ticks * 1'000'000'000LL / ::sysconf(_SC_CLK_TCK);
}

// How many times a process went to sleep waiting: its wake-ups.
qint64 processWakeUps(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:")) return line.mid(24).trimmed().toLongLong();
    }
    return 0;
}

struct Direction {
    const char* name;
    MSComm* from;
    MSComm* to;
    std::vector<qint64> arrivals;  // one per character, when the program got it
};

void keepFull(MSComm& comm) {
    while (comm.OutBufferCount() + kBlock <= MSComm::kOutputQueueLimit)
        comm.setOutputBytes(QByteArray(kBlock, 'U'));
}

// The ideal time of character k, from the line's clock phase: k frames, exactly.
qint64 idealOffset(size_t k) {
    return qint64(k) * kFrameBits * 1'000'000'000LL / kSpeed;
}

void report(const Direction& d, double seconds) {
    const qint64 capacity = qint64(seconds * kSpeed / kFrameBits);
    // A delivery is never early: the least late one gives the ideal clock's phase.
    qint64 phase = std::numeric_limits<qint64>::max();
    for (size_t k = 0; k < d.arrivals.size(); ++k)
        phase = std::min(phase, d.arrivals[k] - idealOffset(k));
    std::vector<qint64> errors;
    for (size_t k = 0; k < d.arrivals.size(); ++k)
        errors.push_back(d.arrivals[k] - phase - idealOffset(k));
    std::sort(errors.begin(), errors.end());
    const qint64 median = errors.empty() ? 0 : errors[errors.size() / 2];
    const qint64 p99 = errors.empty() ? 0 : errors[errors.size() * 99 / 100];
    const qint64 worst = errors.empty() ? 0 : errors.back();
    std::printf(
        "%s: %zu characters of a capacity of %lld (%.2f %%); delivery against the ideal "
        "clock: median %.1f us (%.2f bit), 99th percentile %.1f us, max %.1f us (%.2f "
        "frame)\n",
        d.name, d.arrivals.size(), static_cast<long long>(capacity),
        100.0 * double(d.arrivals.size()) / double(capacity), median / 1e3, double(median) / kBitNs,
        p99 / 1e3, worst / 1e3, double(worst) / kFrameNs);
}

struct Daemon {
    qint64 pid;
    qint64 cpu0;
    qint64 wakeUps0;
    explicit Daemon(qint64 processId)
        : pid(processId), cpu0(processCpuNs(pid)), wakeUps0(processWakeUps(pid)) {}
    void print(double elapsed) const {
        const qint64 cpu = processCpuNs(pid) - cpu0;
        const qint64 wakeUps = processWakeUps(pid) - wakeUps0;
        std::printf(
            "daemon processor time: %.3f s, %.2f %% of one core; %.0f wake-ups a second, "
            "%.1f us each\n",
            cpu / 1e9, 100.0 * double(cpu) / 1e9 / elapsed, double(wakeUps) / elapsed,
            double(cpu) / 1e3 / double(qMax<qint64>(wakeUps, 1)));
    }
};

void run(int seconds, int idleSeconds, const testsupport::LabLineOptions& options,
         const char* setting) {
    testsupport::LabLine lab(options);
    if (!lab.isReady()) {
        std::printf("no lab line: %s\n", qPrintable(lab.errorString()));
        return;
    }
    MSComm a;
    MSComm b;
    Direction ab{"com2 -> com3", &a, &b, {}};
    Direction ba{"com3 -> com2", &b, &a, {}};
    QElapsedTimer clock;
    clock.start();
    bool running = true;
    for (Direction* d : {&ab, &ba}) {
        d->to->setDevicePath(lab.end(d == &ab ? "com3" : "com2"));
        d->to->setSettings(QStringLiteral("%1,N,8,1").arg(kSpeed));
        d->to->setRThreshold(1);
        d->to->setSThreshold(kBlock);
    }
    for (Direction* d : {&ab, &ba}) {
        QObject::connect(d->to, &MSComm::OnComm, d->to, [d, &clock, &running] {
            MSComm& comm = *d->to;
            if (comm.CommEvent() == serial::comEvSend && running) keepFull(comm);
            if (comm.CommEvent() != serial::comEvReceive) return;
            const qint64 now = clock.nsecsElapsed();
            const qsizetype n = comm.InputBytes().size();
            if (running) d->arrivals.insert(d->arrivals.end(), size_t(n), now);
        });
    }
    if (a.setPortOpen(true) != MSComm::NoError || b.setPortOpen(true) != MSComm::NoError) {
        std::printf("the ends would not open\n");
        return;
    }
    const Daemon busy(lab.processId());
    const qint64 start = clock.nsecsElapsed();
    keepFull(a);
    keepFull(b);
    testsupport::settle(seconds * 1000);
    running = false;
    const double elapsed = double(clock.nsecsElapsed() - start) / 1e9;
    std::printf(
        "Lab line%s, null-modem cable, %d bauds 8N1 both ways for %.1f s (bit %.1f us, "
        "frame %.1f us)\n",
        setting, kSpeed, elapsed, kBitNs / 1e3, kFrameNs / 1e3);
    report(ab, elapsed);
    report(ba, elapsed);
    busy.print(elapsed);
    a.setOutBufferCount(0);
    b.setOutBufferCount(0);
    // What the senders had queued drains first; then nothing moves.
    testsupport::settle(2 * MSComm::kOutputQueueLimit * kFrameNs / 1'000'000);
    const Daemon quiet(lab.processId());
    testsupport::settle(idleSeconds * 1000);
    std::printf("idle, the ends open, for %d s: ", idleSeconds);
    quiet.print(idleSeconds);
}

void runBoth(int seconds, int idleSeconds) {
    run(seconds, idleSeconds, {}, "");
    const QTemporaryDir capture;
    testsupport::LabLineOptions options;
    options.capture = capture.filePath(QStringLiteral("wires.vcd"));
    options.ptys.insert(QStringLiteral("com4"), QStringLiteral("com4.pty"));
    run(seconds, idleSeconds, options, " (com4 a pseudo-terminal, every wire captured)");
}

constexpr int kProbeIntervalMs = 20;
constexpr int kProbeSpeed = 9600;

void probePhase(const testsupport::LabLine& lab, const char* name, int seconds) {
    const qint64 pid = lab.processId();
    const qint64 rss0 = testsupport::residentBytes(pid);
    const qint64 cpu0 = processCpuNs(pid);
    testsupport::DeliveryProbe probe;
    if (!probe.start(lab, QStringLiteral("com2"), QStringLiteral("com3"),
                     QStringLiteral("%1,N,8,1").arg(kProbeSpeed), kProbeIntervalMs)) {
        std::printf("%s: the probe's ends would not open\n", name);
        return;
    }
    testsupport::settle(seconds * 1000);
    probe.stop();
    testsupport::waitFor([&] { return probe.allArrived(); });
    const double character = 10.0 * 1e9 / kProbeSpeed;
    const qint64 cpu = processCpuNs(pid) - cpu0;
    std::printf(
        "%s: %lld characters, com2 -> com3 delivery median %.2f ms (%.1f characters), 99th "
        "percentile %.2f ms (%.1f), longest %.2f ms (%.1f); daemon resident memory %.1f MB -> "
        "%.1f MB, processor %.1f %% of one core\n",
        name, static_cast<long long>(probe.count()), probe.percentile(50) / 1e6,
        double(probe.percentile(50)) / character, probe.percentile(99) / 1e6,
        double(probe.percentile(99)) / character, probe.percentile(100) / 1e6,
        double(probe.percentile(100)) / character, double(rss0) / 1048576.0,
        double(testsupport::residentBytes(pid)) / 1048576.0, 100.0 * double(cpu) / 1e9 / seconds);
}

void runProbes(int seconds) {
    testsupport::LabLine lab;
    if (!lab.isReady()) {
        std::printf("no lab line: %s\n", qPrintable(lab.errorString()));
        return;
    }
    std::printf("Delivery on the null-modem cable, a character every %d ms at %d bauds 8N1:\n",
                kProbeIntervalMs, kProbeSpeed);
    probePhase(lab, "alone", seconds);
    testsupport::LabWriter top(lab, QStringLiteral("com1"), QStringLiteral("115200,N,8,1"));
    testsupport::LabWriter fast(lab, QStringLiteral("com4"), QStringLiteral("28800,N,8,1"));
    testsupport::LabClient sleeper(lab);
    sleeper.attach(QStringLiteral("com4-peer"), QStringLiteral("28800,N,8,1"));
    probePhase(lab, "beside the misusing clients", seconds);
    std::printf("the writers were held back at %.1f kB (com1) and %.1f kB (com4) written\n",
                top.written() / 1024.0, fast.written() / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 30;
    const int probeSeconds = argc > 2 ? QByteArray(argv[2]).toInt() : 10;
    const int idleSeconds = argc > 3 ? QByteArray(argv[3]).toInt() : 5;
    runBoth(seconds, idleSeconds);
    runProbes(probeSeconds);
    return 0;
}
