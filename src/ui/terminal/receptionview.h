#pragma once
// What a reception window shows of the text received, appended at a cost that does not grow with
// what the window already holds: broken into lines where the window's width is reached (one long
// paragraph would be laid out again whole at each append), breaks that only the display has. The
// oldest lines go beyond a bound, so that a reception left running for hours does not exhaust
// memory. What arrives between two frames of the screen is added together, in one step: the
// window, its scroll bar and assistive technologies hear of it once a frame.

#include <QPlainTextEdit>
#include <QString>
#include <QTimer>

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

    // Continues the text on its last line at the next frame, starting new lines where the
    // window's width is full.
    void appendText(const QString& text);
    // Adds the text waiting for the next frame now.
    void flush();
    // Empties the window, the text waiting included.
    void clear();
    int pendingCharacters() const { return int(pending_.size()); }

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
    QString pending_;
    QTimer frame_;
    double lastWidth_ = 0;
    int lastLength_ = 0;
};
