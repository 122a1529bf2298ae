#include "support/pdfpages.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace testsupport {

bool havePoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

QString pdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!p.waitForFinished(20000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

QImage pdfImage(const QString& path, int dpi, const QRect& crop) {
    QTemporaryDir scratch;
    const QString stem = QDir(scratch.path()).filePath(QStringLiteral("render"));
    QStringList args{QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
                     QStringLiteral("-singlefile")};
    if (!crop.isEmpty()) {
        args << QStringLiteral("-x") << QString::number(crop.x()) << QStringLiteral("-y")
             << QString::number(crop.y()) << QStringLiteral("-W") << QString::number(crop.width())
             << QStringLiteral("-H") << QString::number(crop.height());
    }
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), args << path << stem);
    if (!p.waitForFinished(20000) || p.exitCode() != 0) return QImage();
    return QImage(stem + QStringLiteral(".pgm"));
}

namespace {

// What pdftotext -bbox writes: the page's size, then one element per word.
QString bboxPage(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")});
    if (!p.waitForFinished(20000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

constexpr double kMmPerInch = 25.4;
constexpr uchar kDark = 128;
// A page at a printer's resolution is larger than images usually are.
constexpr int kPageMegabytes = 1024;

// A dark run along a row: its row and first and last columns.
struct Run {
    int y, first, last;
};

// Runs of `row` between `minLength` and `maxLength` pixels.
void runsOf(const QImage& page, int y, int minLength, int maxLength, QList<Run>& out) {
    const uchar* row = page.constScanLine(y);
    for (int x = 0; x < page.width();) {
        if (row[x] >= kDark) {
            ++x;
            continue;
        }
        const int first = x;
        while (x < page.width() && row[x] < kDark) ++x;
        if (x - first >= minLength && x - first <= maxLength) out.append({y, first, x - 1});
    }
}

// Runs of successive rows that start and end together, within `slack` pixels: one bar each.
QList<QList<Run>> barsOf(const QList<Run>& runs, int slack) {
    QList<QList<Run>> bars;
    for (const Run& r : runs) {
        bool joined = false;
        for (QList<Run>& bar : bars) {
            const Run& end = bar.last();
            if (end.y == r.y - 1 && qAbs(end.first - r.first) <= slack &&
                qAbs(end.last - r.last) <= slack) {
                bar.append(r);
                joined = true;
                break;
            }
        }
        if (!joined) bars.append({r});
    }
    return bars;
}

// The ink along row `y` from `first` to `last` and a little beyond, relative to the ink at its
// middle, so that the grey pixels of the ends count for the part of them that is covered.
double inkLength(const QImage& page, int y, int first, int last) {
    const uchar* row = page.constScanLine(y);
    const double full = 255.0 - row[(first + last) / 2];
    double length = 0;
    for (int x = std::max(0, first - 2); x <= std::min(page.width() - 1, last + 2); ++x)
        length += std::min(1.0, (255.0 - row[x]) / full);
    return length;
}

}  // namespace

QSizeF pdfPageSize(const QString& path) {
    QXmlStreamReader xml(bboxPage(path));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("page")) {
            const QXmlStreamAttributes a = xml.attributes();
            return QSizeF(a.value(QLatin1String("width")).toDouble(),
                          a.value(QLatin1String("height")).toDouble());
        }
    }
    return QSizeF();
}

double scaleBarLength(const QString& pdf, int dpi, double lengthMm, double thicknessMm,
                      QImage* seen) {
    QImageReader::setAllocationLimit(kPageMegabytes);
    const QImage page = pdfImage(pdf, dpi).convertToFormat(QImage::Format_Grayscale8);
    if (page.isNull()) return -1;
    const double px = dpi / kMmPerInch;
    QList<Run> runs;
    for (int y = 0; y < page.height(); ++y)
        runsOf(page, y, qRound(lengthMm * 0.9 * px), qRound(lengthMm * 1.1 * px), runs);
    QList<QList<Run>> bars;
    for (const QList<Run>& bar : barsOf(runs, qRound(0.2 * px))) {
        const double thick = bar.size() / px;
        if (thick >= thicknessMm * 0.8 && thick <= thicknessMm * 1.2) bars.append(bar);
    }
    if (bars.size() != 1) return -1;
    const Run& middle = bars.first().at(bars.first().size() / 2);
    if (seen) {
        const int margin = qRound(5 * px);
        *seen = page.copy(QRect(QPoint(middle.first, middle.y), QPoint(middle.last, middle.y))
                              .adjusted(-margin, -margin, margin, margin));
    }
    return inkLength(page, middle.y, middle.first, middle.last);
}

QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace testsupport
