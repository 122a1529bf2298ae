#pragma once
// Pictures drawn from their SVG resource each time they are painted, so that they stay sharp at
// any size and reach a printer or a PDF as lines and texts, not as a bitmap. The drawing keeps
// its proportions, centred in the control. A picture is named for assistive technologies by its
// tooltip, whatever the tooltip becomes; a picture that acts as a button is a real button,
// reached with Tab and pressed with Space or Enter.

#include <QAbstractButton>
#include <QSizeF>
#include <QString>
#include <QStringView>
#include <QWidget>
#include <optional>

class QPainter;
class QSvgRenderer;

// The drawing of an SVG resource into a rectangle, proportions kept, centred.
class SvgDrawing {
public:
    explicit SvgDrawing(const QString& resource = QString());
    ~SvgDrawing();
    SvgDrawing(const SvgDrawing&) = delete;
    SvgDrawing& operator=(const SvgDrawing&) = delete;

    void setResource(const QString& resource);
    const QString& resource() const { return resource_; }
    // Whether the resource exists and is a drawing.
    bool isValid() const;
    // The drawing's own size, from its width and height (or view box).
    QSizeF naturalSize() const;
    // The drawing's size on paper in millimetres, when its width and height are given in units
    // of length (mm, cm, in, pt, pc); none for a drawing sized in pixels or not at all.
    std::optional<QSizeF> sizeMm() const { return sizeMm_; }
    // Where the drawing goes in `area`: as large as fits, proportions kept, centred.
    QRectF placement(const QRectF& area) const;
    void paint(QPainter& painter, const QRectF& area) const;

private:
    QString resource_;
    QSvgRenderer* renderer_ = nullptr;
    std::optional<QSizeF> sizeMm_;
};

// A length of SVG ("50mm", "2.5cm", "1in") in millimetres; none for a length in pixels, in
// percent, without a unit, or that is not a positive number.
std::optional<double> svgLengthMm(QStringView length);

class SvgPicture : public QWidget {
    Q_OBJECT
public:
    explicit SvgPicture(const QString& resource, QWidget* parent = nullptr);

    void setResource(const QString& resource);
    QString resource() const { return drawing_.resource(); }
    const SvgDrawing& drawing() const { return drawing_; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    SvgDrawing drawing_;
};

class SvgButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit SvgButton(const QString& resource, QWidget* parent = nullptr);

    void setResource(const QString& resource);
    QString resource() const { return drawing_.resource(); }
    const SvgDrawing& drawing() const { return drawing_; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    SvgDrawing drawing_;
};
