// Page files: what a teacher may write in one, what is refused with the line to correct, and how
// a page's lines land on a window's surface.
#include <QtTest>

#include "core/drawsurface.h"
#include "core/pagecontrols.h"
#include "core/pagemodel.h"

namespace {

const QString kHeader = QStringLiteral("fenêtre: FInfo\ntitre: Essai\ny: 1000\ntexte:\n");

pages::Page parsed(const QString& text) {
    const pages::ParseResult r = pages::parse(text);
    if (!r.page) qWarning() << r.error << "line" << r.line;
    return r.page.value_or(pages::Page());
}

// A surface measuring in twips, as the page windows draw.
struct Sheet {
    Sheet() {
        surface.setClientSize(QSizeF(598, 347));
        surface.setScaleMode(DrawSurface::ScaleMode::Twip);
    }
    QList<DrawItem> texts() const {
        QList<DrawItem> out;
        for (const DrawItem& i : surface.items())
            if (i.kind == DrawItem::Kind::Text && !i.text.isEmpty()) out << i;
        return out;
    }
    DrawSurface surface;
};

}  // namespace

class TstPageModel : public QObject {
    Q_OBJECT
private slots:
    void header() {
        const pages::Page page = parsed(
            "# Une page\n\nfenêtre:  FMessage \ntitre: Port Série\nmontrer: BPExercice(1)  "
            "Annuler\n"
            "cacher: BPExemple\nlégende BPExercice(0): Exercice n°1\nfocus: Annuler\ny: 2500\n"
            "texte:\n");
        QCOMPARE(page.window, QStringLiteral("FMessage"));
        QCOMPARE(page.caption, QStringLiteral("Port Série"));
        QCOMPARE(page.show, QStringList({"BPExercice(1)", "Annuler"}));
        QCOMPARE(page.hide, QStringList({"BPExemple"}));
        QCOMPARE(page.captions.value(0).second, QStringLiteral("Exercice n°1"));
        QCOMPARE(page.firstY, 2500);
        QCOMPARE(page.controls(),
                 QStringList({"BPExercice(1)", "Annuler", "BPExemple", "BPExercice(0)"}));
        QVERIFY(page.lines.isEmpty());
    }

