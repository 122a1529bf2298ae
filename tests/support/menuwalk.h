#pragma once
// Walking the main window's menu as a user would: every item in display order, and a closer that
// answers every window coming up over the main window, so that the walk goes on. Used by the
// menu walk's test and by the screenshots of every window.

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

class QAction;
class QMenuBar;
class QPushButton;
class QWidget;

namespace testsupport {

// The items of a menu bar, depth first, in display order; submenus are not items.
QList<QAction*> menuItems(const QMenuBar* bar);
// The last item of each menu or submenu that holds more than one, depth first.
QList<QAction*> lastChoices(const QMenuBar* bar);

// Notes every window that comes up over the main window and answers it with Esc, in whatever
// event loop the program is waiting (a dialog's, a reception's). A window for which Esc is a key
// like any other is closed as the window manager closes it; one that has no close box either,
// through its "Annuler" button (the terminal) or its default button (the properties dialog).
class WindowCloser : public QObject {
public:
    explicit WindowCloser(QWidget* mainWindow);

    // Called once for each window first seen since `seen` was last cleared, before it is
    // answered; the closer waits while it runs.
    std::function<void(QWidget*)> onFirstSight;
    // The object names of the windows seen, in the order they came up.
    QStringList seen;

    bool othersShown() const { return !shownOthers().isEmpty(); }
    QStringList stillShown() const;

private:
    QList<QWidget*> shownOthers() const;
    void closeWhatCameUp();
    void answer(QWidget* w);
    static QPushButton* wayOut(QWidget* w);

    static constexpr int kEscapes = 5;
    QWidget* main_;
    QTimer pump_;
    QHash<QWidget*, int> tries_;
    bool looking_ = false;
};

}  // namespace testsupport
