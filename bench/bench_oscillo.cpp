// The oscilloscope's cost on the lab's line: both directions of the null-modem cable at 28800
// bauds 8N1, each sender's queue kept full, for 10 s (or the seconds given as the first argument),
// first with nobody watching, then with the oscilloscope open on com2's TxD, RxD and RTS.
// Prints, for each phase, the characters delivered each way against the line's capacity, the
// daemon's share of a core, and this process's (the two senders, the receivers and, in the second
// phase, the oscilloscope): the difference is the oscilloscope's cost.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>

#include "serial/mscomm.h"
#include "support/appfixture.h"
#include "support/cpushare.h"
#include "support/wait.h"
#include "ui/hardware/foscillo.h"

using namespace testsupport;

namespace {

constexpr int kSpeed = 28800;
constexpr int kFrameBits = 10;
constexpr int kTopUp = 1024;

double daemonSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) /
           double(::sysconf(_SC_CLK_TCK));
}

struct End {
    MSComm comm;
    qint64 received = 0;
    void open(const QString& device) {
        comm.setDevicePath(device);
        comm.setSettings(QStringLiteral("%1,N,8,1").arg(kSpeed));
        comm.setRThreshold(1);
        comm.setInputLen(0);
        QObject::connect(&comm, &MSComm::OnComm, &comm, [this] {
            if (comm.CommEvent() == serial::comEvReceive) received += comm.InputBytes().size();
        });
        comm.setPortOpen(true);
    }
    void topUp() {
        if (comm.PortOpen() && comm.OutBufferCount() < kTopUp)
            comm.setOutputBytes(QByteArray(kTopUp, 'U'));
    }
};

void phase(const char* name, End& a, End& b, qint64 daemon, int seconds) {
    const qint64 fromA = a.received, fromB = b.received;
    const double cpu = processorSeconds(), daemonCpu = daemonSeconds(daemon);
    QElapsedTimer clock;
    clock.start();
    settle(seconds * 1000);
    const double wall = clock.elapsed() / 1000.0;
    const double capacity = wall * kSpeed / kFrameBits;
    std::printf(
        "%s:\n  delivered com2->com3 %lld, com3->com2 %lld of %.0f each (%.2f %%, %.2f %%)\n", name,
        static_cast<long long>(b.received - fromB), static_cast<long long>(a.received - fromA),
        capacity, 100.0 * double(b.received - fromB) / capacity,
        100.0 * double(a.received - fromA) / capacity);
    std::printf("  daemon %.1f %% of a core, this process %.1f %%\n",
                100.0 * (daemonSeconds(daemon) - daemonCpu) / wall,
                100.0 * (processorSeconds() - cpu) / wall);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 10;
    AppFixture fx(AppFixture::Ports::Lab);
    if (!fx.isReady()) {
        std::fprintf(stderr, "no lab: %s\n", qPrintable(fx.errorString()));
        return 1;
    }
    End a, b;
    a.open(fx.lab->end("com2"));
    b.open(fx.lab->end("com3"));
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        a.topUp();
        b.topUp();
    });
    feed.start(5);
    settle(1000);
    phase("nobody watching", a, b, fx.lab->processId(), seconds);
    FOscillo& scope = fx.get<FOscillo>();
    const bool watching = scope.present({{labline::Signal::TxD, Qt::red},
                                         {labline::Signal::RxD, Qt::blue},
                                         {labline::Signal::Rts, Qt::darkGreen}},
                                        {kSpeed, 8, u'N', 1}, fx.lab->end("com2"));
    if (!watching) {
        std::fprintf(stderr, "the oscilloscope could not watch the line\n");
        return 1;
    }
    settle(500);
    phase("the oscilloscope open on com2", a, b, fx.lab->processId(), seconds);
    scope.Annuler_Click();
    return 0;
}
