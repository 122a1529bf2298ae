#pragma once
// Reading printed pages back in tests: a PDF's text as pdftotext gives it, its first page as a
// picture, and where its ink is.

#include <QImage>
#include <QList>
#include <QRect>
#include <QRectF>
#include <QString>

namespace testsupport {

// True when pdftotext and pdftoppm (Debian's poppler-utils) are installed.
bool havePoppler();
// The text of a PDF, with its layout flattened to single spaces.
QString pdfText(const QString& path);
// The first page of a PDF rendered in grey, at 50 dots per inch unless told otherwise; only the
// part `crop` (in pixels at that resolution) when one is given.
QImage pdfImage(const QString& path, int dpi = 50, const QRect& crop = QRect());
// The first page's size in points.
QSizeF pdfPageSize(const QString& path);
// A drawing's scale bar on the first page of a PDF rendered at `dpi`: a dark horizontal bar
// `thicknessMm` thick (within a fifth) and about `lengthMm` long (within a tenth), found in the
// rendering alone. Its length in pixels, read along its middle row with its grey ends counted by
// their share of ink; negative unless exactly one such bar is there. `seen` gets the bar with
// some of the page around it.
double scaleBarLength(const QString& pdf, int dpi, double lengthMm, double thicknessMm,
                      QImage* seen = nullptr);

// The bounding box of the non-white pixels.
QRect inkBox(const QImage& image);

}  // namespace testsupport
