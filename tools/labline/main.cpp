// serlinq-lab-line: the virtual lab's simulated serial line.
//
//   serlinq-lab-line --folder DIR [--noise RATE] [--capture FILE.vcd] [--pty END=LINK]...
//
// DIR becomes private to the user (mode 0700) and holds the socket the ports reach; an existing
// DIR must hold nothing but the line's own files, or the line does not start. RATE is a bit
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
enum Status { kStopped = 0, kNotStarted = 1, kUsage = 2 };

const char kUsageLine[] =
    "Usage : serlinq-lab-line --folder DOSSIER [--noise TAUX] [--capture FICHIER.vcd]\n"
    "                         [--pty EXTRÉMITÉ=LIEN]...\n";

const char kHelp[] =
    "\n"
    "Fait fonctionner la ligne simulée du laboratoire virtuel : com1 porte un bouchon de "
    "bouclage,\n"
    "com2 et com3 sont reliés par un câble null-modem, com4 par un câble droit à com4-peer.\n"
    "\n"
    "  --folder DOSSIER       dossier privé de la ligne, créé au besoin ; les ports la joignent\n"
    "                         par la prise « socket » qu'il contient. Un dossier existant ne doit\n"
    "                         contenir que les fichiers de la ligne.\n"
    "  --noise TAUX           taux d'erreur par bit, de 0 à 1 (par exemple 1e-4).\n"
    "  --capture FICHIER.vcd  enregistre chaque changement de niveau de chaque fil.\n"
    "  --pty EXTRÉMITÉ=LIEN   offre l'extrémité aux autres programmes comme pseudo-terminal,\n"
    "                         au lien LIEN.\n"
    "  -h, --help             affiche cette aide.\n"
    "\n"
    "Écrit « ready » dès que les extrémités sont joignables ; s'arrête sur SIGTERM, SIGINT ou\n"
    "SIGHUP en fermant chaque connexion.\n";

// The stopping signals arrive as a readable descriptor in the event loop.
int stoppingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, s);
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
    return ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

// Nothing with `error` empty: the help was asked for.
std::optional<lablined::Options> parseOptions(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    parser.addOption({"folder", {}, "DIR"});
    parser.addOption({"noise", {}, "RATE"});
    parser.addOption({"capture", {}, "FILE"});
    parser.addOption({"pty", {}, "END=LINK"});
    parser.addOption({{"h", "help"}, {}});
    if (!parser.parse(arguments)) {
        *error = parser.errorText() + '\n' + QString::fromUtf8(kUsageLine);
        return std::nullopt;
    }
    if (parser.isSet("help")) return std::nullopt;
    lablined::Options o;
    o.folder = parser.value("folder");
    o.capture = parser.value("capture");
    bool ok = true;
    const double rate = parser.isSet("noise") ? parser.value("noise").toDouble(&ok) : 0.0;
    if (o.folder.isEmpty() || !ok || rate < 0 || rate > 1) {
        *error = QString::fromUtf8(kUsageLine);
        return std::nullopt;
    }
    o.noisePerMillion = quint32(rate * kMillion + 0.5);
    for (const QString& pty : parser.values("pty")) {
        const qsizetype eq = pty.indexOf('=');
        if (eq <= 0) {
            *error = QStringLiteral("--pty %1 : EXTRÉMITÉ=LIEN attendu\n").arg(pty) +
                     QString::fromUtf8(kUsageLine);
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
    if (!options && error.isEmpty()) {
        std::printf("%s%s", kUsageLine, kHelp);
        return kStopped;
    }
    if (!options) {
        std::fprintf(stderr, "%s", error.toUtf8().constData());
        return kUsage;
    }
    lablined::LabDaemon daemon;
    if (!daemon.start(*options, &error)) {
        std::fprintf(stderr, "serlinq-lab-line : %s\n", error.toUtf8().constData());
        return kNotStarted;
    }
    QSocketNotifier stopper(stopFd, QSocketNotifier::Read);
    QObject::connect(&stopper, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::printf("ready\n");
    std::fflush(stdout);
    app.exec();
    daemon.stop();
    return kStopped;
}
