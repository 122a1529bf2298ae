#pragma once
// Answering the program's modal dialogs from a test: the action runs as soon as a modal window
// is on screen (the dialog's own event loop runs the check), once.

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QWidget;

namespace testsupport {

// Runs `action` on the next modal window shown within `timeoutMs`. Returns at once; the action
// runs from the event loop.
void onNextModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);

// The same for several dialogs in a row: each action answers the next modal window shown.
void onModals(QList<std::function<void(QWidget*)>> actions, int timeoutMs = 5000);

// Common answers: types `text` in the dialog's focused control, then presses Enter or Esc.
std::function<void(QWidget*)> typeAndEnter(const QString& text);
std::function<void(QWidget*)> typeAndEscape(const QString& text);
// Presses Enter in the dialog (its default button) and records the dialog's text.
std::function<void(QWidget*)> pressEnter(QString* seenText = nullptr);

// Types any text into a widget, one key per character (accents and symbols included).
void typeText(QWidget* widget, const QString& text);

// How many modal windows the pending answers still wait for.
int pendingModalAnswers();

// Answers every message dialog (the window named "FMsg") as the user would, with Enter, as long
// as it lives, keeping the dialog and its text: for tests in which messages are what is looked
// at, however many come and from whichever program.
class MessageLog : public QObject {
public:
    MessageLog();
    struct Entry {
        QWidget* dialog;
        QString text;
    };
    QList<Entry> entries;
    // The texts, in order.
    QStringList texts() const;

private:
    QTimer tick_;
};

}  // namespace testsupport
