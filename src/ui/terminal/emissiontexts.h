#pragma once
// The texts of the emission modes: window captions, prompts and refusals, as the user reads them.

#include <QString>

namespace emissiontexts {

inline const QString kKeyboardCaption = QStringLiteral("Emission d'un caractère du clavier");
inline const QString kDecimalCaption = QStringLiteral("Emission d'un code décimal");
inline const QString kHexadecimalCaption = QStringLiteral("Emission d'un code hexadécimal");
inline const QString kStringCaption = QStringLiteral("Emission d'une chaîne de caractères");
inline const QString kRepeatedCaption = QStringLiteral("Emission répétitive d'un caractère");

inline const QString kKeyboardPrompt = QStringLiteral("Tapez le caractère à émettre...");
inline const QString kDecimalPrompt =
    QStringLiteral("Tapez le nombre décimal à émettre... entre 0 et ");
inline const QString kHexadecimalPrompt =
    QStringLiteral("Tapez le code hexadécimal à émettre... entre 0 et ");
inline const QString kStringPrompt =
    QStringLiteral("Entrez la chaîne de caractères à émettre...\n(40 caractères au maximum)");

inline const QString kKeyboardPreset = QStringLiteral("a");
inline const QString kStringPreset = QStringLiteral("azerty");

inline const QString kTooFewDataBits = QStringLiteral(
    "   Le nombre de bits de données choisi dans la configuration est trop faible pour permettre "
    "l'émission des codes des touches du clavier (minimum 7 bits).");
inline const QString kStringTooWide = QStringLiteral(
    "La configuration du nombre de bits de données n'est pas correcte.Le nombre de bits de "
    "données est trop petit par rapport au nombre de bits de certains caractères de la chaîne.");
// A character of the string that no byte of the line's code page stands for.
inline QString stringOutsideCodePage(QChar ch) {
    return QStringLiteral(
               "Le caractère « %1 » de la chaîne ne fait pas partie du jeu de "
               "caractères de la liaison (Windows-1252) : il ne peut pas être émis. "
               "La chaîne n'a pas été émise.")
        .arg(ch);
}
inline const QString kStringSent = QStringLiteral("       La chaîne a été correctement émise !");

// The terminal printout.
inline const QString kPrintHeader = QStringLiteral("Serlinq      Configuration : ");
inline const QString kPrintTitle = QStringLiteral("Transmission du caractère :");

}  // namespace emissiontexts
