#pragma once
// The drawing surface of a window, shown as the window's background: the texts and lines the
// window draws, on light grey unless told otherwise. The window's controls are put on top of it
// as children. Screen readers get the window's name for the drawing and, as its description,
// the texts printed on it line by line.

#include <QColor>
#include <QWidget>

#include "core/drawsurface.h"

class QPainter;

class SurfaceWidget : public QWidget {
    Q_OBJECT
public:
    // With its own surface.
    explicit SurfaceWidget(QWidget* parent = nullptr);
    // Showing a surface that someone else owns and that outlives the widget.
    explicit SurfaceWidget(DrawSurface* surface, QWidget* parent = nullptr);
    ~SurfaceWidget() override;

    DrawSurface& surface() { return *surface_; }
    const DrawSurface& surface() const { return *surface_; }

    // The background colour, RGB(192, 192, 192) by default.
    QColor BackColor() const { return backColor_; }
    void setBackColor(const QColor& colour);

    // Paints the client area as it looks, its controls included, scaled into `target` of the
    // painter's device (a printer page, an image). The background is painted when asked: paper
    // usually stays white.
    void paintPage(QPainter& painter, const QRectF& target, bool withBackground);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void attach();
    void surfaceChanged();

    DrawSurface* surface_ = nullptr;
    QColor backColor_{192, 192, 192};
    bool paintBackground_ = true;
};
