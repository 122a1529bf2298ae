#pragma once
// The texts of the reception modes and of the simultaneous exchange: window captions, the titles
// and prompts printed on the terminal, the option dialog's refusal, as the user reads them.

#include <QString>

#include "ui/terminal/emissiontexts.h"

namespace receptiontexts {

inline const QString kCharacterCaption = QStringLiteral("Réception d'un caractère");
inline const QString kStringCaption = QStringLiteral("Réception d'une chaîne de caractères");
inline const QString kExchangeCaption = QStringLiteral("Emission et réception simultanées");

inline const QString kKeyboardPrompt = QStringLiteral("Appuyez sur une touche du clavier");
inline const QString kDecimalPrompt =
    QStringLiteral("entrez un nombre décimal compris entre 0 et ");
inline const QString kDecimalPromptEnd = QStringLiteral(", puis appuyez sur la touche Entrée");
inline const QString kHexadecimalPrompt =
    QStringLiteral("entrez un nombre hexadécimal compris entre 00 et ");
inline const QString kHexadecimalPromptEnd = QStringLiteral(" ( 2 caractères)");

inline const QString kSentTitle = QStringLiteral("Emission des caractères :");
inline const QString kReceivedTitle = QStringLiteral("Réception des caractères :");
// Above the table of codes, each heading over its column of the reception window.
inline const QString kColumnHeader = QStringLiteral(" Décimal") + QString(32, QLatin1Char(' ')) +
                                     QStringLiteral("Hexadécimal") + QString(44, QLatin1Char(' ')) +
                                     QStringLiteral("Octal") + QString(38, QLatin1Char(' ')) +
                                     QStringLiteral("aspect");

inline const QString kKeyboardNeedsSevenBits =
    emissiontexts::kTooFewDataBits +
    QStringLiteral(
        " Choisissez les cases options émission de codes décimaux ou émission de codes "
        "hexadécimaux.");

}  // namespace receptiontexts
