#pragma once
// The table of codes of the simultaneous exchange: a row for each character received, with its
// code in decimal, hexadecimal and octal and its aspect, under the headings printed above it.
// Rows are kept as their codes alone, and their texts are made only when a row is drawn or
// copied, so that a row costs the same whatever the table already holds. Beyond a bound the
// oldest rows go. Rows that arrive between two frames of the screen are added together, in one
// step: the view, its scroll bar and assistive technologies hear of them once a frame.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QTableView>
#include <QTimer>

#include "core/ringbuffer.h"

class CodeTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Decimal, Hexadecimal, Octal, Aspect, ColumnCount };
    // The most rows the table keeps.
    static constexpr int kMaxRows = 100000;

    explicit CodeTableModel(QObject* parent = nullptr, int capacity = kMaxRows);

    // A row for each byte, in order, added at the next frame of the screen.
    void append(const QByteArray& codes);
    // Adds the rows waiting for the next frame now.
    void flush();
    // Forgets every row, those waiting included.
    void clear();
    int pendingRows() const { return int(pending_.size()); }

    int code(int row) const { return rows_[std::size_t(row)]; }
    // A row as a copy gives it: the columns separated by tabs, as a plain reception window
    // lines them up under the headings.
    QString rowText(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    RingBuffer<unsigned char> rows_;
    QByteArray pending_;
    QTimer frame_;
};

// The view of the table, in the place and look of a reception window: no grid and no headings of
// its own, fixed row heights, whole rows selected; the view follows the newest row while it is
// at the bottom, and stays on the rows the user is reading otherwise. Copy (Ctrl+C or the
// context menu) gives the selected rows, one a line.
class CodeTableView : public QTableView {
    Q_OBJECT
public:
    explicit CodeTableView(QWidget* parent = nullptr, int capacity = CodeTableModel::kMaxRows);

    CodeTableModel& rows() { return *model_; }
    // The rows selected, one a line, in order.
    QString selectedText() const;
    // Every row, one a line.
    QString toPlainText() const;
    void copy() const;
    void clear() { model_->clear(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    void setUpLook();
    void setUpActions();
    // Where the columns start, as tab stops of a plain reception window would place them.
    void placeColumns();
    // Whether the view is at the bottom, and where, before rows come or go.
    void noteScroll();
    void rowsWent(int count);
    void rowsCame();

    CodeTableModel* model_;
    bool atBottom_ = true;
    int topBefore_ = 0;
};
