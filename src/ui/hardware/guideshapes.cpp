#include "ui/hardware/guideshapes.h"

#include <QAccessible>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QToolTip>

#include "ui/shell/formkit.h"

namespace {

// A disabled frame's caption stays readable on the grey background.
const QColor kDisabledCaption{96, 96, 96};

}  // namespace

FrameButton::FrameButton(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

QSize FrameButton::sizeHint() const {
    return size();
}

void FrameButton::keyPressEvent(QKeyEvent* event) {
    // Enter presses it as Space does, as every button of the program.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void FrameButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    option.initFrom(this);
    option.text = text();
    option.textAlignment = Qt::AlignLeft;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    const QRect label =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    // The frame from the style, the caption in a colour of its own: some styles draw a disabled
    // group's caption in the window's grey.
    option.subControls = QStyle::SC_GroupBoxFrame;
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
    painter.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::WindowText)
                               : kDisabledCaption);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = label.adjusted(-2, 0, 2, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

LineShape::LineShape(QWidget* parent, const QString& objectName, QPoint fromTw, QPoint toTw,
                     const QColor& colour)
    : QWidget(parent), colour_(colour) {
    setObjectName(objectName);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPoint from(formkit::tw(fromTw.x()), formkit::tw(fromTw.y()));
    const QPoint to(formkit::tw(toTw.x()), formkit::tw(toTw.y()));
    // Room for the pen on every side of the segment.
    const int m = kShapeLineWidth;
    const QRect box = QRect(from, to).normalized().adjusted(-m, -m, m, m);
    setGeometry(box);
    from_ = from - box.topLeft();
    to_ = to - box.topLeft();
}

void LineShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour_, kShapeLineWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from_, to_);
}

ShapeBox::ShapeBox(QWidget* parent, const QString& objectName, Style style, const QColor& colour)
    : QWidget(parent), style_(style), colour_(colour) {
    setObjectName(objectName);
    if (style_ == Style::Outline) setFocusPolicy(Qt::TabFocus);
}

bool ShapeBox::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTipChange:
            setAccessibleName(toolTip());
            break;
        case QEvent::FocusIn:
            // What the mouse tells by hovering, the keyboard tells by reaching it.
            QToolTip::showText(mapToGlobal(rect().center()), toolTip(), this);
            update();
            break;
        case QEvent::FocusOut:
            QToolTip::hideText();
            update();
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

void ShapeBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (style_ == Style::Filled) {
        painter.fillRect(rect(), colour_);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour_, hasFocus() ? kShapeLineWidth : 1, Qt::DashLine);
    painter.setPen(pen);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
}

bool handleGuideKey(QWidget& window, QKeyEvent& event, const std::function<void()>& annuler) {
    if (event.key() == Qt::Key_Escape) {
        annuler();
        return true;
    }
    const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
    auto* button = qobject_cast<QAbstractButton*>(window.focusWidget());
    if (enter && button && button->isEnabled() && !event.isAutoRepeat()) {
        button->animateClick();
        return true;
    }
    return false;
}
