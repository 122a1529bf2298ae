#include "ui/shell/formkit.h"

#include "core/drawsurface.h"
#include "ui/shell/svgpicture.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <QWindow>

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

SvgPicture* addPicture(QWidget* parent, const QString& objectName, const QString& resource,
                       int left, int top, int width, int height, const QString& description) {
    auto* picture = new SvgPicture(resource, parent);
    picture->setObjectName(objectName);
    placeTw(picture, left, top, width, height);
    picture->setAccessibleName(description);
    return picture;
}

SvgPicture* addTippedPicture(QWidget* parent, const QString& objectName, const QString& resource,
                             int left, int top, int width, int height, const QString& tip) {
    SvgPicture* picture = addPicture(parent, objectName, resource, left, top, width, height, tip);
    picture->setToolTip(tip);
    return picture;
}

SvgButton* addPictureButton(QWidget* parent, const QString& objectName, const QString& resource,
                            int left, int top, int width, int height, const QString& tip) {
    auto* button = new SvgButton(resource, parent);
    button->setObjectName(objectName);
    placeTw(button, left, top, width, height);
    button->setToolTip(tip);
    return button;
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

namespace formkit {

namespace {

// Refuses the window manager's close, and runs the window's own way out instead when it has one.
class CloseGuard : public QObject {
public:
    CloseGuard(QWidget* w, std::function<void()> onClose)
        : QObject(w), onClose_(std::move(onClose)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close) return QObject::eventFilter(watched, event);
        event->ignore();
        if (onClose_) QTimer::singleShot(0, parent(), onClose_);
        return true;
    }

private:
    std::function<void()> onClose_;
};

// Counts the windows shown, so that a window brought back later can tell whether another one has
// come in front of it meanwhile.
class ShowLog : public QObject {
public:
    static ShowLog& instance() {
        static QPointer<ShowLog> log;
        if (!log) {
            log = new ShowLog(qApp);
            qApp->installEventFilter(log);
        }
        return *log;
    }
    quint64 count() const { return count_; }
    // The window shown last, if it is still on screen.
    QWidget* lastShown() const { return last_ && last_->isVisible() ? last_.data() : nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && w->windowType() != Qt::ToolTip && w->windowType() != Qt::Popup) {
                ++count_;
                last_ = w;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    using QObject::QObject;
    quint64 count_ = 0;
    QPointer<QWidget> last_;
};

void bringToFront(QWidget* w) {
    w->raise();
    w->activateWindow();
    // A window hidden while active may still count as active for the platform, which then
    // ignores the request: make it the active window all the same.
    if (QApplication::activeWindow() != w) QApplication::setActiveWindow(w);
}

// Whether `w` may be brought in front now: on screen, usable, and not under a modal dialog.
bool canComeToFront(const QWidget* w) {
    return w && w->isVisible() && w->isEnabled() && !QApplication::activeModalWidget();
}

// The window a newly shown one covers: the active one, else the main window.
QWidget* coveredWindow(QWidget* shown) {
    QWidget* active = QApplication::activeWindow();
    if (active && active != shown && active->isVisible()) return active;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != shown && w->isVisible() && qobject_cast<QMainWindow*>(w)) return w;
    }
    return nullptr;
}

// Brings a window in front, active, each time it is shown, and gives the keyboard back when it
// goes (without a window manager nobody else would): to the window shown after it if there is
// one (the terminal that an emission's prompt leads to), else to the window it covered.
class FrontGuard : public QObject {
public:
    explicit FrontGuard(QWidget* w) : QObject(w) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show) {
            shownAt_ = ShowLog::instance().count();
            covered_ = coveredWindow(w);
            if (covered_ && w->windowHandle() && covered_->windowHandle())
                w->windowHandle()->setTransientParent(covered_->windowHandle());
            QTimer::singleShot(0, w, [w] {
                if (w->isVisible()) bringToFront(w);
            });
        } else if (event->type() == QEvent::Hide) {
            QTimer::singleShot(0, w, [w, covered = covered_, shownAt = shownAt_] {
                const ShowLog& log = ShowLog::instance();
                QWidget* later = log.count() > shownAt ? log.lastShown() : nullptr;
                QWidget* next = later && later != w ? later : covered.data();
                if (canComeToFront(next)) bringToFront(next);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> covered_;
    quint64 shownAt_ = 0;
};

}  // namespace

QColor systemTitleBarText() {
    return QApplication::palette().color(QPalette::Active, QPalette::HighlightedText);
}

QColor systemButtonFace() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void setUpWindow(QWidget* w, const QString& objectName, const QString& caption, Border border,
                 int clientWidthTw, int clientHeightTw) {
    ShowLog::instance();  // every window's showing is counted from the first one
    w->setObjectName(objectName);
    w->setWindowTitle(caption);
    // No accessible name is forced: the window's name is then its caption, whatever it becomes.
    setBorder(w, border);
    setBackground(w, kLightGrey);
    fixClientSizeTw(w, clientWidthTw, clientHeightTw);
}

void refuseClose(QWidget* w, std::function<void()> onClose) {
    w->installEventFilter(new CloseGuard(w, std::move(onClose)));
}

void comeToFrontWhenShown(QWidget* w) {
    ShowLog::instance();
    w->winId();  // the native window exists before the first showing, for the transient link
    w->installEventFilter(new FrontGuard(w));
}

void bringToFrontLater(QWidget* w) {
    const quint64 since = ShowLog::instance().count();
    QTimer::singleShot(0, w, [w, since] {
        const ShowLog& log = ShowLog::instance();
        QWidget* later = log.count() > since ? log.lastShown() : nullptr;
        if (later && later != w) return;  // another window has come in front since
        if (canComeToFront(w)) bringToFront(w);
    });
}

QPushButton* addButton(QWidget* parent, const QString& objectName, const QString& caption, int left,
                       int top, int width, int height, const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    placeTw(button, left, top, width, height);
    if (!tip.isEmpty()) {
        button->setToolTip(tip);
        button->setAccessibleDescription(tip);
    }
    return button;
}

QGroupBox* addGroup(QWidget* parent, const QString& objectName, const QString& caption, int left,
                    int top, int width, int height, const QString& tip) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(objectName);
    placeTw(group, left, top, width, height);
    if (!tip.isEmpty()) group->setToolTip(tip);
    return group;
}

QLabel* addLabel(QWidget* parent, const QString& objectName, const QString& text, int left, int top,
                 int width, int height) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    placeTw(label, left, top, width, height);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QComboBox* addList(QWidget* parent, const QString& objectName, int left, int top, int width,
                   int height, const QString& tip, QLabel* label) {
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    placeTw(box, left, top, width, height);
    box->setToolTip(tip);
    if (label) {
        QString name = label->text();
        if (name.endsWith(QLatin1Char(':'))) name.chop(1);
        box->setAccessibleName(name);
        label->setBuddy(box);
    }
    return box;
}

}  // namespace formkit
