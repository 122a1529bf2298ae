// The test board's sheet: its views one after the other, the ways out of it and the bare sheet
// they leave, and its printing: a title line on the layouts and none on the schematic, the same
// page twice, and the layouts at their true size on A4 and on Letter, measured on the page.
#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "support/appfixture.h"
#include "support/pdfpages.h"
#include "support/printserver.h"
#include "support/wait.h"
#include "ui/hardware/feuille.h"
#include "ui/hardware/fprint.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fvaleur.h"
#include "ui/shell/svgpicture.h"

using namespace testsupport;

namespace {

const QStringList kPictures{"ImageCarteEssai", "ImageImplant", "ImagePiste"};
// Rendering for measuring: 50 mm make 1181.1 pixels at this resolution.
constexpr int kMeasureDpi = 600;
constexpr double kMmPerInch = 25.4;
constexpr double kBarMm = 50.0;
constexpr double kScaleTolerance = 0.005;
constexpr double kBarThicknessMm = 0.5;
// Page sizes in points.
const QSizeF kA4Points(595.3, 841.9);
const QSizeF kLetterPoints(612, 792);

struct Sheet : AppFixture {
    Feuille& sheet = get<Feuille>();
    Sheet() : AppFixture(Ports::Absent) { menu().show(); }

    template <class W = QWidget>
    W* control(const QString& name) {
        return sheet.findChild<W*>(name);
    }
    SvgButton* view() { return control<SvgButton>("ImageVoir"); }
    SvgButton* print() { return control<SvgButton>("ImageImprimer"); }
    // The pictures shown, by name.
    QStringList shown() {
        QStringList names;
        for (const QString& name : kPictures)
            if (!control(name)->isHidden()) names << name;
        return names;
    }
    // Opens the sheet and goes `steps` views on.
    void open(int steps) {
        sheet.showBoard();
        for (int i = 0; i < steps; ++i) view()->click();
    }
    QStringList pdfs() const {
        return QDir(folder()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    }
    QString pdf(int i) const { return QDir(folder()).filePath(pdfs().value(i)); }
};

// The same paper, upright or sideways.
bool samePaper(const QSizeF& a, const QSizeF& b) {
    const auto same = [](const QSizeF& x, const QSizeF& y) {
        return qAbs(x.width() - y.width()) < 1 && qAbs(x.height() - y.height()) < 1;
    };
    return same(a, b) || same(a, b.transposed());
}

}  // namespace

class TstBoard : public QObject {
    Q_OBJECT
    std::unique_ptr<PrintServer> server_;

    QString missing() const {
        if (!server_->isReady())
            return QStringLiteral("no print server: ") + server_->errorString();
        if (!havePoppler()) return QStringLiteral("pdftotext and pdftoppm are not installed");
        return QString();
    }

    // Prints the view `steps` views on from the schematic: its page, from the printer or from
    // the working folder when there is none.
    QString printView(Sheet& s, int steps, bool onPrinter) {
        s.open(steps);
        const int done = server_->completedJobs();
        s.print()->click();
        if (!onPrinter) return s.pdf(0);
        if (!server_->waitForCompletedJobs(done + 1, 20000)) return QString();
        return server_->outputFile();
    }

private slots:
    void initTestCase() { server_ = std::make_unique<PrintServer>(PrintServer::Queue::None); }

