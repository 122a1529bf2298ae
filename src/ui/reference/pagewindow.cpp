#include "ui/reference/pagewindow.h"

#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include "ui/hardware/feuille.h"
#include "ui/reference/pageindex.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/svgpicture.h"

using namespace formkit;

const QString PageWindow::kDefaultCaption = QStringLiteral("Information");

namespace {

// The page text's size: one pixel under the windows' own font.
constexpr int kPageFontPixels = 10;

QString readResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

}  // namespace

QFont PageWindow::pageFont() {
    QFont font = DrawSurface::formFont();
    font.setPixelSize(kPageFontPixels);
    return font;
}

PageWindow::PageWindow(Forms& forms, const QString& name, QWidget* parent)
    : SurfaceWidget(parent), forms_(forms) {
    setUpWindow(this, name, kDefaultCaption, Border::FixedSingle, kClientWidthTw, kClientHeightTw);
    surface().setScaleMode(DrawSurface::ScaleMode::Twip);
    surface().Font = pageFont();
    buildControls(name);
    refuseClose(this, [this] { Annuler_Click(); });
    comeToFrontWhenShown(this);
    centreOnScreen(this);
}

void PageWindow::buildControls(const QString& name) {
    const QString path = QStringLiteral(":/pages/%1.controles").arg(name);
    picture(QStringLiteral(":/info-icon.svg"), 1, 1);  // the resources registered
    const pages::ControlTableResult r = pages::parseControls(readResource(path));
    if (!r.table) {
        qWarning("%s, ligne %d : %s", qPrintable(path), r.line, qPrintable(r.error));
        return;
    }
    table_ = *r.table;
    for (const pages::ControlSpec& entry : table_.controls) {
        QWidget* w = addControl(entry);
        controls_.insert(entry.name, w);
        w->setVisible(entry.shownAtStart);
    }
}

QWidget* PageWindow::addControl(const pages::ControlSpec& s) {
    const QRect& g = s.geometry;
    using Kind = pages::ControlSpec::Kind;
    if (s.kind == Kind::Picture) {
        if (s.tip.isEmpty())
            return addPicture(this, s.name, s.content, g.x(), g.y(), g.width(), g.height(), {});
        return addTippedPicture(this, s.name, s.content, g.x(), g.y(), g.width(), g.height(),
                                s.tip);
    }
    if (s.kind == Kind::Frame)
        return addGroup(this, s.name, s.content, g.x(), g.y(), g.width(), g.height(), s.tip);
    if (s.kind == Kind::Line) {
        QFrame* line = addFrame(this, s.name, g.x(), g.y(), g.width(), g.height());
        line->setFrameShape(g.width() >= g.height() ? QFrame::HLine : QFrame::VLine);
        return line;
    }
    QAbstractButton* b = nullptr;
    if (s.kind == Kind::Link) {
        b = addPictureButton(this, s.name, s.content, g.x(), g.y(), g.width(), g.height(), s.tip);
    } else {
        auto* push = addButton(this, s.name, s.content, g.x(), g.y(), g.width(), g.height(), s.tip);
        // Enter is the window's: it presses the focused button, else Annuler.
        push->setAutoDefault(false);
        if (s.kind == Kind::Cancel) {
            push->setDefault(true);
            cancel_ = push;
        }
        b = push;
    }
    connect(b, &QAbstractButton::clicked, this, [this, name = s.name] { clicked(name); });
    return b;
}

bool PageWindow::hasControl(const QString& name) const {
    return controls_.contains(name);
}

std::optional<pages::ControlSpec> PageWindow::controlSpec(const QString& name) const {
    return table_.find(name);
}

QRectF PageWindow::textArea() const {
    // The bottom row: the buttons level with Annuler; an example's own buttons stand higher.
    int rowTop = kClientHeightTw;
    for (const pages::ControlSpec& c : table_.controls)
        if (c.kind == pages::ControlSpec::Kind::Cancel) rowTop = c.geometry.top();
    int bottom = kClientHeightTw;
    for (const pages::ControlSpec& c : table_.controls)
        if (c.isButton() && c.geometry.bottom() >= rowTop)
            bottom = std::min(bottom, c.geometry.top());
    return QRectF(0, 0, kClientWidthTw, bottom);
}

