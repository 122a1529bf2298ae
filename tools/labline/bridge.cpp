// serlinq-lab-bridge: a port for shell scripts. Opens PORT (a device path or a lab end,
// "lab:FOLDER/END") through the serial control, sends what comes on standard input and writes
// what it receives to standard output.
//
//   serlinq-lab-bridge [--settings 9600,N,8,1] [--expect N] [--ready FILE] [--timeout MS] PORT
//   serlinq-lab-bridge --ring lab:FOLDER/END
//
// Without --expect it stops once its input has ended and left the line; with it, once N bytes
// are received. --ready FILE is created once the port is open. It gives up after --timeout
// (default 10 s). --ring rings whoever the line of END reaches (the lab's telephone call), whether
// END is taken or not. Exit status: 0 done, 1 time-out or port lost (or no lab to ring), 2 usage,
// 3 the port would not open (its error number is printed).
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

#include "serial/labline/localsocket.h"
#include "serial/mscomm.h"

namespace {

enum Status { kDone = 0, kFailed = 1, kUsage = 2, kNotOpened = 3 };
constexpr int kDefaultTimeoutMs = 10000;
constexpr int kChunk = 1024;

struct Bridge {
    MSComm comm;
    qint64 expect = -1;
    qint64 received = 0;
    bool inputEnded = false;
    QSocketNotifier input{STDIN_FILENO, QSocketNotifier::Read};

    void readInput() {
        char buffer[kChunk];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            comm.setOutputBytes(QByteArray(buffer, int(n)));
            return;
        }
        input.setEnabled(false);
        inputEnded = true;
        finishIfDone();
    }
    void onComm() {
        const int event = comm.CommEvent();
        if (event == serial::comEventPortLost) QCoreApplication::exit(kFailed);
        if (event != serial::comEvReceive) return;
        const QByteArray bytes = comm.InputBytes();
        received += bytes.size();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        finishIfDone();
    }
    void finishIfDone() {
        if (expect >= 0 ? received >= expect : inputEnded) {
            comm.setPortOpen(false);  // lets the output leave first
            QCoreApplication::exit(kDone);
        }
    }
};

// Rings from the end `target` names ("lab:FOLDER/END").
int ring(const QString& target) {
    const QString rest = target.mid(4);
    const qsizetype slash = rest.lastIndexOf('/');
    if (!target.startsWith(QLatin1String("lab:")) || slash <= 0) return kUsage;
    const int fd = labline::local::connectTo(rest.left(slash) + QStringLiteral("/socket"));
    if (fd < 0) return kFailed;
    const labline::wire::Message m{labline::wire::Type::Ring, 0, rest.mid(slash + 1).toUtf8()};
    const bool sent = labline::local::send(fd, m) == labline::local::SendResult::Sent;
    labline::local::closeFd(fd);
    return sent ? kDone : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"settings", "Speed, parity, data bits, stop bits.", "S", "9600,N,8,1"});
    parser.addOption({"expect", "Stop after receiving N bytes.", "N"});
    parser.addOption({"ready", "File created once the port is open.", "FILE"});
    parser.addOption({"timeout", "Give up after MS milliseconds.", "MS"});
    parser.addOption({"ring", "Ring whoever the end's line reaches, then stop."});
    parser.addPositionalArgument("port", "A device path or lab:FOLDER/END.");
    if (!parser.parse(app.arguments()) || parser.positionalArguments().size() != 1) {
        std::fprintf(stderr,
                     "usage: serlinq-lab-bridge [--settings S] [--expect N] "
                     "[--ready FILE] [--timeout MS] PORT | --ring lab:FOLDER/END\n");
        return kUsage;
    }
    if (parser.isSet("ring")) return ring(parser.positionalArguments().constFirst());
    Bridge bridge;
    bridge.expect = parser.isSet("expect") ? parser.value("expect").toLongLong() : -1;
    bridge.comm.setDevicePath(parser.positionalArguments().constFirst());
    bridge.comm.setSettings(parser.value("settings"));
    bridge.comm.setRThreshold(1);
    QObject::connect(&bridge.comm, &MSComm::OnComm, &app, [&] { bridge.onComm(); });
    if (const MSComm::Error e = bridge.comm.setPortOpen(true); e != MSComm::NoError) {
        std::fprintf(stderr, "serlinq-lab-bridge: error %d opening the port\n", int(e));
        return kNotOpened;
    }
    if (parser.isSet("ready")) QFile(parser.value("ready")).open(QIODevice::WriteOnly);
    QObject::connect(&bridge.input, &QSocketNotifier::activated, &app, [&] { bridge.readInput(); });
    const int timeoutMs =
        parser.isSet("timeout") ? parser.value("timeout").toInt() : kDefaultTimeoutMs;
    QTimer::singleShot(timeoutMs, &app, [] { QCoreApplication::exit(kFailed); });
    return app.exec();
}
