// The retained drawing surface: print cursor, print zones, clearing, scales, painting, and the
// widget that shows a surface.
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include "core/drawsurface.h"
#include "ui/shell/surfacewidget.h"

Q_DECLARE_METATYPE(DrawSurface::ScaleMode)

namespace {

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

QList<DrawItem> textItems(const DrawSurface& s) {
    QList<DrawItem> out;
    for (const DrawItem& i : s.items())
        if (i.kind == DrawItem::Kind::Text) out << i;
    return out;
}

// Pixels of exactly that colour in a rectangle of the image.
int countColour(const QImage& img, const QRect& r, const QColor& c) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += img.pixelColor(x, y).rgb() == c.rgb();
    return n;
}

int countInk(const QImage& img, const QRect& r, const QColor& background) {
    return r.width() * r.height() - countColour(img, r, background);
}

}  // namespace

class TstDrawSurface : public QObject {
    Q_OBJECT
private slots:
    // Texts go at the cursor, which moves by the font's advance (measured here independently)
    // or down one line; line breaks inside a text start new lines at x = 0.
    void printMovesCursor_data() {
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<DrawSurface::ScaleMode>("mode");
        QTest::addColumn<double>("perPixel");
        QTest::newRow("form font, pixels") << 11 << DrawSurface::ScaleMode::Pixel << 1.0;
        QTest::newRow("large font, twips") << 24 << DrawSurface::ScaleMode::Twip << 15.0;
    }
    void printMovesCursor() {
        QFETCH(int, pixelSize);
        QFETCH(DrawSurface::ScaleMode, mode);
        QFETCH(double, perPixel);
        DrawSurface s;
        s.setScaleMode(mode);
        s.Font.setPixelSize(pixelSize);
        const QFontMetricsF m(s.Font);
        const double lh = s.lineHeight();
        QVERIFY(lh >= m.height() * perPixel && lh <= (m.height() + 2) * perPixel);

        s.CurrentX = 500;
        s.CurrentY = 2000;
        s.Print("Bonjour", DrawSurface::PrintEnd::SameLine);
        const double after = 500 + m.horizontalAdvance("Bonjour") * perPixel;
        QCOMPARE(s.CurrentX, after);
        QCOMPARE(s.CurrentY, 2000.0);
        s.Print(" le monde");
        QCOMPARE(s.CurrentX, 0.0);
        s.Print();  // an empty print only moves down
        s.Print("deux\r\ntrois\nquatre");
        QCOMPARE(s.CurrentY, 2000 + 5 * lh);

        const QList<DrawItem> t = textItems(s);
        QCOMPARE(t.size(), 5);
        QCOMPARE(t[0].p1, QPointF(500, 2000));
        QCOMPARE(t[1].p1, QPointF(after, 2000));
        QCOMPARE(t[2].p1, QPointF(0, 2000 + 2 * lh));
        QCOMPARE(t[4].p1, QPointF(0, 2000 + 4 * lh));
        QCOMPARE(s.textLines(), (QStringList{"Bonjour le monde", "deux", "trois", "quatre"}));
    }

    // Items land on print-zone boundaries, given here as zone numbers.
    void printZones_data() {
        QTest::addColumn<double>("startZones");  // start x, in zones
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QList<int>>("zones");  // -1: at the start (not on a boundary)
        QTest::newRow("three short items")
            << 0.0 << QStringList{"- n°1", "Com1", "3F8,"} << QList<int>{0, 1, 2};
        QTest::newRow("leading separator") << 0.0 << QStringList{"", "n° broche"} << QList<int>{1};
        QTest::newRow("two separators") << 0.0 << QStringList{"a", "", "b"} << QList<int>{0, 2};
        QTest::newRow("from inside a zone") << 0.3 << QStringList{"x", "y"} << QList<int>{-1, 1};
        QTest::newRow("from a boundary") << 2.0 << QStringList{"", "z"} << QList<int>{3};
        QTest::newRow("item over two zones")
            << 0.0 << QStringList{"Tension maximale de mode commun", "1"} << QList<int>{0, 3};
        QTest::newRow("empty cells")
            << 0.0 << QStringList{"", "n°1", "", "entrée CD", "", "sortie CD"}
            << QList<int>{1, 3, 5};
    }
    void printZones() {
        QFETCH(double, startZones);
        QFETCH(QStringList, items);
        QFETCH(QList<int>, zones);
        DrawSurface s;
        s.setScaleMode(DrawSurface::ScaleMode::Twip);
        const double zone = s.zoneWidth();
        // 14 classic average widths of this font, about 5 pixels each.
        QVERIFY(zone > 14 * 4.5 * 15 && zone < 14 * 5.5 * 15);
        QVERIFY(s.textWidth("Tension maximale de mode commun") > 2 * zone);
        s.CurrentX = startZones * zone;
        s.CurrentY = 40;
        s.PrintZones(items);
        const QList<DrawItem> t = textItems(s);
        QCOMPARE(t.size(), zones.size());
        for (int i = 0; i < t.size(); ++i)
            QCOMPARE(t[i].p1, QPointF((zones[i] < 0 ? startZones : zones[i]) * zone, 40));
        QCOMPARE(s.CurrentX, 0.0);
        QCOMPARE(s.CurrentY, 40 + s.lineHeight());
    }

