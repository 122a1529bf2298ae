// The character set page drawn from the code page: each code in its column and row, its
// character in blue when it is shown as one, a red question mark when not, and the legend
// under the columns.
#include <QtTest>

#include "core/charsetpage.h"
#include "core/codepage.h"
#include "core/drawsurface.h"

namespace {

const QColor kBlue(0, 0, 200);
const QColor kRed(200, 0, 0);

struct Page {
    Page() {
        surface.setClientSize(QSizeF(598, 347));
        surface.setScaleMode(DrawSurface::ScaleMode::Twip);
        charsetpage::draw(surface);
        for (const DrawItem& i : surface.items())
            if (i.kind == DrawItem::Kind::Text && !i.text.isEmpty()) texts << i;
    }
    // The position of the number of `code` in the list of texts; -1 when it is not there.
    int numberOf(int code) const {
        for (int i = 0; i < texts.size(); ++i)
            if (texts[i].text == QString::number(code) + QLatin1Char(' ')) return i;
        return -1;
    }
    DrawSurface surface;
    QList<DrawItem> texts;
};

}  // namespace

class TstCharsetPage : public QObject {
    Q_OBJECT
private slots:
    void code_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("x");  // twips
        QTest::newRow("0") << 0 << false << 100;
        QTest::newRow("31") << 31 << false << 650;
        QTest::newRow("32, the blank") << 32 << true << 1200;
        QTest::newRow("126") << 126 << true << 3950;
        QTest::newRow("127") << 127 << false << 3950;
        QTest::newRow("128") << 128 << false << 4500;
        QTest::newRow("129, undefined") << 129 << false << 4500;
        QTest::newRow("141, undefined") << 141 << false << 4500;
        QTest::newRow("145") << 145 << true << 5050;
        QTest::newRow("146") << 146 << true << 5050;
        QTest::newRow("159") << 159 << false << 5050;
        QTest::newRow("160") << 160 << true << 5600;
        QTest::newRow("255") << 255 << true << 8350;
    }
    void code() {
        QFETCH(int, code);
        QFETCH(bool, shown);
        QFETCH(int, x);
        Page page;
        const int at = page.numberOf(code);
        QVERIFY(at >= 0 && at + 1 < page.texts.size());
        const DrawItem& number = page.texts[at];
        const DrawItem& mark = page.texts[at + 1];
        QCOMPARE(number.p1.x(), double(x));
        QCOMPARE(number.color, QColor(Qt::black));
        // Down its column, one line a code, from the same top for every column.
        const double row = code % 16;
        QCOMPARE(number.p1.y(), 800 + row * page.surface.lineHeight());
        QCOMPARE(mark.p1.y(), number.p1.y());
        QCOMPARE(mark.p1.x(), number.p1.x() + number.extent.width());
        QCOMPARE(mark.text, shown ? QString(cp1252::toChar(code)) : QStringLiteral("?"));
        QCOMPARE(mark.color, shown ? kBlue : kRed);
    }

    // The soft hyphen is seen, as a hyphen; the no-break space stays a blank.
    void softHyphen() {
        Page page;
        const DrawItem& mark = page.texts[page.numberOf(173) + 1];
        QCOMPARE(mark.text, QStringLiteral("-"));
        QVERIFY(mark.extent.width() > 0);
        QCOMPARE(page.texts[page.numberOf(160) + 1].text, QString(QChar(0xA0)));
    }

    // The two typographic single quotes, between red marks.
    void quotes() {
        Page page;
        QCOMPARE(page.texts[page.numberOf(145) + 1].text, QString(QChar(0x2018)));
        QCOMPARE(page.texts[page.numberOf(146) + 1].text, QString(QChar(0x2019)));
        QCOMPARE(page.texts[page.numberOf(144) + 1].color, kRed);
        QCOMPARE(page.texts[page.numberOf(147) + 1].color, kRed);
    }

    // Every code once; the legend, red mark first, under the longest column; the colour black
    // again. (That it fits the window is the window's test, with the window's font.)
    void wholePage() {
        Page page;
        int numbers = 0;
        double bottom = 0;
        for (int code = 0; code < 256; ++code) {
            const int at = page.numberOf(code);
            QVERIFY2(at >= 0, qPrintable(QString::number(code)));
            ++numbers;
            bottom = std::max(bottom, page.texts[at].p1.y() + page.texts[at].extent.height());
        }
        QCOMPARE(numbers, 256);
        QCOMPARE(page.texts.size(), 2 * 256 + 2);
        const DrawItem& mark = page.texts[page.texts.size() - 2];
        const DrawItem& legend = page.texts.last();
        QCOMPARE(mark.text.trimmed(), QStringLiteral("?"));
        QCOMPARE(mark.color, kRed);
        QCOMPARE(mark.p1.x(), 400.0);
        QVERIFY(mark.p1.y() > bottom);
        QCOMPARE(legend.p1.y(), mark.p1.y());
        QCOMPARE(legend.color, QColor(Qt::black));
        QCOMPARE(page.surface.ForeColor, QColor(Qt::black));
    }
};

QTEST_MAIN(TstCharsetPage)
#include "tst_charsetpage.moc"
