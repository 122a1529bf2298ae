#include "ui/terminal/receptionview.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

namespace {

// What the caret and rounding of advances may add to a line, in pixels.
constexpr double kLineSlackPx = 4;
// The screen's rate when it does not say: text is added at most this often a second.
constexpr double kFallbackFramesPerSecond = 60;

int frameInterval() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double rate =
        screen && screen->refreshRate() > 1 ? screen->refreshRate() : kFallbackFramesPerSecond;
    return std::max(1, int(1000 / rate));
}

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
    frame_.setSingleShot(true);
    frame_.setInterval(frameInterval());
    QObject::connect(&frame_, &QTimer::timeout, box_, [this] { flush(); });
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
    pending_ += text;
    if (!frame_.isActive()) frame_.start();
}

void ReceptionView::clear() {
    frame_.stop();
    pending_.clear();
    box_->clear();
}

void ReceptionView::flush() {
    frame_.stop();
    if (pending_.isEmpty()) return;
    const QString text = std::exchange(pending_, QString());
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
