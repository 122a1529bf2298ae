#pragma once
// What a reception window shows of the characters received, appended at a cost that does not
// grow with what the window already holds: the table of codes one row a line, the received text
// broken into lines where the window's width is reached (one long paragraph would be laid out
// again whole at each append), breaks that only the display has. The oldest lines go beyond a
// bound, so that a reception left running for hours does not exhaust memory.

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

// A reception window: the lines it was broken into for display are not part of what it holds.
// A copy of its text, or of a selection, gives the characters as they arrived.
class ReceptionBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;

    // The block state of a line that the window's width ended, not a received line end.
    static constexpr int kWrappedLine = 1;

    // What the window holds, without the display's line breaks.
    QString receivedText() const;
    // The same, for the characters between two positions of the document.
    QString receivedText(int from, int to) const;

protected:
    QMimeData* createMimeDataFromSelection() const override;
};

class ReceptionView {
public:
    // The most lines a reception window keeps.
    static constexpr int kMaxLines = 100000;

    explicit ReceptionView(ReceptionBox* box);

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
    // Marks the `count` lines before the last one as ended by the window's width.
    void markWrapped(int count);

    ReceptionBox* box_;
    double lastWidth_ = 0;
    int lastLength_ = 0;
};
