// The reference pages and the exercises asked on them: every page file opens on its window with
// the controls it names, its text inside the page; a page looks the same whatever was shown
// before it; every way out gives the main window back; the exercises judge and explain what is
// typed in the value dialog, ask again what they cannot judge, and the parity series moves on
// only with a judged answer.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include "core/charsetpage.h"
#include "core/codepage.h"
#include "core/exercise.h"
#include "support/appfixture.h"
#include "support/modal.h"
#include "ui/hardware/feuille.h"
#include "ui/reference/finfo.h"
#include "ui/reference/fmessage.h"
#include "ui/reference/pageindex.h"
#include "ui/shell/fmenu.h"
#include "ui/shell/formkit.h"

using namespace testsupport;

namespace {

// Every page or menu item some page links to.
QStringList linkTargets() {
    QStringList out;
    for (const QString& name : pageindex::names()) {
        const pages::ParseResult r = pageindex::load(name);
        if (r.page)
            for (const auto& link : r.page->links) out << link.second;
    }
    return out;
}

const QString kSeriesButton = QStringLiteral("BPExercice(0)");
const QStringList kExerciseButtons = {kSeriesButton, "BPExercice(1)", "BPExercice(2)"};
// The exercises of the three buttons, the series' at its first step.
const QStringList kExerciseFiles = {"parite-1", "vitesse", "trame"};
// The pages that offer each button.
const QStringList kExercisePages = {"QueParite", "QueVitesse", "QueDonnee"};

exercises::Exercise loadExercise(const QString& name) {
    QFile file(QStringLiteral(":/exercises/%1.exercice").arg(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return exercises::parse(QString::fromUtf8(file.readAll()))
        .exercise.value_or(exercises::Exercise());
}

// What the value dialog showed each time it was asked.
struct Asked {
    QString caption;
    QString entry;
    QString selected;
};

// Answers the value dialog with `entry` typed over its proposal; an empty entry cancels.
std::function<void(QWidget*)> answer(const QString& entry, QList<Asked>* seen) {
    return [entry, seen](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("TexteValeur");
        seen->append({dialog->windowTitle(), edit->text(), edit->selectedText()});
        if (entry.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Escape);
            return;
        }
        typeText(edit, entry);
        QTest::keyClick(edit, Qt::Key_Return);
    };
}

// The texts printed in a colour, in order.
QStringList printedIn(const DrawSurface& surface, const QColor& colour) {
    QStringList out;
    for (const DrawItem& item : surface.items())
        if (item.kind == DrawItem::Kind::Text && !item.text.isEmpty() && item.color == colour)
            out << item.text;
    return out;
}

QStringList explanationTexts(const exercises::Exercise& ex) {
    QStringList out;
    for (const pages::PageLine& line : ex.explanation)
        if (line.kind == pages::PageLine::Kind::Text) out << line.text;
    return out;
}

// The names of a window's controls that are not hidden, sorted.
QStringList shownControls(QWidget& window) {
    QStringList out;
    for (QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->isHidden() && !w->objectName().isEmpty()) out << w->objectName();
    out.sort();
    return out;
}

// The texts of a surface's lines: for each row (y), its texts in the order printed.
QMap<double, QList<DrawItem>> rowsOf(const DrawSurface& s) {
    QMap<double, QList<DrawItem>> rows;
    for (const DrawItem& i : s.items())
        if (i.kind == DrawItem::Kind::Text && !i.text.isEmpty()) rows[i.p1.y()] << i;
    return rows;
}

// The ASCII table's cell of a row (its label) and a column (the high digit), as printed.
QString asciiCell(const DrawSurface& s, const QString& rowLabel, int column) {
    for (const QList<DrawItem>& row : rowsOf(s)) {
        const DrawItem& label = row.first();
        if (label.p1.x() >= s.zoneWidth() || label.text.trimmed() != rowLabel) continue;
        for (const DrawItem& cell : row)
            if (qRound(cell.p1.x() / s.zoneWidth()) == column + 1 && cell.p1.x() >= s.zoneWidth())
                return cell.text;
    }
    return QStringLiteral("(none)");
}

// The page window on screen, whichever it is.
PageWindow* shownPage() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* page = qobject_cast<PageWindow*>(w); page && page->isVisible()) return page;
    return nullptr;
}

