// The simplex and duplex arrows over one whole cycle and the start of the next, as a timeline of
// half seconds: the first timer's tick, then the second's, for each step.
#include <QtTest>

#include "core/plexcycle.h"

using plex::Arrow;

namespace {

// One pair of characters per step: after the first tick, after the second; '#' shown. Steps 1
// to 19, then steps 1 and 2 of the next cycle.
struct Timeline {
    const char* name;
    Arrow arrow;
    const char* frames;
};
const Timeline kTimelines[] = {
    {"simplex", Arrow::Simplex, "#. #. #. #. #. .. .. .. .. .. .. .. .. .. .. .. .. .. .. #. #."},
    {"half-duplex, left to right", Arrow::HalfRight,
     ".. .. .. .. .. .. #. #. #. #. #. .. .. .. .. .. .. .. .. .. .."},
    {"half-duplex, right to left", Arrow::HalfLeft,
     ".. .. .. .. .. .. .# .# .# .# .. .. .. .. .. .. .. .. .. .. .."},
    {"full-duplex, left to right", Arrow::FullRight,
     ".. .. .. .. .. .. .. .. .. .. .. .. #. #. #. #. #. .. .. .. .."},
    {"full-duplex, right to left", Arrow::FullLeft,
     ".. .. .. .. .. .. .. .. .. .. .. .. #. #. #. #. #. .. .. .. .."},
};

}  // namespace

class TstPlexCycle : public QObject {
    Q_OBJECT
private slots:
    void timeline_data() {
        QTest::addColumn<int>("arrow");
        QTest::addColumn<QString>("frames");
        for (const Timeline& t : kTimelines)
            QTest::newRow(t.name) << int(t.arrow) << QString::fromLatin1(t.frames).remove(' ');
    }
    void timeline() {
        QFETCH(int, arrow);
        QFETCH(QString, frames);
        plex::State s;
        QString seen;
        for (int half = 0; half < frames.size(); ++half) {
            s = half % 2 == 0 ? plex::firstTick(s) : plex::secondTick(s);
            seen += s.shown.testFlag(Arrow(arrow)) ? '#' : '.';
        }
        QCOMPARE(seen, frames);
    }

    // The step counts the first timer's ticks, the second leaves it; at the end of the cycle
    // nothing is left shown and the count is back to 0.
    void steps() {
        plex::State s;
        for (int step = 1; step < plex::kCycleSteps; ++step) {
            s = plex::firstTick(s);
            QCOMPARE(s.step, step);
            s = plex::secondTick(s);
            QCOMPARE(s.step, step);
        }
        s = plex::firstTick(s);
        QCOMPARE(s, plex::State());
        QCOMPARE(plex::secondTick(s), plex::State());
    }
};

QTEST_MAIN(TstPlexCycle)
#include "tst_plexcycle.moc"
