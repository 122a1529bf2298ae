// Processor time of the interface-unit console while it polls the unit's emulator over a
// virtual cable, as a percentage of one core (the console's process only; the emulator and the
// cable run in processes of their own). Prints figures; asserts nothing.
//   bench_velmo [SECONDS]   (each of the two runs)
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "support/appfixture.h"
#include "support/wait.h"
#include "ui/hardware/velmoconsole.h"
#include "ui/shell/fmenu.h"

namespace {

constexpr int kWarmUpMs = 500;
constexpr char kLineExchangeMs[] = "12";

double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// Polls for `seconds` against the emulator started with `options`; prints the figures.
int measure(const char* label, const QStringList& options, int seconds) {
    testsupport::AppFixture fixture;
    if (!fixture.isReady()) {
        std::fprintf(stderr, "no virtual cable: %s\n", qPrintable(fixture.errorString()));
        return 1;
    }
    QProcess unit;
    QByteArray log;
    QObject::connect(&unit, &QProcess::readyReadStandardError, &unit,
                     [&] { log += unit.readAllStandardError(); });
    unit.start(QStringLiteral(VELMO_EMULATOR),
               options + QStringList{"--verbose", fixture.cable->endA()});
    if (!testsupport::waitFor([&] { return log.contains("ready on"); })) return 1;

    double cpu0 = 0;
    qsizetype lines0 = 0;
    QElapsedTimer wall;
    QTimer::singleShot(kWarmUpMs, [&] {
        cpu0 = cpuSeconds();
        lines0 = log.count('\n');
        wall.start();
    });
    QTimer::singleShot(kWarmUpMs + seconds * 1000, [&] {
        const double cpu = cpuSeconds() - cpu0;
        const double elapsed = wall.elapsed() / 1000.0;
        const qsizetype commands = log.count('\n') - lines0;
        std::printf("%s: polling for %.1f s, CPU %.1f %% of one core, %.0f commands/s\n", label,
                    elapsed, 100.0 * cpu / elapsed, commands / elapsed);
        fixture.forms->velmo().Annuler();
    });
    fixture.menu().Velmo_Click();
    unit.terminate();
    unit.waitForFinished(3000);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    // A virtual cable carries bytes at once; a real 9600-baud line takes about 12 ms for a
    // command and its reply, which the emulator's late answer stands for.
    return measure("unit paced as on a 9600-baud line", {"--delay", kLineExchangeMs}, seconds) |
           measure("unit answering at once (unpaced cable)", {}, seconds);
}
