#pragma once
// Reading printed pages back in tests: a PDF's text as pdftotext gives it, its first page as a
// picture, and where its ink is.

#include <QImage>
#include <QRect>
#include <QString>

namespace testsupport {

// True when pdftotext and pdftoppm (Debian's poppler-utils) are installed.
bool havePoppler();
// The text of a PDF, with its layout flattened to single spaces.
QString pdfText(const QString& path);
// The first page of a PDF rendered in grey at 50 dots per inch.
QImage pdfImage(const QString& path);
// The bounding box of the non-white pixels.
QRect inkBox(const QImage& image);

}  // namespace testsupport
