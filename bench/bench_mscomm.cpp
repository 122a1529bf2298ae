// Figures of the serial control over a virtual cable (socat pseudo-terminals): throughput with
// the output queue kept full through the sent event, beside a plain read loop on the same kind
// of cable (the control's target: at least half of it), throughput when the receiver takes one
// character per event, and the processor time used while a port stays open and idle.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include "serial/mscomm.h"
#include "support/virtualcable.h"
#include "support/wait.h"

namespace {

double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

struct Rig {
    testsupport::VirtualCable cable;
    MSComm a;
    MSComm b;
    bool ok = false;
    explicit Rig(const QString& settings) {
        if (!cable.isReady() || !cable.writePortMap()) return;
        int port = 1;
        for (MSComm* c : {&a, &b}) {
            c->setPortMapDirectory(cable.folder());
            c->setCommPort(port++);
            c->setSettings(settings);
        }
        ok = a.setPortOpen(true) == MSComm::NoError && b.setPortOpen(true) == MSComm::NoError;
    }
};

int openRaw(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

// Sends `total` bytes from one end of a cable to the other with plain reads and writes, as fast
// as the pseudo-terminals go; returns the bytes per second.
double plainLoop(qint64 total) {
    testsupport::VirtualCable cable;
    if (!cable.isReady()) return 0;
    const int a = openRaw(cable.endA());
    const int b = openRaw(cable.endB());
    const QByteArray chunk(MSComm::kOutputQueueLimit, 'U');
    QByteArray buffer(64 * 1024, 0);
    qint64 sent = 0;
    qint64 received = 0;
    QElapsedTimer wall;
    wall.start();
    while (received < total && wall.elapsed() < 120000) {
        pollfd fds[2] = {{a, short(sent < total ? POLLOUT : 0), 0}, {b, POLLIN, 0}};
        if (::poll(fds, 2, 1000) <= 0) continue;
        if (fds[0].revents & POLLOUT) {
            const ssize_t n =
                ::write(a, chunk.constData(), size_t(qMin<qint64>(chunk.size(), total - sent)));
            if (n > 0) sent += n;
        }
        if (fds[1].revents & POLLIN) {
            const ssize_t n = ::read(b, buffer.data(), size_t(buffer.size()));
            if (n > 0) received += n;
        }
    }
    const double seconds = wall.nsecsElapsed() / 1e9;
    ::close(a);
    ::close(b);
    std::printf("plain read loop: %lld bytes in %.3f s: %.0f bytes/s\n",
                static_cast<long long>(received), seconds, received / seconds);
    return received / seconds;
}

// Sends `total` bytes from A to B; B reads `inputLen` characters per receive event. Returns the
// bytes per second.
double throughput(const char* title, qint64 total, int inputLen) {
    Rig rig(QStringLiteral("28800,N,8,1"));
    if (!rig.ok) {
        std::printf("%s: no virtual cable (%s)\n", title, qPrintable(rig.cable.errorString()));
        return 0;
    }
    const int block = MSComm::kOutputQueueLimit / 2;
    const QByteArray chunk(block, 'U');
    qint64 sent = 0;
    qint64 received = 0;
    qint64 events = 0;
    auto refill = [&] {
        while (sent < total && rig.a.OutBufferCount() + block <= MSComm::kOutputQueueLimit) {
            rig.a.setOutputBytes(chunk.left(int(qMin<qint64>(block, total - sent))));
            sent += qMin<qint64>(block, total - sent);
        }
    };
    rig.a.setSThreshold(block);
    QObject::connect(&rig.a, &MSComm::OnComm, &rig.a, [&] {
        if (rig.a.CommEvent() == serial::comEvSend) refill();
    });
    rig.b.setRThreshold(1);
    rig.b.setInputLen(inputLen);
    QObject::connect(&rig.b, &MSComm::OnComm, &rig.b, [&] {
        ++events;
        received += rig.b.InputBytes().size();
    });
    QElapsedTimer wall;
    const double cpu0 = cpuSeconds();
    wall.start();
    refill();
    const bool done = testsupport::waitFor([&] { return received >= total; }, 120000);
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpu0;
    std::printf("%s: %lld bytes in %.3f s%s: %.0f bytes/s, %lld receive events, CPU %.3f s\n",
                title, static_cast<long long>(received), seconds, done ? "" : " (incomplete)",
                received / seconds, static_cast<long long>(events), cpu);
    return received / seconds;
}

void idle(int ms) {
    Rig rig(QStringLiteral("9600,E,7,1"));
    if (!rig.ok) {
        std::printf("idle: no virtual cable (%s)\n", qPrintable(rig.cable.errorString()));
        return;
    }
    rig.a.setRThreshold(1);
    rig.b.setRThreshold(1);
    const double cpu0 = cpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpu0;
    std::printf("idle: two ports open for %d ms used %.1f ms of processor time\n", ms, cpu * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf(
        "Virtual cable, requested settings 28800,N,8,1 (a pseudo-terminal does not pace "
        "bytes at the requested speed)\n");
    // The machine is shared: the best of a few rounds of each.
    const qint64 bulk = 16 * 1024 * 1024;
    double plain = 0;
    double control = 0;
    for (int round = 0; round < 3; ++round) {
        plain = std::max(plain, plainLoop(bulk));
        control = std::max(control, throughput("bulk, whole buffer per event", bulk, 0));
    }
    if (plain > 0)
        std::printf(
            "best of three: the control reaches %.0f %% of the plain read loop (target: "
            "50 %%)\n",
            100.0 * control / plain);
    throughput("one character per event", 64 * 1024, 1);
    idle(2000);
    return 0;
}
