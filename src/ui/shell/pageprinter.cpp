#include "ui/shell/pageprinter.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>

#include "ui/shell/surfacewidget.h"

namespace pageprinter {

namespace {

const QString kFilePrefix = QStringLiteral("Serlinq-");
const QString kFileSuffix = QStringLiteral(".pdf");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd-HH'h'mm'm'ss");
const QString kDocumentName = QStringLiteral("Serlinq");
// Beyond this many pages made in the same second, the last name is reused.
constexpr int kMaxSameSecond = 1000;

// The page as drawing commands. Widgets render onto a printer through a bitmap, which would
// turn the texts into pixels; recorded first, they reach the printer as texts and lines.
QPicture record(SurfaceWidget& page) {
    QPicture picture;
    QPainter painter(&picture);
    page.paintPage(painter, QRectF(QPointF(0, 0), QSizeF(page.size())), false);
    painter.end();
    return picture;
}

void drawScaled(QPainter& painter, const QPicture& picture, const QSizeF& from, const QRectF& to) {
    painter.save();
    painter.translate(to.topLeft());
    painter.scale(to.width() / from.width(), to.height() / from.height());
    painter.drawPicture(QPointF(0, 0), picture);
    painter.restore();
}

bool printerFailed(const QPrinter& printer) {
    return printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted;
}

// Paints the page at the top left of the printable area; false, with the reason, when the
// printer cannot be used.
bool paintOn(QPrinter& printer, SurfaceWidget& page, QString* reason) {
    const QPicture picture = record(page);
    // At the resolution the page was recorded at, the texts keep their size; vector output
    // loses nothing by it.
    printer.setResolution(picture.logicalDpiY());
    QPainter painter;
    if (!painter.begin(&printer)) {
        *reason = QStringLiteral("the printer cannot be opened");
        return false;
    }
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF target = placement(QSizeF(page.size()), QSizeF(area.size()));
    if (!target.isEmpty()) drawScaled(painter, picture, QSizeF(page.size()), target);
    const bool ended = painter.end();
    if (!ended || printerFailed(printer)) {
        *reason = QStringLiteral("the printer reported an error");
        return false;
    }
    return true;
}

// The default printer, or the reason why there is none to use.
QPrinterInfo usablePrinter(QString* reason) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        *reason = QStringLiteral("no default printer");
    } else if (info.state() == QPrinter::Error) {
        *reason = QStringLiteral("printer %1 is in error").arg(info.printerName());
        return QPrinterInfo();
    }
    return info;
}

}  // namespace

QRectF placement(const QSizeF& page, const QSizeF& area) {
    if (page.isEmpty() || area.isEmpty()) return QRectF();
    return QRectF(QPointF(0, 0), page.scaled(area, Qt::KeepAspectRatio));
}

QString fallbackFile(const QDir& folder, const QDateTime& when) {
    const QString stem = kFilePrefix + when.toString(kTimeFormat);
    QString path = folder.filePath(stem + kFileSuffix);
    for (int n = 2; QFileInfo::exists(path) && n <= kMaxSameSecond; ++n) {
        path = folder.filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(kFileSuffix));
    }
    return path;
}

Result writePdf(SurfaceWidget& page, const QString& path) {
    Result result;
    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    pdf.setDocName(kDocumentName);
    // The paper of the classrooms, whatever the computer's locale says.
    pdf.setPageSize(QPageSize(QPageSize::A4));
    if (paintOn(pdf, page, &result.reason) && QFileInfo(path).size() > 0) {
        result.outcome = Outcome::WrittenToFile;
        result.file = path;
    } else {
        result.reason = QStringLiteral("%1 could not be written").arg(path);
    }
    return result;
}

Result printPage(SurfaceWidget& page, const QString& fallbackFolder, const QDateTime& when) {
    QString reason;
    const QPrinterInfo info = usablePrinter(&reason);
    if (!info.isNull()) {
        QPrinter printer(info);
        printer.setDocName(kDocumentName);
        if (paintOn(printer, page, &reason)) {
            Result printed;
            printed.outcome = Outcome::Printed;
            printed.printer = info.printerName();
            return printed;
        }
    }
    Result written = writePdf(page, fallbackFile(QDir(fallbackFolder), when));
    written.reason = written.outcome == Outcome::WrittenToFile
                         ? reason
                         : QStringLiteral("%1; %2").arg(reason, written.reason);
    return written;
}

}  // namespace pageprinter