    void viewsOneAfterTheOther_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("opening") << 0 << "ImageCarteEssai" << false;
        QTest::newRow("second") << 1 << "ImageImplant" << false;
        QTest::newRow("last") << 2 << "ImagePiste" << false;
        QTest::newRow("last, by the keyboard") << 2 << "ImagePiste" << true;
    }
    void viewsOneAfterTheOther() {
        QFETCH(int, steps);
        QFETCH(QString, picture);
        QFETCH(bool, byKeyboard);
        Sheet s;
        s.sheet.showBoard();
        QStringList captions{s.sheet.windowTitle()};
        for (int i = 0; i < steps; ++i) {
            // The view button's tooltip names the view it leads to.
            const QString next = s.view()->toolTip();
            if (byKeyboard) {
                s.view()->setFocus();
                QTest::keyClick(s.view(), Qt::Key_Space);
            } else {
                s.view()->click();
            }
            QCOMPARE(s.control(s.shown().value(0))->toolTip(), next);
            captions << s.sheet.windowTitle();
        }
        QCOMPARE(s.shown(), QStringList{picture});
        QCOMPARE(QAccessible::queryAccessibleInterface(s.control(picture))->text(QAccessible::Name),
                 s.control(picture)->toolTip());
        QCOMPARE(s.view()->isHidden(), steps == kPictures.size() - 1);
        QVERIFY(!s.print()->isHidden());
        QVERIFY(!s.control("Annuler")->isHidden());
        QCOMPARE(QSet<QString>(captions.begin(), captions.end()).size(), captions.size());
        QVERIFY(!s.menu().isEnabled());
        // The drawings on as much of the screen as there is room for, all of the sheet on it.
        const QRect screen = s.sheet.screen()->availableGeometry();
        QVERIFY(screen.contains(s.sheet.geometry()));
        for (const char* name : {"ImageVoir", "ImageImprimer", "Annuler"})
            QVERIFY(s.sheet.rect().contains(s.control(name)->geometry()));
        QVERIFY(s.sheet.rect().contains(s.control(picture)->geometry()));
    }

