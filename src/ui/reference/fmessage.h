#pragma once
// FMessage: the page window of the configuration topics, on which the knowledge exercises are
// asked and corrected. Its buttons BPExercice(0), (1) and (2) ask, on the page, the parity
// series n°1 → n°2 → n°3, the speed exercise and the frame exercise; the answer comes from the
// value dialog, the verdict and its explanation are printed in dark red below the question.
//
// The position in the parity series, ExerciseStep, belongs to this window: a page that shows the
// series' button starts the series again, and so does closing the page.

#include "core/exercise.h"
#include "ui/reference/pagewindow.h"

class FMessage : public PageWindow {
    Q_OBJECT
public:
    explicit FMessage(Forms& forms, QWidget* parent = nullptr);

    void BPExercice_Click(int index);
    // The example sheet in place of the page, with the sheet's buttons of the exercises this
    // page offers; the page keeps its text and its series step for when an exercise is asked.
    void BPExemple_Click();

    // 1: n°2 is next, 2: n°3 is next, 3: the series is done, anything else: n°1 is next.
    int exerciseStep() const { return ExerciseStep; }

protected:
    void beforePage(const pages::Page& page) override;
    void onButton(const QString& name) override;
    void onClose() override;

private:
    // The sheet's exercise button: the page back, then the exercises offered on the sheet.
    void exercisesFromSheet(const QList<int>& offered);
    // The exercise a button asks now, and which one of the series it is (0 outside it).
    QString exerciseFile(int index, int* seriesNumber) const;
    // Asks the exercise until it is judged or cancelled; the verdict once judged.
    std::optional<exercises::Judgement> ask(const exercises::Exercise& exercise, int index,
                                            int seriesNumber);
    void printVerdict(const exercises::Exercise& exercise, const QString& verdict);

    int ExerciseStep = 0;
};
