#include "support/shownlines.h"

#include "ui/terminal/codetable.h"
#include "ui/terminal/femirecep.h"
#include "ui/terminal/receptionview.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QRegularExpression>
#include <QWidget>

namespace testsupport {

namespace {

QStringList tableRows(QAccessibleTableInterface* table) {
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c) {
            QAccessibleInterface* cell = table->cellAt(r, c);
            cells << (cell ? cell->text(QAccessible::Name) : QString());
        }
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows;
}

}  // namespace

QStringList shownLines(QWidget* window) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(window);
    if (!a) return {};
    if (a->tableInterface()) {
        // A view tells its accessible cells of its model's changes only while an accessibility
        // bridge is active, which the offscreen platform never has: read through a new
        // interface, as a screen reader kept up to date would.
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(a));
        a = QAccessible::queryAccessibleInterface(window);
        if (!a || !a->tableInterface()) return {};
        return tableRows(a->tableInterface());
    }
    QAccessibleTextInterface* text = a->textInterface();
    if (!text) return {};
    QString all = text->text(0, text->characterCount());
    all.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    all.replace(QChar::LineSeparator, QLatin1Char('\n'));
    if (all.isEmpty()) return {};
    QStringList lines = all.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QList<int> leadingNumbers(const QStringList& lines) {
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+)"));
    QList<int> out;
    out.reserve(lines.size());
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = number.match(line);
        if (m.hasMatch()) out << m.captured(1).toInt();
    }
    return out;
}

QStringList shownReception(FEmiRecep& terminal) {
    QWidget* table = terminal.TableReception;
    QWidget* text = terminal.TexteReception;
    return shownLines(table->isVisible() ? table : text);
}

}  // namespace testsupport
