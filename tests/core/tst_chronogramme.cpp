// The timing diagram: geometry, colours, bit names, code line, and where the names land under
// the cells with the windows' font. Configurations are written "8E2": data bits, parity, stop.
#include <QFontMetricsF>
#include <QRegularExpression>
#include <QtTest>

#include "core/chronogramme.h"
#include "core/drawsurface.h"
#include "core/framebits.h"

using chrono::ChronoInput;
using chrono::ChronoVariant;

Q_DECLARE_METATYPE(ChronoVariant)

namespace {

const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

ChronoInput input(int code, const QString& config) {
    ChronoInput in{QString(),        code,         frame::DisplayChar(code), config.left(1),
                   config.mid(1, 1), config.mid(2)};
    in.FrameBits = frame::BuildFrameBits(code, in.DataBits, in.ParityLetter, in.StopBits);
    return in;
}

// How many lines join exactly these two points, in this colour and style.
int countLines(const DrawSurface& s, QPointF a, QPointF b, const QColor& c, bool dotted) {
    int n = 0;
    for (const DrawItem& i : s.items())
        n += i.kind == DrawItem::Kind::Line && i.p1 == a && i.p2 == b && i.color.rgb() == c.rgb() &&
             i.dotted == dotted;
    return n;
}

int indexOfText(const DrawSurface& s, const QString& text) {
    for (int i = 0; i < s.items().size(); ++i)
        if (s.items()[i].kind == DrawItem::Kind::Text && s.items()[i].text == text) return i;
    return -1;
}

QStringList describeAll(const DrawSurface& s) {
    QStringList out;
    for (const DrawItem& i : s.items())
        out << QString::asprintf("%d (%g,%g)-(%g,%g) %d %g ", int(i.kind), i.p1.x(), i.p1.y(),
                                 i.p2.x(), i.p2.y(), i.dotted, i.width) +
                   i.color.name() + i.text;
    return out;
}

}  // namespace

class TstChronogramme : public QObject {
    Q_OBJECT
private slots:
    // Where the frame ends, and what hangs on that end.
    void frameEnd_data() {
        QTest::addColumn<QString>("config");
        QTest::addColumn<int>("endX");
        QTest::newRow("12 cells") << "8E2" << 592;
        QTest::newRow("6 cells") << "4N1" << 346;
        QTest::newRow("10 cells") << "7E1" << 510;
        QTest::newRow("8 cells, half stop bit") << "5O1.5" << 428;
        QTest::newRow("10 cells, half stop bit") << "8N1.5" << 510;
    }
    void frameEnd() {
        QFETCH(QString, config);
        QFETCH(int, endX);
        DrawSurface s;
        chrono::Chronogramme(s, input(13, config), ChronoVariant::Terminal);
        const double x = endX;
        QCOMPARE(countLines(s, {x, 240}, {600, 240}, kRed, false), 1);
        QCOMPARE(countLines(s, {x, 180}, {600, 180}, kBlue, false), 1);
        QCOMPARE(countLines(s, {x, 180}, {x, 60}, kBlack, true), 1);
        QCOMPARE(countLines(s, {x + 1, 240}, {x + 1, 280}, kBlack, true), 1);
        const int half = config.endsWith("1.5") ? 1 : 0;
        QCOMPARE(countLines(s, {x + 20, 180}, {x + 20, 60}, kBlack, true), half);
        QCOMPARE(countLines(s, {x + 21, 240}, {x + 21, 280}, kBlack, true), half);
        // Nothing of the frame itself reaches past its end (a blue level overlaps by 2).
        for (const DrawItem& l : s.items())
            if (l.kind == DrawItem::Kind::Line && !l.dotted && l.p2.x() != 600)
                QVERIFY(l.p2.x() <= x + 2);
    }

    // The levels of each cell, from a frame given directly, and both boundaries of every cell.
    void cellLevels_data() {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QList<int>>("electric");
        QTest::addColumn<QList<int>>("logic");
        QTest::newRow("0101") << "0101" << QList<int>{60, 180, 60, 180}
                              << QList<int>{280, 240, 280, 240};
        QTest::newRow("A 8N1") << "0100000101"
                               << QList<int>{60, 180, 60, 60, 60, 60, 60, 180, 60, 180}
                               << QList<int>{280, 240, 280, 280, 280, 280, 280, 240, 280, 240};
    }
    void cellLevels() {
        QFETCH(QString, frame);
        QFETCH(QList<int>, electric);
        QFETCH(QList<int>, logic);
        ChronoInput in = input(0, "8N1");
        in.FrameBits = frame;
        DrawSurface s;
        chrono::Chronogramme(s, in, ChronoVariant::Terminal);
        for (int i = 0; i < frame.size(); ++i) {
            const double a = 101 + 41 * i, b = 141 + 41 * i;
            const double e = electric[i], l = logic[i], other = e == 60 ? 180 : 60;
            QCOMPARE(countLines(s, {a, e}, {b + 2, e}, kBlue, false), 1);
            QCOMPARE(countLines(s, {a, l}, {b + 1, l}, kRed, false), 1);
            QCOMPARE(countLines(s, {a, other}, {b + 2, other}, kBlue, false), 0);
            QCOMPARE(countLines(s, {a, 180}, {a, 60}, kBlack, true), 1);
            QCOMPARE(countLines(s, {a, 240}, {a, 280}, kBlack, true), 1);
        }
        int dotted = 0;
        for (const DrawItem& l : s.items()) dotted += l.dotted;
        QCOMPARE(dotted, 2 * frame.size() + 2);
    }