    // Other ends of a print; a tab inside a text moves to the next zone.
    void printEnds() {
        DrawSurface s;
        const double zone = s.zoneWidth();
        s.Print("ab", DrawSurface::PrintEnd::NextZone);
        QCOMPARE(s.CurrentX, zone);
        s.Print("\tcd", DrawSurface::PrintEnd::SameLine);
        QCOMPARE(textItems(s).last().p1, QPointF(2 * zone, 0));
        s.NextZone();
        QCOMPARE(s.CurrentX, 3 * zone);
    }

    void linesAndCls() {
        DrawSurface s;
        QSignalSpy spy(&s, &DrawSurface::changed);
        s.DrawWidth = 3;
        s.Print("x");
        s.Line(10, 20, 30, 40, kRed, DrawSurface::LineStyle::Dotted);
        const DrawItem& l = s.items().last();
        QVERIFY(l.kind == DrawItem::Kind::Line && l.dotted && l.color == kRed && l.width == 3);
        QVERIFY(l.p1 == QPointF(10, 20) && l.p2 == QPointF(30, 40));
        // The cursor ends on the line's second point.
        QVERIFY(s.CurrentX == 30 && s.CurrentY == 40);
        QCOMPARE(spy.count(), 2);
        s.Cls();
        QVERIFY(s.items().isEmpty() && s.CurrentX == 0 && s.CurrentY == 0);
        QCOMPARE(spy.count(), 3);
    }

    // Units to client pixels for each scale; metrics measured in pixels come out in units.
    void scale_data() {
        QTest::addColumn<DrawSurface::ScaleMode>("mode");
        QTest::addColumn<QSizeF>("userScale");
        QTest::addColumn<QSizeF>("client");
        QTest::addColumn<QPointF>("units");
        QTest::addColumn<QPointF>("pixels");
        QTest::addColumn<QSizeF>("scaleSize");
        QTest::newRow("pixels") << DrawSurface::ScaleMode::Pixel << QSizeF() << QSizeF(598, 347)
                                << QPointF(100, 330) << QPointF(100, 330) << QSizeF(598, 347);
        QTest::newRow("twips") << DrawSurface::ScaleMode::Twip << QSizeF() << QSizeF(598, 347)
                               << QPointF(3000, 1500) << QPointF(200, 100) << QSizeF(8970, 5205);
        QTest::newRow("598 x 345 on its size")
            << DrawSurface::ScaleMode::User << QSizeF(598, 345) << QSizeF(598, 345)
            << QPointF(100, 310) << QPointF(100, 310) << QSizeF(598, 345);
        QTest::newRow("598 x 345 on a larger window")
            << DrawSurface::ScaleMode::User << QSizeF(598, 345) << QSizeF(897, 690)
            << QPointF(100, 310) << QPointF(150, 620) << QSizeF(598, 345);
    }
    void scale() {
        QFETCH(DrawSurface::ScaleMode, mode);
        QFETCH(QSizeF, userScale);
        QFETCH(QSizeF, client);
        QFETCH(QPointF, units);
        QFETCH(QPointF, pixels);
        QFETCH(QSizeF, scaleSize);
        DrawSurface s;
        s.setClientSize(client);
        if (mode == DrawSurface::ScaleMode::User)
            s.setScale(userScale.width(), userScale.height());
        else
            s.setScaleMode(mode);
        QCOMPARE(s.scaleMode(), mode);
        QCOMPARE(QSizeF(s.ScaleWidth(), s.ScaleHeight()), scaleSize);
        s.Line(0, 0, units.x(), units.y(), kRed);
        QCOMPARE(s.items().last().pix2, pixels);
        s.Print("W");
        QCOMPARE(s.items().last().pix1, pixels);
        const QFontMetricsF m(s.Font);
        const double kx = units.x() / pixels.x();
        const double ky = units.y() / pixels.y();
        QVERIFY(qAbs(s.textWidth("Serlinq") - m.horizontalAdvance("Serlinq") * kx) < 1e-9);
        QVERIFY(qAbs(s.lineHeight() - (std::ceil(m.ascent()) + std::ceil(m.descent())) * ky) <
                1e-9);
    }

