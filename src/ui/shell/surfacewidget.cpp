#include "ui/shell/surfacewidget.h"

#include <QPaintEvent>
#include <QPainter>

SurfaceWidget::SurfaceWidget(QWidget* parent) : QWidget(parent), surface_(new DrawSurface(this)) {
    attach();
}

SurfaceWidget::SurfaceWidget(DrawSurface* surface, QWidget* parent)
    : QWidget(parent), surface_(surface) {
    attach();
}

void SurfaceWidget::attach() {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The surface measures in the widget's size, even while the widget is hidden and has not
    // had its resize event yet.
    surface_->setClientSizeSource([this] { return QSizeF(size()); });
    connect(surface_, &DrawSurface::changed, this, &SurfaceWidget::surfaceChanged);
    surfaceChanged();
}

void SurfaceWidget::surfaceChanged() {
    setAccessibleDescription(surface_->textLines().join(QLatin1Char('\n')));
    update();
}

void SurfaceWidget::setBackColor(const QColor& colour) {
    backColor_ = colour;
    update();
}

QSize SurfaceWidget::sizeHint() const {
    return kDrawingPixels;
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (paintBackground_) painter.fillRect(event->rect(), backColor_);
    surface_->paint(painter, QRectF(rect()));
}

SurfaceWidget::~SurfaceWidget() {
    // A surface owned elsewhere keeps the last size it was shown at.
    if (surface_->parent() != this) surface_->setClientSize(size());
}

void SurfaceWidget::paintPage(QPainter& painter, const QRectF& target, bool withBackground) {
    if (width() <= 0 || height() <= 0) return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / width(), target.height() / height());
    paintBackground_ = withBackground;
    render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    paintBackground_ = true;
    painter.restore();
}