    void refused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::newRow("no window") << "titre: x\ntexte:\n500> a" << 0;
        QTest::newRow("no text part") << "fenêtre: FInfo\n" << 0;
        QTest::newRow("unknown key") << "fenêtre: FInfo\ncouleur: 1 2 3\ntexte:\n" << 2;
        QTest::newRow("not key: value") << "fenêtre FInfo\ntexte:\n" << 1;
        QTest::newRow("negative y") << "fenêtre: FInfo\ny: -5\ntexte:\n" << 2;
        QTest::newRow("line without x") << kHeader + "500> a\nbonjour" << 6;
        QTest::newRow("x not a number") << kHeader + "abc> a" << 5;
        QTest::newRow("colour out of range") << kHeader + "@couleur 0 0 256" << 5;
        QTest::newRow("colour of two parts") << kHeader + "@couleur 0 0" << 5;
        QTest::newRow("move to nowhere") << kHeader + "@y haut" << 5;
        QTest::newRow("font of no size") << kHeader + "@police petite" << 5;
        QTest::newRow("font too small to read") << kHeader + "@police 6" << 5;
        QTest::newRow("font larger than a caption") << kHeader + "@police 17" << 5;
        QTest::newRow("link to nothing") << "fenêtre: FInfo\nlien ImageVoir: \ntexte:\n" << 2;
    }
    void refused() {
        QFETCH(QString, text);
        QFETCH(int, line);
        const pages::ParseResult r = pages::parse(text);
        QVERIFY(!r.page);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(r.line, line);
    }

    // The words as written, leading, doubled and trailing blanks included, with CR LF files too.
    void blanksKept() {
        const pages::Page page = parsed(kHeader + "500>    Trois blancs  puis deux  \r\n300> fin");
        QCOMPARE(page.lines.size(), 2);
        QCOMPARE(page.lines[0].text, QStringLiteral("   Trois blancs  puis deux  "));
        QCOMPARE(page.lines[1].x, 300);
        QCOMPARE(page.lines[1].text, QStringLiteral("fin"));
    }

    // Lines go down one line height each from the first y, an empty line included; "@y" puts
    // the cursor where it says.
    void linesGoDown() {
        Sheet s;
        pages::draw(parsed(kHeader + "500> un\n300> deux\n¶\n500> trois\n@y 4500\n800> quatre"),
                    s.surface);
        const QList<DrawItem> t = s.texts();
        QCOMPARE(t.size(), 4);
        const double h = s.surface.lineHeight();
        QCOMPARE(t[0].p1, QPointF(500, 1000));
        QCOMPARE(t[1].p1, QPointF(300, 1000 + h));
        QCOMPARE(t[2].p1, QPointF(500, 1000 + 3 * h));
        QCOMPARE(t[3].p1, QPointF(800, 4500));
    }

    // Every "|" moves to the next zone boundary: a leading one, doubled ones, an empty cell.
    void zones_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<int>>("zones");  // the zone each text starts in
        QTest::newRow("three items") << "0> - n°1|Com1|3F8," << QList<int>{0, 1, 2};
        QTest::newRow("separators first") << "40> ||2|||3|TxD" << QList<int>{2, 5, 6};
        QTest::newRow("empty cell") << "0> |n°1||entrée CD" << QList<int>{1, 3};
    }
    void zones() {
        QFETCH(QString, line);
        QFETCH(QList<int>, zones);
        Sheet s;
        pages::draw(parsed(kHeader + line), s.surface);
        const QList<DrawItem> t = s.texts();
        QCOMPARE(t.size(), zones.size());
        const double zone = s.surface.zoneWidth();
        for (int i = 0; i < t.size(); ++i) {
            QCOMPARE(qRound(t[i].p1.x() / zone * 1000), zones[i] * 1000);
            QCOMPARE(t[i].p1.y(), t[0].p1.y());
        }
    }

    // A bar or a backslash that is a cell's text, as the code table needs them.
    void escapes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("bar") << R"(0> a|\||b)" << QStringList{"a", "|", "b"};
        QTest::newRow("backslash before a zone") << R"(0> \\|l)" << QStringList{"\\", "l"};
        QTest::newRow("lone backslash") << R"(0> a\b|\)" << QStringList{"a\\b", "\\"};
        QTest::newRow("bar at the end") << R"(0> x|\|)" << QStringList{"x", "|"};
    }
    void escapes() {
        QFETCH(QString, line);
        QFETCH(QStringList, texts);
        Sheet s;
        pages::draw(parsed(kHeader + line), s.surface);
        QStringList printed;
        for (const DrawItem& i : s.texts()) printed << i.text;
        QCOMPARE(printed, texts);
    }

    // A smaller font from where it is asked: its lines closer, its zones narrower; the
    // window's font again afterwards.
    void fontSize() {
        Sheet s;
        s.surface.Font.setPixelSize(10);
        const double zone = s.surface.zoneWidth();
        const double line = s.surface.lineHeight();
        pages::draw(parsed(kHeader + "0> a|b\n@police 7\n0> c|d\n0> e"), s.surface);
        const QList<DrawItem> t = s.texts();
        QCOMPARE(t.size(), 5);
        QCOMPARE(t[1].p1.x(), zone);
        QCOMPARE(t[2].font.pixelSize(), 7);
        QVERIFY(t[3].p1.x() < zone);
        QVERIFY(t[4].p1.y() - t[2].p1.y() < line);
        QCOMPARE(s.surface.Font.pixelSize(), 10);
    }

    void colours() {
        Sheet s;
        s.surface.ForeColor = QColor(0, 0, 128);
        pages::draw(parsed(kHeader + "500> a\n@couleur 128 0 0\n500> b\n@couleur\n500> c"),
                    s.surface);
        const QList<DrawItem> t = s.texts();
        QCOMPARE(t.size(), 3);
        QCOMPARE(t[0].color, QColor(0, 0, 128));
        QCOMPARE(t[1].color, QColor(128, 0, 0));
        QCOMPARE(t[2].color, QColor(0, 0, 128));
    }

    // A link names its picture and the menu item it runs; the picture counts among the
    // page's controls.
    void links() {
        const pages::Page page = parsed(
            "fenêtre: FMessage\nmontrer: ImageVoir\nlien ImageVoir: Handshaking\nlien Autre: "
            "Brochage\ntexte:\n");
        QCOMPARE(page.links.size(), 2);
        QCOMPARE(page.links[0],
                 qMakePair(QStringLiteral("ImageVoir"), QStringLiteral("Handshaking")));
        QCOMPARE(page.controls(), QStringList({"ImageVoir", "Autre"}));
    }

    // A window's table of controls: what it takes, and the line of what it refuses.
    void controlTable() {
        const pages::ControlTableResult r = pages::parseControls(
            "# genre | nom | ...\n\nimage | Icone | 120 120 480 480 | info-icon.svg |  | montré\n"
            "lien | Voir | 240 4440 480 480 | link-arrow.svg | Cliquez ici | caché\n"
            "annuler | Annuler | 7680 4560 1095 495 | Annuler | Retour | montré\n");
        QVERIFY2(r.table, qPrintable(r.error));
        const QList<pages::ControlSpec>& c = r.table->controls;
        QCOMPARE(c.size(), 3);
        QCOMPARE(c[0].content, QStringLiteral(":/info-icon.svg"));
        QVERIFY(c[0].tip.isEmpty());
        QVERIFY(c[0].shownAtStart && !c[1].shownAtStart);
        QCOMPARE(c[1].kind, pages::ControlSpec::Kind::Link);
        QCOMPARE(c[1].geometry, QRect(240, 4440, 480, 480));
        QCOMPARE(c[2].content, QStringLiteral("Annuler"));
        QVERIFY(c[2].isButton() && !c[1].isButton());
        QCOMPARE(r.table->find("Voir")->fileLine, 4);
        QVERIFY(!r.table->find("Absent"));
    }
    void controlTableRefused_data() {
        const QString cancel = QStringLiteral("annuler | A | 1 1 1 1 | Annuler | | montré\n");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::newRow("five fields") << cancel + "image | I | 0 0 1 1 | x.svg | montré" << 2;
        QTest::newRow("unknown kind") << cancel + "case | I | 0 0 1 1 | x.svg | | montré" << 2;
        QTest::newRow("three numbers") << cancel + "image | I | 0 0 1 | x.svg | | montré" << 2;
        QTest::newRow("no width") << cancel + "image | I | 0 0 0 1 | x.svg | | montré" << 2;
        QTest::newRow("negative") << cancel + "image | I | -1 0 1 1 | x.svg | | montré" << 2;
        QTest::newRow("name with a blank")
            << cancel + "image | I 2 | 0 0 1 1 | x.svg | | caché" << 2;
        QTest::newRow("no drawing") << cancel + "image | I | 0 0 1 1 |  | | caché" << 2;
        QTest::newRow("neither shown nor hidden")
            << cancel + "image | I | 0 0 1 1 | x | | oui" << 2;
        QTest::newRow("a name twice") << cancel + "bouton | A | 0 0 1 1 | B | | caché" << 2;
        QTest::newRow("no cancel button") << "image | I | 0 0 1 1 | x.svg | | montré" << 0;
        QTest::newRow("two cancel buttons") << cancel + QString(cancel).replace(" A ", " B ") << 0;
        QTest::newRow("right edge past int")
            << cancel + "image | I | 2147483647 0 10 10 | x.svg | | caché" << 2;
        QTest::newRow("bottom edge past int")
            << cancel + "cadre | F | 0 2147483000 5 1000 | Cadre | | caché" << 2;
        const QString edge = QStringLiteral("image | I | %1 %2 %3 %4 | x.svg | | caché");
        const int far = pages::kMaxPageTwips;
        QTest::newRow("one twip beyond the page, right")
            << cancel + edge.arg(far - 10).arg(0).arg(11).arg(1) << 2;
        QTest::newRow("one twip beyond the page, down")
            << cancel + edge.arg(0).arg(far).arg(1).arg(1) << 2;
    }
    // A control may reach the page's farthest edge itself.
    void controlAtThePageEdge() {
        const int far = pages::kMaxPageTwips;
        const pages::ControlTableResult r =
            pages::parseControls(QStringLiteral("annuler | A | %1 %2 10 20 | Annuler | | montré\n")
                                     .arg(far - 10)
                                     .arg(far - 20));
        QVERIFY2(r.table, qPrintable(r.error));
        QCOMPARE(r.table->controls[0].geometry, QRect(far - 10, far - 20, 10, 20));
    }
    void controlTableRefused() {
        QFETCH(QString, text);
        QFETCH(int, line);
        const pages::ControlTableResult r = pages::parseControls(text);
        QVERIFY(!r.table);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(r.line, line);
    }

    void outsideTheArea() {
        Sheet s;
        const QString wide = QString(400, QLatin1Char('m'));
        // A character of no width counts where it stands, inside or not.
        const QString shy(QChar(0xAD));
        pages::draw(
            parsed(kHeader + "500> court|" + shy + "\n300> " + wide + "\n@y 5000\n500> bas|" + shy),
            s.surface);
        const QRectF area(0, 0, 8970, 4400);
        QCOMPARE(pages::outside(s.surface, area), QStringList({wide, "bas", shy}));
    }
};

QTEST_MAIN(TstPageModel)
#include "tst_pagemodel.moc"
