// The windows' pictures: every drawing a window shows exists and draws something, stays inside
// its own frame and uses only what the SVG renderer draws; a picture is named by its tooltip as
// the tooltip changes; a picture button is a button for the keyboard; pictures reach a page as
// drawing commands, not as a bitmap.
#include <QAccessible>
#include <QApplication>
#include <QDirIterator>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "support/appfixture.h"
#include "ui/shell/formkit.h"
#include "ui/shell/pageprinter.h"
#include "ui/shell/surfacewidget.h"
#include "ui/shell/svgpicture.h"

using namespace testsupport;

namespace {

// How many pixels of `drawing` come out non-transparent at a given size.
int inkedPixels(const SvgDrawing& drawing, const QSize& size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawing.paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) inked += qAlpha(image.pixel(x, y)) > 0;
    return inked;
}

QStringList svgResources() {
    formkit::picture(QStringLiteral(":/printer.svg"), 1, 1);  // registers the resources
    QStringList out;
    for (QDirIterator it(QStringLiteral(":/"), {QStringLiteral("*.svg")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        out << it.next();
    return out;
}

// Pixels inked outside the drawing's frame (grown by `slack` natural pixels for the half of an
// edge stroke), the drawing rendered at `scale` in the middle of a canvas three frames wide.
int inkOutsideFrame(const QString& path, int scale, int slack) {
    QSvgRenderer renderer(path);
    const QSize frame = (renderer.viewBoxF().size() * scale).toSize();
    QImage image(frame * 3, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(frame.width(), frame.height()), QSizeF(frame)));
    painter.end();
    const QRect inside =
        QRect(QPoint(frame.width(), frame.height()), frame)
            .adjusted(-slack * scale, -slack * scale, slack * scale, slack * scale);
    int outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            outside += !inside.contains(x, y) && qAlpha(image.pixel(x, y)) > 0;
    return outside;
}

// What in a drawing's source the renderer would ignore or a printer could not scale.
QStringList unsupportedParts(const QString& path) {
    static const QStringList refusedElements = {"filter",   "mask",          "marker", "style",
                                                "textPath", "foreignObject", "image",  "pattern"};
    static const QStringList refusedAttributes = {"class", "style", "filter", "mask"};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("unreadable")};
    QStringList out;
    QXmlStreamReader xml(&file);
    bool root = true;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString name = xml.name().toString();
        if (root)
            for (const char* needed : {"viewBox", "width", "height"})
                if (!xml.attributes().hasAttribute(QLatin1String(needed)))
                    out << QStringLiteral("svg without %1").arg(QLatin1String(needed));
        root = false;
        if (refusedElements.contains(name)) out << name;
        for (const QXmlStreamAttribute& attribute : xml.attributes())
            if (refusedAttributes.contains(attribute.name().toString()))
                out << QStringLiteral("%1 %2").arg(name, attribute.name().toString());
    }
    if (xml.hasError()) out << xml.errorString();
    return out;
}

template <class W>
QStringList blankPictures() {
    QStringList out;
    for (QWidget* top : QApplication::topLevelWidgets())
        for (W* w : top->findChildren<W*>()) {
            if (!w->drawing().isValid() || inkedPixels(w->drawing(), QSize(64, 64)) == 0)
                out << QStringLiteral("%1/%2: %3")
                           .arg(top->objectName(), w->objectName(), w->resource());
        }
    return out;
}

}  // namespace

class TstPictures : public QObject {
    Q_OBJECT
private slots:
    void everyResourceDraws() {
        const QStringList paths = svgResources();
        QVERIFY(!paths.isEmpty());
        QStringList blank;
        for (const QString& path : paths) {
            const SvgDrawing drawing(path);
            if (!drawing.isValid() || inkedPixels(drawing, QSize(96, 96)) == 0) blank << path;
        }
        QCOMPARE(blank, QStringList());
    }

