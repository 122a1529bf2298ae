#include "core/drawsurface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QRegularExpression>
#include <cmath>

namespace {

constexpr double kTwipsPerPixel = 15;
constexpr int kZoneColumns = 14;

// The average character width of a font, as the classic systems define it: the advances of the
// lower-case letters and the space weighted by how often they occur in English text (weights in
// thousandths). Newer font files carry an average taken over every glyph instead, which is much
// wider, so it is computed here rather than read from the font.
double averageCharWidthPx(const QFont& font) {
    static constexpr struct {
        char ch;
        int weight;
    } kWeights[] = {{'a', 64}, {'b', 14}, {'c', 27}, {'d', 35}, {'e', 100}, {'f', 20}, {'g', 14},
                    {'h', 42}, {'i', 63}, {'j', 3},  {'k', 6},  {'l', 35},  {'m', 20}, {'n', 56},
                    {'o', 56}, {'p', 17}, {'q', 4},  {'r', 49}, {'s', 56},  {'t', 71}, {'u', 31},
                    {'v', 10}, {'w', 18}, {'x', 3},  {'y', 18}, {'z', 2},   {' ', 166}};
    const QFontMetricsF m(font);
    double sum = 0;
    for (const auto& w : kWeights) sum += m.horizontalAdvance(QChar(w.ch)) * w.weight;
    return sum / 1000.0;
}

// Ascent and descent rounded up to whole pixels, so that successive lines sit on whole pixels.
double ascentPx(const QFont& font) {
    return std::ceil(QFontMetricsF(font).ascent());
}
double lineHeightPx(const QFont& font) {
    const QFontMetricsF m(font);
    return std::ceil(m.ascent()) + std::ceil(m.descent());
}

}  // namespace

QFont DrawSurface::formFont() {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    // Horizontal advances stay those of the font's design on every screen and printer, so that
    // texts placed one after the other keep their positions.
    f.setHintingPreference(QFont::PreferVerticalHinting);
    return f;
}

DrawSurface::DrawSurface(QObject* parent) : QObject(parent) {}

void DrawSurface::Cls() {
    items_.clear();
    CurrentX = 0;
    CurrentY = 0;
    emit changed();
}

void DrawSurface::newLine() {
    CurrentX = 0;
    CurrentY += lineHeight();
}

void DrawSurface::addText(const QString& text) {
    static const QRegularExpression kBreaks(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = text.split(kBreaks);
    for (qsizetype l = 0; l < lines.size(); ++l) {
        if (l > 0) newLine();
        const QStringList pieces = lines[l].split(QLatin1Char('\t'));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0) NextZone();
            const QString& piece = pieces[i];
            if (piece.isEmpty()) continue;
            DrawItem item;
            item.kind = DrawItem::Kind::Text;
            item.p1 = item.p2 = QPointF(CurrentX, CurrentY);
            item.extent = QSizeF(textWidth(piece), lineHeight());
            item.text = piece;
            item.color = ForeColor;
            item.font = Font;
            item.width = DrawWidth;
            item.pix1 = item.pix2 =
                QPointF(CurrentX / unitsPerPixelX(), CurrentY / unitsPerPixelY());
            items_.append(item);
            CurrentX += item.extent.width();
        }
    }
}

void DrawSurface::Print(const QString& text, PrintEnd end) {
    addText(text);
    switch (end) {
        case PrintEnd::NewLine:
            newLine();
            break;
        case PrintEnd::SameLine:
            break;
        case PrintEnd::NextZone:
            NextZone();
            break;
    }
    if (!text.isEmpty()) emit changed();
}

void DrawSurface::PrintZones(const QStringList& items, PrintEnd end) {
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0) NextZone();
        addText(items[i]);
    }
    Print(QString(), end);
    emit changed();
}

void DrawSurface::NextZone() {
    CurrentX = nextZoneX(CurrentX);
}

void DrawSurface::Line(double x1, double y1, double x2, double y2, const QColor& color,
                       LineStyle style) {
    DrawItem item;
    item.kind = DrawItem::Kind::Line;
    item.p1 = QPointF(x1, y1);
    item.p2 = QPointF(x2, y2);
    item.color = color;
    item.dotted = style == LineStyle::Dotted;
    item.width = DrawWidth;
    item.pix1 = QPointF(x1 / unitsPerPixelX(), y1 / unitsPerPixelY());
    item.pix2 = QPointF(x2 / unitsPerPixelX(), y2 / unitsPerPixelY());
    items_.append(item);
    CurrentX = x2;
    CurrentY = y2;
    emit changed();
}

