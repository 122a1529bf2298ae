// The test guides from the main menu: what each shows, which wiring window follows which guide,
// the cable's note, the oscilloscope hookup, every way out giving the main window back, and the
// self-test's Test entering the exchange, on the lab's loopback plug where the echo must come.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "core/appstate.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/wait.h"
#include "ui/hardware/fautotest.h"
#include "ui/hardware/fbrcable.h"
#include "ui/hardware/fessai2pc.h"
#include "ui/hardware/feuille.h"
#include "ui/hardware/guideshapes.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fmsg.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

using namespace testsupport;

namespace {

// Counts the times the main window was enabled again.
class EnableCounter : public QObject {
public:
    explicit EnableCounter(QWidget* w) : w_(w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == w_ && e->type() == QEvent::EnabledChange && w_->isEnabled()) ++count;
        return false;
    }

private:
    QWidget* w_;
};

struct Guides : AppFixture {
    explicit Guides(Ports ports = Ports::Absent) : AppFixture(ports) { menu().show(); }
    FEssai2PC& guide() { return get<FEssai2PC>(); }
    template <class W = QWidget>
    W* control(QWidget& window, const char* name) {
        return window.findChild<W*>(QString::fromLatin1(name));
    }
    void open(const QString& item) { menu().item(item)->trigger(); }
    void click(QWidget& window, const char* name) {
        auto* b = control<QAbstractButton>(window, name);
        QVERIFY(b);
        b->click();
    }
    // The hookup's parts of a wiring window: probes and cables.
    QList<QWidget*> hookup(QWidget& w) {
        QList<QWidget*> parts;
        for (QWidget* c : w.findChildren<QWidget*>())
            if (QRegularExpression("^(ImageOsc|Line[A-Za-z]+)[0-9]$")
                    .match(c->objectName())
                    .hasMatch())
                parts << c;
        return parts;
    }
};

// The rows of text printed on a surface: (x, y) of each in its units.
QList<QPointF> textPositions(const DrawSurface& s) {
    QList<QPointF> out;
    for (const DrawItem& item : s.items())
        if (item.kind == DrawItem::Kind::Text && !item.text.isEmpty()) out << item.p1;
    return out;
}

}  // namespace

