// Renders an SVG picture as square PNG files, one per size, for the desktop's icon theme:
//   serlinq-iconpng PICTURE.svg OUTPUT_FOLDER SIZE...
// writes OUTPUT_FOLDER/SIZExSIZE.png for each size. Used by the build, never installed.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

constexpr int kSmallest = 8;
constexpr int kLargest = 1024;

int fail(const QString& why) {
    std::fprintf(stderr, "serlinq-iconpng: %s\n", qPrintable(why));
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    // A build step has no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 4) return fail(QStringLiteral("usage: PICTURE.svg OUTPUT_FOLDER SIZE..."));
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) return fail(args[1] + QStringLiteral(": not a readable SVG picture"));
    const QDir out(args[2]);
    if (!out.mkpath(QStringLiteral("."))) return fail(args[2] + QStringLiteral(": cannot create"));
    for (int i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size < kSmallest || size > kLargest)
            return fail(args[i] + QStringLiteral(": not a size in pixels"));
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString file = out.filePath(QStringLiteral("%1x%1.png").arg(size));
        if (!image.save(file, "PNG")) return fail(file + QStringLiteral(": cannot write"));
    }
    return 0;
}
