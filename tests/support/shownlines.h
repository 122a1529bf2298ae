#pragma once
// What a window shows, read as assistive technologies read it: the lines of a text window, or
// the rows of a table with their cells joined by tabs. Tests and benchmarks that look at what
// the user sees go through this, not through the window's inner model.

#include <QStringList>

class FEmiRecep;
class QWidget;

namespace testsupport {

QStringList shownLines(QWidget* window);
// The lines the terminal's reception window shows: its text, or its table of codes.
QStringList shownReception(FEmiRecep& terminal);

// The first number of each line shown (lines that start with none are skipped).
QList<int> leadingNumbers(const QStringList& lines);

}  // namespace testsupport
