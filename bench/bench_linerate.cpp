// What receiving at the fastest line rate costs the program: the simultaneous exchange on the
// lab's line at 28800 bauds (2880 characters a second), the terminal shown, the other computer a
// separate process sending without pause for a while; for the text display and for the table of
// codes, the processor time of the program (its every thread, the accessibility bridge's
// included) as a share of one core, and whether every character was shown.
//
//     bench_linerate [seconds]            (60 by default)
//
// Run it on a display as a user sees the program, e.g. under xvfb-run with QT_QPA_PLATFORM=xcb;
// for the cost with assistive technologies, in a session bus with the accessibility bus and
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 (bench/run-linerate.sh does both).
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "core/appstate.h"
#include "support/appfixture.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

using namespace testsupport;

namespace {

constexpr int kRate = 2880;
constexpr int kSliceMs = 10;
constexpr int kPeerPort = 3;
const QString kSettings = QStringLiteral("28800,N,8,1");

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

char codeOf(qint64 k) {
    return char(32 + k % 95);
}

// The other computer: sends `seconds` of the stream at the line's rate, then waits for the line
// to drain and ends.
int peer(const QString& folder, int seconds) {
    PeerPort port(folder, kPeerPort, kSettings);
    if (!port.isOpen()) return 2;
    port.comm.setOutputQueueLimit(1 << 22);
    const qint64 total = qint64(kRate) * seconds;
    qint64 sent = 0;
    QElapsedTimer wall;
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        const qint64 due = qMin<qint64>(total, wall.elapsed() * kRate / 1000 + kRate / 100);
        QByteArray slice;
        for (; sent < due; ++sent) slice += codeOf(sent);
        if (!slice.isEmpty()) port.send(slice);
        if (sent >= total && port.comm.OutBufferCount() == 0) QCoreApplication::exit(0);
    });
    std::printf("sending\n");
    std::fflush(stdout);
    wall.start();
    pace.start(kSliceMs);
    return QCoreApplication::exec();
}

struct Rig : AppFixture {
    bool table;
    explicit Rig(bool codes) : AppFixture(Ports::Lab), table(codes) {
        linkconfig::setSpeed(state.LinkConfig, "28800");
        linkconfig::setDataBits(state.LinkConfig, 8);
        linkconfig::setParityByLetter(state.LinkConfig, "N");
        FMenu& m = menu();
        m.show();
        m.Emission_Reception_Simultanees_Click();
        FChoixCase& options = get<FChoixCase>();
        options.OptionEmission[1]->setChecked(true);
        options.OptionReception[codes ? 1 : 0]->setChecked(true);
        options.OK->click();
    }
    FEmiRecep& terminal() { return get<FEmiRecep>(); }
    // Characters shown, and the last one.
    std::pair<qint64, int> shown() {
        if (table) {
            if (auto* view = terminal().findChild<QAbstractItemView*>("TableReception")) {
                QAbstractItemModel* m = view->model();
                const int rows = m->rowCount();
                const int last =
                    rows ? m->index(rows - 1, 0).data().toString().trimmed().toInt() : -1;
                return {rows, last};
            }
        }
        QTextDocument* doc = terminal().TexteReception->document();
        if (table) {
            const int last = doc->lastBlock().text().section('\t', 0, 0).trimmed().toInt();
            return {doc->isEmpty() ? 0 : doc->blockCount(), last};
        }
        const QString text = doc->lastBlock().text();
        return {doc->characterCount() - doc->blockCount(),
                text.isEmpty() ? -1 : int(text.back().unicode())};
    }
};

void measure(const QString& self, bool codes, int seconds) {
    Rig rig(codes);
    const char* name = codes ? "table of codes" : "text display";
    if (!rig.isReady()) {
        std::printf("%s: no lab line (%s)\n", name, qPrintable(rig.errorString()));
        return;
    }
    settle(500);
    QProcess sender;
    sender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    double cpu0 = 0;
    qint64 wall0 = 0;
    QElapsedTimer wall;
    wall.start();
    QObject::connect(&sender, &QProcess::readyReadStandardOutput, [&] {
        sender.readAllStandardOutput();
        cpu0 = cpuSeconds();
        wall0 = wall.elapsed();
    });
    QObject::connect(&sender, &QProcess::finished, &loop, &QEventLoop::quit);
    sender.start(self, {QStringLiteral("--peer"), rig.folder(), QString::number(seconds)});
    QTimer::singleShot((seconds + 30) * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpu0;
    const double elapsed = double(wall.elapsed() - wall0) / 1000.0;
    const qint64 total = qint64(kRate) * seconds;
    const int lastSent = codeOf(total - 1);
    waitFor([&] { return rig.shown().second == lastSent; }, 2000);
    const auto [count, last] = rig.shown();
    std::printf(
        "%s: %d s at %d char/s, %.1f %% of one core (%.2f s CPU over %.1f s), %lld shown, last "
        "%s, accessibility %s\n",
        name, seconds, kRate, 100.0 * cpu / elapsed, cpu, elapsed, static_cast<long long>(count),
        last == lastSent ? "as sent" : "missing", QAccessible::isActive() ? "active" : "off");
    std::fflush(stdout);
    if (sender.state() != QProcess::NotRunning) sender.kill();
    sender.waitForFinished(2000);
    rig.terminal().Annuler_Click();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && QByteArray(argv[1]) == "--peer") {
        QCoreApplication app(argc, argv);
        return peer(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    QApplication app(argc, argv);
    const int seconds = argc >= 2 ? qMax(1, QByteArray(argv[1]).toInt()) : 60;
    std::printf("Reception at the line's rate on the lab, %s, platform %s\n", qPrintable(kSettings),
                qPrintable(QGuiApplication::platformName()));
    const QString self = QCoreApplication::applicationFilePath();
    measure(self, false, seconds);
    measure(self, true, seconds);
    return 0;
}
