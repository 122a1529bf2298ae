#include "support/modal.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

namespace testsupport {
namespace {

int pending = 0;

QWidget* target(QWidget* dialog) {
    QWidget* focus = dialog->focusWidget();
    return focus ? focus : dialog;
}

}  // namespace

void onNextModal(std::function<void(QWidget*)> action, int timeoutMs) {
    onModals({std::move(action)}, timeoutMs);
}

void onModals(QList<std::function<void(QWidget*)>> actions, int timeoutMs) {
    if (actions.isEmpty()) return;
    ++pending;
    auto* timer = new QTimer(qApp);
    auto remaining = std::make_shared<QList<std::function<void(QWidget*)>>>(std::move(actions));
    auto answered = std::make_shared<QPointer<QWidget>>();
    auto waited = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        *waited += 10;
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal != answered->data()) {
            auto action = remaining->takeFirst();
            *waited = 0;
            action(modal);
            // A dialog that stays on screen after the answer is not answered twice; one that
            // was hidden may come back for the next answer.
            *answered = (modal && modal->isVisible()) ? modal.data() : nullptr;
        }
        if (remaining->isEmpty() || *waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            --pending;
        }
    });
    timer->start();
}

std::function<void(QWidget*)> typeAndEnter(const QString& text) {
    return [text](QWidget* dialog) {
        typeText(target(dialog), text);
        QTest::keyClick(target(dialog), Qt::Key_Return);
    };
}

std::function<void(QWidget*)> typeAndEscape(const QString& text) {
    return [text](QWidget* dialog) {
        typeText(target(dialog), text);
        QTest::keyClick(target(dialog), Qt::Key_Escape);
    };
}

std::function<void(QWidget*)> pressEnter(QString* seenText) {
    return [seenText](QWidget* dialog) {
        if (seenText) {
            if (auto* box = dialog->findChild<QTextEdit*>("Texte")) *seenText = box->toPlainText();
        }
        QTest::keyClick(target(dialog), Qt::Key_Return);
    };
}

MessageLog::MessageLog() {
    connect(&tick_, &QTimer::timeout, this, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->objectName() != QLatin1String("FMsg")) return;
        auto* box = modal->findChild<QTextEdit*>(QStringLiteral("Texte"));
        entries << Entry{modal, box ? box->toPlainText() : QString()};
        QTest::keyClick(target(modal), Qt::Key_Return);
    });
    tick_.start(10);
}

QStringList MessageLog::texts() const {
    QStringList out;
    for (const Entry& e : entries) out << e.text;
    return out;
}

void typeText(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 128) {
            QTest::keyClick(widget, ch.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
        }
    }
}

int pendingModalAnswers() {
    return pending;
}

}  // namespace testsupport
