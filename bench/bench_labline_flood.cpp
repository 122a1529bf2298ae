// The lab's running line beside a client that holds thousands of connections open to it: 19 000
// (or the number given as the first argument), opened in a row and kept, none of them attached.
// A character every 20 ms from com2 to com3 at 9600 bauds for 5 s, first alone, then while the
// connections are held. Prints each phase's delivery times (median, 99th percentile, longest),
// the daemon's descriptors (the most seen) and how long the connections took to open.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "serial/labline/localsocket.h"
#include "support/labline.h"
#include "support/labload.h"
#include "support/wait.h"

namespace {

constexpr int kDefaultConnections = 19000;
constexpr int kPhaseMs = 5000;
constexpr int kProbeIntervalMs = 20;
constexpr int kSampleMs = 100;
constexpr double kNsPerMs = 1e6;

int descriptorsOf(qint64 pid) {
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                   .entryList(QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

// Delivery times over one phase, and the most descriptors the daemon had meanwhile.
void phase(const testsupport::LabLine& lab, const char* name) {
    testsupport::DeliveryProbe probe;
    if (!probe.start(lab, "com2", "com3", "9600,N,8,1", kProbeIntervalMs)) {
        std::printf("%s: the probe's ports did not open\n", name);
        return;
    }
    int most = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { most = std::max(most, descriptorsOf(lab.processId())); });
    sampler.start(kSampleMs);
    testsupport::settle(kPhaseMs);
    probe.stop();
    testsupport::waitFor([&] { return probe.allArrived(); });
    std::printf(
        "%-28s %5lld characters  median %7.2f ms  99%% %7.2f ms  longest %7.2f ms  "
        "daemon descriptors %d\n",
        name, static_cast<long long>(probe.count()), probe.percentile(50) / kNsPerMs,
        probe.percentile(99) / kNsPerMs, probe.percentile(100) / kNsPerMs, most);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int connections = argc > 1 ? std::atoi(argv[1]) : kDefaultConnections;
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);

    testsupport::LabLine lab;
    if (!lab.isReady()) {
        std::fprintf(stderr, "%s\n", qPrintable(lab.errorString()));
        return 1;
    }
    phase(lab, "alone");

    const QString socket = QDir(lab.folder()).filePath(QStringLiteral("line/socket"));
    std::vector<int> held;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < connections; ++i) {
        const int fd = labline::local::connectTo(socket);
        if (fd < 0) break;
        held.push_back(fd);
    }
    std::printf("%zu connections opened in %lld ms (asked for %d)\n", held.size(),
                static_cast<long long>(clock.elapsed()), connections);
    phase(lab, "beside the held connections");
    for (int fd : held) labline::local::closeFd(fd);
    return 0;
}