struct Fixture {
    AppFixture app{AppFixture::Ports::Absent};
    Fixture() { app.menu().show(); }
    // A page as the user reaches it: its menu item, or for a page no item opens, its link.
    PageWindow& open(const QString& page) {
        if (QAction* item = app.menu().item(page))
            item->trigger();
        else
            pageindex::open(*app.forms, page);
        return *pageindex::window(*app.forms, pageindex::load(page).page->window);
    }
    FMessage& message() { return app.get<FMessage>(); }
    QAbstractButton* button(const QString& name) {
        return message().findChild<QAbstractButton*>(name);
    }
    // Presses an exercise button, the value dialog answered in turn by `entries`.
    QList<Asked> press(const QString& name, const QStringList& entries) {
        QList<Asked> seen;
        QList<std::function<void(QWidget*)>> answers;
        for (const QString& e : entries) answers << answer(e, &seen);
        onModals(answers);
        button(name)->click();
        return seen;
    }
};

}  // namespace

class TstPages : public QObject {
    Q_OBJECT
private slots:
    void init() { QCOMPARE(pendingModalAnswers(), 0); }

    // Every page file: it reads, its window and every control it names exist, a link is a
    // picture that acts as a button, the menu has the item that opens it, and its text stays
    // inside the page above the buttons.
    void everyPage_data() {
        QTest::addColumn<QString>("name");
        const QStringList names = pageindex::names();
        QVERIFY(names.size() >= 7);
        for (const QString& name : names) QTest::newRow(qPrintable(name)) << name;
    }
    void everyPage() {
        QFETCH(QString, name);
        Fixture fx;
        const pages::ParseResult r = pageindex::load(name);
        QVERIFY2(r.page, qPrintable(QStringLiteral("%1, line %2").arg(r.error).arg(r.line)));
        PageWindow* window = pageindex::window(*fx.app.forms, r.page->window);
        QVERIFY2(window, qPrintable(r.page->window));
        for (const QString& control : r.page->controls())
            QVERIFY2(window->hasControl(control), qPrintable(control));
        for (const auto& link : r.page->links) {
            QCOMPARE(window->controlSpec(link.first)->kind, pages::ControlSpec::Kind::Link);
            QVERIFY2(fx.app.menu().item(link.second) || pageindex::has(link.second),
                     qPrintable(link.second));
        }
        // Reached from the menu, or through another page's link.
        QVERIFY2(fx.app.menu().item(name) || linkTargets().contains(name), qPrintable(name));
        PageWindow& shown = fx.open(name);
        QCOMPARE(&shown, window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), r.page->caption);
        QVERIFY(!window->surface().items().isEmpty());
        QCOMPARE(pages::outside(window->surface(), window->textArea()), QStringList());
        QVERIFY(!window->accessibleDescription().isEmpty());
        QVERIFY(!fx.app.menu().isEnabled());
    }

    // A page shows the same controls whatever page was on its window before it, closed or not.
    void samePageAfterAnyOther_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("page");
        const QStringList names = pageindex::names();
        for (const QString& before : names)
            for (const QString& page : names)
                if (before != page)
                    QTest::newRow(qPrintable(before + " " + page)) << before << page;
    }
    void samePageAfterAnyOther() {
        QFETCH(QString, before);
        QFETCH(QString, page);
        Fixture alone;
        const QStringList expected = shownControls(alone.open(page));
        Fixture fx;
        fx.open(before);
        QCOMPARE(shownControls(fx.open(page)), expected);
    }

    void exitsGiveTheMenuBack_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("exit");
        for (const char* page : {"QueParite", "QueLiaison232"})
            for (const char* exit : {"Annuler", "Esc", "Enter", "close"})
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(page, exit))) << page << exit;
    }
    void exitsGiveTheMenuBack() {
        QFETCH(QString, page);
        QFETCH(QString, exit);
        Fixture fx;
        PageWindow& w = fx.open(page);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!fx.app.menu().isEnabled());
        if (exit == "Annuler") {
            w.findChild<QAbstractButton*>("Annuler")->click();
        } else if (exit == "close") {
            w.close();
        } else {
            w.setFocus();
            QTest::keyClick(&w, exit == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
        }
        QTRY_VERIFY(w.isHidden());
        QVERIFY(fx.app.menu().isEnabled());
        QVERIFY(w.surface().items().isEmpty());
    }

    // Each exercise: what the dialog proposed, the verdict in dark red under the question, the
    // explanation after it, the colour black again; an answer it cannot judge asked again.
    void exercise_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("right");
        QTest::newRow("parity, right") << 0 << QStringList{"0"} << true;
        QTest::newRow("parity, wrong") << 0 << QStringList{"1"} << false;
        QTest::newRow("parity, asked again")
            << 0 << QStringList{"2", "oui", " 1", "0 ", "0"} << true;
        QTest::newRow("speed, right") << 1 << QStringList{"960"} << true;
        QTest::newRow("speed, trailing blank") << 1 << QStringList{"960 "} << false;
        QTest::newRow("speed, leading zero") << 1 << QStringList{"0960"} << false;
        QTest::newRow("frame, right") << 2 << QStringList{"0111111001"} << true;
        QTest::newRow("frame, most significant first") << 2 << QStringList{"0001111111"} << false;
        QTest::newRow("frame, the proposal kept") << 2 << QStringList{""} << false;
    }
    void exercise() {
        QFETCH(int, index);
        QFETCH(QStringList, entries);
        QFETCH(bool, right);
        Fixture fx;
        const exercises::Exercise ex = loadExercise(kExerciseFiles[index]);
        FMessage& w = static_cast<FMessage&>(fx.open(kExercisePages[index]));
        // The proposal left as it is: Enter alone.
        if (entries == QStringList{""}) {
            QList<Asked> seen;
            onNextModal([&seen](QWidget* d) {
                seen.append({d->windowTitle(), {}, {}});
                QTest::keyClick(d->findChild<QLineEdit*>("TexteValeur"), Qt::Key_Return);
            });
            fx.button(kExerciseButtons[index])->click();
            QCOMPARE(seen.size(), 1);
        } else {
            const QList<Asked> seen = fx.press(kExerciseButtons[index], entries);
            QCOMPARE(seen.size(), entries.size());
            for (const Asked& a : seen) {
                QCOMPARE(a.caption, ex.dialogCaption);
                QCOMPARE(a.entry, QStringLiteral("Valeur?"));
                QCOMPARE(a.selected, a.entry);
            }
        }
        QVERIFY(w.isVisible());
        const QStringList red = printedIn(w.surface(), formkit::kTitleRed);
        QVERIFY(!red.isEmpty());
        QCOMPARE(red.first() == ex.right, right);
        QCOMPARE(red.mid(1), explanationTexts(ex));
        QCOMPARE(w.surface().ForeColor, QColor(Qt::black));
        // The question once, above the verdict, whatever was asked again.
        const QStringList black = printedIn(w.surface(), Qt::black);
        QCOMPARE(black.size(), ex.statement.size());
        QCOMPARE(pages::outside(w.surface(), w.textArea()), QStringList());
        QVERIFY(fx.button(kExerciseButtons[index])->isHidden() || index == 0);
        QVERIFY(fx.button("BPExemple")->isHidden());
    }

    // The parity series. Steps: "o" opens the page, "a<answers>" presses the series' button and
    // answers its dialog in turn with each answer separated by commas ("a" alone cancels it),
    // "x" closes the page with Annuler. `asked` is the number of each
    // exercise asked, `button` what the series' button reads at the end ("-" hidden).
    void series_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("button");
        QTest::newRow("the three in a row") << "o a0 a1 a0"
                                            << "123"
                                            << "-";
        QTest::newRow("right or wrong, it moves on") << "o a1 a0"
                                                     << "12"
                                                     << "Exercice n°3";
        QTest::newRow("not judged, it stays") << "o a2,0 a0"
                                              << "112"
                                              << "Exercice n°3";
        QTest::newRow("cancelled, it stays") << "o a0 a"
                                             << "12"
                                             << "-";
        QTest::newRow("cancelled, reopened: n°1 again") << "o a0 a o a0"
                                                        << "121"
                                                        << "Exercice n°2";
        QTest::newRow("closed, reopened: n°1 again") << "o a0 x o a1"
                                                     << "11"
                                                     << "Exercice n°2";
        QTest::newRow("after the series, back after Annuler") << "o a0 a0 a0 x o"
                                                              << "123"
                                                              << "Exercice n°1";
    }
    void series() {
        QFETCH(QString, steps);
        QFETCH(QString, asked);
        QFETCH(QString, button);
        Fixture fx;
        QString numbers;
        for (const QString& step : steps.split(' ')) {
            if (step == "o") {
                fx.open("QueParite");
            } else if (step == "x") {
                fx.button("Annuler")->click();
            } else {
                const QList<Asked> seen = fx.press(kSeriesButton, step.mid(1).split(','));
                for (const Asked& a : seen) numbers += a.caption.right(1);
            }
        }
        QCOMPARE(numbers, asked);
        QCOMPARE(fx.app.menu().isEnabled(), fx.message().isHidden());
        QAbstractButton* series = fx.button(kSeriesButton);
        QCOMPARE(series->isHidden() ? QStringLiteral("-") : series->text(), button);
    }

    // "Bits de STOP" offers no exercise, even right after a page that offered one, on the page
    // or on the example sheet.
    void stopBitsOffersNoExercise_data() {
        QTest::addColumn<QString>("before");
        for (const QString& page : kExercisePages) QTest::newRow(qPrintable(page)) << page;
    }
    void stopBitsOffersNoExercise() {
        QFETCH(QString, before);
        Fixture fx;
        fx.open(before);
        if (!fx.button("BPExemple")->isHidden()) fx.button("BPExemple")->click();
        fx.open("QueStop");
        for (const QString& name : kExerciseButtons) QVERIFY(fx.button(name)->isHidden());
        for (int i = 0; i < 3; ++i)
            QVERIFY(fx.app.get<Feuille>()
                        .findChild<QWidget*>(QStringLiteral("Exercice%1").arg(i))
                        ->isHidden());
        QVERIFY(!fx.button("BPExemple")->isHidden());
        QCOMPARE(fx.message().focusWidget(), fx.button("Annuler"));
    }

    // "Exemple": the sheet in place of the page with the frame of code 14 and the page's offer of
    // an exercise; the main window stays covered.
    void exampleSheet_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("offered");  // the sheet's exercise buttons shown
        QTest::newRow("parity") << "QueParite"
                                << "0";
        QTest::newRow("data bits") << "QueDonnee"
                                   << "2";
        QTest::newRow("stop bits") << "QueStop"
                                   << "";
        QTest::newRow("the RS-232C link") << "QueLiaison232"
                                          << "";
    }
    void exampleSheet() {
        QFETCH(QString, page);
        QFETCH(QString, offered);
        Fixture fx;
        PageWindow& w = fx.open(page);
        w.findChild<QAbstractButton*>("BPExemple")->click();
        Feuille& sheet = fx.app.get<Feuille>();
        QVERIFY(sheet.isVisible());
        QVERIFY(w.isHidden());
        QVERIFY(!fx.app.menu().isEnabled());
        QVERIFY(sheet.windowTitle().endsWith(QStringLiteral("  14")));
        QCOMPARE(fx.app.state.CurrentCode, 14);
        QVERIFY(!sheet.surface().items().isEmpty());
        QString shown;
        for (int i = 0; i < 3; ++i)
            if (!sheet.findChild<QWidget*>(QStringLiteral("Exercice%1").arg(i))->isHidden())
                shown += QString::number(i);
        QCOMPARE(shown, offered);
        for (const QString& name : kExerciseButtons)
            if (auto* b = w.findChild<QAbstractButton*>(name)) QVERIFY(b->isHidden());
        sheet.findChild<QAbstractButton*>("Annuler")->click();
        QVERIFY(fx.app.menu().isEnabled());
    }

    // The sheet's exercise button: the page back with the exercise asked on it; whatever the
    // answer, the sheet's buttons are gone, and the main window comes back with the page.
    void exerciseFromTheSheet_data() {
        QTest::addColumn<QString>("entry");
        QTest::newRow("answered") << "0";
        QTest::newRow("cancelled") << "";
    }
    void exerciseFromTheSheet() {
        QFETCH(QString, entry);
        Fixture fx;
        fx.open("QueParite");
        fx.button("BPExemple")->click();
        Feuille& sheet = fx.app.get<Feuille>();
        QList<Asked> seen;
        onNextModal(answer(entry, &seen));
        sheet.findChild<QAbstractButton*>("Exercice0")->click();
        QVERIFY(sheet.isHidden());
        QTRY_COMPARE(seen.size(), 1);
        QVERIFY(seen[0].caption.endsWith(QStringLiteral("n°1")));
        QTRY_COMPARE(fx.message().isVisible(), !entry.isEmpty());
        QCOMPARE(fx.app.menu().isEnabled(), entry.isEmpty());
        QVERIFY(sheet.findChild<QWidget*>("Exercice0")->isHidden());
        QVERIFY(fx.button("BPExemple")->isHidden() || entry.isEmpty());
        if (!entry.isEmpty())
            QCOMPARE(fx.button(kSeriesButton)->text(), QStringLiteral("Exercice n°2"));
    }

    // A link closes its page and runs the main window's item it names.
    // A link closes its page and opens the one it leads to, as if that page were opened alone:
    // the pinout page from the main signals has no link of its own.
    void linksBetweenPages_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("to");
        QTest::newRow("signals to pinout") << "Signaux"
                                           << "ImageVoir"
                                           << "Brochage";
        QTest::newRow("RS-422A to table") << "RS422"
                                          << "ImageVoirTableau"
                                          << "TableauComparatif";
        QTest::newRow("RS-485 to table") << "RS485"
                                         << "ImageVoirTableau"
                                         << "TableauComparatif";
        QTest::newRow("DTE and DCE to links") << "DTEDCE"
                                              << "DTEDCE"
                                              << "DTEDCELiaisons";
    }
    void linksBetweenPages() {
        QFETCH(QString, from);
        QFETCH(QString, link);
        QFETCH(QString, to);
        Fixture alone;
        const QStringList expected = shownControls(alone.open(to));
        Fixture fx;
        PageWindow& start = fx.open(from);
        auto* button = start.findChild<QAbstractButton*>(link);
        QVERIFY(button && !button->isHidden());
        button->click();
        PageWindow* target = pageindex::window(*fx.app.forms, pageindex::load(to).page->window);
        QVERIFY(target->isVisible());
        QCOMPARE(target->windowTitle(), pageindex::load(to).page->caption);
        QCOMPARE(shownControls(*target), expected);
        QCOMPARE(pages::outside(target->surface(), target->textArea()), QStringList());
        QVERIFY(!fx.app.menu().isEnabled());
        target->Annuler_Click();
        QVERIFY(fx.app.menu().isEnabled());
    }

    // In the tables, every cell not at the start of its line starts on a print-zone boundary,
    // and the cells of a column line up from row to row.
    void tablesOnZones_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("columns");  // besides the one a line starts with
        QTest::newRow("pinout") << "Brochage" << 3;
        QTest::newRow("DTE and DCE") << "DTEDCE" << 5;
        QTest::newRow("comparison") << "TableauComparatif" << 3;
        QTest::newRow("ASCII table") << "CodeAscii" << 8;
        QTest::newRow("abbreviations") << "Abreviations" << 2;
    }
    void tablesOnZones() {
        QFETCH(QString, page);
        QFETCH(int, columns);
        Fixture fx;
        const DrawSurface& shown = fx.open(page).surface();
        // The zones of the size the table is printed in, which a page may choose.
        DrawSurface s;
        s.setScaleMode(DrawSurface::ScaleMode::Twip);
        for (const DrawItem& i : shown.items())
            if (i.kind == DrawItem::Kind::Text && !i.text.isEmpty()) s.Font = i.font;
        QMap<double, QList<double>> rows;  // y: the x of each cell
        for (const DrawItem& i : shown.items())
            if (i.kind == DrawItem::Kind::Text && !i.text.isEmpty()) rows[i.p1.y()] << i.p1.x();
        QSet<int> columnStarts;
        for (const QList<double>& xs : rows) {
            if (xs.size() < 2) continue;
            for (double x : xs) {
                if (x < s.zoneWidth()) continue;  // where its line starts
                const double zones = x / s.zoneWidth();
                QVERIFY2(qAbs(zones - qRound(zones)) < 1e-6, qPrintable(QString::number(zones)));
                columnStarts << qRound(zones);
            }
        }
        QCOMPARE(int(columnStarts.size()), columns);
    }

    // The ASCII table: a cell by its row and column, the codes the page files cannot write
    // plainly among them, and every printable code in the cell of its two hexadecimal digits.
    void asciiTable_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("cell");
        QTest::newRow("double quote") << "2" << 2 << QString(QChar(34));
        QTest::newRow("EOF for 1A") << "A" << 1 << "EOF";
        QTest::newRow("TAB for 09") << "9" << 0 << "TAB";
        QTest::newRow("backslash") << "C" << 5 << "\\";
        QTest::newRow("vertical bar") << "C" << 7 << "|";
        QTest::newRow("space") << "0" << 2 << "SP";
        QTest::newRow("127") << "F" << 7 << "DEL";
        QTest::newRow("NUL") << "0" << 0 << "NUL";
    }
    void asciiTable() {
        QFETCH(QString, row);
        QFETCH(int, column);
        QFETCH(QString, cell);
        Fixture fx;
        QCOMPARE(asciiCell(fx.open("CodeAscii").surface(), row, column), cell);
    }
    void asciiTablePrintables() {
        Fixture fx;
        const DrawSurface& s = fx.open("CodeAscii").surface();
        for (int code = 33; code < 127; ++code) {
            const QString row = QString::number(code % 16, 16).toUpper();
            QCOMPARE(asciiCell(s, row, code / 16).trimmed(), QString(cp1252::toChar(code)));
        }
    }

    // The abbreviations, reached from the table: one row each, the separators named right.
    void abbreviations() {
        Fixture fx;
        PageWindow& table = fx.open("CodeAscii");
        auto* link = table.findChild<QAbstractButton*>(QStringLiteral("ImageAbréviation"));
        QVERIFY(link && !link->isHidden());
        link->click();
        PageWindow* page = shownPage();
        QVERIFY(page);
        QVERIFY(page->findChild<QWidget*>(QStringLiteral("ImageAbréviation"))->isHidden());
        const auto rows = rowsOf(page->surface());
        QCOMPARE(int(rows.size()), 26);
        for (const QList<DrawItem>& row : rows) QCOMPARE(int(row.size()), 2);
        const QString all = page->surface().textLines().join('\n');
        QVERIFY(all.contains(QStringLiteral("Unit Separator")));
        QVERIFY(!all.contains(QStringLiteral("United")));
    }

    // The three number bases: the superscript one of the code page in the second and third
    // conversions, the degree sign as the superscript zero in all three.
    void baseConversions_data() {
        QTest::addColumn<QString>("page");
        for (const char* page : {"CodeBinaire", "CodeHexa", "Octal"}) QTest::newRow(page) << page;
    }
    void baseConversions() {
        QFETCH(QString, page);
        Fixture fx;
        const QStringList lines = fx.open(page).surface().textLines();
        QCOMPARE(lines.filter(cp1252::toChar(185)).size(), 2);
        QCOMPARE(lines.filter(QStringLiteral("°")).size(), 3);
        QCOMPARE(lines.filter(QChar(0x2070)).size(), 0);
    }

    // The character set, from its menu item: on the information window, inside the page, and
    // gone with Annuler.
    void characterSet() {
        Fixture fx;
        fx.app.menu().item("Jeu")->trigger();
        FInfo& w = fx.app.get<FInfo>();
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowTitle(), charsetpage::caption());
        QVERIFY(w.surface().items().size() > 2 * charsetpage::kCodes);
        QCOMPARE(pages::outside(w.surface(), w.textArea()), QStringList());
        QVERIFY(!w.accessibleDescription().isEmpty());
        QVERIFY(!fx.app.menu().isEnabled());
        w.findChild<QAbstractButton*>("Annuler")->click();
        QVERIFY(fx.app.menu().isEnabled());
        QVERIFY(w.surface().items().isEmpty());
    }

    // A page prints the same lines whatever was on its window before, the drawn one included.
    void sameTextAfterAnyOther_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("page");
        QTest::newRow("glossary, acronyms") << "Lexique"
                                            << "Sigles";
        QTest::newRow("acronyms, glossary") << "Sigles"
                                            << "Lexique";
        QTest::newRow("character set, acronyms") << "Jeu"
                                                 << "Sigles";
        QTest::newRow("octal, character set") << "Octal"
                                              << "Jeu";
        QTest::newRow("abbreviations, table") << "Abreviations"
                                              << "CodeAscii";
    }
    void sameTextAfterAnyOther() {
        QFETCH(QString, before);
        QFETCH(QString, page);
        const auto openItem = [](Fixture& fx, const QString& name) {
            if (QAction* item = fx.app.menu().item(name))
                item->trigger();
            else
                pageindex::open(*fx.app.forms, name);
            return shownPage();
        };
        Fixture alone;
        const QStringList expected = openItem(alone, page)->surface().textLines();
        Fixture fx;
        openItem(fx, before)->Annuler_Click();
        PageWindow* w = openItem(fx, page);
        QCOMPARE(w->surface().textLines(), expected);
    }

    void linkRunsItsMenuItem() {
        Fixture fx;
        const pages::Page page = *pageindex::load("QueProtocole").page;
        QCOMPARE(page.links.size(), 1);
        QSignalSpy ran(fx.app.menu().item(page.links[0].second), &QAction::triggered);
        fx.open("QueProtocole");
        fx.button(page.links[0].first)->click();
        QCOMPARE(ran.count(), 1);
        QVERIFY(fx.message().isHidden() || fx.message().windowTitle() != page.caption);
    }

    // Enter presses the focused button, not Annuler.
    void enterPressesTheFocusedButton() {
        Fixture fx;
        FMessage& w = static_cast<FMessage&>(fx.open("QueVitesse"));
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QList<Asked> seen;
        onNextModal(answer("960", &seen));
        fx.button("BPExercice(1)")->setFocus();
        QTest::keyClick(fx.button("BPExercice(1)"), Qt::Key_Return);
        QCOMPARE(seen.size(), 1);
        QVERIFY(w.isVisible());
    }
};

QTEST_MAIN(TstPages)
#include "tst_pages.moc"