QAbstractButton* PageWindow::button(const QString& name) const {
    return qobject_cast<QAbstractButton*>(control(name));
}

void PageWindow::setShown(const QString& name, bool shown) {
    if (QWidget* w = control(name)) w->setVisible(shown);
}

bool PageWindow::isShown(const QString& name) const {
    const QWidget* w = control(name);
    return w && !w->isHidden();
}

void PageWindow::setTip(const QString& name, const QString& tip) {
    QWidget* w = control(name);
    if (!w || w->toolTip() == tip) return;
    w->setToolTip(tip);
    if (qobject_cast<QPushButton*>(w)) w->setAccessibleDescription(tip);
}

void PageWindow::resetControls() {
    for (const pages::ControlSpec& entry : table_.controls) {
        setShown(entry.name, entry.shownAtStart);
        setTip(entry.name, entry.tip);
        control(entry.name)->setEnabled(true);
        if (entry.isButton()) button(entry.name)->setText(entry.content);
    }
}

QTimer* PageWindow::addPageTimer(const QString& name, int intervalMs) {
    auto* timer = new QTimer(this);
    timer->setObjectName(name);
    timer->setInterval(intervalMs);
    timers_ << timer;
    return timer;
}

void PageWindow::hideEvent(QHideEvent* event) {
    // A spontaneous hide is the window manager's (the window minimised): the page stays open.
    paused_.clear();
    for (QTimer* timer : timers_) {
        if (timer->isActive() && event->spontaneous()) paused_ << timer;
        timer->stop();
    }
    SurfaceWidget::hideEvent(event);
}

void PageWindow::showEvent(QShowEvent* event) {
    if (event->spontaneous())
        for (QTimer* timer : paused_) timer->start();
    paused_.clear();
    SurfaceWidget::showEvent(event);
}

void PageWindow::applyPage(const pages::Page& page) {
    for (const QString& name : page.show) setShown(name, true);
    for (const QString& name : page.hide) setShown(name, false);
    for (const auto& [name, caption] : page.captions)
        if (QAbstractButton* b = button(name)) b->setText(caption);
    links_ = page.links;
}

void PageWindow::showPage(const pages::Page& page) {
    surface().Cls();
    surface().ForeColor = Qt::black;
    resetControls();
    beforePage(page);
    applyPage(page);
    setWindowTitle(page.caption.isEmpty() ? kDefaultCaption : page.caption);
    surface().CurrentX = 0;
    pages::draw(page, surface());
    surface().ForeColor = Qt::black;
    forms_.showOverMenu(*this);
    if (QWidget* w = control(page.focus); w && !w->isHidden()) w->setFocus(Qt::OtherFocusReason);
}

void PageWindow::clicked(const QString& name) {
    if (control(name) == cancel_) {
        Annuler_Click();
        return;
    }
    for (const auto& [link, item] : links_) {
        if (link != name) continue;
        Annuler_Click();
        // A link leads to a menu item, or to a page that no menu item opens.
        FMenu& menu = forms_.get<FMenu>();
        if (menu.item(item))
            menu.runItem(item);
        else
            pageindex::open(forms_, item);
        return;
    }
    onButton(name);
}

void PageWindow::showExampleSheet(const QList<int>& exercises) {
    forms_.get<Feuille>().showExample(kExampleCode, exercises);
}

void PageWindow::Annuler_Click() {
    surface().Cls();
    onClose();
    resetControls();
    hide();
}

void PageWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        Annuler_Click();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused && focused->isVisible() && focused->parent() == this)
            focused->click();
        else
            Annuler_Click();
        return;
    }
    SurfaceWidget::keyPressEvent(event);
}
