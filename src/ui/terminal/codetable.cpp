#include "ui/terminal/codetable.h"

#include <QAction>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>
#include <span>

#include "core/codepage.h"
#include "core/eventtexts.h"
#include "core/framebits.h"
#include "ui/terminal/receptiontexts.h"

namespace {

// The screen's rate when it does not say: rows are added at most this often a second.
constexpr double kFallbackFramesPerSecond = 60;
// Where each column starts, in tab stops of eight average characters from the row's start.
constexpr int kColumnTabs[CodeTableModel::ColumnCount] = {0, 3, 7, 10};
constexpr int kAverageCharsPerTab = 8;

int frameInterval() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double rate =
        screen && screen->refreshRate() > 1 ? screen->refreshRate() : kFallbackFramesPerSecond;
    return std::max(1, int(1000 / rate));
}

QString aspectOf(int code) {
    return frame::isDisplayable(code) ? QString(cp1252::toChar(code)) : QString();
}

// The row of `code` without its line end: the window supplies it.
QString rowOf(int code) {
    QString row = eventtexts::codeRow(code, aspectOf(code));
    while (row.endsWith(QLatin1Char('\n')) || row.endsWith(QLatin1Char('\r'))) row.chop(1);
    return row;
}

}  // namespace

CodeTableModel::CodeTableModel(QObject* parent, int capacity)
    : QAbstractTableModel(parent), rows_(std::size_t(std::max(0, capacity))) {
    frame_.setSingleShot(true);
    frame_.setInterval(frameInterval());
    connect(&frame_, &QTimer::timeout, this, &CodeTableModel::flush);
}

void CodeTableModel::append(const QByteArray& codes) {
    if (codes.isEmpty()) return;
    pending_ += codes;
    if (!frame_.isActive()) frame_.start();
}

void CodeTableModel::flush() {
    frame_.stop();
    if (pending_.isEmpty() || rows_.capacity() == 0) return pending_.clear();
    const QByteArray codes = std::exchange(pending_, QByteArray());
    std::span<const unsigned char> items(reinterpret_cast<const unsigned char*>(codes.constData()),
                                         std::size_t(codes.size()));
    if (items.size() > rows_.capacity()) items = items.last(rows_.capacity());
    if (const int dropped = int(rows_.droppedBy(items.size())); dropped > 0) {
        beginRemoveRows(QModelIndex(), 0, dropped - 1);
        rows_.dropFront(std::size_t(dropped));
        endRemoveRows();
    }
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + int(items.size()) - 1);
    rows_.append(items);
    endInsertRows();
}

void CodeTableModel::clear() {
    frame_.stop();
    pending_.clear();
    if (rows_.empty()) return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

QString CodeTableModel::rowText(int row) const {
    return rowOf(code(row));
}

int CodeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int CodeTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CodeTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    // The cells are the row's columns, as its tabs separate them.
    const QStringList cells = rowText(index.row()).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
    return index.column() < cells.size() ? cells.at(index.column()) : QString();
}

QVariant CodeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    // The headings printed above the table name its columns for assistive technologies.
    const QStringList headings =
        receptiontexts::kColumnHeader.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return section >= 0 && section < headings.size() ? headings.at(section) : QVariant();
}

CodeTableView::CodeTableView(QWidget* parent, int capacity)
    : QTableView(parent), model_(new CodeTableModel(this, capacity)) {
    setModel(model_);
    setUpLook();
    setUpActions();
    // Rows go only from the top, and come only at the bottom.
    connect(model_, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int, int last) { rowsWent(last + 1); });
    connect(model_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] { noteScroll(); });
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this] { rowsCame(); });
}

void CodeTableView::setUpLook() {
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Scrolled a row at a time, the top row whole, as the lines of a text window; the scroll
    // bar's value is then the top row.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // Rows of one height, a line of text each: the view never measures a row.
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(qCeil(QFontMetricsF(font()).lineSpacing()));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(true);
    placeColumns();
}

void CodeTableView::setUpActions() {
    auto* copyAction = new QAction(QStringLiteral("Copier"), this);
    connect(copyAction, &QAction::triggered, this, &CodeTableView::copy);
    auto* allAction = new QAction(QStringLiteral("Tout sélectionner"), this);
    connect(allAction, &QAction::triggered, this, &QAbstractItemView::selectAll);
    addActions({copyAction, allAction});
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CodeTableView::placeColumns() {
    const double tab = QFontMetricsF(font()).averageCharWidth() * kAverageCharsPerTab;
    // Each column ends where the next tab stop starts, counted from the row's start.
    for (int c = 0; c + 1 < CodeTableModel::ColumnCount; ++c)
        setColumnWidth(c, qRound(tab * kColumnTabs[c + 1]) - qRound(tab * kColumnTabs[c]));
}

void CodeTableView::noteScroll() {
    const QScrollBar* bar = verticalScrollBar();
    atBottom_ = bar->value() >= bar->maximum();
    topBefore_ = bar->value();
}

void CodeTableView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    noteScroll();
    // A current row that goes would otherwise hand its place to the next one and bring it into
    // view, wherever the user was reading.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() >= start && current.row() <= end)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void CodeTableView::rowsWent(int count) {
    // The rows being read stay in view while older ones go above them.
    if (!atBottom_) verticalScrollBar()->setValue(std::max(0, topBefore_ - count));
}

void CodeTableView::rowsCame() {
    if (atBottom_) scrollToBottom();
}

QString CodeTableView::selectedText() const {
    QModelIndexList chosen = selectionModel()->selectedRows();
    std::sort(chosen.begin(), chosen.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    lines.reserve(chosen.size());
    for (const QModelIndex& index : chosen) lines << model_->rowText(index.row());
    return lines.join(QLatin1Char('\n'));
}

QString CodeTableView::toPlainText() const {
    QStringList lines;
    lines.reserve(model_->rowCount());
    for (int row = 0; row < model_->rowCount(); ++row) lines << model_->rowText(row);
    return lines.join(QLatin1Char('\n'));
}

void CodeTableView::copy() const {
    const QString text = selectedText();
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void CodeTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
