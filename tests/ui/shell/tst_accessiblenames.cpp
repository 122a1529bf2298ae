// Every window is announced by its caption, also after the caption changes: at start-up, in
// each prompt of the value dialog, the access code, the exit dialog and each terminal mode.
#include <QAccessible>
#include <QApplication>
#include <QtTest>

#include "support/appfixture.h"
#include "support/modal.h"
#include "support/wait.h"
#include "ui/shell/fdebut.h"
#include "ui/shell/fmenu.h"
#include "ui/terminal/fchoixcase.h"
#include "ui/terminal/femirecep.h"

using namespace testsupport;

namespace {

// The windows whose accessible name is not their caption, as "object: name / caption".
QStringList misnamed() {
    QStringList out;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        const QString name = a ? a->text(QAccessible::Name).trimmed() : QStringLiteral("(none)");
        if (name != w->windowTitle().trimmed())
            out << QStringLiteral("%1: \"%2\" / \"%3\"")
                       .arg(w->objectName(), name, w->windowTitle());
    }
    return out;
}

// Answers the next prompt after noting which windows are misnamed while it is on screen.
std::function<void(QWidget*)> noteThenAnswer(QStringList* seen, const QString& entry) {
    return [seen, entry](QWidget* dialog) {
        *seen += misnamed();
        if (entry.isEmpty())
            typeAndEscape(QString())(dialog);
        else
            typeAndEnter(entry)(dialog);
    };
}

}  // namespace

class TstAccessibleNames : public QObject {
    Q_OBJECT
private slots:
    void atStartUp() {
        AppFixture app(AppFixture::Ports::Absent);
        app.forms->loadAll();
        app.forms->create<FDebut>(60 * 60 * 1000).start();
        QCOMPARE(misnamed(), QStringList());
    }

    // Each menu item that changes captions, with the answer given to its prompt (none: Esc).
    void afterEachCaptionChange_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("answer");
        QTest::newRow("keyboard character") << "Ascii"
                                            << "k";
        QTest::newRow("decimal code") << "Decimal"
                                      << "100";
        QTest::newRow("hexadecimal code") << "Hexadecimal"
                                          << "3F";
        QTest::newRow("string") << "Chaine"
                                << "Un essai";
        QTest::newRow("repeated character") << "Identique"
                                            << "55";
        QTest::newRow("emission cancelled") << "Decimal"
                                            << "";
        QTest::newRow("access code") << "Passe"
                                     << "";
        QTest::newRow("character reception") << "RecepCaractere"
                                             << "";
        QTest::newRow("string reception") << "RecepChaine"
                                          << "";
    }
    void afterEachCaptionChange() {
        QFETCH(QString, item);
        QFETCH(QString, answer);
        AppFixture app(AppFixture::Ports::Loopback);
        QVERIFY2(app.isReady(), qPrintable(app.errorString()));
        app.forms->loadAll();
        app.menu().show();
        QStringList seen;
        const bool prompts = item != "RecepCaractere" && item != "RecepChaine";
        if (prompts) onNextModal(noteThenAnswer(&seen, answer));
        app.menu().item(item)->trigger();
        if (prompts) QCOMPARE(pendingModalAnswers(), 0);
        QCOMPARE(seen, QStringList());
        QCOMPARE(misnamed(), QStringList());
        app.get<FEmiRecep>().Annuler_Click();
    }

    // The exchange: its options dialog, then the terminal in the exchange.
    void exchange() {
        AppFixture app(AppFixture::Ports::Loopback);
        QVERIFY2(app.isReady(), qPrintable(app.errorString()));
        app.forms->loadAll();
        app.menu().Emission_Reception_Simultanees_Click();
        QVERIFY(app.get<FChoixCase>().isVisible());
        QCOMPARE(misnamed(), QStringList());
        app.get<FChoixCase>().OK_Click();
        QVERIFY(app.get<FEmiRecep>().isVisible());
        QCOMPARE(misnamed(), QStringList());
        app.get<FEmiRecep>().Annuler_Click();
    }

    void exitDialog() {
        AppFixture app(AppFixture::Ports::Absent);
        app.forms->loadAll();
        app.forms->create<FDebut>(60 * 60 * 1000);
        app.menu().Quitte_Click();
        QVERIFY(app.get<FDebut>().isVisible());
        QCOMPARE(misnamed(), QStringList());
        app.get<FDebut>().Annuler_Click();
    }
};

QTEST_MAIN(TstAccessibleNames)
#include "tst_accessiblenames.moc"
