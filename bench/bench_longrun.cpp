// A long run of the simultaneous exchange: the terminal receives, on the lab's line at 28 800
// bauds (8 bits, no parity, 1 stop bit), everything the far end can send, for ten minutes (or
// --seconds N), its table of codes showing every character. Prints the characters lost (every
// few seconds the rows shown are read back as a screen reader reads them and found in order in
// the stream sent, each reading overlapping the one before), the rate received, the resident
// memory at the start, once the table has reached its bound and at the end, and the processor
// time of the program (the far end's sending included: it runs in this process too) and of the
// line's daemon.
//
//     build/bench/bench_longrun [--seconds N]
#include <malloc.h>
#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>

#include "core/appstate.h"
#include "support/appfixture.h"
#include "support/cpushare.h"
#include "support/shownlines.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

using namespace testsupport;

namespace {

constexpr int kDefaultSeconds = 600;
constexpr int kSnapshotEveryMs = 10000;
constexpr int kSendEveryMs = 10;
// The sender keeps this much waiting ahead of the line, so that the line never idles.
constexpr int kLead = 2048;
constexpr int kChunk = 512;
// A reading is placed in the stream by its last rows, then checked whole.
constexpr int kAnchorRows = 48;
constexpr qint64 kSearchBack = 1 << 17;
constexpr double kMiB = 1024.0 * 1024.0;

// The bytes sent: pseudo-random, every code from 0 to 255, so that a reading has one place in
// the stream. Only the recent part is kept, in a buffer of fixed size, so that the record does
// not add to the memory measured.
class Stream {
public:
    static constexpr qint64 kKept = 1 << 19;
    Stream() { recent_.reserve(kKept + (1 << 16)); }
    QByteArray next(int n) {
        QByteArray out(n, '\0');
        for (char& c : out) {
            state_ ^= state_ << 13;
            state_ ^= state_ >> 17;
            state_ ^= state_ << 5;
            c = char(state_ >> 24);
        }
        if (recent_.size() + n > kKept) {
            const qint64 drop = kKept / 2;
            recent_.remove(0, drop);
            base_ += drop;
        }
        recent_ += out;
        return out;
    }
    qint64 size() const { return base_ + recent_.size(); }
    qint64 oldest() const { return base_; }
    int at(qint64 i) const { return static_cast<unsigned char>(recent_.at(i - base_)); }

private:
    QByteArray recent_;
    qint64 base_ = 0;
    quint32 state_ = 2463534242u;
};

double daemonSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 13) return -1;
    return double(f.at(11).toLongLong() + f.at(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// The resident memory once the memory freed so far has gone back to the system: the readings
// themselves build texts of megabytes and free them, which the allocator may keep a while.
long long liveResident() {
    malloc_trim(0);
    return residentBytes();
}

struct Reading {
    bool placed = false;
    qint64 first = 0;  // stream index of the first row shown
    qint64 last = -1;  // of the last
    qint64 rows = 0;
};

// Where the rows shown stand in the stream: their last rows found near its end, then all of
// them compared.
Reading place(const QList<int>& codes, const Stream& sent) {
    Reading r;
    r.rows = codes.size();
    if (codes.isEmpty()) return r;
    const qint64 n = codes.size();
    const qint64 anchor = qMin<qint64>(kAnchorRows, n);
    auto at = [&](qint64 i) { return sent.at(i); };
    const qint64 lowest = qMax(sent.oldest() + n - 1, sent.size() - kSearchBack);
    for (qint64 p = sent.size() - 1; p >= lowest; --p) {
        bool tail = true;
        for (qint64 k = 0; k < anchor && tail; ++k) tail = at(p - k) == codes.at(n - 1 - k);
        if (!tail) continue;
        bool whole = true;
        for (qint64 k = anchor; k < n && whole; ++k) whole = at(p - k) == codes.at(n - 1 - k);
        if (!whole) continue;
        r.placed = true;
        r.first = p - n + 1;
        r.last = p;
        return r;
    }
    return r;
}

struct Rig : AppFixture {
    std::unique_ptr<PeerPort> peer;
    QStringList messages;
    QTimer answering;

    Rig() : AppFixture(Ports::Lab) {
        menu().show();
        // The link as the user sets it, from the menu.
        menu().Bauds28800_Click();
        menu().Sans_Click();
        menu().Bit8_Click();
        peer = std::make_unique<PeerPort>(folder(), 3, QStringLiteral("28800,N,8,1"));
        // A message ends the exchange: kept, and answered as the user would.
        QObject::connect(&answering, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) return;
            auto* box = modal->findChild<QTextEdit*>("Texte");
            messages << (box ? box->toPlainText() : modal->windowTitle());
            QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_Return);
        });
        answering.start(50);
    }
    FEmiRecep& terminal() { return get<FEmiRecep>(); }
    bool startExchange() {
        menu().Emission_Reception_Simultanees_Click();
        FChoixCase& options = get<FChoixCase>();
        options.OptionEmission[1]->setChecked(true);
        options.OptionReception[1]->setChecked(true);  // every character, with its codes
        options.OK->click();
        return waitFor([&] { return terminal().isVisible(); });
    }
    QList<int> shownCodes() { return leadingNumbers(shownReception(terminal())); }
};

