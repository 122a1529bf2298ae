// The about pages: each item of "A propos..." opens its page over the main window, every way out
// gives the main window back, the credits carry the build's version, and the start-up window's
// credits and exit forms keep to their own controls.
#include <QAbstractTextDocumentLayout>
#include <QFrame>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QtTest>

#include "support/appfixture.h"
#include "support/wait.h"
#include "ui/about/abouttexts.h"
#include "ui/about/aboutwindow.h"
#include "ui/shell/fdebut.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/forms.h"
#include "ui/shell/svgpicture.h"

using namespace testsupport;

namespace {

struct Fixture : AppFixture {
    Fixture() : AppFixture(Ports::Absent) {
        forms->loadAll();
        menu().show();
    }
    // The page an item of the menu opens, and the text box it writes into.
    QDialog* page(const QString& item) {
        if (item == "Auteur") return &get<FDebut>();
        if (item == "Dorvanix") return &get<FKorvalin>();
        return &get<FDorvanix>();
    }
    QTextEdit* text(const QString& item) {
        if (item == "Auteur") return get<FDebut>().TexteDebut;
        return static_cast<AboutWindow*>(page(item))->TextKorvalin;
    }
    QPushButton* ok(const QString& item) {
        if (item == "Auteur") return get<FDebut>().OK;
        return static_cast<AboutWindow*>(page(item))->OK;
    }
};

const QStringList kItems{"Auteur", "Dorvanix", "Dorvan"};

// Whether the whole text shows in its box, nothing below the last visible line.
bool fitsItsBox(QTextEdit* box) {
    return box->document()->documentLayout()->documentSize().height() <= box->viewport()->height();
}

}  // namespace

