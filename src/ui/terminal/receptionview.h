#pragma once
// What a reception window shows of the characters received, appended at a cost that does not
// grow with what the window already holds: the table of codes one row a line, the received text
// broken into lines where the window's width is reached (one long paragraph would be laid out
// again whole at each append). The oldest lines go beyond a bound, so that a reception left
// running for hours does not exhaust memory.

#include <QString>
#include <QStringList>

class QPlainTextEdit;

class ReceptionView {
public:
    // The most lines a reception window keeps.
    static constexpr int kMaxLines = 100000;

    explicit ReceptionView(QPlainTextEdit* box);

    // Continues the text on its last line, starting new lines where the window's width is full.
    void appendText(const QString& text);
    // Each row on a line of its own after what is there.
    void appendRows(const QStringList& rows);

private:
    // The width a line may fill, in pixels.
    double room() const;
    // The width of the text already on the last line (recomputed when the window was changed
    // by someone else, such as "Raz").
    double lastLineWidth();
    void keepAtBottom(bool wasAtBottom);
    bool atBottom() const;

    QPlainTextEdit* box_;
    double lastWidth_ = 0;
    int lastLength_ = 0;
};