int secondsFrom(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--seconds") == 0) return qMax(1, atoi(argv[i + 1]));
    }
    return kDefaultSeconds;
}

struct Figures {
    qint64 readings = 0;
    qint64 unplaced = 0;
    qint64 gaps = 0;  // readings that did not reach back to the one before
    qint64 lastSeen = -1;
    long long rssStart = 0;
    long long rssBound = -1;
    long long rssMax = 0;
    long long rssEnd = 0;
    double readingSeconds = 0;  // processor time spent reading the rows back
    double cpuHalf = -1;        // the program's processor time at half the run
    qint64 halfMs = 0;
    // The rows in order at the first and the last reading of the run, and when.
    qint64 firstSeen = -1, firstMs = 0, lastRunSeen = -1, lastRunMs = 0;
};

void check(Rig& rig, const Stream& stream, Figures& f, bool atEnd = false) {
    const long long rss = liveResident();
    f.rssMax = qMax(f.rssMax, rss);
    const double cpu0 = processorSeconds();
    const Reading r = place(rig.shownCodes(), stream);
    f.readingSeconds += processorSeconds() - cpu0;
    ++f.readings;
    if (r.rows == 0) return;
    if (!r.placed) {
        ++f.unplaced;
        std::printf("  reading %lld: %lld rows not found in order in the stream\n",
                    static_cast<long long>(f.readings), static_cast<long long>(r.rows));
        return;
    }
    if (r.first > f.lastSeen + 1) ++f.gaps;
    f.lastSeen = qMax(f.lastSeen, r.last);
    // Rows have gone from the top: the table holds all it keeps.
    if (r.first > 0 && f.rssBound < 0) f.rssBound = rss;
    if (atEnd) f.rssEnd = rss;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = secondsFrom(argc, argv);
    Rig rig;
    if (!rig.isReady() || !rig.peer->isOpen() || !rig.startExchange()) {
        std::printf("no lab line or no exchange: %s\n", qPrintable(rig.errorString()));
        return 1;
    }
    rig.peer->comm.setOutputQueueLimit(1 << 16);
    std::printf(
        "Exchange receiving on the lab's line at 28800,N,8,1 for %d s (2880 char/s at "
        "most), its table of codes showing every character.\n",
        seconds);
    std::fflush(stdout);

    Stream stream;
    Figures f;
    f.rssStart = liveResident();
    const double cpu0 = processorSeconds();
    const double daemon0 = daemonSeconds(rig.lab->processId());
    QElapsedTimer wall;
    wall.start();

    QTimer sending;
    QObject::connect(&sending, &QTimer::timeout, [&] {
        if (rig.peer->comm.OutBufferCount() < kLead) rig.peer->send(stream.next(kChunk));
    });
    sending.start(kSendEveryMs);
    QTimer reading;
    QObject::connect(&reading, &QTimer::timeout, [&] {
        check(rig, stream, f);
        if (f.firstSeen < 0) {
            f.firstSeen = f.lastSeen;
            f.firstMs = wall.elapsed();
        }
        f.lastRunSeen = f.lastSeen;
        if (f.cpuHalf < 0 && wall.elapsed() >= seconds * 500) {
            f.cpuHalf = processorSeconds();
            f.halfMs = wall.elapsed();
        }
        f.lastRunMs = wall.elapsed();
        std::printf("  %4lld s: %lld sent, %lld shown in order, %.1f MiB resident\n",
                    static_cast<long long>(wall.elapsed() / 1000),
                    static_cast<long long>(stream.size()), static_cast<long long>(f.lastSeen + 1),
                    double(liveResident()) / kMiB);
        std::fflush(stdout);
    });
    reading.start(kSnapshotEveryMs);
    settle(seconds * 1000);
    sending.stop();
    reading.stop();

    // Everything sent has arrived once the last byte sent is the last row shown.
    const qint64 total = stream.size();
    waitFor(
        [&] {
            const QList<int> codes = rig.shownCodes();
            return !codes.isEmpty() && place(codes, stream).last == total - 1;
        },
        30000);
    check(rig, stream, f, true);
    const double cpuNow = processorSeconds();
    const double cpu = cpuNow - cpu0;
    if (f.cpuHalf >= 0 && wall.elapsed() > f.halfMs) {
        std::printf("processor in the second half of the run: %.1f %% of a core\n",
                    100.0 * (cpuNow - f.cpuHalf) * 1000.0 / double(wall.elapsed() - f.halfMs));
    }
    const double daemon = daemonSeconds(rig.lab->processId()) - daemon0;
    const double wallSeconds = double(wall.elapsed()) / 1000.0;

    const qint64 lost = total - (f.lastSeen + 1);
    std::printf(
        "characters sent %lld, shown in order %lld, lost %lld; readings %lld, not in "
        "order %lld, not reaching the one before %lld\n",
        static_cast<long long>(total), static_cast<long long>(f.lastSeen + 1),
        static_cast<long long>(lost), static_cast<long long>(f.readings),
        static_cast<long long>(f.unplaced), static_cast<long long>(f.gaps));
    if (f.lastRunMs > f.firstMs) {
        std::printf(
            "rate received %.0f char/s between the first and the last reading (the "
            "line's most: 2880)\n",
            double(f.lastRunSeen - f.firstSeen) * 1000.0 / double(f.lastRunMs - f.firstMs));
    }
    std::printf("resident memory: %.1f MiB at the start, %.1f MiB at most, %.1f MiB at the end\n",
                double(f.rssStart) / kMiB, double(f.rssMax) / kMiB, double(f.rssEnd) / kMiB);
    if (f.rssBound >= 0) {
        std::printf("  once the table held all it keeps: %.1f MiB, %+.2f MiB since\n",
                    double(f.rssBound) / kMiB, double(f.rssEnd - f.rssBound) / kMiB);
    } else {
        std::printf("  the table never reached its bound: run longer\n");
    }
    std::printf(
        "processor: program %.1f s (%.1f %% of a core; %.1f %% without the readings), "
        "line daemon %.1f s (%.1f %%) over %.0f s\n",
        cpu, 100.0 * cpu / wallSeconds, 100.0 * (cpu - f.readingSeconds) / wallSeconds, daemon,
        100.0 * daemon / wallSeconds, wallSeconds);
    std::printf("messages shown: %lld%s%s; exchange still open: %s\n",
                static_cast<long long>(rig.messages.size()), rig.messages.isEmpty() ? "" : ", ",
                qPrintable(rig.messages.join(" | ")), rig.terminal().isVisible() ? "yes" : "no");
    rig.terminal().Annuler->click();
    return lost == 0 && f.unplaced == 0 && f.gaps == 0 && rig.messages.isEmpty() ? 0 : 1;
}
