#pragma once
// The shapes of the guide windows, drawn over their pictures: a frame that acts as a button, the
// lines of the oscilloscope's cables, the rectangle that covers the oscilloscope's screen and the
// outlines that mark a group of wires. Positions are given in twips, as every layout.

#include <QAbstractButton>
#include <QColor>
#include <QPoint>
#include <QWidget>
#include <functional>

class QKeyEvent;

// A frame with its caption around a picture, which acts as a button: clicked anywhere, reached
// with Tab, pressed with Space or Enter, named by its caption.
class FrameButton : public QAbstractButton {
    Q_OBJECT
public:
    FrameButton(const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A straight line of a given colour between two points of its parent.
class LineShape : public QWidget {
    Q_OBJECT
public:
    // The ends in twips from the parent's top left.
    LineShape(QWidget* parent, const QString& objectName, QPoint fromTw, QPoint toTw,
              const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint from_;  // in the widget, pixels
    QPoint to_;
    QColor colour_;
};

// A rectangle over a drawing: filled (the oscilloscope's screen when it is off), or a dotted
// outline marking a group of wires, which tells what they are for in its tooltip. The outline is
// reached with Tab, which shows its tooltip, and is named by it.
class ShapeBox : public QWidget {
    Q_OBJECT
public:
    enum class Style { Filled, Outline };
    ShapeBox(QWidget* parent, const QString& objectName, Style style, const QColor& colour);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Style style_;
    QColor colour_;
};

// The colours of the signals, as the drawings give them to the wires.
namespace wirecolour {
inline const QColor kTxD{0xc0, 0x00, 0x00};
inline const QColor kRxD{0x00, 0x50, 0xc0};
inline const QColor kRts{0x00, 0x80, 0x00};
inline const QColor kGnd{0x1a, 0x1a, 0x1a};
}  // namespace wirecolour

// The width of the cables' and the outlines' lines, in pixels, as the drawings draw theirs.
inline constexpr int kShapeLineWidth = 2;

// The keys of the guide windows, whichever control has the keyboard: Esc runs the window's
// Annuler, Enter presses the focused button as Space does. True when the key was used.
bool handleGuideKey(QWidget& window, QKeyEvent& event, const std::function<void()>& annuler);
