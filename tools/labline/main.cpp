// serlinq-lab-line: the virtual lab's simulated serial line.
//
//   serlinq-lab-line --folder DIR [--noise RATE] [--capture FILE.vcd] [--pty END=LINK]...
//
// DIR becomes private to the user (mode 0700) and holds the socket the ports reach. RATE is a bit
// error rate (e.g. 1e-4). --pty offers END as a pseudo-terminal at LINK for other programs.
// Prints "ready" once the ends can be reached; stops on SIGTERM, SIGINT or SIGHUP, closing every
// connection.
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "labdaemon.h"

namespace {

constexpr double kMillion = 1e6;

// The stopping signals arrive as a readable descriptor in the event loop.
int stoppingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, s);
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
    return ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

std::optional<lablined::Options> parseOptions(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    parser.addOption({"folder", "The lab's private folder.", "DIR"});
    parser.addOption({"noise", "Bit error rate, 0 to 1.", "RATE"});
    parser.addOption({"capture", "Value Change Dump of every wire.", "FILE"});
    parser.addOption({"pty", "A pseudo-terminal for an end.", "END=LINK"});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    lablined::Options o;
    o.folder = parser.value("folder");
    o.capture = parser.value("capture");
    bool ok = true;
    const double rate = parser.isSet("noise") ? parser.value("noise").toDouble(&ok) : 0.0;
    if (o.folder.isEmpty() || !ok || rate < 0 || rate > 1) {
        *error = QStringLiteral(
            "usage: serlinq-lab-line --folder DIR [--noise RATE] "
            "[--capture FILE] [--pty END=LINK]...");
        return std::nullopt;
    }
    o.noisePerMillion = quint32(rate * kMillion + 0.5);
    for (const QString& pty : parser.values("pty")) {
        const qsizetype eq = pty.indexOf('=');
        if (eq <= 0) {
            *error = QStringLiteral("--pty %1: expected END=LINK").arg(pty);
            return std::nullopt;
        }
        o.ptys.insert(pty.left(eq), pty.mid(eq + 1));
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const int stopFd = stoppingSignals();
    QCoreApplication app(argc, argv);
    QString error;
    const std::optional<lablined::Options> options = parseOptions(app.arguments(), &error);
    if (!options) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    lablined::LabDaemon daemon;
    if (!daemon.start(*options, &error)) {
        std::fprintf(stderr, "serlinq-lab-line: %s\n", qPrintable(error));
        return 1;
    }
    QSocketNotifier stopper(stopFd, QSocketNotifier::Read);
    QObject::connect(&stopper, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::printf("ready\n");
    std::fflush(stdout);
    app.exec();
    daemon.stop();
    return 0;
}