    // However the sheet is left and from whichever view, the main window comes back, the sheet
    // says it is bare, and the next opening starts again at the schematic.
    void everyExitLeavesABareSheet_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("steps");
        for (int steps = 0; steps < kPictures.size(); ++steps) {
            for (const char* how : {"Annuler", "Esc", "window manager"})
                QTest::addRow("%s, view %d", how, steps) << QString(how) << steps;
        }
    }
    void everyExitLeavesABareSheet() {
        QFETCH(QString, how);
        QFETCH(int, steps);
        Sheet s;
        // The size the worked examples draw on.
        const QSize designSize = s.sheet.size();
        s.open(0);
        const QString firstCaption = s.sheet.windowTitle();
        const QString firstNext = s.view()->toolTip();
        for (int i = 0; i < steps; ++i) s.view()->click();
        QVERIFY(QTest::qWaitForWindowExposed(&s.sheet));
        QSignalSpy cleared(&s.sheet, &Feuille::sheetCleared);
        if (how == "Annuler") static_cast<QPushButton*>(s.control("Annuler"))->click();
        if (how == "Esc") {
            s.sheet.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&s.sheet));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        }
        if (how == "window manager") s.sheet.close();
        QVERIFY(waitFor([&] { return s.sheet.isHidden(); }));
        QCOMPARE(cleared.count(), 1);
        QVERIFY(s.menu().isEnabled());
        QVERIFY(s.shown().isEmpty());
        QCOMPARE(s.sheet.size(), designSize);
        for (const char* name :
             {"ImageVoir", "ImageImprimer", "Exercice0", "Exercice1", "Exercice2"})
            QVERIFY2(s.control(name)->isHidden(), name);
        s.sheet.showBoard();
        QCOMPARE(s.sheet.windowTitle(), firstCaption);
        QCOMPARE(s.view()->toolTip(), firstNext);
        QCOMPARE(s.shown(), QStringList{kPictures.first()});
    }

    // An exercise left behind on the sheet does not show its buttons over the schematic.
    void openingHidesExerciseButtons() {
        Sheet s;
        for (int i = 0; i < 3; ++i) s.control(QStringLiteral("Exercice%1").arg(i))->show();
        s.sheet.showBoard();
        for (int i = 0; i < 3; ++i)
            QVERIFY(s.control(QStringLiteral("Exercice%1").arg(i))->isHidden());
    }

    // Whichever exercise button is clicked, the answer that follows is short.
    void exerciseButtonsShortenTheAnswer_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("first") << 0;
        QTest::newRow("last") << 2;
    }
    void exerciseButtonsShortenTheAnswer() {
        QFETCH(int, button);
        Sheet s;
        FValeur& valeur = s.get<FValeur>();
        valeur.setMaxLength(40);
        auto* b = s.control<QPushButton>(QStringLiteral("Exercice%1").arg(button));
        b->show();
        b->click();
        QVERIFY(valeur.maxLength() < 40);
        QVERIFY(valeur.maxLength() > 0);
    }

    // Without a printer: each view as a PDF in the working folder, the layouts under the
    // sheet's caption, the schematic without it; lines and texts, no bitmap; the sheet back.
    void eachViewPrinted_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("titled");
        QTest::newRow("schematic") << 0 << false;
        QTest::newRow("component layout") << 1 << true;
        QTest::newRow("track layout") << 2 << true;
    }
    void eachViewPrinted() {
        if (const QString why = missing(); !why.isEmpty()) QSKIP(qPrintable(why));
        QFETCH(int, steps);
        QFETCH(bool, titled);
        Sheet s;
        const QString first = printView(s, steps, false);
        const QString caption = s.sheet.windowTitle();
        QCOMPARE(s.pdfs().size(), 1);
        QCOMPARE(pdfText(first).contains(caption), titled);
        QFile file(first);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("/Subtype /Image"));
        QVERIFY(s.sheet.isVisible());
        QVERIFY(!s.get<FPrint>().isVisible());
        QVERIFY(!s.menu().isEnabled());
        QVERIFY(s.control("LabelImpression")->isVisible());
        // The print layout is empty again: the same page the second time.
        QCOMPARE(s.get<FPrint>().boardPage(), std::nullopt);
        s.print()->click();
        QCOMPARE(s.pdfs().size(), 2);
        QCOMPARE(pdfText(s.pdf(1)), pdfText(first));
        QCOMPARE(pdfImage(s.pdf(1)), pdfImage(first));
        QCOMPARE(s.sheet.windowTitle(), caption);
    }

    // The layouts at their true size: the scale bar drawn on them measures 50 mm on the page,
    // through the printer on either paper and in the file written without one.
    void layoutsAtTrueSize_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("onPrinter");
        for (int steps : {1, 2}) {
            const char* view = steps == 1 ? "components" : "tracks";
            QTest::addRow("%s, A4 file", view) << steps << "A4" << false;
            QTest::addRow("%s, A4 printer", view) << steps << "A4" << true;
            QTest::addRow("%s, Letter printer", view) << steps << "Letter" << true;
        }
    }
    void layoutsAtTrueSize() {
        if (const QString why = missing(); !why.isEmpty()) QSKIP(qPrintable(why));
        QFETCH(int, steps);
        QFETCH(QString, paper);
        QFETCH(bool, onPrinter);
        if (onPrinter) {
            QVERIFY(server_->addQueue(true));
            QVERIFY(server_->setPaper(paper));
        }
        Sheet s;
        const QString pdf = printView(s, steps, onPrinter);
        if (onPrinter) QVERIFY(server_->removeQueue());
        QVERIFY2(!pdf.isEmpty(), qPrintable(server_->logTail()));
        QVERIFY(samePaper(pdfPageSize(pdf), paper == "A4" ? kA4Points : kLetterPoints));
        QImage seen;
        const double bar = scaleBarLength(pdf, kMeasureDpi, kBarMm, kBarThicknessMm, &seen);
        const double mm = bar * kMmPerInch / kMeasureDpi;
        qInfo("%s: scale bar %.2f px at %d dpi = %.3f mm", QTest::currentDataTag(), bar,
              kMeasureDpi, mm);
        QVERIFY2(qAbs(mm - kBarMm) <= kBarMm * kScaleTolerance, qPrintable(QString::number(mm)));
    }

    void cleanupTestCase() { server_.reset(); }
};

QTEST_MAIN(TstBoard)
#include "tst_board.moc"
