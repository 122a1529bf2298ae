#pragma once
// Printing a window's page: the client area of a window, as drawn and with its controls, on one
// sheet of the default printer, at once and without a print dialog, so that a printout never
// leaves a classroom waiting on a question. A computer without a default printer, or a printer
// that cannot be used, gets the page as a PDF file in a folder instead. The page is painted in
// vector form, so its texts stay texts on paper and in the file.
//
//     const pageprinter::Result r = pageprinter::printPage(fprint, state.workDir);
//
// A drawing made to be laid on copper goes on paper at its own size instead: a page of one SVG
// drawing under a title line, millimetre for millimetre, which is printed only if it fits.

#include <QDateTime>
#include <QDir>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <optional>

class SurfaceWidget;

namespace pageprinter {

// TooLarge: a drawing at true size that the paper cannot hold; nothing was printed, rather than
// a drawing at a scale that would no longer fit its components.
enum class Outcome { Printed, WrittenToFile, TooLarge, Failed };

struct Result {
    Outcome outcome = Outcome::Failed;
    QString printer;  // the printer used, when printed
    QString file;     // the PDF written, when written to a file
    QString reason;   // why the printer was not used, or why nothing was made
};

// How a drawing goes on paper: as large as the page allows, or at the size its SVG gives in
// millimetres (a layout for making a board, whose film must match the components).
enum class Scale { FitToPage, TrueSize };

// A page of one drawing under a title line.
struct DrawingPage {
    QString title;     // at the top left of the printable area; none when empty
    QString resource;  // the SVG; at true size its width and height must be lengths (mm...)
    Scale scale = Scale::FitToPage;
};

// Where the title line and the drawing go, in millimetres from the printable area's top left.
struct DrawingLayout {
    QRectF title;    // empty without a title
    QRectF drawing;  // empty when the drawing does not fit at true size
};

// The layout of `page` in a printable area of `areaMm`, under a title line `titleMm` high:
// the drawing centred across under the title; at true size, at `drawingMm` or not at all;
// fitted, as large as the room left allows with its proportions.
DrawingLayout layOut(const DrawingPage& page, const QSizeF& drawingMm, const QSizeF& areaMm,
                     double titleMm);

// Where a page of size `page` goes in a printable area of size `area`: as large as fits with its
// proportions kept, at the area's top-left corner. Empty when either size is empty.
QRectF placement(const QSizeF& page, const QSizeF& area);

// A path in `folder` for a page made at `when`, named after the date and time; a number follows
// the time when a file of that name exists already, so that no earlier page is overwritten.
QString fallbackFile(const QDir& folder, const QDateTime& when);

// Prints `page` on the default printer or, failing that, writes it into `fallbackFolder` under a
// name made from `when`. Never shows a dialog.
Result printPage(SurfaceWidget& page, const QString& fallbackFolder,
                 const QDateTime& when = QDateTime::currentDateTime());

// Writes `page` as a one-page PDF file at `path`.
Result writePdf(SurfaceWidget& page, const QString& path);

// The same for a page of one drawing. A drawing at true size goes on a page turned sideways when
// it fits only that way, and is not printed (TooLarge, with the sizes in the reason) when it
// does not fit either way. The PDF is on `paper`, A4 unless told otherwise.
Result printDrawing(const DrawingPage& page, const QString& fallbackFolder,
                    const QDateTime& when = QDateTime::currentDateTime());
Result writeDrawingPdf(const DrawingPage& page, const QString& path,
                       const QPageSize& paper = QPageSize(QPageSize::A4));

}  // namespace pageprinter
