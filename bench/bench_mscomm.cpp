// Figures of the serial control over a virtual cable (socat pseudo-terminals): throughput with
// the output queue kept full through the sent event, throughput when the receiver takes one
// character per event, and the processor time used while a port stays open and idle.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
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

// Sends `total` bytes from A to B; B reads `inputLen` characters per receive event.
void throughput(const char* title, qint64 total, int inputLen) {
    Rig rig(QStringLiteral("28800,N,8,1"));
    if (!rig.ok) {
        std::printf("%s: no virtual cable (%s)\n", title, qPrintable(rig.cable.errorString()));
        return;
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
    throughput("bulk, whole buffer per event", 4 * 1024 * 1024, 0);
    throughput("one character per event", 64 * 1024, 1);
    idle(2000);
    return 0;
}
