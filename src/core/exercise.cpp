#include "core/exercise.h"

#include <QRegularExpression>

namespace exercises {

namespace {

enum class Part { Header, Statement, Explanation };

struct Reader {
    Exercise ex;
    Part part = Part::Header;
    ParseResult failure;

    bool fail(int line, const QString& why) {
        failure.error = why;
        failure.line = line;
        return false;
    }
};

// What follows "key: " exactly; a colon with nothing after it gives an empty value.
QString valueAfter(const QString& line, qsizetype colon) {
    const qsizetype from =
        colon + 1 < line.size() && line[colon + 1] == QLatin1Char(' ') ? colon + 2 : colon + 1;
    return line.mid(from);
}

bool readHeader(Reader& r, const QString& line, int number) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0) return r.fail(number, QStringLiteral("« clé: valeur » attendu"));
    const QString key = line.left(colon);
    const QString value = valueAfter(line, colon);
    if (key == QStringLiteral("dialogue")) {
        r.ex.dialogCaption = value;
    } else if (key == QStringLiteral("question")) {
        r.ex.question = value;
    } else if (key == QStringLiteral("réponse")) {
        r.ex.accepted = value;
    } else if (key == QStringLiteral("jugées")) {
        r.ex.judged = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    } else if (key == QStringLiteral("juste")) {
        r.ex.right = value;
    } else if (key == QStringLiteral("faux")) {
        r.ex.wrong = value;
    } else if (key.startsWith(QStringLiteral("faux "))) {
        r.ex.wrongFor.insert(key.mid(5), value);
    } else {
        return r.fail(number, QStringLiteral("clé inconnue : %1").arg(key));
    }
    return true;
}

bool readLine(Reader& r, const QString& line, int number) {
    if (line == QStringLiteral("énoncé:")) {
        r.part = Part::Statement;
        return true;
    }
    if (line == QStringLiteral("explication:")) {
        r.part = Part::Explanation;
        return true;
    }
    if (r.part == Part::Header)
        return line.startsWith(QLatin1Char('#')) || readHeader(r, line, number);
    pages::PageLine out;
    QString error;
    if (!pages::parseLine(line, number, &out, &error)) return r.fail(number, error);
    (r.part == Part::Statement ? r.ex.statement : r.ex.explanation).append(out);
    return true;
}

QString missing(const Exercise& ex) {
    if (ex.accepted.isEmpty()) return QStringLiteral("réponse manquante");
    if (ex.right.isEmpty() || ex.wrong.isEmpty()) return QStringLiteral("verdict manquant");
    if (ex.statement.isEmpty()) return QStringLiteral("énoncé manquant");
    if (!ex.judged.isEmpty() && !ex.judged.contains(ex.accepted))
        return QStringLiteral("la réponse juste n'est pas parmi les réponses jugées");
    return QString();
}

}  // namespace

ParseResult parse(const QString& text) {
    Reader r;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\\r\\n|\\n|\\r")));
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty()) continue;
        if (!readLine(r, lines[i], i + 1)) return r.failure;
    }
    if (const QString why = missing(r.ex); !why.isEmpty()) return {std::nullopt, why, 0};
    return {r.ex, QString(), 0};
}

Judgement judge(const Exercise& exercise, const QString& entered) {
    if (entered.isEmpty()) return {Verdict::Cancelled, QString()};
    if (!exercise.judged.isEmpty() && !exercise.judged.contains(entered))
        return {Verdict::AskAgain, QString()};
    if (entered == exercise.accepted) return {Verdict::Right, exercise.right};
    return {Verdict::Wrong, exercise.wrongFor.value(entered, exercise.wrong)};
}

int seriesNumber(int step) {
    return step == 1 || step == 2 ? step + 1 : 1;
}

int stepAfter(int number) {
    return number;
}

bool seriesFinished(int step) {
    return step == kSeriesLength;
}

QString seriesCaption(int number) {
    return QStringLiteral("Exercice n°%1").arg(number);
}

}  // namespace exercises