    // A line painted into an image: on its row, scaled with the target; dotted lines alternate
    // ink and gaps, solid ones are continuous.
    void paintLines_data() {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<bool>("dotted");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("solid") << QSize(598, 347) << false << 240 << 40 << 600;
        QTest::newRow("solid, twice the size") << QSize(1196, 694) << false << 480 << 80 << 1196;
        QTest::newRow("dotted") << QSize(598, 347) << true << 240 << 40 << 600;
        QTest::newRow("dotted, twice the size") << QSize(1196, 694) << true << 480 << 80 << 1196;
    }
    void paintLines() {
        QFETCH(QSize, image);
        QFETCH(bool, dotted);
        QFETCH(int, row);
        QFETCH(int, from);
        QFETCH(int, to);
        DrawSurface s;
        s.Line(40, 240, 600, 240, kRed,
               dotted ? DrawSurface::LineStyle::Dotted : DrawSurface::LineStyle::Solid);
        const QImage img = s.toImage(image, kWhite);
        const int inner = to - from - 4;
        const int red = countColour(img, QRect(from + 2, row, inner, 1), kRed);
        if (dotted)
            QVERIFY2(red > inner / 5 && red < inner * 2 / 3, qPrintable(QString::number(red)));
        else
            QCOMPARE(red, inner);
        // Nothing three pixels above or below, nothing before the line starts.
        QCOMPARE(countInk(img, QRect(0, row - 3, image.width(), 1), kWhite), 0);
        QCOMPARE(countInk(img, QRect(0, row + 3, image.width(), 1), kWhite), 0);
        QCOMPARE(countInk(img, QRect(0, row, from - 2, 1), kWhite), 0);
    }

    // Text is painted in its colour inside its box: one line high from its top-left corner.
    void paintText() {
        DrawSurface s;
        s.ForeColor = QColor(200, 0, 0);
        s.CurrentX = 10;
        s.CurrentY = 20;
        s.Print("Emission des caractères :");
        const QImage img = s.toImage(QSize(598, 347), kWhite);
        const QRect box(10, 20, int(textItems(s).first().extent.width()) + 1, int(s.lineHeight()));
        int reddish = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = img.pixelColor(x, y);
                // Antialiased glyphs mix the red with the white paper, never another hue.
                QVERIFY(c.green() == c.blue() && c.red() >= c.green());
                reddish += c.red() - c.green() > 100;
            }
        QVERIFY(reddish > 20);
        QCOMPARE(countInk(img, img.rect(), kWhite), countInk(img, box, kWhite));
    }

    // What screen readers get: rows of text, touching pieces joined, separate ones with a blank.
    void textLines() {
        DrawSurface s;
        s.Print("Code   décimal : ", DrawSurface::PrintEnd::SameLine);
        s.Print(" 65 ");
        s.Line(0, 0, 10, 10, kRed);
        s.CurrentX = 0;
        s.CurrentY = 100;
        s.PrintZones({"- n°1", "Com1"});
        s.Print("fin");
        QCOMPARE(s.textLines(), (QStringList{"Code   décimal :  65 ", "- n°1 Com1", "fin"}));
    }

    // The widget: grey background by default, the surface over it, the texts as accessible
    // description, and the surface measuring in the widget's size even while it is hidden.
    void widget() {
        SurfaceWidget w;
        w.resize(300, 200);
        w.surface().setScale(600, 400);
        w.surface().Line(0, 100, 600, 100, kRed);
        QCOMPARE(w.surface().items().last().pix1, QPointF(0, 50));
        w.surface().CurrentX = 20;
        w.surface().CurrentY = 200;
        w.surface().Print("Réception des caractères :");
        QCOMPARE(w.accessibleDescription(), QStringLiteral("Réception des caractères :"));

        QImage img = w.grab().toImage();
        QCOMPARE(img.pixelColor(5, 5), QColor(192, 192, 192));
        QCOMPARE(countColour(img, QRect(10, 50, 200, 1), kRed), 200);
        QVERIFY(countInk(img, QRect(10, 100, 150, 14), QColor(192, 192, 192)) > 30);
        w.setBackColor(QColor(255, 255, 225));
        QCOMPARE(w.grab().toImage().pixelColor(5, 5), QColor(255, 255, 225));
        w.surface().Cls();
        QVERIFY(w.accessibleDescription().isEmpty());
    }

    // A page: the client area with its controls, scaled into the target, without background.
    void widgetPage() {
        DrawSurface shared;
        QImage page(1196, 694, QImage::Format_ARGB32_Premultiplied);
        page.fill(kWhite);
        {
            SurfaceWidget w(&shared);
            w.resize(598, 347);
            shared.Line(40, 120, 600, 120, kRed);
            auto* label = new QLabel(&w);
            label->setGeometry(300, 200, 50, 50);
            label->setStyleSheet("background: rgb(0, 128, 0)");
            QPainter painter(&page);
            w.paintPage(painter, QRectF(0, 0, 1196, 694), false);
        }
        QCOMPARE(page.pixelColor(5, 5), kWhite);
        QCOMPARE(countColour(page, QRect(100, 240, 1000, 1), kRed), 1000);
        QCOMPARE(page.pixelColor(650, 450), QColor(0, 128, 0));
        // The surface outlives the widget and keeps its last size.
        QCOMPARE(shared.clientSize(), QSizeF(598, 347));
    }
};

QTEST_MAIN(TstDrawSurface)
#include "tst_drawsurface.moc"