    // Axes and idle lines first, exact colours, then the order of the rest.
    void fixedLinesAndOrder() {
        DrawSurface s;
        chrono::Chronogramme(s, input(65, "7E1"), ChronoVariant::Terminal);
        const QList<DrawItem>& it = s.items();
        QCOMPARE(countLines(s, {40, 120}, {600, 120}, kBlack, false), 1);
        QCOMPARE(countLines(s, {40, 280}, {600, 280}, kBlack, false), 1);
        QCOMPARE(countLines(s, {40, 180}, {101, 180}, kBlue, false), 1);
        QCOMPARE(countLines(s, {40, 240}, {101, 240}, kRed, false), 1);
        QVERIFY(it[0].p2.y() == 120 && it[1].p2.y() == 280 && it[3].p2.y() == 240);
        for (const DrawItem& l : it) {
            if (l.kind != DrawItem::Kind::Line) continue;
            const QRgb c = l.color.rgb();
            QVERIFY(c == kBlack.rgb() || c == kBlue.rgb() || c == kRed.rgb());
            QVERIFY(!l.dotted || c == kBlack.rgb());
        }
        // Cells and boundaries, names, idle lines after, captions, code line last.
        const int names = indexOfText(s, "  START");
        for (int i = 0; i < names; ++i) QCOMPARE(it[i].kind, DrawItem::Kind::Line);
        int idle = names;
        while (idle < it.size() && it[idle].kind != DrawItem::Kind::Line) ++idle;
        QCOMPARE(it[idle].p2, QPointF(600, 240));
        QCOMPARE(it[idle + 1].p2, QPointF(600, 180));
        QCOMPARE(indexOfText(s, "    Niveaux électriques:"), idle + 2);
        QCOMPARE(it.last().text, QStringLiteral("A"));
    }

