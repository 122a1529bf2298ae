#pragma once
// The "one window at a time" rule: the windows that cover the main window, and the main window
// given back when the last of them goes. A window holds the main window from the moment it is
// shown over it (or announced, when it shows itself later) until it hides, whichever way it was
// left, or says it is done; the main window stays disabled while any window holds it.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <functional>

class QWidget;

class MenuCover : public QObject {
public:
    // `menu` finds the main window when it exists (never creates it): nothing to give back
    // otherwise.
    explicit MenuCover(std::function<QWidget*()> menu);

    // `window` holds the main window from now on: disabled until `window` hides or is released.
    void hold(QWidget& window);
    // `window` no longer holds the main window; the main window comes back (enabled, in front,
    // with the keyboard) if no other window holds it.
    void release(QWidget& window);
    bool held() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void forget(QObject* window);

    std::function<QWidget*()> menu_;
    QList<QPointer<QWidget>> holders_;
    QSet<QObject*> watched_;
};