    // A label or a wire that runs past the frame is cut off wherever the picture is shown.
    void everyResourceStaysInItsFrame() {
        QStringList overflowing;
        for (const QString& path : svgResources())
            if (const int ink = inkOutsideFrame(path, 2, 2); ink > 0)
                overflowing << QStringLiteral("%1: %2 px").arg(path).arg(ink);
        QVERIFY2(overflowing.isEmpty(), qPrintable(overflowing.join(QStringLiteral(", "))));
    }

    void everyResourceIsPlainSvg() {
        QStringList refused;
        for (const QString& path : svgResources())
            for (const QString& part : unsupportedParts(path))
                refused << QStringLiteral("%1: %2").arg(path, part);
        QVERIFY2(refused.isEmpty(), qPrintable(refused.join(QStringLiteral(", "))));
    }

    void everyWindowsPictureDraws() {
        AppFixture app(AppFixture::Ports::Absent);
        app.forms->loadAll();
        QVERIFY(!QApplication::topLevelWidgets().isEmpty());
        QCOMPARE(blankPictures<SvgPicture>(), QStringList());
        QCOMPARE(blankPictures<SvgButton>(), QStringList());
    }

    void drawingKeepsItsProportions_data() {
        QTest::addColumn<QRectF>("area");
        QTest::newRow("wide") << QRectF(10, 20, 400, 50);
        QTest::newRow("tall") << QRectF(0, 0, 50, 400);
        QTest::newRow("one pixel") << QRectF(0, 0, 1, 1);
    }
    void drawingKeepsItsProportions() {
        QFETCH(QRectF, area);
        const SvgDrawing drawing(QStringLiteral(":/printer.svg"));
        const QSizeF natural = drawing.naturalSize();
        const QRectF placed = drawing.placement(area);
        QVERIFY(area.contains(placed.adjusted(0.01, 0.01, -0.01, -0.01)));
        QCOMPARE(qRound(placed.width() / placed.height() * 1000),
                 qRound(natural.width() / natural.height() * 1000));
        QVERIFY(qFuzzyCompare(placed.center().x(), area.center().x()));
        QVERIFY(qFuzzyCompare(placed.center().y(), area.center().y()));
        QVERIFY(qFuzzyCompare(placed.width(), area.width()) ||
                qFuzzyCompare(placed.height(), area.height()));
    }

    // Sizes on paper: units of length only, positive numbers only.
    void lengthOnPaper_data() {
        QTest::addColumn<QString>("length");
        QTest::addColumn<double>("mm");  // negative: none
        QTest::newRow("mm") << "170mm" << 170.0;
        QTest::newRow("cm, decimal") << "2.5cm" << 25.0;
        QTest::newRow("inch") << "1in" << 25.4;
        QTest::newRow("points") << "72pt" << 25.4;
        QTest::newRow("picas") << "6pc" << 25.4;
        QTest::newRow("blanks around") << " 10 mm " << 10.0;
        QTest::newRow("pixels") << "100px" << -1.0;
        QTest::newRow("no unit") << "100" << -1.0;
        QTest::newRow("percent") << "50%" << -1.0;
        QTest::newRow("zero") << "0mm" << -1.0;
        QTest::newRow("negative") << "-3mm" << -1.0;
        QTest::newRow("unit alone") << "mm" << -1.0;
        QTest::newRow("empty") << "" << -1.0;
    }
    void lengthOnPaper() {
        QFETCH(QString, length);
        QFETCH(double, mm);
        const std::optional<double> read = svgLengthMm(length);
        QCOMPARE(read.has_value(), mm > 0);
        if (read) QVERIFY(qAbs(*read - mm) < 1e-9);
    }

