#include "ui/hardware/bitframe.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

BitFrame::BitFrame(QWidget* parent, const QString& objectName, bool clickable)
    : QFrame(parent), box_(new QLineEdit(this)), clickable_(clickable) {
    setObjectName(objectName);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(box_);
    box_->setReadOnly(true);
    box_->setAlignment(Qt::AlignCenter);
    box_->setFocusPolicy(Qt::NoFocus);
    if (clickable_) {
        // The box lets clicks through to the frame, which alone toggles the bit.
        box_->setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
    }
}

void BitFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (clickable_ && event->button() == Qt::LeftButton && rect().contains(event->pos())) {
        emit clicked();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

void BitFrame::keyPressEvent(QKeyEvent* event) {
    const bool activates = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                           event->key() == Qt::Key_Enter;
    if (clickable_ && activates) {
        emit clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}
