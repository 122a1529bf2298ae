#include "ui/reference/finfo.h"

#include "ui/shell/forms.h"
#include "ui/shell/fvaleur.h"

namespace {
// The entry of the value dialog as the exercises of the sheet need it.
constexpr int kAnswerLength = 10;
}  // namespace

void FInfo::onButton(const QString& name) {
    if (name == QStringLiteral("BPExemple")) BPExemple_Click();
}

void FInfo::BPExemple_Click() {
    forms().get<FValeur>().setMaxLength(kAnswerLength);
    // The sheet first, so that the main window stays covered.
    showExampleSheet();
    Annuler_Click();
}