    // The drawings a window sizes in pixels have no size on paper; the others have theirs.
    void sizeOnPaperOfEveryResource() {
        formkit::picture(QStringLiteral(":/printer.svg"), 1, 1);
        for (QDirIterator it(QStringLiteral(":/"), {QStringLiteral("*.svg")}, QDir::Files);
             it.hasNext();) {
            const SvgDrawing drawing(it.next());
            if (!drawing.sizeMm()) continue;
            // On paper as on screen: the view box in the proportions of the size.
            const QSizeF mm = *drawing.sizeMm();
            const QSizeF box = drawing.naturalSize();
            QVERIFY2(qAbs(mm.width() / mm.height() - box.width() / box.height()) < 1e-3,
                     qPrintable(drawing.resource()));
        }
        QVERIFY(SvgDrawing(QStringLiteral(":/board-tracks.svg")).sizeMm().has_value());
        QVERIFY(!SvgDrawing(QStringLiteral(":/printer.svg")).sizeMm().has_value());
    }

    // A drawing's texts keep their own weight whatever the page drew before them in bold.
    void textsKeepTheirWeight() {
        QTemporaryDir dir;
        const QString path = dir.filePath("text.svg");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='40' "
            "viewBox='0 0 200 40'><text x='4' y='30' font-family='DejaVu Sans' "
            "font-size='24'>50 mm</text></svg>");
        file.close();
        const SvgDrawing drawing(path);
        int inked[2] = {0, 0};
        for (bool bold : {false, true}) {
            QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            QFont font = painter.font();
            font.setBold(bold);
            painter.setFont(font);
            drawing.paint(painter, QRectF(image.rect()));
            painter.end();
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    inked[bold] += qAlpha(image.pixel(x, y)) > 128;
        }
        QVERIFY(inked[0] > 0);
        QCOMPARE(inked[1], inked[0]);
    }

    void missingResourceDrawsNothing() {
        const SvgDrawing drawing(QStringLiteral(":/no-such-picture.svg"));
        QVERIFY(!drawing.isValid());
        QCOMPARE(inkedPixels(drawing, QSize(32, 32)), 0);
    }

    void nameFollowsTheToolTip() {
        QWidget window;
        SvgPicture* picture =
            formkit::addTippedPicture(&window, "p", ":/printer.svg", 0, 0, 480, 480, "Un");
        SvgButton* button =
            formkit::addPictureButton(&window, "b", ":/printer.svg", 600, 0, 480, 480, "Deux");
        QCOMPARE(QAccessible::queryAccessibleInterface(picture)->text(QAccessible::Name), "Un");
        QCOMPARE(QAccessible::queryAccessibleInterface(picture)->role(), QAccessible::Graphic);
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->role(), QAccessible::Button);
        picture->setToolTip("Autre");
        button->setToolTip("Suite");
        QCOMPARE(QAccessible::queryAccessibleInterface(picture)->text(QAccessible::Name), "Autre");
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), "Suite");
    }

    void pictureButtonTakesTheKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }
    void pictureButtonTakesTheKeyboard() {
        QFETCH(int, key);
        QWidget window;
        formkit::addButton(&window, "before", "Avant", 0, 0, 1200, 400);
        SvgButton* button =
            formkit::addPictureButton(&window, "b", ":/printer.svg", 0, 600, 480, 480, "Imprimer");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        window.findChild<QWidget*>("before")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button);
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(button, Qt::Key(key));
        QTRY_COMPARE(clicked.count(), 1);
    }

    // On paper a picture is lines: the PDF of a page that shows one holds no bitmap.
    void pictureReachesAPageAsLines() {
        SurfaceWidget page;
        page.resize(200, 200);
        formkit::addPicture(&page, "p", ":/printer.svg", 0, 0, 1500, 1500, "");
        QTemporaryDir dir;
        const QString path = dir.filePath("page.pdf");
        QCOMPARE(pageprinter::writePdf(page, path).outcome, pageprinter::Outcome::WrittenToFile);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.size() > 0);
        QVERIFY(!bytes.contains("/Subtype /Image"));
    }
};

QTEST_MAIN(TstPictures)
#include "tst_pictures.moc"
