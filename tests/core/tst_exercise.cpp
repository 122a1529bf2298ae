// Exercise files and their judge: answers compared exactly, the ask-again answers, the parity
// series' steps; and every exercise file of the program read and judged by its own answer.
#include <QDir>
#include <QFile>
#include <QtTest>

#include "core/exercise.h"

using exercises::Verdict;

namespace {

// An exercise that judges only "0" and "1", with a verdict of its own for "1".
const QString kBinary = QStringLiteral(
    "dialogue: D\nquestion: Q\nréponse: 0\njugées: 0 1\njuste: J\nfaux 1: F1\nfaux: F\n"
    "énoncé:\n500> Énoncé\nexplication:\n¶\n500> E\n");
// One that judges every answer.
const QString kOpen = QStringLiteral(
    "dialogue: D\nquestion: Q\nréponse: 960\njuste: J\nfaux: F\nénoncé:\n500> Énoncé\n");

exercises::Exercise read(const QString& text) {
    return exercises::parse(text).exercise.value_or(exercises::Exercise());
}

QString fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

class TstExercise : public QObject {
    Q_OBJECT
private slots:
    void judged_data() {
        QTest::addColumn<QString>("exercise");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("line");
        QTest::newRow("right") << kBinary << "0" << int(Verdict::Right) << "J";
        QTest::newRow("its own wrong verdict") << kBinary << "1" << int(Verdict::Wrong) << "F1";
        QTest::newRow("not binary") << kBinary << "2" << int(Verdict::AskAgain) << "";
        QTest::newRow("a word") << kBinary << "oui" << int(Verdict::AskAgain) << "";
        QTest::newRow("leading blank") << kBinary << " 1" << int(Verdict::AskAgain) << "";
        QTest::newRow("cancelled") << kBinary << "" << int(Verdict::Cancelled) << "";
        QTest::newRow("open right") << kOpen << "960" << int(Verdict::Right) << "J";
        QTest::newRow("trailing blank") << kOpen << "960 " << int(Verdict::Wrong) << "F";
        QTest::newRow("leading zero") << kOpen << "0960" << int(Verdict::Wrong) << "F";
        QTest::newRow("open cancelled") << kOpen << "" << int(Verdict::Cancelled) << "";
    }
    void judged() {
        QFETCH(QString, exercise);
        QFETCH(QString, answer);
        const exercises::Judgement j = exercises::judge(read(exercise), answer);
        QTEST(int(j.verdict), "verdict");
        QTEST(j.line, "line");
    }

    void parts() {
        const exercises::Exercise ex = read(kBinary);
        QCOMPARE(ex.dialogCaption, QStringLiteral("D"));
        QCOMPARE(ex.statement.size(), 1);
        QCOMPARE(ex.explanation.size(), 2);
        QCOMPARE(ex.explanation[0].kind, pages::PageLine::Kind::Empty);
        // A value keeps its blanks: a question may begin with some.
        QCOMPARE(read(QString(kOpen).replace("question: Q", "question:   Q ")).question,
                 QStringLiteral("  Q "));
    }

    void refused_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("no answer") << QString(kOpen).remove("réponse: 960\n");
        QTest::newRow("no statement") << QString(kOpen).remove("énoncé:\n500> Énoncé\n");
        QTest::newRow("no wrong verdict") << QString(kOpen).remove("faux: F\n");
        QTest::newRow("answer not judged") << QString(kBinary).replace("jugées: 0 1", "jugées: 1");
        QTest::newRow("unknown key") << kOpen + "note: 20\n";
        QTest::newRow("bad line") << kOpen + "Énoncé sans position\n";
    }
    void refused() {
        QFETCH(QString, text);
        const exercises::ParseResult r = exercises::parse(text);
        QVERIFY(!r.exercise);
        QVERIFY(!r.error.isEmpty());
    }

    // The series n°1 → n°2 → n°3 → finished, from whatever step was stored.
    void series_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("asked");
        QTest::newRow("fresh") << 0 << 1;
        QTest::newRow("after n°1") << 1 << 2;
        QTest::newRow("after n°2") << 2 << 3;
        QTest::newRow("finished") << 3 << 1;
        QTest::newRow("stray value") << -7 << 1;
    }
    void series() {
        QFETCH(int, step);
        QFETCH(int, asked);
        QCOMPARE(exercises::seriesNumber(step), asked);
        const int next = exercises::stepAfter(asked);
        QCOMPARE(exercises::seriesFinished(next), asked == exercises::kSeriesLength);
        if (asked < exercises::kSeriesLength) QCOMPARE(exercises::seriesNumber(next), asked + 1);
        QVERIFY(exercises::seriesCaption(asked).endsWith(QString::number(asked)));
    }

    // Every exercise of the program reads, and its own answer is right while another is not.
    void everyExerciseFile() {
        const QDir dir(QStringLiteral(SERLINQ_EXERCISES));
        const QStringList files = dir.entryList({QStringLiteral("*.exercice")}, QDir::Files);
        QVERIFY(files.size() >= 5);
        for (const QString& name : files) {
            const exercises::ParseResult r = exercises::parse(fileText(dir.filePath(name)));
            QVERIFY2(r.exercise,
                     qPrintable(QStringLiteral("%1:%2: %3").arg(name).arg(r.line).arg(r.error)));
            const exercises::Exercise& ex = *r.exercise;
            QCOMPARE(exercises::judge(ex, ex.accepted).verdict, Verdict::Right);
            // A wrong answer it judges: another of its judged answers, or the right one spoilt.
            QString other = ex.accepted + QLatin1Char(' ');
            for (const QString& judged : ex.judged)
                if (judged != ex.accepted) other = judged;
            QCOMPARE(exercises::judge(ex, other).verdict, Verdict::Wrong);
            QVERIFY2(exercises::judge(ex, other).line != ex.right, qPrintable(name));
            QVERIFY(!ex.dialogCaption.isEmpty() && !ex.question.isEmpty());
        }
    }
};

QTEST_APPLESS_MAIN(TstExercise)
#include "tst_exercise.moc"
