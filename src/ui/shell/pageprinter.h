#pragma once
// Printing a window's page: the client area of a window, as drawn and with its controls, on one
// sheet of the default printer, at once and without a print dialog, so that a printout never
// leaves a classroom waiting on a question. A computer without a default printer, or a printer
// that cannot be used, gets the page as a PDF file in a folder instead. The page is painted in
// vector form, so its texts stay texts on paper and in the file.
//
//     const pageprinter::Result r = pageprinter::printPage(fprint, state.workDir);

#include <QDateTime>
#include <QDir>
#include <QRectF>
#include <QSizeF>
#include <QString>

class SurfaceWidget;

namespace pageprinter {

enum class Outcome { Printed, WrittenToFile, Failed };

struct Result {
    Outcome outcome = Outcome::Failed;
    QString printer;  // the printer used, when printed
    QString file;     // the PDF written, when written to a file
    QString reason;   // why the printer was not used, or why nothing was made
};

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

}  // namespace pageprinter
