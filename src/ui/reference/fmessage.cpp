#include "ui/reference/fmessage.h"

#include <QAbstractButton>
#include <QFile>
#include <QTimer>

#include "ui/hardware/feuille.h"
#include "ui/shell/formkit.h"
#include "ui/shell/forms.h"
#include "ui/shell/fvaleur.h"

namespace {

constexpr int kExerciseButtons = 3;
constexpr int kSeriesButton = 0;
// The exercise files of the buttons; the series' button asks "parite-<n°>".
const char* const kExerciseFiles[kExerciseButtons] = {"parite-%1", "vitesse", "trame"};

// Where the question starts, and the verdict below it (twips).
constexpr int kQuestionY = 2000;
constexpr int kVerdictX = 500;
// The entry's proposal, selected so that typing replaces it.
const QString kProposal = QStringLiteral("Valeur?");
// The longest answer (the frame's ten levels) must fit the entry.
constexpr int kLongestAnswer = 10;

QString buttonName(int index) {
    return QStringLiteral("BPExercice(%1)").arg(index);
}

}  // namespace

FMessage::FMessage(Forms& forms, QWidget* parent) : PageWindow(forms, "FMessage", parent) {
    connect(&forms.get<Feuille>(), &Feuille::exerciseAsked, this, &FMessage::exercisesFromSheet);
}

void FMessage::beforePage(const pages::Page& page) {
    // The sheet's exercise buttons belong to the page that sent the sheet out.
    forms().get<Feuille>().hideExercises();
    // The series' button always reads n°1 when a page shows it: the step goes with it.
    if (page.show.contains(buttonName(kSeriesButton))) ExerciseStep = 0;
}

void FMessage::onClose() {
    ExerciseStep = 0;
    forms().get<Feuille>().hideExercises();
}

void FMessage::onButton(const QString& name) {
    if (name == QStringLiteral("BPExemple")) BPExemple_Click();
    for (int i = 0; i < kExerciseButtons; ++i)
        if (name == buttonName(i)) BPExercice_Click(i);
}

void FMessage::BPExemple_Click() {
    QList<int> offered;
    for (int i = 0; i < kExerciseButtons; ++i)
        if (isShown(buttonName(i))) offered << i;
    // The sheet first, so that the main window stays covered.
    showExampleSheet(offered);
    hide();
    for (int i = 0; i < kExerciseButtons; ++i) setShown(buttonName(i), false);
}

void FMessage::exercisesFromSheet(const QList<int>& offered) {
    forms().get<Feuille>().hideExercises();
    forms().showOverMenu(*this);
    // Once the sheet has gone: the exercise's dialog may wait a long time for its answer.
    QTimer::singleShot(0, this, [this, offered] {
        for (int i : offered) BPExercice_Click(i);
    });
}

QString FMessage::exerciseFile(int index, int* seriesNumber) const {
    *seriesNumber = index == kSeriesButton ? exercises::seriesNumber(ExerciseStep) : 0;
    QString name = QString::fromLatin1(kExerciseFiles[index]);
    if (index == kSeriesButton) name = name.arg(*seriesNumber);
    return QStringLiteral(":/exercises/%1.exercice").arg(name);
}

void FMessage::BPExercice_Click(int index) {
    if (index < 0 || index >= kExerciseButtons) return;
    setShown(QStringLiteral("BPExemple"), false);
    int number = 0;
    const QString path = exerciseFile(index, &number);
    QFile file(path);
    const exercises::ParseResult r = file.open(QIODevice::ReadOnly)
                                         ? exercises::parse(QString::fromUtf8(file.readAll()))
                                         : exercises::ParseResult{std::nullopt, "introuvable", 0};
    if (!r.exercise) {
        forms().ShowError(QStringLiteral("L'exercice %1 ne peut pas être posé (%2, ligne %3).")
                              .arg(path, r.error)
                              .arg(r.line));
        return;
    }
    const auto judged = ask(*r.exercise, index, number);
    if (!judged) return;
    printVerdict(*r.exercise, judged->line);
    if (index != kSeriesButton) return;
    ExerciseStep = exercises::stepAfter(number);
    setShown(buttonName(index), !exercises::seriesFinished(ExerciseStep));
}

std::optional<exercises::Judgement> FMessage::ask(const exercises::Exercise& exercise, int index,
                                                  int seriesNumber) {
    FValeur& valeur = forms().get<FValeur>();
    while (true) {
        setShown(buttonName(index), false);
        if (index == kSeriesButton)
            button(buttonName(index))
                ->setText(exercises::seriesCaption(seriesNumber % exercises::kSeriesLength + 1));
        surface().Cls();
        surface().ForeColor = Qt::black;
        surface().CurrentY = kQuestionY;
        pages::drawLines(exercise.statement, surface());
        if (valeur.maxLength() < kLongestAnswer) valeur.setMaxLength(kLongestAnswer);
        valeur.propose(kProposal, int(kProposal.size()));
        const exercises::Judgement j =
            exercises::judge(exercise, valeur.ask(exercise.dialogCaption, exercise.question));
        if (j.verdict == exercises::Verdict::Cancelled) {
            hide();
            forms().get<Feuille>().hideExercises();
            return std::nullopt;
        }
        // Shown again when the exercise was asked from the example sheet.
        if (!isVisible()) forms().showOverMenu(*this);
        if (j.verdict != exercises::Verdict::AskAgain) return j;
    }
}

void FMessage::printVerdict(const exercises::Exercise& exercise, const QString& verdict) {
    DrawSurface& s = surface();
    s.Print();
    s.Print();
    s.CurrentX = kVerdictX;
    s.ForeColor = formkit::kTitleRed;
    s.Print(verdict);
    pages::drawLines(exercise.explanation, s);
    s.ForeColor = Qt::black;
}
