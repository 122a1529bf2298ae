// The table of codes of the simultaneous exchange on its own: a bound that forgets the oldest
// rows, rows added a frame at a time, the cells of boundary codes, the selection and the view's
// place kept while rows come and go, and the same look for every kind of row.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "core/framebits.h"
#include "core/ringbuffer.h"
#include "support/wait.h"
#include "ui/terminal/codetable.h"

using namespace testsupport;

namespace {

QByteArray run(int from, int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) bytes += char((from + i) % 256);
    return bytes;
}

QList<int> codesOf(const CodeTableModel& m) {
    QList<int> codes;
    for (int row = 0; row < m.rowCount(); ++row) codes << m.code(row);
    return codes;
}

QList<int> lastOf(const QByteArray& bytes, int count) {
    QList<int> codes;
    for (qsizetype i = std::max<qsizetype>(0, bytes.size() - count); i < bytes.size(); ++i)
        codes << static_cast<unsigned char>(bytes[i]);
    return codes;
}

}  // namespace

class TstCodeTable : public QObject {
    Q_OBJECT
private slots:
    // Appends in pieces to a small bound: what stays is the newest rows, oldest first, and each
    // flush says which rows went and which came.
    void boundForgetsTheOldest_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QList<int>>("pieces");
        QTest::newRow("below the bound") << 7 << QList<int>{3, 3};
        QTest::newRow("exactly the bound") << 7 << QList<int>{4, 3};
        QTest::newRow("one past") << 7 << QList<int>{7, 1};
        QTest::newRow("many small past") << 7 << QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        QTest::newRow("more than the bound at once") << 7 << QList<int>{2, 20};
        QTest::newRow("wraps twice") << 5 << QList<int>{4, 4, 4, 4};
        QTest::newRow("a bound of one") << 1 << QList<int>{1, 3, 1};
    }
    void boundForgetsTheOldest() {
        QFETCH(int, capacity);
        QFETCH(QList<int>, pieces);
        CodeTableModel m(nullptr, capacity);
        QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        QByteArray all;
        for (int size : pieces) {
            const int before = m.rowCount();
            const QByteArray piece = run(int(all.size()), size);
            all += piece;
            m.append(piece);
            m.flush();
            const int expected = std::min<int>(int(all.size()), capacity);
            QCOMPARE(m.rowCount(), expected);
            QCOMPARE(codesOf(m), lastOf(all, capacity));
            const int went = before + std::min(size, capacity) - expected;
            if (went > 0) {
                QCOMPARE(removed.size(), 1);
                QCOMPARE(removed.takeFirst().at(2).toInt(), went - 1);
            }
            QCOMPARE(removed.size(), 0);
            QCOMPARE(inserted.size(), 1);
            const QList<QVariant> came = inserted.takeFirst();
            QCOMPARE(came.at(2).toInt() - came.at(1).toInt() + 1, std::min(size, capacity));
        }
    }

    // The ring alone at its seams: dropping more than it holds, and an empty bound.
    void ringSeams() {
        RingBuffer<int> ring(3);
        const int items[] = {1, 2, 3, 4};
        // The first item never was held: nothing held was dropped.
        QCOMPARE(ring.append(items), std::size_t(0));
        QCOMPARE(ring[0], 2);
        QCOMPARE(ring[2], 4);
        QCOMPARE(ring.append(std::span<const int>(items).first(1)), std::size_t(1));
        QCOMPARE(ring[0], 3);
        QCOMPARE(ring[2], 1);
        ring.dropFront(10);
        QVERIFY(ring.empty());
        QCOMPARE(ring.append(std::span<const int>(items).first(2)), std::size_t(0));
        QCOMPARE(ring[1], 2);
        RingBuffer<int> none(0);
        QCOMPARE(none.append(items), std::size_t(0));
        QVERIFY(none.empty());
    }

    // Rows wait for the next frame, all of them in one step; clearing drops those waiting too.
    void rowsComeAFrameAtATime() {
        CodeTableModel m;
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        for (int i = 0; i < 50; ++i) m.append(QByteArray(1, char('A' + i % 26)));
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.pendingRows(), 50);
        QVERIFY(waitFor([&] { return m.rowCount() == 50; }));
        QCOMPARE(inserted.size(), 1);
        m.append(run(0, 10));
        m.clear();
        settle(100);
        QCOMPARE(m.rowCount(), 0);
        m.append(QByteArray());
        QCOMPARE(m.pendingRows(), 0);
    }

    // Each cell of a row gives its code in one base, and the aspect only for what is shown as a
    // character; the row's copy holds the same cells in the same order.
    void cellsOfBoundaryCodes_data() {
        QTest::addColumn<int>("code");
        for (int code : {0, 9, 10, 13, 31, 32, 126, 127, 128, 145, 146, 159, 160, 233, 255})
            QTest::newRow(qPrintable(QString::number(code))) << code;
    }
    void cellsOfBoundaryCodes() {
        QFETCH(int, code);
        CodeTableModel m;
        m.append(QByteArray(1, char(code)));
        m.flush();
        QCOMPARE(m.rowCount(), 1);
        auto cell = [&](int column) { return m.index(0, column).data().toString(); };
        QCOMPARE(cell(CodeTableModel::Decimal).trimmed(), QString::number(code));
        QCOMPARE(cell(CodeTableModel::Hexadecimal), QString::number(code, 16).toUpper());
        QCOMPARE(cell(CodeTableModel::Octal), QString::number(code, 8));
        const QString aspect = cell(CodeTableModel::Aspect);
        QCOMPARE(aspect.isEmpty(), !frame::isDisplayable(code));
        QVERIFY(!m.rowText(0).contains(QLatin1Char('\n')));
        QStringList fields = m.rowText(0).split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        if (aspect.isEmpty()) fields << QString();
        QCOMPARE(fields, QStringList({cell(0), cell(1), cell(2), aspect}));
        // The columns carry names for assistive technologies.
        QVERIFY(!m.headerData(CodeTableModel::Aspect, Qt::Horizontal).toString().isEmpty());
    }

    // A selection stays on the same rows while older ones go, the rows being read stay in view,
    // and a copy gives the selected rows one a line.
    void selectionKept() {
        CodeTableView view(nullptr, 40);
        view.resize(300, 120);
        view.show();
        CodeTableModel& m = view.rows();
        m.append(run(0, 40));
        m.flush();
        view.verticalScrollBar()->setValue(10);
        view.selectRow(12);
        view.selectionModel()->select(m.index(14, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m.append(run(40, 5));
        m.flush();
        const QModelIndexList rows = view.selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 2);
        QList<int> codes;
        for (const QModelIndex& index : rows) codes << m.code(index.row());
        std::sort(codes.begin(), codes.end());
        QCOMPARE(codes, QList<int>({12, 14}));
        QCOMPARE(m.code(view.rowAt(0)), 10);
        view.copy();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 m.rowText(12 - 5) + QLatin1Char('\n') + m.rowText(14 - 5));
        // Once its rows are gone, nothing is left selected; the view follows the newest rows
        // again from the bottom.
        m.append(run(45, 30));
        m.flush();
        QVERIFY(view.selectionModel()->selectedRows().isEmpty());
        view.scrollToBottom();
        m.append(run(75, 3));
        m.flush();
        QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
        QCOMPARE(m.code(m.rowCount() - 1), 77);
    }

    // Every kind of row, a letter, a control code, NUL, DEL, a character of the upper half, is
    // drawn in the window's colours: text over the base, and the selection's colours when chosen.
    void coloursPerRowKind_data() {
        QTest::addColumn<int>("code");
        QTest::newRow("letter") << int('A');
        QTest::newRow("control code") << 1;
        QTest::newRow("NUL") << 0;
        QTest::newRow("DEL") << 127;
        QTest::newRow("upper half") << 233;
        QTest::newRow("space") << 32;
    }
    void coloursPerRowKind() {
        QFETCH(int, code);
        CodeTableView view;
        view.resize(900, 100);
        view.show();
        view.rows().append(QByteArray(1, char(code)) + QByteArray(1, char(code)));
        view.rows().flush();
        view.selectRow(1);
        const QImage image = view.viewport()->grab().toImage();
        const QPalette& p = view.palette();
        for (int row : {0, 1}) {
            const QRect cell = view.visualRect(view.rows().index(row, CodeTableModel::Hexadecimal));
            const QColor base = row == 1 ? p.color(QPalette::Active, QPalette::Highlight)
                                         : p.color(QPalette::Active, QPalette::Base);
            const QColor ink = row == 1 ? p.color(QPalette::Active, QPalette::HighlightedText)
                                        : p.color(QPalette::Active, QPalette::Text);
            // The far right of the cell is background; its text is near the ink.
            QCOMPARE(image.pixelColor(cell.right() - 2, cell.center().y()).rgb(), base.rgb());
            bool inked = false;
            for (int x = cell.left(); x < cell.left() + 40 && !inked; ++x)
                for (int y = cell.top(); y <= cell.bottom() && !inked; ++y) {
                    const QColor c = image.pixelColor(x, y);
                    inked = std::abs(c.lightness() - ink.lightness()) <
                            std::abs(base.lightness() - ink.lightness()) / 2;
                }
            QVERIFY2(inked, qPrintable(QStringLiteral("row %1").arg(row)));
        }
    }
};

QTEST_MAIN(TstCodeTable)
#include "tst_codetable.moc"
