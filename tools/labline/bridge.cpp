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
// END is taken or not. Exit status: 0 done, 1 time-out or port lost (or no lab to ring, or no
// answer from it), 2 usage, 3 the port would not open or the line refused the ring (its error
// number is printed).
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "serial/labline/localsocket.h"
#include "serial/mscomm.h"

namespace {

enum Status { kDone = 0, kFailed = 1, kUsage = 2, kNotOpened = 3 };
constexpr int kDefaultTimeoutMs = 10000;
constexpr int kChunk = 1024;
constexpr int kRingAnswerMs = 3000;

const char kUsageText[] =
    "Usage : serlinq-lab-bridge [--settings S] [--expect N] [--ready FICHIER] [--timeout MS] PORT\n"
    "        serlinq-lab-bridge --ring lab:DOSSIER/EXTRÉMITÉ\n";

const char kHelp[] =
    "\n"
    "Ouvre PORT (un chemin de périphérique, ou une extrémité du laboratoire virtuel sous la forme\n"
    "lab:DOSSIER/EXTRÉMITÉ) par le contrôle série, y envoie ce qui arrive sur l'entrée standard "
    "et\n"
    "écrit sur la sortie standard ce qu'il reçoit.\n"
    "\n"
    "  --settings S      vitesse, parité, bits de données, bits de stop (9600,N,8,1 par défaut).\n"
    "  --expect N        s'arrête après avoir reçu N octets ; sinon, quand l'entrée est finie et\n"
    "                    partie sur la ligne.\n"
    "  --ready FICHIER   crée FICHIER dès que le port est ouvert.\n"
    "  --timeout MS      abandonne après MS millisecondes (10 000 par défaut).\n"
    "  --ring            fait sonner qui se trouve au bout de la ligne de l'extrémité, puis "
    "s'arrête.\n"
    "  -h, --help        affiche cette aide.\n"
    "\n"
    "Code de sortie : 0 terminé, 1 délai dépassé, port perdu ou ligne absente, 2 mauvais usage,\n"
    "3 port impossible à ouvrir ou sonnerie refusée par la ligne (le numéro d'erreur est "
    "affiché).\n";

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

// Rings from the end `target` names ("lab:FOLDER/END"), and says what the line answered.
int ring(const QString& target) {
    using labline::wire::Type;
    const QString rest = target.mid(4);
    const qsizetype slash = rest.lastIndexOf('/');
    if (!target.startsWith(QLatin1String("lab:")) || slash <= 0) return kUsage;
    const int fd = labline::local::connectTo(rest.left(slash) + QStringLiteral("/socket"));
    if (fd < 0) {
        std::fprintf(stderr, "serlinq-lab-bridge : aucune ligne dans %s\n",
                     rest.left(slash).toUtf8().constData());
        return kFailed;
    }
    const labline::wire::Message m{Type::Ring, 0, rest.mid(slash + 1).toUtf8()};
    QByteArray answer;
    const bool answered =
        labline::local::send(fd, m) == labline::local::SendResult::Sent &&
        labline::local::waitReadable(fd, kRingAnswerMs) &&
        labline::local::receive(fd, &answer) == labline::local::ReceiveResult::Message;
    labline::local::closeFd(fd);
    const std::optional<labline::wire::Message> reply =
        answered ? labline::wire::decode(answer) : std::nullopt;
    if (reply && reply->type == Type::Rung) return kDone;
    if (reply && reply->type == Type::Refused) {
        std::fprintf(stderr, "serlinq-lab-bridge : la ligne refuse la sonnerie (erreur %lld)\n",
                     static_cast<long long>(reply->value));
        return kNotOpened;
    }
    std::fprintf(stderr, "serlinq-lab-bridge : la ligne n'a pas répondu à la sonnerie\n");
    return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"settings", {}, "S", "9600,N,8,1"});
    parser.addOption({"expect", {}, "N"});
    parser.addOption({"ready", {}, "FILE"});
    parser.addOption({"timeout", {}, "MS"});
    parser.addOption({"ring", {}});
    parser.addOption({{"h", "help"}, {}});
    const bool parsed = parser.parse(app.arguments());
    if (parsed && parser.isSet("help")) {
        std::printf("%s%s", kUsageText, kHelp);
        return kDone;
    }
    if (!parsed || parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "%s", kUsageText);
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
