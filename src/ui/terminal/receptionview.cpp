#include "ui/terminal/receptionview.h"

#include <QFontMetricsF>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

namespace {

// What the caret and rounding of advances may add to a line, in pixels.
constexpr double kLineSlackPx = 4;

}  // namespace

QString ReceptionBox::receivedText() const {
    return receivedText(0, document()->characterCount() - 1);
}

QString ReceptionBox::receivedText(int from, int to) const {
    QString out;
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() < to;
         b = b.next()) {
        const int breakAt = b.position() + b.length() - 1;
        const int start = std::max(from, b.position()) - b.position();
        const int end = std::min(to, breakAt) - b.position();
        out += b.text().mid(start, end - start);
        if (to > breakAt && b.userState() != kWrappedLine) out += QLatin1Char('\n');
    }
    return out;
}

QMimeData* ReceptionBox::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(receivedText(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

ReceptionView::ReceptionView(ReceptionBox* box) : box_(box) {
    box_->setMaximumBlockCount(kMaxLines);
    // What is received is not edited: an undo history would only keep a copy of it all.
    box_->setUndoRedoEnabled(false);
    box_->setLineWrapMode(QPlainTextEdit::NoWrap);
}

double ReceptionView::room() const {
    const double bar = box_->verticalScrollBar()->sizeHint().width();
    const double margins = 2 * box_->document()->documentMargin();
    return box_->contentsRect().width() - bar - margins - kLineSlackPx;
}

double ReceptionView::lastLineWidth() {
    const QString last = box_->document()->lastBlock().text();
    if (last.size() != lastLength_) {
        lastWidth_ = QFontMetricsF(box_->font()).horizontalAdvance(last);
        lastLength_ = int(last.size());
    }
    return lastWidth_;
}

bool ReceptionView::atBottom() const {
    const QScrollBar* bar = box_->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void ReceptionView::keepAtBottom(bool wasAtBottom) {
    if (wasAtBottom) box_->verticalScrollBar()->setValue(box_->verticalScrollBar()->maximum());
}

void ReceptionView::appendText(const QString& text) {
    if (text.isEmpty()) return;
    const QFontMetricsF metrics(box_->font());
    const double limit = room();
    double width = lastLineWidth();
    int length = lastLength_;
    QString out;
    out.reserve(text.size() + text.size() / 64 + 1);
    int wrapped = 0;
    for (QChar ch : text) {
        const double advance = metrics.horizontalAdvance(ch);
        if (length > 0 && width + advance > limit) {
            out += QLatin1Char('\n');
            ++wrapped;
            width = 0;
            length = 0;
        }
        out += ch;
        width += advance;
        ++length;
    }
    const bool wasAtBottom = atBottom();
    QTextCursor end(box_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(out);
    markWrapped(wrapped);
    lastWidth_ = width;
    lastLength_ = length;
    keepAtBottom(wasAtBottom);
}

void ReceptionView::markWrapped(int count) {
    QTextBlock b = box_->document()->lastBlock();
    for (int i = 0; i < count && b.isValid(); ++i) {
        b = b.previous();
        b.setUserState(ReceptionBox::kWrappedLine);
    }
}

void ReceptionView::appendRows(const QStringList& rows) {
    if (rows.isEmpty()) return;
    // On an empty window the first row takes the empty first line.
    box_->appendPlainText(rows.join(QLatin1Char('\n')));
}
