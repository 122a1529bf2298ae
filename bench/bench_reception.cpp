// Figures of the terminal's reception over a virtual cable (socat pseudo-terminals), the other
// computer sending a paced stream: for string reception, the exchange's text display and its
// table of codes, the characters lost, the highest rate sustained without falling behind, and
// the processor time per thousand characters (for the table, with 0, 10 000 and 100 000 rows
// already shown).
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
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
#include "ui/terminal/codetable.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

using namespace testsupport;

namespace {

enum class Target { String, Text, Table };

const char* nameOf(Target t) {
    switch (t) {
        case Target::String:
            return "(a) string reception";
        case Target::Text:
            return "(b) text display";
        case Target::Table:
            return "(c) table of codes";
    }
    return "";
}

// The pacing of the stream: a slice every few milliseconds.
constexpr int kSliceMs = 10;
// Behind: more than this share of a second of the stream waiting to be read.
constexpr int kBacklogDivisor = 4;
// The rates tried, characters a second: from 5 times the fastest line up.
constexpr int kRates[] = {14400, 28800, 57600, 115200, 230400, 460800, 921600, 1843200};

double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

struct Rig : AppFixture {
    PeerPort peer{folder(), 1, QStringLiteral("28800,N,8,1")};
    Target target;

    explicit Rig(Target t) : target(t) {
        linkconfig::setSpeed(state.LinkConfig, "28800");
        linkconfig::setDataBits(state.LinkConfig, 8);
        linkconfig::setParityByLetter(state.LinkConfig, "N");
        peer.comm.setOutputQueueLimit(1 << 24);
        FMenu& m = menu();
        if (t == Target::String) {
            m.RecepChaine_Click();
            return;
        }
        m.Emission_Reception_Simultanees_Click();
        FChoixCase& options = get<FChoixCase>();
        options.OptionEmission[1]->setChecked(true);
        options.OptionReception[t == Target::Table ? 1 : 0]->setChecked(true);
        options.OK->click();
    }
    QPlainTextEdit* window() { return get<FEmiRecep>().TexteReception; }
    CodeTableModel& table() { return get<FEmiRecep>().TableReception->rows(); }
    // Characters shown by a text display.
    qint64 characters() {
        QTextDocument* doc = window()->document();
        return doc->characterCount() - doc->blockCount();
    }
    static int codeOf(qint64 k) { return 32 + int(k % 95); }
    // Whether the table's last row is that of the `total`-th character sent, with room for all.
    bool tableDone(qint64 rowsBefore, qint64 total) {
        const CodeTableModel& t = table();
        const qint64 need = qMin<qint64>(CodeTableModel::kMaxRows, rowsBefore + total);
        return t.rowCount() >= need && t.code(t.rowCount() - 1) == codeOf(total - 1);
    }
    // The rows of the stream found in order at the end of the table.
    qint64 tableRowsInOrder(qint64 total) {
        const CodeTableModel& t = table();
        qint64 k = total - 1;
        for (int row = t.rowCount() - 1; row >= 0 && k >= 0; --row, --k) {
            if (t.code(row) != codeOf(k)) break;
        }
        return total - 1 - k;
    }
    // Printable ASCII only, so that every character sent is kept by every display.
    static QByteArray stream(int n, qint64 from) {
        QByteArray b(n, ' ');
        for (int i = 0; i < n; ++i) b[i] = char(32 + (from + i) % 95);
        return b;
    }
};

struct Outcome {
    qint64 sent = 0;
    qint64 lost = 0;
    bool keptUp = true;
    double cpuPerThousand = 0;
};

// Sends `total` characters at `rate` a second, then waits for the window to show them all.
Outcome run(Rig& rig, int rate, qint64 total) {
    Outcome o;
    const bool table = rig.target == Target::Table;
    const qint64 before = table ? rig.table().rowCount() : rig.characters();
    auto done = [&] {
        return table ? rig.tableDone(before, total) : rig.characters() - before >= total;
    };
    const int slice = qMax(1, rate * kSliceMs / 1000);
    const int backlogLimit = rate / kBacklogDivisor;
    QElapsedTimer wall;
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pace, &QTimer::timeout, [&] {
        // Catch up with the clock, so that a slow window does not slow the sender.
        const qint64 due = qMin<qint64>(total, wall.elapsed() * rate / 1000 + slice);
        if (due > o.sent) {
            rig.peer.send(Rig::stream(int(due - o.sent), o.sent));
            o.sent = due;
        }
        if (rig.peer.comm.OutBufferCount() > backlogLimit) o.keptUp = false;
        if (o.sent >= total) pace.stop();
    });
    const double cpu0 = cpuSeconds();
    wall.start();
    pace.start(kSliceMs);
    waitFor([&] { return !pace.isActive(); }, 120000);
    const qint64 sentAt = wall.elapsed();
    waitFor(done, 5000);
    // Everything shown within a quarter of a second of the last character sent.
    if (wall.elapsed() - sentAt > 1000 / kBacklogDivisor + kSliceMs) o.keptUp = false;
    o.cpuPerThousand = (cpuSeconds() - cpu0) * 1000.0 * 1000.0 / double(total);
    o.lost = total - (table ? rig.tableRowsInOrder(total) : rig.characters() - before);
    return o;
}

void highestRate(Target t) {
    Rig rig(t);
    if (!rig.isReady()) {
        std::printf("%s: no virtual cable (%s)\n", nameOf(t), qPrintable(rig.errorString()));
        return;
    }
    int best = 0;
    qint64 lost = 0;
    for (int rate : kRates) {
        rig.window()->clear();
        rig.table().clear();
        // A second and a half, and never more rows than the table keeps.
        const qint64 total = qMin<qint64>(rate * 3 / 2, CodeTableModel::kMaxRows * 9 / 10);
        const Outcome o = run(rig, rate, total);
        lost += qMax<qint64>(0, o.lost);
        std::printf("  %s at %7d char/s: %lld sent, %lld lost, %s, %.2f ms CPU per 1000\n",
                    nameOf(t), rate, static_cast<long long>(o.sent), static_cast<long long>(o.lost),
                    o.keptUp ? "kept up" : "fell behind", o.cpuPerThousand);
        if (!o.keptUp || o.lost != 0) break;
        best = rate;
    }
    std::printf("%s: highest sustained rate %d char/s, characters lost %lld\n", nameOf(t), best,
                static_cast<long long>(lost));
}

void tableCostByRows() {
    for (int already : {0, 10000, 100000}) {
        Rig rig(Target::Table);
        if (!rig.isReady()) return;
        rig.table().append(QByteArray(already, 'A'));
        rig.table().flush();
        const int rate = 57600;
        const Outcome o = run(rig, rate, 30000);
        std::printf(
            "(c) table with %6d rows shown: %.2f ms CPU per 1000 rows at %d char/s, %lld lost, "
            "%s, %d rows kept\n",
            already, o.cpuPerThousand, rate, static_cast<long long>(o.lost),
            o.keptUp ? "kept up" : "fell behind", rig.table().rowCount());
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::printf(
        "Reception over a virtual cable, 28800,N,8,1 requested (a pseudo-terminal does not pace "
        "bytes: the sender paces them, a slice every %d ms). Fastest line: 2880 char/s.\n",
        kSliceMs);
    highestRate(Target::String);
    highestRate(Target::Text);
    highestRate(Target::Table);
    tableCostByRows();
    return 0;
}