    // Texts at their positions, in the surface's current colour and font.
    void captions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPointF>("at");
        QTest::newRow("electrical") << "    Niveaux électriques:" << QPointF(10, 30);
        QTest::newRow("+5v") << "+5v à +15v" << QPointF(30, 60);
        QTest::newRow("0v") << "0v" << QPointF(20, 110);
        QTest::newRow("-15v") << "-15v à -5v" << QPointF(30, 160);
        QTest::newRow("logical") << "    Niveaux logiques:" << QPointF(10, 200);
        QTest::newRow("1") << "1" << QPointF(30, 230);
        QTest::newRow("0") << "0" << QPointF(30, 270);
        QTest::newRow("names") << "  START" << QPointF(100, 220);
    }
    void captions() {
        QFETCH(QString, text);
        QFETCH(QPointF, at);
        DrawSurface s;
        s.ForeColor = QColor(12, 34, 56);
        s.Font.setPixelSize(12);
        s.DrawWidth = 2;
        chrono::Chronogramme(s, input(65, "8N1"), ChronoVariant::Terminal);
        const int i = indexOfText(s, text);
        QVERIFY(i >= 0);
        QCOMPARE(s.items()[i].p1, at);
        QCOMPARE(s.items()[i].color, QColor(12, 34, 56));
        QCOMPARE(s.items()[i].font, s.Font);
        QCOMPARE(s.items().first().width, 2.0);
    }

    void bitNames_data() {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("expected");
        const QString w4 = "     1            2           4            8";
        const QString w6 = w4 + "           16          32";
        QTest::newRow("8E2") << "8E2"
                             << "  START" + w6 +
                                    "         64         128        PAI       STOP   STOP";
        QTest::newRow("stop follows the last weight") << "4N1"
                                                      << "  START" + w4 + "       STOP";
        QTest::newRow("5O1.5") << "5O1.5"
                               << "  START" + w4 + "          16        IMP       STOP   STOP";
        QTest::newRow("6S1") << "6S1"
                             << "  START" + w6 + "        ESP       STOP";
        QTest::newRow("7M1") << "7M1"
                             << "  START" + w6 + "         64       MAR       STOP";
    }
    void bitNames() {
        QFETCH(QString, config);
        QFETCH(QString, expected);
        const ChronoInput in = input(1, config);
        QCOMPARE(chrono::bitNamesText(in.DataBits, in.ParityLetter, in.StopBits), expected);
        DrawSurface s;
        chrono::Chronogramme(s, in, ChronoVariant::Terminal);
        QVERIFY(s.textLines().contains(expected));
    }

    void codeLine_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<ChronoVariant>("variant");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QPointF>("at");
        const QString a = "Code   décimal :  65   ,   hexadécimal :  41  ,   octal :  101";
        const QPointF below(100, 330);
        QTest::newRow("terminal A")
            << 65 << "A" << ChronoVariant::Terminal << a + "  ,   aspect :  A" << below;
        QTest::newRow("print A") << 65 << "A" << ChronoVariant::Print << a + "  ,   aspect :  A"
                                 << below;
        QTest::newRow("sheet A") << 65 << "A" << ChronoVariant::Sheet << a << QPointF(10, 310);
        QTest::newRow("sheet 14") << 14 << " " << ChronoVariant::Sheet
                                  << "Code   décimal :  14   ,   hexadécimal :  E  ,   octal :  16"
                                  << QPointF(10, 310);
        QTest::newRow("terminal 255")
            << 255 << "ÿ" << ChronoVariant::Terminal
            << "Code   décimal :  255   ,   hexadécimal :  FF  ,   octal :  377  ,   aspect :  ÿ"
            << below;
    }
    void codeLine() {
        QFETCH(int, code);
        QFETCH(QString, shown);
        QFETCH(ChronoVariant, variant);
        QFETCH(QString, expected);
        QFETCH(QPointF, at);
        QCOMPARE(chrono::codeLineText(code, shown, variant), expected);
        DrawSurface s;
        ChronoInput in = input(code, "8N1");
        in.DisplayChar = shown;
        chrono::Chronogramme(s, in, variant);
        const int i = indexOfText(s, "Code   décimal : ");
        QVERIFY(i >= 0);
        QCOMPARE(s.items()[i].p1, at);
        QCOMPARE(s.textLines().last(), expected);
    }

    // The sheet differs from the terminal only by its code line; the print window not at all.
    void variants() {
        const ChronoInput in = input(77, "7O1.5");
        DrawSurface terminal, sheet, print;
        chrono::Chronogramme(terminal, in, ChronoVariant::Terminal);
        chrono::Chronogramme(sheet, in, ChronoVariant::Sheet);
        chrono::Chronogramme(print, in, ChronoVariant::Print);
        QCOMPARE(describeAll(print), describeAll(terminal));
        const int code = indexOfText(terminal, "Code   décimal : ");
        QCOMPARE(describeAll(sheet).mid(0, code), describeAll(terminal).mid(0, code));
        QVERIFY(sheet.items().size() < terminal.items().size());
    }

    // With the windows' font each name's centre falls inside its bit cell. Names are measured
    // from where the diagram put each printed piece, with the font's own metrics.
    void namesUnderCells_data() {
        QTest::addColumn<QString>("config");
        for (const char* bits : {"4", "5", "6", "7", "8"})
            for (const char* parity : {"N", "E", "O", "S", "M"})
                for (const char* stop : {"1", "1.5", "2"})
                    QTest::newRow(qPrintable(QString(bits) + parity + stop))
                        << QString(bits) + parity + stop;
    }
    void namesUnderCells() {
        QFETCH(QString, config);
        DrawSurface s;
        const ChronoInput in = input(0, config);
        chrono::Chronogramme(s, in, ChronoVariant::Terminal);
        const QFontMetricsF m(DrawSurface::formFont());
        static const QRegularExpression kName("\\S+");
        QStringList names;
        QList<double> centres;
        for (const DrawItem& i : s.items()) {
            if (i.kind != DrawItem::Kind::Text || i.p1.y() != 220) continue;
            QCOMPARE(i.font, DrawSurface::formFont());
            for (const QRegularExpressionMatch& n : kName.globalMatch(i.text)) {
                names << n.captured();
                centres << i.p1.x() + m.horizontalAdvance(i.text.left(n.capturedStart())) +
                               m.horizontalAdvance(n.captured()) / 2;
            }
        }
        // One name per cell. With 1.5 stop bits the names are those of 2 stop bits: the second
        // STOP stands in the cell after the frame, which begins with the half bit.
        QCOMPARE(names.size(), in.FrameBits.size() + (config.endsWith("1.5") ? 1 : 0));
        QString where;
        for (int c = 0; c < names.size(); ++c)
            where += QString("%1@%2 ").arg(names[c]).arg(centres[c], 0, 'f', 1);
        for (int c = 0; c < names.size(); ++c)
            QVERIFY2(centres[c] >= 100 + 41 * c && centres[c] <= 141 + 41 * c, qPrintable(where));
        qDebug().noquote() << where;
    }
};

QTEST_MAIN(TstChronogramme)
#include "tst_chronogramme.moc"
