#include "app/formkit.h"

#include "link/drawsurface.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSvgRenderer>
#include <QTextEdit>
#include <QWidget>

// The pictures are compiled into the windows' static library: register them before first use.
static void initSerlinqResources() {
    Q_INIT_RESOURCE(resources);
}

namespace formkit {

void placeTw(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(tw(left), tw(top), tw(width), tw(height));
}

void fixClientSizeTw(QWidget* w, int width, int height) {
    w->setFixedSize(tw(width), tw(height));
}

void centreOnScreen(QWidget* w) {
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize size = w->frameGeometry().size().expandedTo(w->size());
    w->move(area.left() + (area.width() - size.width()) / 2,
            area.top() + (area.height() - size.height()) / 2);
}

void setBackground(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setBorder(QWidget* w, Border border) {
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    flags |= border == Border::ToolWindow ? Qt::Dialog : Qt::Window;
    w->setWindowFlags(flags);
}

QFont formFont() {
    return DrawSurface::formFont();
}

QFont pixelFont(const QString& family, int pixelSize, bool bold) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

QPixmap picture(const QString& resource, int width, int height) {
    static const bool registered = (initSerlinqResources(), true);
    Q_UNUSED(registered);
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(width, height) * ratio);
    pm.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter painter(&pm);
        renderer.render(&painter);
    }
    pm.setDevicePixelRatio(ratio);
    return pm;
}

QLabel* addPicture(QWidget* parent, const QString& objectName, const QString& resource, int left,
                   int top, int width, int height, const QString& description) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    placeTw(label, left, top, width, height);
    label->setPixmap(picture(resource, tw(width), tw(height)));
    label->setAccessibleName(description);
    return label;
}

QFrame* addFrame(QWidget* parent, const QString& objectName, int left, int top, int width,
                 int height) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(objectName);
    frame->setFrameShape(QFrame::NoFrame);
    placeTw(frame, left, top, width, height);
    return frame;
}

QTextEdit* addMessageBox(QWidget* parent, const QString& objectName) {
    auto* box = new QTextEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setFrameShape(QFrame::NoFrame);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    box->setFocusPolicy(Qt::NoFocus);
    QPalette p = box->palette();
    p.setColor(QPalette::Base, kLightGrey);
    box->setPalette(p);
    return box;
}

}  // namespace formkit
