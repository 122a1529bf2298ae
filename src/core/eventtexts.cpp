#include "core/eventtexts.h"

#include "core/serialtypes.h"

namespace eventtexts {

QString errorMessage(int commEvent) {
    switch (commEvent) {
        case serial::comEventBreak:
            return QStringLiteral("Un signal Break a été reçu. Vérifier le câble de liaison.");
        case serial::comEventCTSTO:
            return QStringLiteral(
                "Délai d'attente dépassé. La ligne Prêt à émettre a été inactive pendant la durée "
                "précisée par le système lors de la tentative de transmission d'un caractère.");
        case serial::comEventDSRTO:
            return QStringLiteral(
                "Délai d'attente dépassé. La ligne Modem Prêt a été inactive pendant la durée "
                "précisée par le système lors de la tentative de transmission d'un caractère.");
        case serial::comEventFrame:
            return QStringLiteral(
                "Erreur de dépassement du délai imparti. Le matériel a détecté une erreur de "
                "délai. "
                "Cette erreur peut se produire si la configuration de la liaison n'est pas "
                "identique au niveau de l'émetteur et du récepteur. Vérifier aussi le câble de "
                "liaison.");
        case serial::comEventOverrun:
            return QStringLiteral(
                "Dépassement de la capacité du port. Un caractère n'a pas été lu par le matériel "
                "avant l'arrivée du caractère suivant et a donc été perdu.");
        case serial::comEventCDTO:
            return QStringLiteral(
                "Délai d'attente dépassé. La ligne Détection de porteuse a été inactive pendant la "
                "durée précisée par le système lors de la tentative de transmission d'un "
                "caractère. Le signal Détection de porteuse est également appelé Détection de "
                "ligne (RLSD).");
        case serial::comEventRxOver:
            return QStringLiteral(
                "Dépassement de la capacité du tampon de réception. Il n'y a plus de place dans le "
                "tampon de réception.");
        case serial::comEventRxParity:
            return QStringLiteral(
                "Erreur de parité. Le matériel a détecté une erreur de parité. Vérifier le câble "
                "de "
                "liaison et vérifier que la configuration de la parité, du nombre de bits et de la "
                "vitesse est identique sur les deux machines.");
        case serial::comEventTxFull:
            return QStringLiteral(
                "Tampon de transmission plein. Le tampon de transmission était plein au moment de "
                "placer un caractère dans la file d'attente.");
        case serial::comEventDCB:
            return QStringLiteral(
                "Erreur inattendue lors de l'extraction du bloc de contrôle de périphérique (DBC) "
                "pour le port.");
        case serial::comEventPortLost:
            return QStringLiteral(
                "La liaison avec le port a été perdue. Vérifier le câble ou l'adaptateur, puis "
                "recommencer.");
        default:
            return {};
    }
}

std::optional<QString> lineNotice(int commEvent) {
    switch (commEvent) {
        case serial::comEvSend:
            return QString();
        case serial::comEvCTS:
            return QStringLiteral("Changement d'état de la ligne Prêt à émettre (CTS).");
        case serial::comEvDSR:
            return QStringLiteral("Changement d'état de la ligne Modem prêt (DSR).");
        case serial::comEvCD:
            return QStringLiteral("Changement d'état de la ligne Détection de porteuse (CD).");
        case serial::comEvRing:
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

}  // namespace eventtexts
