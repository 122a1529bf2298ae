#include "terminal/commevents.h"

namespace commevents {

QString errorMessage(int commEvent) {
    switch (commEvent) {
        case 1001:
            return QStringLiteral("Un signal Break a été reçu. Vérifier le câble de liaison.");
        case 1002:
            return QStringLiteral(
                "Délai d'attente dépassé. La ligne Prêt à émettre a été inactive pendant la durée "
                "précisée par le système lors de la tentative de transmission d'un caractère.");
        case 1003:
            return QStringLiteral(
                "Délai d'attente dépassé. La ligne Modem Prêt a été inactive pendant la durée "
                "précisée par le système lors de la tentative de transmission d'un caractère.");
        case 1004:
            return QStringLiteral(
                "Erreur de dépassement du délai imparti. Le matériel a détecté une erreur de "
                "délai. "
                "Cette erreur peut se produire si la configuration de la liaison n'est pas "
                "identique au niveau de l'émetteur et du récepteur. Vérifier aussi le câble de "
                "liaison.");
        case 1006:
            return QStringLiteral(
                "Dépassement de la capacité du port. Un caractère n'a pas été lu par le matériel "
                "avant l'arrivée du caractère suivant et a donc été perdu.");
        case 1007:
            return QStringLiteral(
                "Délai d'attente dépassé. La ligne Détection de porteuse a été inactive pendant la "
                "durée précisée par le système lors de la tentative de transmission d'un "
                "caractère. Le signal Détection de porteuse est également appelé Détection de "
                "ligne (RLSD).");
        case 1008:
            return QStringLiteral(
                "Dépassement de la capacité du tampon de réception. Il n'y a plus de place dans le "
                "tampon de réception.");
        case 1009:
            return QStringLiteral(
                "Erreur de parité. Le matériel a détecté une erreur de parité. Vérifier le câble "
                "de "
                "liaison et vérifier que la configuration de la parité, du nombre de bits et de la "
                "vitesse est identique sur les deux machines.");
        case 1010:
            return QStringLiteral(
                "Tampon de transmission plein. Le tampon de transmission était plein au moment de "
                "placer un caractère dans la file d'attente.");
        case 1011:
            return QStringLiteral(
                "Erreur inattendue lors de l'extraction du bloc de contrôle de périphérique (DBC) "
                "pour le port.");
        case kPortLost:
            return QStringLiteral(
                "La liaison avec le port a été perdue. Vérifier le câble ou l'adaptateur, puis "
                "recommencer.");
        default:
            return {};
    }
}

std::optional<QString> lineNotice(int commEvent) {
    switch (commEvent) {
        case 1:
            return QString();
        case 3:
            return QStringLiteral("Changement d'état de la ligne Prêt à émettre (CTS).");
        case 4:
            return QStringLiteral("Changement d'état de la ligne Modem prêt (DSR).");
        case 5:
            return QStringLiteral("Changement d'état de la ligne Détection de porteuse (CD).");
        case 6:
            return QStringLiteral("Sonnerie détectée (RI).");
        default:
            return std::nullopt;
    }
}

QString codeRow(int code, const QString& aspect) {
    return QStringLiteral("   ") + QString::number(code) + QStringLiteral("\t\t\t") +
           QString::number(code, 16).toUpper() + QStringLiteral("\t\t\t\t") +
           QString::number(code, 8) + QStringLiteral("\t\t\t") + aspect + QStringLiteral("\r\n");
}

}  // namespace commevents
