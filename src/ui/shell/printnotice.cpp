#include "ui/shell/printnotice.h"

#include <QFileInfo>
#include <QTimer>

#include "ui/shell/formkit.h"

namespace {

// Long enough to be read, and to copy the path from.
constexpr int kNoticeMs = 10000;

const QString kPrintedToFile =
    QStringLiteral("Aucune imprimante disponible : la page a été enregistrée dans le fichier ");
const QString kTooLarge = QStringLiteral(
    "Le dessin n'a pas été imprimé : à sa taille réelle, il ne tient pas sur le "
    "papier de l'imprimante, et réduit il ne correspondrait plus aux composants.");

}  // namespace

PrintNotice::PrintNotice(QWidget* parent, const QString& objectName, int left, int top, int width,
                         int height)
    : QLabel(parent), timer_(new QTimer(this)) {
    setObjectName(objectName);
    formkit::placeTw(this, left, top, width, height);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFont(formkit::formFont());
    formkit::setBackground(this, formkit::kLightGrey);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, formkit::kNavy);
    setPalette(p);
    timer_->setSingleShot(true);
    timer_->setInterval(kNoticeMs);
    connect(timer_, &QTimer::timeout, this, &QLabel::hide);
    hide();
}

void PrintNotice::tell(const pageprinter::Result& result) {
    if (result.outcome == pageprinter::Outcome::WrittenToFile)
        say(kPrintedToFile + QFileInfo(result.file).absoluteFilePath());
    else if (result.outcome == pageprinter::Outcome::TooLarge)
        say(kTooLarge);
}

void PrintNotice::dismiss() {
    timer_->stop();
    hide();
}

void PrintNotice::say(const QString& text) {
    setText(text);
    setToolTip(text);
    setAccessibleName(text);
    show();
    raise();
    timer_->start();
}
