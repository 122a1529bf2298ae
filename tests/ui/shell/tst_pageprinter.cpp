// Printing a window's page: where the page goes on paper, the names of the PDF files written
// instead, and the whole road through a private print server, with the texts checked in what
// the printer received and in the file written when there is no printer to use.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "support/appfixture.h"
#include "support/pdfpages.h"
#include "support/printserver.h"
#include "ui/hardware/fprint.h"
#include "ui/shell/pageprinter.h"

using namespace testsupport;
using pageprinter::Outcome;

Q_DECLARE_METATYPE(Outcome)

namespace {

const QString kConfigLine = QStringLiteral(
    "Serlinq      Configuration : Port Com2,  9600 bauds,  7 bits,  parité paire,  1 stop(s),  "
    "protocole Xon / Xoff .");
const QString kTitle = QStringLiteral("Transmission du caractère :");
const QString kControl = QStringLiteral("Bouton à côté");
const int kJobWaitMs = 20000;
// A printable area, in mm.
const QSizeF kArea(190, 277);

// The print layout window holding a configuration line, the diagram's title, a thick line
// across its lower middle, and a control.
struct Page {
    testsupport::AppFixture fx{testsupport::AppFixture::Ports::Defaults};
    FPrint& window = fx.get<FPrint>();
    QLabel* control = new QLabel(kControl, &window);

    Page() {
        DrawSurface& s = window.surface();
        s.Print(kConfigLine);
        s.CurrentX = 100;
        s.CurrentY = 310;
        s.Print(kTitle);
        s.DrawWidth = 6;
        s.Line(100, 200, 500, 200, Qt::black);
        control->setGeometry(450, 20, 120, 20);
    }
};

// A row, between the configuration line and the title, dark over more than half the width of
// the ink: the thick line drawn across the page, which no row of text fills so densely.
bool hasRule(const QImage& image, const QRect& ink) {
    for (int y = ink.top() + ink.height() * 35 / 100; y < ink.top() + ink.height() * 85 / 100;
         ++y) {
        int dark = 0;
        for (int x = ink.left(); x <= ink.right(); ++x) dark += qGray(image.pixel(x, y)) < 128;
        if (dark > ink.width() / 2) return true;
    }
    return false;
}

// A drawing `width` by `height` mm, its size written in `unit` (`unitMm` long), its view box in
// mm, with a 50 mm bar half a millimetre thick in its middle and a frame round it.
QString writeDrawing(const QTemporaryDir& dir, double width, double height, const QString& unit,
                     double unitMm) {
    const QString path =
        dir.filePath(QStringLiteral("drawing-%1x%2%3.svg").arg(width).arg(height).arg(unit));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    file.write(
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%8%3\" height=\"%9%3\" "
                       "viewBox=\"0 0 %1 %2\"><rect x=\"1\" y=\"1\" width=\"%4\" height=\"%5\" "
                       "fill=\"none\" stroke=\"#1a1a1a\" stroke-width=\"0.25\"/><rect x=\"%6\" "
                       "y=\"%7\" width=\"50\" height=\"0.5\" fill=\"#000000\"/></svg>")
            .arg(width)
            .arg(height)
            .arg(unit)
            .arg(width - 2)
            .arg(height - 2)
            .arg(width / 2 - 25)
            .arg(height / 2)
            .arg(width / unitMm)
            .arg(height / unitMm)
            .toUtf8());
    return path;
}

}  // namespace

class TstPagePrinter : public QObject {
    Q_OBJECT
    std::unique_ptr<PrintServer> server_;

    // Why the printing tests cannot run here, or nothing.
    QString missing() const {
        if (!server_->isReady()) {
            return QStringLiteral("no private print server: ") + server_->errorString();
        }
        if (!havePoppler()) return QStringLiteral("pdftotext and pdftoppm are not installed");
        return QString();
    }

    // Ink where the drawing is: at the top left of the sheet, across most of its width, in the
    // upper half, with the thick line between the two texts.
    void verifyDrawing(const QString& pdf) {
        const QImage image = pdfImage(pdf);
        QVERIFY(!image.isNull());
        const QRect ink = inkBox(image);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.left() < image.width() / 8, qPrintable(QString::number(ink.left())));
        QVERIFY2(ink.right() > image.width() * 3 / 4, qPrintable(QString::number(ink.right())));
        QVERIFY2(ink.bottom() < image.height() / 2, qPrintable(QString::number(ink.bottom())));
        QVERIFY2(hasRule(image, ink), "no thick line between the two texts");
    }

    void verifyTexts(const QString& pdf) {
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QString(kConfigLine).simplified()), qPrintable(text));
        QVERIFY2(text.contains(kTitle), qPrintable(text));
        QVERIFY2(text.contains(kControl), qPrintable(text));
    }

