#include "ui/shell/pageprinter.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <functional>

#include "ui/shell/surfacewidget.h"
#include "ui/shell/svgpicture.h"

namespace pageprinter {

namespace {

const QString kFilePrefix = QStringLiteral("Serlinq-");
const QString kFileSuffix = QStringLiteral(".pdf");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd-HH'h'mm'm'ss");
const QString kDocumentName = QStringLiteral("Serlinq");
// Beyond this many pages made in the same second, the last name is reused.
constexpr int kMaxSameSecond = 1000;

// A drawing's page: device units fine enough for a tenth of a track's width, the title line in
// the sans serif of the drawings, a gap under it, and margins on the PDF that every printer can
// print within when the file is printed elsewhere at its actual size.
constexpr int kDrawingDpi = 1200;
constexpr double kMmPerInch = 25.4;
constexpr double kTitleGapMm = 4.0;
constexpr double kTitlePoints = 12.0;
const QString kTitleFamily = QStringLiteral("DejaVu Sans");
constexpr double kPdfMarginMm = 10.0;
// Sizes compared on paper: a hundredth of a millimetre is below any printer's step.
constexpr double kFitToleranceMm = 0.01;

enum class Painted { Done, TooLarge, Failed };

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

QFont titleFont() {
    QFont font(kTitleFamily);
    font.setPointSizeF(kTitlePoints);
    font.setBold(true);
    return font;
}

double mmToDevice(double mm, const QPrinter& printer) {
    return mm * printer.resolution() / kMmPerInch;
}

QRectF mmToDevice(const QRectF& mm, const QPrinter& printer) {
    return QRectF(mmToDevice(mm.x(), printer), mmToDevice(mm.y(), printer),
                  mmToDevice(mm.width(), printer), mmToDevice(mm.height(), printer));
}

// The drawing's layout on the printer's paper. A fitted drawing takes the paper the way it is
// itself, wide or tall; a drawing at true size goes upright, or sideways when only that way
// holds it.
DrawingLayout layOutOn(QPrinter& printer, const DrawingPage& page, const QSizeF& drawingMm) {
    const double titleMm =
        QFontMetricsF(titleFont(), &printer).height() * kMmPerInch / printer.resolution();
    const bool wide = drawingMm.width() > drawingMm.height();
    QList<QPageLayout::Orientation> tries{QPageLayout::Portrait, QPageLayout::Landscape};
    if (page.scale == Scale::FitToPage) tries = {wide ? tries.last() : tries.first()};
    DrawingLayout layout;
    for (const QPageLayout::Orientation orientation : tries) {
        printer.setPageOrientation(orientation);
        const QSizeF area = printer.pageLayout().paintRect(QPageLayout::Millimeter).size();
        layout = layOut(page, drawingMm, area, titleMm);
        if (!layout.drawing.isEmpty()) break;
    }
    return layout;
}

QString tooLargeReason(const QPrinter& printer, const QSizeF& drawingMm) {
    const QSizeF area = printer.pageLayout().paintRect(QPageLayout::Millimeter).size();
    return QStringLiteral(
               "the drawing (%1 x %2 mm) does not fit the printable area (%3 x %4 mm) "
               "at its true size")
        .arg(drawingMm.width(), 0, 'f', 1)
        .arg(drawingMm.height(), 0, 'f', 1)
        .arg(area.width(), 0, 'f', 1)
        .arg(area.height(), 0, 'f', 1);
}

Painted paintDrawingOn(QPrinter& printer, const DrawingPage& page, QString* reason) {
    const SvgDrawing drawing(page.resource);
    const std::optional<QSizeF> sizeMm = drawing.sizeMm();
    if (!drawing.isValid() || (page.scale == Scale::TrueSize && !sizeMm)) {
        *reason = QStringLiteral("%1 is not a drawing of a known size").arg(page.resource);
        return Painted::Failed;
    }
    printer.setResolution(kDrawingDpi);
    const QSizeF drawingMm = page.scale == Scale::TrueSize ? *sizeMm : drawing.naturalSize();
    const DrawingLayout layout = layOutOn(printer, page, drawingMm);
    if (layout.drawing.isEmpty()) {
        *reason = tooLargeReason(printer, drawingMm);
        return Painted::TooLarge;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        *reason = QStringLiteral("the printer cannot be opened");
        return Painted::Failed;
    }
    if (!page.title.isEmpty()) {
        painter.setFont(titleFont());
        painter.setPen(Qt::black);
        painter.drawText(mmToDevice(layout.title, printer), Qt::AlignLeft | Qt::AlignTop,
                         page.title);
    }
    drawing.paint(painter, mmToDevice(layout.drawing, printer));
    if (!painter.end() || printerFailed(printer)) {
        *reason = QStringLiteral("the printer reported an error");
        return Painted::Failed;
    }
    return Painted::Done;
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

namespace {

using PaintPage = std::function<Painted(QPrinter&, QString*)>;

Result writePdfWith(const PaintPage& paint, const QString& path, const QPageSize& paper,
                    bool withMargins) {
    Result result;
    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    pdf.setDocName(kDocumentName);
    pdf.setPageSize(paper);
    if (withMargins) {
        const double m = kPdfMarginMm;
        pdf.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
    }
    const Painted painted = paint(pdf, &result.reason);
    if (painted == Painted::Done && QFileInfo(path).size() > 0) {
        result.outcome = Outcome::WrittenToFile;
        result.file = path;
    } else if (painted == Painted::TooLarge) {
        result.outcome = Outcome::TooLarge;
        QFile::remove(path);
    } else {
        result.reason = QStringLiteral("%1 could not be written").arg(path);
    }
    return result;
}

Result printWith(const PaintPage& paint, const QString& fallbackFolder, const QDateTime& when,
                 bool withMargins) {
    QString reason;
    const QPrinterInfo info = usablePrinter(&reason);
    if (!info.isNull()) {
        QPrinter printer(info);
        printer.setDocName(kDocumentName);
        // The paper the printer holds, not the one the computer's locale would choose.
        if (info.defaultPageSize().isValid()) printer.setPageSize(info.defaultPageSize());
        const Painted painted = paint(printer, &reason);
        if (painted != Painted::Failed) {
            Result result;
            result.outcome = painted == Painted::Done ? Outcome::Printed : Outcome::TooLarge;
            result.printer = info.printerName();
            result.reason = painted == Painted::Done ? QString() : reason;
            return result;
        }
    }
    // The classrooms' paper, whatever the computer's locale says.
    Result written = writePdfWith(paint, fallbackFile(QDir(fallbackFolder), when),
                                  QPageSize(QPageSize::A4), withMargins);
    written.reason = written.outcome == Outcome::WrittenToFile
                         ? reason
                         : QStringLiteral("%1; %2").arg(reason, written.reason);
    return written;
}

PaintPage windowPage(SurfaceWidget& page) {
    return [&page](QPrinter& printer, QString* reason) {
        return paintOn(printer, page, reason) ? Painted::Done : Painted::Failed;
    };
}

PaintPage drawingPage(const DrawingPage& page) {
    return [&page](QPrinter& printer, QString* reason) {
        return paintDrawingOn(printer, page, reason);
    };
}

}  // namespace

DrawingLayout layOut(const DrawingPage& page, const QSizeF& drawingMm, const QSizeF& areaMm,
                     double titleMm) {
    DrawingLayout layout;
    double top = 0;
    if (!page.title.isEmpty()) {
        layout.title = QRectF(0, 0, areaMm.width(), titleMm);
        top = titleMm + kTitleGapMm;
    }
    const QSizeF room(areaMm.width(), areaMm.height() - top);
    if (room.isEmpty() || drawingMm.isEmpty()) return layout;
    const QSizeF size =
        page.scale == Scale::TrueSize ? drawingMm : drawingMm.scaled(room, Qt::KeepAspectRatio);
    if (size.width() > room.width() + kFitToleranceMm ||
        size.height() > room.height() + kFitToleranceMm)
        return layout;
    layout.drawing = QRectF(QPointF((areaMm.width() - size.width()) / 2, top), size);
    return layout;
}

Result writePdf(SurfaceWidget& page, const QString& path) {
    return writePdfWith(windowPage(page), path, QPageSize(QPageSize::A4), false);
}

Result printPage(SurfaceWidget& page, const QString& fallbackFolder, const QDateTime& when) {
    return printWith(windowPage(page), fallbackFolder, when, false);
}

Result writeDrawingPdf(const DrawingPage& page, const QString& path, const QPageSize& paper) {
    return writePdfWith(drawingPage(page), path, paper, true);
}

Result printDrawing(const DrawingPage& page, const QString& fallbackFolder, const QDateTime& when) {
    return printWith(drawingPage(page), fallbackFolder, when, true);
}

}  // namespace pageprinter
