#include "support/pdfpages.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

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

QImage pdfImage(const QString& path) {
    QTemporaryDir scratch;
    const QString stem = QDir(scratch.path()).filePath(QStringLiteral("render"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-gray"),
             QStringLiteral("-singlefile"), path, stem});
    if (!p.waitForFinished(20000) || p.exitCode() != 0) return QImage();
    return QImage(stem + QStringLiteral(".pgm"));
}

QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace testsupport
