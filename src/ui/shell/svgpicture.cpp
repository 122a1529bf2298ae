#include "ui/shell/svgpicture.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <array>

// The pictures are compiled into the windows' static library: registered before first use.
static void registerResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

// A plain picture is announced as a graphic, not as an anonymous client area.
QAccessibleInterface* pictureAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("SvgPicture") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

void installAccessibleFactory() {
    static const bool installed = (QAccessible::installFactory(pictureAccessible), true);
    Q_UNUSED(installed);
}

// The tooltip is the picture's name: kept in step each time it changes.
void nameAfterToolTip(QWidget* w, QEvent* event) {
    if (event->type() == QEvent::ToolTipChange) w->setAccessibleName(w->toolTip());
}

struct LengthUnit {
    const char* name;
    double mm;
};
// Units of length that fix a size on paper; a pixel's size depends on the screen.
constexpr std::array<LengthUnit, 5> kPhysicalUnits{
    {{"mm", 1.0}, {"cm", 10.0}, {"in", 25.4}, {"pt", 25.4 / 72}, {"pc", 25.4 / 6}}};

// The width and height of the drawing's root element, read from the file itself: the renderer
// turns physical units into pixels at a resolution of its own.
std::optional<QSizeF> readSizeMm(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd() && !xml.isStartElement()) xml.readNext();
    if (!xml.isStartElement() || xml.name() != QLatin1String("svg")) return std::nullopt;
    const auto width = svgLengthMm(xml.attributes().value(QLatin1String("width")));
    const auto height = svgLengthMm(xml.attributes().value(QLatin1String("height")));
    if (!width || !height) return std::nullopt;
    return QSizeF(*width, *height);
}

}  // namespace

std::optional<double> svgLengthMm(QStringView length) {
    const QStringView trimmed = length.trimmed();
    for (const LengthUnit& unit : kPhysicalUnits) {
        if (!trimmed.endsWith(QLatin1String(unit.name))) continue;
        bool ok = false;
        const double value = trimmed.chopped(2).trimmed().toDouble(&ok);
        if (!ok || !(value > 0)) return std::nullopt;
        return value * unit.mm;
    }
    return std::nullopt;
}

SvgDrawing::SvgDrawing(const QString& resource) {
    setResource(resource);
}

SvgDrawing::~SvgDrawing() {
    delete renderer_;
}

void SvgDrawing::setResource(const QString& resource) {
    registerResources();
    delete renderer_;
    resource_ = resource;
    renderer_ = new QSvgRenderer(resource);
    renderer_->setAspectRatioMode(Qt::KeepAspectRatio);
    sizeMm_ = resource.isEmpty() ? std::nullopt : readSizeMm(resource);
}

bool SvgDrawing::isValid() const {
    return renderer_->isValid();
}

QSizeF SvgDrawing::naturalSize() const {
    const QRectF box = renderer_->viewBoxF();
    return box.isEmpty() ? QSizeF(renderer_->defaultSize()) : box.size();
}

QRectF SvgDrawing::placement(const QRectF& area) const {
    const QSizeF natural = naturalSize();
    if (natural.isEmpty() || area.isEmpty()) return QRectF();
    const QSizeF fitted = natural.scaled(area.size(), Qt::KeepAspectRatio);
    const QPointF corner(area.left() + (area.width() - fitted.width()) / 2,
                         area.top() + (area.height() - fitted.height()) / 2);
    return QRectF(corner, fitted);
}

void SvgDrawing::paint(QPainter& painter, const QRectF& area) const {
    const QRectF target = placement(area);
    if (!isValid() || target.isEmpty()) return;
    // A text of the drawing takes what its attributes leave unsaid (its weight, its slant) from
    // the painter: a plain font, not the one the page drew its title with.
    painter.save();
    painter.setFont(QFont());
    renderer_->render(&painter, target);
    painter.restore();
}

SvgPicture::SvgPicture(const QString& resource, QWidget* parent)
    : QWidget(parent), drawing_(resource) {
    installAccessibleFactory();
}

void SvgPicture::setResource(const QString& resource) {
    drawing_.setResource(resource);
    update();
}

bool SvgPicture::event(QEvent* event) {
    nameAfterToolTip(this, event);
    return QWidget::event(event);
}

void SvgPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawing_.paint(painter, QRectF(rect()));
}

SvgButton::SvgButton(const QString& resource, QWidget* parent)
    : QAbstractButton(parent), drawing_(resource) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void SvgButton::setResource(const QString& resource) {
    drawing_.setResource(resource);
    update();
}

bool SvgButton::event(QEvent* event) {
    nameAfterToolTip(this, event);
    return QAbstractButton::event(event);
}

void SvgButton::keyPressEvent(QKeyEvent* event) {
    // Enter presses a focused button here as Space does, as in the rest of the program.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void SvgButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    if (isDown()) painter.translate(1, 1);
    drawing_.paint(painter, area);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
