// The message and value dialogs: answers, typed keys, proposed answer, reuse.
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>

#include "core/appstate.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "support/wait.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/fmsg.h"
#include "ui/shell/fvaleur.h"

using namespace testsupport;

class TstDialogs : public QObject {
    Q_OBJECT
private slots:
    // What EnteredValue holds after each way of answering.
    void answers_data() {
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Enter keeps the entry") << ""
                                               << "65" << true << "65";
        QTest::newRow("Esc gives the empty text") << ""
                                                  << "65" << false << "";
        QTest::newRow("empty entry and Enter") << ""
                                               << "" << true << "";
        QTest::newRow("proposed answer accepted") << "azerty"
                                                  << "" << true << "azerty";
        QTest::newRow("typing replaces the selected proposal") << "azerty"
                                                               << "x" << true << "x";
        QTest::newRow("Esc after a proposal") << "7F"
                                              << "" << false << "";
    }
    void answers() {
        QFETCH(QString, proposed);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QString, expected);
        AppFixture fx(AppFixture::Ports::Defaults);
        AppState& state = fx.state;
        state.EnteredValue = "left over";
        FValeur& dialog = fx.get<FValeur>();
        dialog.propose(proposed, proposed.size());
        onNextModal(enter ? typeAndEnter(typed) : typeAndEscape(typed));
        dialog.showModal();
        QCOMPARE(state.EnteredValue, expected);
        QVERIFY(!dialog.isVisible());
    }

    // Only the first characters of the proposal are selected when the caller says so.
    void partialSelection() {
        AppFixture fx(AppFixture::Ports::Defaults);
        AppState& state = fx.state;
        FValeur& dialog = fx.get<FValeur>();
        dialog.propose("127", 3);
        QString selected;
        onNextModal([&](QWidget* w) {
            selected = w->findChild<QLineEdit*>("TexteValeur")->selectedText();
            QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        });
        dialog.showModal();
        QCOMPARE(selected, QStringLiteral("127"));

        dialog.propose("a", 1);
        onNextModal(typeAndEnter("b"));
        dialog.showModal();
        QCOMPARE(state.EnteredValue, QStringLiteral("b"));
    }

    // The proposal stays selected for the first key, whatever focus changes came with the
    // showing; once the user has clicked in the entry, the cursor is where the click put it.
    void proposalSurvivesFocusChanges() {
        AppFixture fx(AppFixture::Ports::Defaults);
        FValeur& dialog = fx.get<FValeur>();
        for (bool clicked : {false, true}) {
            dialog.propose("7F", 2);
            onNextModal([clicked](QWidget* w) {
                auto* entry = w->findChild<QLineEdit*>("TexteValeur");
                w->findChild<QPushButton*>("OK")->setFocus(Qt::OtherFocusReason);
                if (clicked) QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
                entry->setFocus(Qt::OtherFocusReason);
                typeText(entry, "41");
                QTest::keyClick(entry, Qt::Key_Return);
            });
            dialog.showModal();
            QVERIFY(waitFor([] { return pendingModalAnswers() == 0; }));
            QCOMPARE(fx.state.EnteredValue.endsWith("41"), true);
            QCOMPARE(fx.state.EnteredValue.size() > 2, clicked);
        }
    }

    // With key preview on, every character key typed is recorded, Backspace included, Enter
    // and Esc not; the entry box still receives the keys and honours its maximum length.
    void typedKeys_data() {
        QTest::addColumn<bool>("preview");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("backspaceThenC");
        QTest::addColumn<QString>("expectedKeys");
        QTest::addColumn<QString>("expectedEntry");
        QTest::newRow("five keys") << true << "ab1é!" << false << "ab1é!"
                                   << "ab1é!";
        QTest::newRow("six keys, five shown") << true << "abcdef" << false << "abcdef"
                                              << "abcde";
        QTest::newRow("backspace recorded") << true << "abcd" << true << "abcd\bc"
                                            << "abcc";
        QTest::newRow("preview off records nothing") << false << "abc" << true << ""
                                                     << "abc";
    }
    void typedKeys() {
        QFETCH(bool, preview);
        QFETCH(QString, typed);
        QFETCH(bool, backspaceThenC);
        QFETCH(QString, expectedKeys);
        QFETCH(QString, expectedEntry);
        AppFixture fx(AppFixture::Ports::Defaults);
        AppState& state = fx.state;
        FValeur& dialog = fx.get<FValeur>();
        dialog.setMaxLength(5);
        dialog.setPasswordChar("*");
        dialog.setKeyPreview(preview);
        state.TypedKeys.clear();
        onNextModal([&](QWidget* w) {
            QWidget* entry = w->findChild<QLineEdit*>("TexteValeur");
            typeText(entry, typed);
            if (backspaceThenC) {
                QTest::keyClick(entry, Qt::Key_Backspace);
                QTest::keyClick(entry, Qt::Key_C, Qt::NoModifier);
            }
            QTest::keyClick(entry, Qt::Key_Return);
        });
        dialog.showModal();
        QCOMPARE(state.TypedKeys, expectedKeys);
        QCOMPARE(state.EnteredValue, expectedEntry);
        QCOMPARE(dialog.TexteValeur->echoMode(), QLineEdit::Password);
    }

    // Esc is not a typed key: right five keys then Esc leave exactly those five.
    void escapeNotRecorded() {
        AppFixture fx(AppFixture::Ports::Defaults);
        AppState& state = fx.state;
        FValeur& dialog = fx.get<FValeur>();
        dialog.setKeyPreview(true);
        onNextModal(typeAndEscape("12345"));
        dialog.showModal();
        QCOMPARE(state.TypedKeys, QStringLiteral("12345"));
        QCOMPARE(state.EnteredValue, QString());
    }

    // After the password use, the caller restores the dialog: ten characters, visible text.
    void restoredAfterPassword() {
        AppFixture fx(AppFixture::Ports::Defaults);
        AppState& state = fx.state;
        FValeur& dialog = fx.get<FValeur>();
        dialog.setMaxLength(5);
        dialog.setPasswordChar("*");
        dialog.setMaxLength(10);
        dialog.setPasswordChar(QString());
        onNextModal(typeAndEnter("0123456789AB"));
        dialog.showModal();
        QCOMPARE(state.EnteredValue, QStringLiteral("0123456789"));
        QCOMPARE(dialog.TexteValeur->echoMode(), QLineEdit::Normal);
        QCOMPARE(dialog.passwordChar(), QString());
    }

    void messageReused() {
        AppFixture fx(AppFixture::Ports::Defaults);
        QString first, second;
        onNextModal(pressEnter(&first));
        fx.forms->ShowError("Le port n'existe pas sur cet ordinateur.");
        onNextModal(pressEnter(&second));
        fx.forms->ShowError("Cette configuration est impossible sur cet ordinateur.");
        QCOMPARE(first, QStringLiteral("Le port n'existe pas sur cet ordinateur."));
        QCOMPARE(second, QStringLiteral("Cette configuration est impossible sur cet ordinateur."));
        FMsg& msg = fx.get<FMsg>();
        QVERIFY(!msg.isVisible());
        QVERIFY(msg.BPOK->isDefault());
        QCOMPARE(msg.windowTitle(), QStringLiteral("Message d'erreur !"));
        QCOMPARE(fx.forms->beepCount(), 2);
    }

    // A message is read whole without scrolling: the dialog grows to it within the screen, and
    // comes back to its design size for a short one. A message taller than the screen scrolls.
    void messageGrowsToItsText_data() {
        QTest::addColumn<int>("words");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("one line") << 3 << false;
        QTest::newRow("a few lines") << 40 << false;
        QTest::newRow("a long message") << 120 << false;
        QTest::newRow("taller than the screen") << 20000 << true;
    }
    void messageGrowsToItsText() {
        QFETCH(int, words);
        QFETCH(bool, scrolls);
        AppFixture fx(AppFixture::Ports::Defaults);
        FMsg& msg = fx.get<FMsg>();
        const int designHeight = msg.height();
        // A long message first, so that a short one must give the room back.
        onNextModal(pressEnter());
        fx.forms->ShowError(QStringLiteral("Mot ").repeated(200));
        struct Seen {
            bool scrollBar = true;
            bool buttonBelowText = false;
            bool onScreen = false;
            int height = 0;
        } seen;
        onNextModal([&](QWidget* dialog) {
            const QRect screen = dialog->screen()->availableGeometry();
            seen.scrollBar = msg.Texte->verticalScrollBar()->maximum() > 0;
            seen.buttonBelowText = msg.BPOK->y() >= msg.Frame1->geometry().bottom() - 1 &&
                                   msg.BPOK->geometry().bottom() < dialog->height();
            seen.onScreen = screen.contains(dialog->geometry());
            seen.height = dialog->height();
            pressEnter()(dialog);
        });
        fx.forms->ShowError(QStringLiteral("Mot ").repeated(words));
        QCOMPARE(seen.scrollBar, scrolls);
        QVERIFY(seen.buttonBelowText);
        QVERIFY(seen.onScreen);
        if (words < 10) QCOMPARE(seen.height, designHeight);
    }

    // A modal dialog is the active window, in front of the main window, every time it shows:
    // the access code's two prompts in a row, then an error message.
    void modalOnTopAtEachShowing() {
        AppFixture fx(AppFixture::Ports::Defaults);
        FMenu& menu = fx.menu();
        menu.show();
        QVERIFY(QTest::qWaitForWindowActive(&menu));
        FValeur& valeur = fx.get<FValeur>();
        QList<bool> active;
        auto answer = [&](const QString& text) {
            return [&active, text](QWidget* dialog) {
                active << QTest::qWaitForWindowActive(dialog, 2000);
                active.last() = active.last() && QApplication::activeWindow() == dialog;
                typeAndEnter(text)(dialog);
            };
        };
        onModals({answer("12345"), answer("abcde")});
        valeur.ask("Mot de passe", "Entrez le code d'accès actuel (5 caractères) ...");
        valeur.ask("Mot de passe", "Entrez le nouveau code d'accès (5 caractères) ...");
        QCOMPARE(fx.state.EnteredValue, QStringLiteral("abcde"));
        onNextModal(answer(QString()));
        fx.forms->ShowError("Le port n'existe pas sur cet ordinateur.");
        QCOMPARE(active, (QList<bool>{true, true, true}));
    }
};

QTEST_MAIN(TstDialogs)
#include "tst_dialogs.moc"