class TstGuides : public QObject {
    Q_OBJECT
private slots:
    void eachGuide_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kindBefore");
        QTest::addColumn<int>("kindAfter");
        QTest::addColumn<QString>("shown");  // Image2, FrameCable, BPCarte, BrochageCable
        QTest::addColumn<int>("topTw");
        QTest::addColumn<bool>("blankLines");
        QTest::newRow("self-test") << "AutoTest" << 0 << 1 << "0001" << 2500 << true;
        QTest::newRow("two computers") << "DeuxOrdinateurs" << 1 << 0 << "1101" << 2500 << true;
        QTest::newRow("test board after self-test")
            << "CarteEssai" << 1 << 1 << "1110" << 2200 << false;
        QTest::newRow("test board after two") << "CarteEssai" << 0 << 0 << "1110" << 2200 << false;
    }
    void eachGuide() {
        QFETCH(QString, item);
        QFETCH(int, kindBefore);
        QFETCH(int, kindAfter);
        QFETCH(QString, shown);
        QFETCH(int, topTw);
        QFETCH(bool, blankLines);
        Guides g;
        g.state.GuideKind = kindBefore;
        g.open(item);
        FEssai2PC& w = g.guide();
        QVERIFY(w.isVisible());
        QVERIFY(!g.menu().isEnabled());
        QCOMPARE(g.state.GuideKind, kindAfter);
        const char* names[] = {"Image2", "FrameCable", "BPCarte", "BrochageCable"};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(g.control(w, names[i])->isVisible() == (shown[i] == '1'), names[i]);
        QVERIFY(g.control(w, "FrameCable")->isEnabled());
        QVERIFY(g.control(w, "ImageCablePro")->isHidden());
        QCOMPARE(w.focusWidget(), g.control(w, "Annuler"));
        QCOMPARE(w.windowTitle(), g.menu().item(item)->text());
        QVERIFY(!g.control(w, "Image1")->toolTip().isEmpty());

        // The text: from its top, first lines and continuations at their margins, within the
        // window; paragraphs apart or not; readable by a screen reader line by line.
        const DrawSurface& s = w.surface();
        const QList<QPointF> rows = textPositions(s);
        QVERIFY(rows.size() >= 4);
        QCOMPARE(rows.first(), QPointF(500, topTw));
        bool gap = false;
        for (int i = 0; i < rows.size(); ++i) {
            QVERIFY(rows[i].x() == 500 || rows[i].x() == 300);
            if (i > 0) gap = gap || rows[i].y() - rows[i - 1].y() > 1.5 * s.lineHeight();
        }
        QCOMPARE(gap, blankLines);
        for (const DrawItem& it : s.items())
            QVERIFY2(it.p1.x() + it.extent.width() <= s.ScaleWidth(), qPrintable(it.text));
        QCOMPARE(w.accessibleDescription(), s.textLines().join('\n'));
        const DrawItem& last = s.items().last();
        QVERIFY(last.p1.y() + last.extent.height() <= g.control(w, "Annuler")->y() * 15);
    }

    // BrochageCable opens the wiring window of the guide opened last, in place of the guide,
    // the main window disabled throughout.
    void wiringWindowFollowsTheLastGuide_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("selfTest");
        QTest::newRow("self-test") << QStringList{"AutoTest"} << true;
        QTest::newRow("two computers") << QStringList{"DeuxOrdinateurs"} << false;
        QTest::newRow("two, then self-test") << QStringList{"DeuxOrdinateurs", "AutoTest"} << true;
        QTest::newRow("self-test, then two") << QStringList{"AutoTest", "DeuxOrdinateurs"} << false;
        QTest::newRow("self-test, board, two")
            << QStringList{"AutoTest", "CarteEssai", "DeuxOrdinateurs"} << false;
    }
    void wiringWindowFollowsTheLastGuide() {
        QFETCH(QStringList, items);
        QFETCH(bool, selfTest);
        Guides g;
        for (const QString& item : items) {
            g.open(item);
            g.click(g.guide(), "Annuler");
        }
        g.open(items.last());
        EnableCounter enabled(&g.menu());
        g.click(g.guide(), "BrochageCable");
        QWidget& shown = selfTest ? static_cast<QWidget&>(g.get<FAutoTest>())
                                  : static_cast<QWidget&>(g.get<FBrCable>());
        QWidget& other = selfTest ? static_cast<QWidget&>(g.get<FBrCable>())
                                  : static_cast<QWidget&>(g.get<FAutoTest>());
        QVERIFY(shown.isVisible());
        QVERIFY(!other.isVisible());
        QVERIFY(!g.guide().isVisible());
        QVERIFY(g.control(g.guide(), "Image2")->isHidden());
        settle(50);
        QCOMPARE(enabled.count, 0);
        QVERIFY(!g.menu().isEnabled());
        QCOMPARE(shown.focusWidget(), g.control(shown, "Annuler"));
    }

    // The frame's click, by mouse or by keyboard, gives the note and the programmable cable; the
    // frame stays disabled until the guide is opened again.
    void cableFrame_data() {
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("mouse") << false;
        QTest::newRow("keyboard") << true;
    }
    void cableFrame() {
        QFETCH(bool, keyboard);
        Guides g;
        g.open("DeuxOrdinateurs");
        FEssai2PC& w = g.guide();
        auto* frame = g.control<QAbstractButton>(w, "FrameCable");
        QVERIFY(frame->focusPolicy() & Qt::TabFocus);
        const QStringList guideText = w.surface().textLines();
        if (keyboard) {
            frame->setFocus();
            QTest::keyClick(frame, Qt::Key_Space);
        } else {
            QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(frame->width() - 5, 5));
        }
        const QList<QPointF> rows = textPositions(w.surface());
        QCOMPARE(rows.size(), 3);
        for (const QPointF& p : rows) QCOMPARE(p.x(), 5000.0);
        QCOMPARE(rows.first().y(), 2500.0);
        QVERIFY(!w.surface().textLines().contains(guideText.first()));
        QVERIFY(!frame->isEnabled());
        QVERIFY(g.control(w, "ImageCablePro")->isVisible());
        const QStringList note = w.surface().textLines();
        QTest::mouseClick(frame, Qt::LeftButton);
        QCOMPARE(w.surface().textLines(), note);
        g.open("CarteEssai");
        QVERIFY(frame->isEnabled());
        QVERIFY(g.control(w, "ImageCablePro")->isHidden());
    }

    // The programmable cable goes with every way out: the guide's Annuler, the two-computer
    // wiring window's Annuler, the sheet left.
    void cableProGoes_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("guide") << "guide";
        QTest::newRow("wiring window") << "wiring";
        QTest::newRow("sheet") << "sheet";
    }
    void cableProGoes() {
        QFETCH(QString, way);
        Guides g;
        FEssai2PC& w = g.guide();
        g.open(way == "sheet" ? "CarteEssai" : "DeuxOrdinateurs");
        g.click(w, "FrameCable");
        QWidget* pro = g.control(w, "ImageCablePro");
        QVERIFY(!pro->isHidden());
        if (way == "guide") {
            g.click(w, "Annuler");
        } else if (way == "wiring") {
            g.click(w, "BrochageCable");
            QVERIFY(!pro->isHidden());
            g.click(g.get<FBrCable>(), "Annuler");
        } else {
            g.click(w, "BPCarte");
            QVERIFY(g.get<Feuille>().isVisible());
            QVERIFY(!w.isVisible());
            QVERIFY(!g.menu().isEnabled());
            emit g.get<Feuille>().sheetCleared();
        }
        QVERIFY(pro->isHidden());
    }

    // Mesure puts the hookup on and off, its caption naming the state; Annuler leaves it off for
    // the next visit.
    void mesure_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("self-test") << "AutoTest";
        QTest::newRow("two computers") << "DeuxOrdinateurs";
    }
    void mesure() {
        QFETCH(QString, item);
        Guides g;
        g.open(item);
        g.click(g.guide(), "BrochageCable");
        WiringWindow& w = item == "AutoTest" ? static_cast<WiringWindow&>(g.get<FAutoTest>())
                                             : static_cast<WiringWindow&>(g.get<FBrCable>());
        auto* mesure = g.control<QAbstractButton>(w, "Mesure");
        QWidget* screen = g.control(w, "Ecran");
        const QList<QWidget*> parts = g.hookup(w);
        QVERIFY(parts.size() >= 5);
        auto state = [&](bool on) {
            QCOMPARE(mesure->text(), on ? QString("On") : QString("Off"));
            for (QWidget* p : parts) QVERIFY2(p->isVisible() == on, qPrintable(p->objectName()));
            QCOMPARE(screen->isVisible(), !on);
            QCOMPARE(w.hookupShown(), on);
        };
        state(false);
        mesure->click();
        state(true);
        QCOMPARE(w.focusWidget(), g.control(w, "Annuler"));
        mesure->click();
        state(false);
        mesure->click();
        g.click(w, "Annuler");
        QVERIFY(g.menu().isEnabled());
        g.open(item);
        g.click(g.guide(), "BrochageCable");
        state(false);
    }

    // Every window of the guides gives the main window back, whichever way it is left.
    void everyExit_data() {
        QTest::addColumn<int>("window");  // 0 the guide, 1 FAutoTest, 2 FBrCable
        QTest::addColumn<QString>("exit");
        const char* names[] = {"guide", "self-test wiring", "two-computer wiring"};
        for (int w = 0; w < 3; ++w)
            for (const char* exit : {"Annuler", "Enter on Annuler", "Esc", "close"})
                QTest::newRow(qPrintable(QString("%1, %2").arg(names[w], exit))) << w << exit;
    }
    void everyExit() {
        QFETCH(int, window);
        QFETCH(QString, exit);
        Guides g;
        g.open(window == 1 ? "AutoTest" : "DeuxOrdinateurs");
        QWidget* w = &g.guide();
        if (window > 0) {
            g.click(g.guide(), "BrochageCable");
            w = window == 1 ? static_cast<QWidget*>(&g.get<FAutoTest>()) : &g.get<FBrCable>();
            g.click(*w, "Mesure");
        }
        QVERIFY(w->isVisible());
        QVERIFY(!g.menu().isEnabled());
        if (exit == "Annuler") {
            g.click(*w, "Annuler");
        } else if (exit == "Esc") {
            QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
        } else if (exit == "Enter on Annuler") {
            QCOMPARE(w->focusWidget(), g.control(*w, "Annuler"));
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        } else {
            w->close();
        }
        QVERIFY(waitFor([&] { return !w->isVisible(); }));
        QVERIFY(g.menu().isEnabled());
        if (auto* wiring = qobject_cast<WiringWindow*>(w)) QVERIFY(!wiring->hookupShown());
    }

    // Test leaves the wiring window and starts the exchange as the menu does, port test first.
    // On the lab, Com1 carries the loopback plug wired "null modem": what is typed comes back,
    // with or without the RTS-CTS protocol.
    void testEntersTheExchange_data() {
        QTest::addColumn<int>("ports");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("handshake");  // RTS-CTS
        QTest::addColumn<bool>("echo");
        const int lab = int(AppFixture::Ports::Lab);
        QTest::newRow("lab, Com1, no protocol") << lab << 1 << false << true;
        QTest::newRow("lab, Com1, RTS-CTS") << lab << 1 << true << true;
        QTest::newRow("socat loopback plug")
            << int(AppFixture::Ports::Loopback) << 1 << false << true;
        QTest::newRow("no port") << int(AppFixture::Ports::Absent) << 1 << false << false;
    }
    void testEntersTheExchange() {
        QFETCH(int, ports);
        QFETCH(int, port);
        QFETCH(bool, handshake);
        QFETCH(bool, echo);
        Guides g{AppFixture::Ports(ports)};
        QVERIFY2(g.isReady(), qPrintable(g.errorString()));
        // As the student sets it: the menu's items (the protocol's item also sets RTS).
        if (!echo) onNextModal(pressEnter());
        g.menu().item(QStringLiteral("COM%1").arg(port))->trigger();
        g.menu().item(handshake ? "RTS" : "Aucun")->trigger();
        QVERIFY(waitFor([] { return pendingModalAnswers() == 0; }));
        g.open("AutoTest");
        g.click(g.guide(), "BrochageCable");
        FAutoTest& w = g.get<FAutoTest>();
        g.click(w, "Mesure");
        const int beeps = g.forms->beepCount();
        if (!echo) onNextModal(pressEnter());
        g.click(w, "Test");
        QVERIFY(!w.isVisible());
        QVERIFY(!w.hookupShown());
        FChoixCase& options = g.get<FChoixCase>();
        if (!echo) {
            QCOMPARE(g.forms->beepCount(), beeps + 1);
            QVERIFY(!options.isVisible());
            QVERIFY(waitFor([&] { return g.menu().isEnabled(); }));
            return;
        }
        QVERIFY(options.isVisible());
        QVERIFY(!g.menu().isEnabled());
        options.OK->click();
        FEmiRecep& terminal = g.get<FEmiRecep>();
        QVERIFY(terminal.isVisible());
        // Typed as a person types: a moment between two keys.
        const QString typed = QStringLiteral("Echo 1-2");
        for (QChar ch : typed) {
            terminal.Form_KeyPress(QString(ch), 0);
            settle(20);
        }
        QVERIFY(waitFor([&] { return terminal.TexteReception->toPlainText().contains(typed); }));
        terminal.Annuler_Click();
        QVERIFY(waitFor([&] { return g.menu().isEnabled(); }));
    }

    // The cable's three groups: each outline lies over the wires of one group only, each names
    // its group by its tooltip, and is reached by the keyboard; every button-like control of the
    // three windows is reached by Tab and named.
    void groupsAndNames() {
        Guides g;
        g.forms->loadAll();
        FBrCable& cable = g.get<FBrCable>();
        const QImage image = cable.grab().toImage();
        const QColor families[] = {wirecolour::kTxD, wirecolour::kRts, QColor(0xb0, 0x60, 0x00)};
        QSet<int> seen;
        QSet<QString> tips;
        const QList<ShapeBox*> outlines = cable.findChildren<ShapeBox*>();
        for (ShapeBox* box : outlines) {
            if (box->objectName() == "Ecran") continue;
            QSet<int> inside;
            const QRect r = box->geometry().adjusted(3, 3, -3, -3);
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    for (int f = 0; f < 3; ++f)
                        if (image.pixelColor(x, y) == families[f]) inside << f;
            QCOMPARE(inside.size(), 1);
            seen += inside;
            QVERIFY(!box->toolTip().isEmpty());
            tips << box->toolTip();
            QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name),
                     box->toolTip());
            QVERIFY(box->focusPolicy() & Qt::TabFocus);
        }
        QCOMPARE(seen.size(), 3);
        QCOMPARE(tips.size(), 3);
        for (QWidget* w : {static_cast<QWidget*>(&g.guide()), static_cast<QWidget*>(&cable),
                           static_cast<QWidget*>(&g.get<FAutoTest>())})
            for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
                QVERIFY2(b->focusPolicy() & Qt::TabFocus, qPrintable(b->objectName()));
                QVERIFY2(!QAccessible::queryAccessibleInterface(b)
                              ->text(QAccessible::Name)
                              .trimmed()
                              .isEmpty(),
                         qPrintable(b->objectName()));
            }
    }
};

QTEST_MAIN(TstGuides)
#include "tst_guides.moc"