private slots:
    void initTestCase() {
        // Before anything prints: the CUPS library takes its server once per process.
        QElapsedTimer clock;
        clock.start();
        server_ = std::make_unique<PrintServer>();
        qInfo("print server ready in %lld ms", clock.elapsed());
    }

    void cleanup() {
        if (!server_->isReady()) return;
        server_->startQueue();
        server_->removeQueue();
        server_->addQueue(true);
    }

    // The page keeps its proportions, fills the area in one direction, and starts at the top
    // left, whichever way the area is longer.
    void placement_data() {
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<QSizeF>("area");
        QTest::addColumn<QSizeF>("expected");
        QTest::newRow("wide page, portrait paper")
            << QSizeF(600, 300) << QSizeF(1000, 1400) << QSizeF(1000, 500);
        QTest::newRow("tall page, landscape paper")
            << QSizeF(300, 600) << QSizeF(1400, 1000) << QSizeF(500, 1000);
        QTest::newRow("page larger than the area")
            << QSizeF(4000, 2000) << QSizeF(1000, 1000) << QSizeF(1000, 500);
        QTest::newRow("same proportions")
            << QSizeF(598, 345) << QSizeF(1196, 690) << QSizeF(1196, 690);
        QTest::newRow("empty page") << QSizeF(0, 345) << QSizeF(1000, 1000) << QSizeF();
    }
    void placement() {
        QFETCH(QSizeF, page);
        QFETCH(QSizeF, area);
        QFETCH(QSizeF, expected);
        const QRectF r = pageprinter::placement(page, area);
        if (expected.isEmpty()) {
            QVERIFY(r.isEmpty());
            return;
        }
        QCOMPARE(r.size(), expected);
        QCOMPARE(r.topLeft(), QPointF(0, 0));
    }

    // Files are named after the date and time, with leading zeros; an existing file of that
    // name is never reused.
    void fallbackFile_data() {
        QTest::addColumn<int>("existing");
        QTest::newRow("first page of the second") << 0;
        QTest::newRow("second page of the second") << 1;
        QTest::newRow("third page of the second") << 2;
    }
    void fallbackFile() {
        QFETCH(int, existing);
        QTemporaryDir dir;
        const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5));
        QStringList taken;
        for (int i = 0; i < existing; ++i) {
            taken << pageprinter::fallbackFile(QDir(dir.path()), when);
            QFile f(taken.last());
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QString path = pageprinter::fallbackFile(QDir(dir.path()), when);
        QVERIFY(!taken.contains(path));
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(dir.path()).absolutePath());
        const QString name = QFileInfo(path).fileName();
        QVERIFY2(name.startsWith(QStringLiteral("Serlinq-2026-01-02-03h04m05")), qPrintable(name));
        QVERIFY2(name.endsWith(QStringLiteral(".pdf")), qPrintable(name));
    }

    // Through the default printer: the printer gets one job, whose texts keep their accents;
    // no file is written.
    void printsOnDefaultPrinter() {
        if (const QString why = missing(); !why.isEmpty()) QSKIP(qPrintable(why));
        QTemporaryDir folder;
        Page page;
        const int before = server_->completedJobs();
        QElapsedTimer clock;
        clock.start();
        const pageprinter::Result r = pageprinter::printPage(page.window, folder.path());
        QCOMPARE(r.outcome, Outcome::Printed);
        QCOMPARE(r.printer, server_->queueName());
        QVERIFY2(server_->waitForCompletedJobs(before + 1, kJobWaitMs),
                 qPrintable(server_->logTail()));
        qInfo("printed and written by the server in %lld ms", clock.elapsed());
        verifyTexts(server_->outputFile());
        verifyDrawing(server_->outputFile());
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    }

    // Without a printer to use, the page goes to a dated PDF in the folder: the same texts,
    // and ink where the drawing is, in the top part of the sheet, across most of its width.
    void fallsBackToFile_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("no default printer") << QStringLiteral("no default");
        QTest::newRow("no printer at all") << QStringLiteral("no printer");
        QTest::newRow("default printer stopped") << QStringLiteral("stopped");
    }
    void fallsBackToFile() {
        QFETCH(QString, change);
        if (const QString why = missing(); !why.isEmpty()) QSKIP(qPrintable(why));
        QVERIFY(server_->removeQueue());
        if (change == QStringLiteral("no default")) QVERIFY(server_->addQueue(false));
        if (change == QStringLiteral("stopped")) {
            QVERIFY(server_->addQueue(true));
            QVERIFY(server_->stopQueue());
        }
        QTemporaryDir folder;
        Page page;
        const int before = server_->completedJobs();
        const QDateTime when(QDate(2026, 12, 8), QTime(23, 45, 10));
        const pageprinter::Result r = pageprinter::printPage(page.window, folder.path(), when);
        QCOMPARE(r.outcome, Outcome::WrittenToFile);
        QVERIFY(!r.reason.isEmpty());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("Serlinq-2026-12-08-23h45m10.pdf")});
        QCOMPARE(QFileInfo(r.file).absolutePath(), QDir(folder.path()).absolutePath());
        verifyTexts(r.file);
        verifyDrawing(r.file);
        QCOMPARE(server_->completedJobs(), before);
        QCOMPARE(server_->pendingJobs(), 0);
    }

    // With neither a printer nor a folder to write in, nothing is made and the reasons say why.
    // A drawing's page: at true size it fits or is not laid out at all; fitted, it fills the
    // room under the title line with its proportions.
    void drawingLayout_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("trueSize");
        QTest::addColumn<QSizeF>("drawing");
        QTest::addColumn<bool>("fits");
        QTest::newRow("true size, room to spare") << "" << true << QSizeF(170, 130) << true;
        QTest::newRow("true size, exactly the area") << "" << true << kArea << true;
        QTest::newRow("true size, a tenth of a mm too wide")
            << "" << true << QSizeF(kArea.width() + 0.1, 100) << false;
        QTest::newRow("true size, the title takes the room") << "Titre" << true << kArea << false;
        QTest::newRow("fitted, wide") << "" << false << QSizeF(1000, 700) << true;
        QTest::newRow("fitted, tall, under a title")
            << "Titre" << false << QSizeF(100, 1000) << true;
    }
    void drawingLayout() {
        QFETCH(QString, title);
        QFETCH(bool, trueSize);
        QFETCH(QSizeF, drawing);
        QFETCH(bool, fits);
        const pageprinter::DrawingPage page{
            title, QString(),
            trueSize ? pageprinter::Scale::TrueSize : pageprinter::Scale::FitToPage};
        const pageprinter::DrawingLayout layout = pageprinter::layOut(page, drawing, kArea, 10);
        QCOMPARE(layout.title.isEmpty(), title.isEmpty());
        QCOMPARE(!layout.drawing.isEmpty(), fits);
        if (!fits) return;
        const QRectF d = layout.drawing;
        QVERIFY(d.top() >= layout.title.bottom());
        QVERIFY(QRectF(QPointF(0, 0), kArea).contains(d.adjusted(0.01, 0.01, -0.01, -0.01)));
        if (trueSize) {
            QCOMPARE(d.size(), drawing);
        } else {
            QVERIFY(qAbs(d.width() / d.height() - drawing.width() / drawing.height()) < 1e-6);
            QVERIFY(qFuzzyCompare(d.width(), kArea.width()) ||
                    qFuzzyCompare(d.bottom(), kArea.height()));
        }
    }

    // A drawing at true size on A4: upright, sideways when only that way holds it, or not at all
    // (no file left behind); its 50 mm measure 50 mm on the page.
    void drawingAtTrueSize_data() {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("unitMm");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<bool>("sideways");
        QTest::newRow("small, in mm")
            << QSizeF(100, 80) << "mm" << 1.0 << Outcome::WrittenToFile << false;
        QTest::newRow("in inches")
            << QSizeF(127, 101.6) << "in" << 25.4 << Outcome::WrittenToFile << false;
        QTest::newRow("wide: sideways")
            << QSizeF(250, 150) << "mm" << 1.0 << Outcome::WrittenToFile << true;
        QTest::newRow("larger than A4")
            << QSizeF(250, 250) << "mm" << 1.0 << Outcome::TooLarge << false;
        QTest::newRow("in pixels: no size on paper")
            << QSizeF(200, 100) << "px" << 1.0 << Outcome::Failed << false;
    }
    void drawingAtTrueSize() {
        if (!havePoppler()) QSKIP("pdftotext and pdftoppm are not installed");
        QFETCH(QSizeF, size);
        QFETCH(QString, unit);
        QFETCH(double, unitMm);
        QFETCH(Outcome, outcome);
        QFETCH(bool, sideways);
        QTemporaryDir dir;
        const QString svg = writeDrawing(dir, size.width(), size.height(), unit, unitMm);
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        const pageprinter::Result r = pageprinter::writeDrawingPdf(
            {QStringLiteral("Titre"), svg, pageprinter::Scale::TrueSize}, pdf);
        QCOMPARE(r.outcome, outcome);
        QCOMPARE(QFileInfo::exists(pdf), outcome == Outcome::WrittenToFile);
        if (outcome != Outcome::WrittenToFile) {
            QVERIFY(!r.reason.isEmpty());
            return;
        }
        const QImage page = pdfImage(pdf);
        QCOMPARE(page.width() > page.height(), sideways);
        const int dpi = 600;
        const double mm = scaleBarLength(pdf, dpi, 50, 0.5) * 25.4 / dpi;
        QVERIFY2(qAbs(mm - 50) <= 0.25, qPrintable(QString::number(mm)));
    }

    void failsWithoutPrinterOrFolder() {
        if (const QString why = missing(); !why.isEmpty()) QSKIP(qPrintable(why));
        QVERIFY(server_->removeQueue());
        QTemporaryDir dir;
        const QString missing = QDir(dir.path()).filePath(QStringLiteral("absent"));
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        Page page;
        const pageprinter::Result r = pageprinter::printPage(page.window, missing);
        QCOMPARE(r.outcome, Outcome::Failed);
        QVERIFY(r.file.isEmpty());
        QVERIFY(r.reason.contains(missing));
        QVERIFY(!QFileInfo::exists(missing));
    }
};

QTEST_MAIN(TstPagePrinter)
#include "tst_pageprinter.moc"
