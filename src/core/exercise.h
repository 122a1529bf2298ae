#pragma once
// Knowledge exercises as text files, and their judge. An exercise file:
//
//     dialogue: Exercice d'évaluation des connaissances n°1
//     question: Soit une transmission série ... ?
//     réponse: 0
//     jugées: 0 1
//     juste: Votre réponse est 0 logique : c'est juste !
//     faux 1: Votre réponse est 1 logique : c'est faux !
//     faux: Votre réponse est fausse !
//     énoncé:
//     500>     Soit une transmission série sur 7 bits avec parité paire.
//     explication:
//     ¶
//     500> « A » a pour valeur hexadécimale $41 ...
//
// A value is what follows ": " exactly, blanks included, since answers are compared character
// for character. "jugées" lists the only answers that get a verdict (the others are asked again);
// without it every answer is judged. "faux X" is the verdict for the wrong answer X, "faux" for
// any other. The statement and the explanation are lines of a page (see pagemodel.h).

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/pagemodel.h"

namespace exercises {

struct Exercise {
    QString dialogCaption;
    QString question;  // the value dialog's question, as one paragraph
    QString accepted;
    QStringList judged;  // empty: every answer
    QString right;
    QMap<QString, QString> wrongFor;
    QString wrong;
    QList<pages::PageLine> statement;
    QList<pages::PageLine> explanation;
};

struct ParseResult {
    std::optional<Exercise> exercise;
    QString error;
    int line = 0;
};

ParseResult parse(const QString& text);

enum class Verdict { Cancelled, AskAgain, Right, Wrong };
struct Judgement {
    Verdict verdict = Verdict::Cancelled;
    QString line;  // the verdict printed, when judged
};

// The answer as the value dialog returned it: empty when cancelled or left empty.
Judgement judge(const Exercise& exercise, const QString& entered);

// The parity series of three exercises. The step stored between two exercises says which comes
// next: 1 for n°2, 2 for n°3, anything else for n°1; 3 once the series is finished.
constexpr int kSeriesLength = 3;
int seriesNumber(int step);         // 1..3, the exercise asked next
int stepAfter(int number);          // the step stored once exercise n°number is judged
bool seriesFinished(int step);      // no exercise left until the page is closed
QString seriesCaption(int number);  // the series button's caption for exercise n°number

}  // namespace exercises