void DrawSurface::setClientSize(const QSizeF& pixels) {
    clientSource_ = nullptr;
    clientPx_ = pixels;
}

void DrawSurface::setClientSizeSource(std::function<QSizeF()> source) {
    clientSource_ = std::move(source);
}

QSizeF DrawSurface::clientSize() const {
    return clientSource_ ? clientSource_() : clientPx_;
}

void DrawSurface::setScaleMode(ScaleMode mode) {
    if (mode == ScaleMode::User) {
        setScale(userScale_.width(), userScale_.height());
        return;
    }
    mode_ = mode;
}

void DrawSurface::setScale(double unitsAcross, double unitsDown) {
    mode_ = ScaleMode::User;
    userScale_ = QSizeF(unitsAcross, unitsDown);
}

double DrawSurface::unitsPerPixel(double userUnits, double pixels) const {
    switch (mode_) {
        case ScaleMode::Pixel:
            return 1;
        case ScaleMode::Twip:
            return kTwipsPerPixel;
        case ScaleMode::User:
            break;
    }
    return pixels > 0 ? userUnits / pixels : 1;
}

double DrawSurface::unitsPerPixelX() const {
    return unitsPerPixel(userScale_.width(), clientSize().width());
}

double DrawSurface::unitsPerPixelY() const {
    return unitsPerPixel(userScale_.height(), clientSize().height());
}

double DrawSurface::ScaleWidth() const {
    return clientSize().width() * unitsPerPixelX();
}
double DrawSurface::ScaleHeight() const {
    return clientSize().height() * unitsPerPixelY();
}

double DrawSurface::textWidth(const QString& text) const {
    return pixelsToUnitsX(QFontMetricsF(Font).horizontalAdvance(text));
}

double DrawSurface::lineHeight() const {
    return pixelsToUnitsY(lineHeightPx(Font));
}

double DrawSurface::zoneWidth() const {
    return pixelsToUnitsX(kZoneColumns * averageCharWidthPx(Font));
}

double DrawSurface::nextZoneX(double x) const {
    const double zone = zoneWidth();
    if (zone <= 0) return x;
    // A small tolerance keeps a position computed to sit on a boundary from skipping it.
    return (std::floor(x / zone + 1e-9) + 1) * zone;
}

QStringList DrawSurface::textLines() const {
    QStringList lines;
    bool open = false;
    double rowY = 0;
    double rowEnd = 0;
    for (const DrawItem& item : items_) {
        if (item.kind != DrawItem::Kind::Text) continue;
        const bool sameRow =
            open && std::abs(item.p1.y() - rowY) < 1e-6 && item.p1.x() >= rowEnd - 1e-6;
        if (!sameRow) {
            lines.append(item.text);
            open = true;
            rowY = item.p1.y();
        } else if (std::abs(item.p1.x() - rowEnd) < 1e-6) {
            lines.last() += item.text;
        } else {
            lines.last() += QLatin1Char(' ') + item.text;
        }
        rowEnd = item.p1.x() + item.extent.width();
    }
    return lines;
}

void DrawSurface::paint(QPainter& painter, const QRectF& target) const {
    const QSizeF client = clientSize();
    if (client.isEmpty() || target.isEmpty()) return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / client.width(), target.height() / client.height());
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const DrawItem& item : items_) {
        if (item.kind == DrawItem::Kind::Line) {
            QPen pen(item.color);
            pen.setWidthF(item.width);
            pen.setCapStyle(Qt::FlatCap);
            if (item.dotted) pen.setStyle(Qt::DotLine);
            painter.setPen(pen);
            painter.drawLine(item.pix1, item.pix2);
        } else {
            painter.setFont(item.font);
            painter.setPen(item.color);
            painter.drawText(QPointF(item.pix1.x(), item.pix1.y() + ascentPx(item.font)),
                             item.text);
        }
    }
    painter.restore();
}

QImage DrawSurface::toImage(const QSize& pixels, const QColor& background) const {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    painter.end();
    return image;
}
