#pragma once
// The page windows: one light grey window of fixed size whose controls come from a table of
// its own (see core/pagecontrols.h) and on which pages are drawn from their files (see
// core/pagemodel.h). Showing a page goes: the window cleared and its controls as at load, the
// page's controls shown, hidden and captioned, the caption, the text, the focus, then the window
// over the main window. Annuler (its default and cancel button, Esc, the window manager's close)
// closes the page and gives the main window back. The windows differ only by their table and by
// the few buttons that have work of their own (the exercises, the example sheet, the animated
// examples), which their subclasses handle. A page's timers never run while its window is
// hidden, whichever way it was left.

#include <QFont>
#include <QHash>
#include <QRectF>
#include <QString>

#include "core/pagecontrols.h"
#include "core/pagemodel.h"
#include "ui/shell/surfacewidget.h"

class Forms;
class QAbstractButton;
class QPushButton;
class QTimer;

class PageWindow : public SurfaceWidget {
    Q_OBJECT
public:
    // The window `name` with the controls of its table `:/pages/<name>.controles`.
    PageWindow(Forms& forms, const QString& name, QWidget* parent = nullptr);

    // The font of every page's text: the windows' family one pixel smaller, so that the longest
    // quoted line (about 125 characters from x = 500) fits the width with room to spare.
    static QFont pageFont();
    // The client area and the caption the window has until a page sets its own.
    static constexpr int kClientWidthTw = 8970;
    static constexpr int kClientHeightTw = 5205;
    static const QString kDefaultCaption;

    void showPage(const pages::Page& page);
    void Annuler_Click();

    // Whether the window has a control of that name, and which kind it is.
    bool hasControl(const QString& name) const;
    std::optional<pages::ControlSpec> controlSpec(const QString& name) const;
    // Where text may go: the client area above the bottom row of buttons (Annuler's), in twips.
    QRectF textArea() const;

protected:
    // What a page window's subclass adds to the steps above.
    virtual void beforePage(const pages::Page& page) { Q_UNUSED(page); }
    virtual void onButton(const QString& name) { Q_UNUSED(name); }
    virtual void onClose() {}

    // The worked example on the sheet: the timing diagram of the decimal code 14, with the sheet's
    // buttons of the exercises whose indexes are given.
    static constexpr int kExampleCode = 14;
    void showExampleSheet(const QList<int>& exercises = {});

    QWidget* control(const QString& name) const { return controls_.value(name); }
    QAbstractButton* button(const QString& name) const;
    void setShown(const QString& name, bool shown);
    bool isShown(const QString& name) const;
    // A control's tooltip, which names a picture and describes a button to assistive
    // technologies.
    void setTip(const QString& name, const QString& tip);
    // A timer of the window's pages, named for tests, stopped at load. It is stopped whenever
    // the window is hidden; one stopped while the window was only minimised starts again when
    // the window comes back.
    QTimer* addPageTimer(const QString& name, int intervalMs);
    Forms& forms() { return forms_; }

    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls(const QString& name);
    QWidget* addControl(const pages::ControlSpec& entry);
    // Every control as the window was loaded: what each page starts from.
    void resetControls();
    void applyPage(const pages::Page& page);
    void clicked(const QString& name);

    Forms& forms_;
    pages::ControlTable table_;
    QHash<QString, QWidget*> controls_;
    QPushButton* cancel_ = nullptr;
    QList<QPair<QString, QString>> links_;  // of the page shown
    QList<QTimer*> timers_;
    QList<QTimer*> paused_;  // while the window is minimised
};