class TstAbout : public QObject {
    Q_OBJECT
private slots:
    // Each item shows its page over the disabled main window, with its caption and its text.
    void itemOpensItsPage_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("captionWord");
        QTest::addColumn<int>("lines");
        QTest::newRow("credits") << "Auteur"
                                 << "Auteur" << 7;
        QTest::newRow("instrument") << "Dorvanix"
                                    << "KORVALIN" << 10;
        QTest::newRow("publisher") << "Dorvan"
                                   << "DORVANIX" << 5;
    }
    void itemOpensItsPage() {
        QFETCH(QString, item);
        QFETCH(QString, captionWord);
        QFETCH(int, lines);
        Fixture fx;
        fx.menu().runItem(item);
        QDialog* page = fx.page(item);
        QVERIFY(page->isVisible());
        QVERIFY(!fx.menu().isEnabled());
        QVERIFY(page->windowTitle().contains(captionWord));
        const QStringList shown = fx.text(item)->toPlainText().split('\n');
        QCOMPARE(shown.size(), lines);
        QVERIFY(fx.ok(item)->isVisible());
        QVERIFY(fx.text(item)->isVisible());
    }

    // The first line of the credits names the program and the version the build gives it.
    void creditsShowTheBuildsVersion() {
        Fixture fx;
        fx.menu().Auteur_Click();
        const QString first = fx.get<FDebut>().TexteDebut->toPlainText().section('\n', 0, 0);
        QVERIFY(first.contains(QStringLiteral("Serlinq")));
        QVERIFY(first.contains(QStringLiteral(SERLINQ_VERSION)));
        // Eight points, smaller than the title's text.
        const QFont font = fx.get<FDebut>().TexteDebut->font();
        QCOMPARE(qRound(font.pixelSize() * 72.0 / 96.0), 8);
    }

    // Every way out of every page gives the main window back and hides the page.
    void everyExitGivesTheMenuBack_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("way");
        for (const QString& item : kItems)
            for (const char* way : {"OK", "Enter", "Esc", "close"})
                QTest::addRow("%s, %s", qPrintable(item), way) << item << QString(way);
    }
    void everyExitGivesTheMenuBack() {
        QFETCH(QString, item);
        QFETCH(QString, way);
        Fixture fx;
        fx.menu().runItem(item);
        QDialog* page = fx.page(item);
        QVERIFY(page->isVisible());
        if (way == "OK")
            fx.ok(item)->click();
        else if (way == "Enter")
            QTest::keyClick(fx.ok(item), Qt::Key_Return);
        else if (way == "Esc")
            QTest::keyClick(page, Qt::Key_Escape);
        else
            page->close();
        QVERIFY(waitFor([&] { return !page->isVisible(); }));
        QVERIFY(fx.menu().isEnabled());
        // Shown again, it is the same page, and leaves the same way.
        fx.menu().runItem(item);
        QVERIFY(page->isVisible());
        fx.ok(item)->click();
        QVERIFY(fx.menu().isEnabled());
    }

    // The start-up window's two forms: whichever comes first, the next shows its own controls.
    void creditsAndExitDoNotLeak_data() {
        QTest::addColumn<bool>("creditsFirst");
        QTest::newRow("credits, then the exit dialog") << true;
        QTest::newRow("exit dialog, then the credits") << false;
    }
    void creditsAndExitDoNotLeak() {
        QFETCH(bool, creditsFirst);
        Fixture fx;
        FDebut& debut = fx.get<FDebut>();
        auto showExit = [&] {
            fx.menu().Quitte_Click();
            QVERIFY(debut.FrameEnregistrer->isVisible());
            QVERIFY(!debut.OK->isVisible());
            QVERIFY(!debut.TexteDebut->isVisible());
            QVERIFY(debut.windowTitle().contains(QStringLiteral("Serlinq")));
            QCOMPARE(debut.focusWidget(), static_cast<QWidget*>(debut.Annuler));
            QTest::keyClick(&debut, Qt::Key_Escape);
        };
        auto showCredits = [&] {
            fx.menu().Auteur_Click();
            QVERIFY(!debut.FrameEnregistrer->isVisible());
            QVERIFY(debut.OK->isVisible());
            QCOMPARE(debut.TexteDebut->toPlainText(), abouttexts::credits());
            QVERIFY(!debut.windowTitle().contains(QStringLiteral("Serlinq")));
            debut.OK->click();
        };
        if (creditsFirst) {
            showCredits();
            showExit();
        } else {
            showExit();
            showCredits();
        }
        QVERIFY(!debut.isVisible());
        QVERIFY(fx.menu().isEnabled());
        QVERIFY(!fx.forms->programEnded());
    }

    // The texts that must show whole do, and the pictures are named by their tooltips.
    void pagesShowWhole() {
        Fixture fx;
        for (const QString& item : kItems) {
            fx.menu().runItem(item);
            QTextEdit* box = fx.text(item);
            // Once laid out at its box's width.
            QVERIFY2(waitFor([box] { return fitsItsBox(box); }, 1000), qPrintable(item));
            if (auto* about = qobject_cast<AboutWindow*>(fx.page(item))) {
                QVERIFY(about->picture()->drawing().isValid());
                QVERIFY(!about->picture()->toolTip().isEmpty());
                QCOMPARE(about->picture()->accessibleName(), about->picture()->toolTip());
                // The OK button stands clear of the text.
                QVERIFY(!box->geometry()
                             .translated(box->parentWidget()->pos())
                             .intersects(about->OK->geometry()));
            }
            fx.ok(item)->click();
        }
    }

    // Invented contact details are plainly fictitious: numbers of the 555 kind, said to be
    // fictitious, and an address said to be an example.
    void contactDetailsAreFictitious() {
        const QStringList lines = abouttexts::dorvanixContact().split('\n');
        QVERIFY(lines.first().isEmpty());
        const QRegularExpression number(QStringLiteral("\\d\\d( \\d\\d){4}"));
        int numbers = 0;
        for (const QString& line : lines) {
            const auto m = number.match(line);
            if (!m.hasMatch()) continue;
            ++numbers;
            QVERIFY2(m.captured().remove(' ').contains(QStringLiteral("555")), qPrintable(line));
            QVERIFY2(line.contains(QStringLiteral("fictif")), qPrintable(line));
        }
        QCOMPARE(numbers, 2);
        QVERIFY(abouttexts::dorvanixContact().contains(QStringLiteral("exemple")));
    }
};

QTEST_MAIN(TstAbout)
#include "tst_about.moc"
