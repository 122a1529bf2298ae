#include "ui/about/abouttexts.h"

#include <QStringList>

namespace abouttexts {

QString credits() {
    // The version comes from the build, so that the page never lags behind the program.
    return QStringList{
        QStringLiteral("Serlinq  version %1  -  © 2026 l'équipe de développement de Serlinq")
            .arg(QStringLiteral(SERLINQ_VERSION)),
        QStringLiteral("Autres logiciels (du même auteur) disponibles:"),
        QStringLiteral("- Parallèle en classe : le port Centronics pas à pas (Dorvanix)"),
        QStringLiteral("- Trames et codes : l'oscilloscope au laboratoire (Dorvanix)"),
        QStringLiteral("- Boucle 4-20 mA en atelier : capteurs et afficheurs (Dorvanix)"),
        QStringLiteral("- Modem pas à pas : de la modulation à la ligne (Dorvanix)"),
        QStringLiteral("- Bus de terrain sans peine : RS-485 en pratique (Dorvanix)"),
    }
        .join(QLatin1Char('\n'));
}

QString korvalin() {
    return QStringList{
        QStringLiteral("     Le KORVALIN est un instrument destiné à faciliter l'interfaçage et le "
                       "test des procédures sur les câbles RS-232C."),
        QStringLiteral("     Il possède:"),
        QStringLiteral("- 100 diodes électro-luminescentes (50 vertes pour les signaux négatifs et "
                       "50 rouges pour les signaux positifs),"),
        QStringLiteral("- 31 interrupteurs pour établir, croiser ou interrompre les liaisons,"),
        QStringLiteral("- 4 connecteurs DB-25 (2 mâles et 2 femelles),"),
        QStringLiteral("- 2 piles 9v."),
        QStringLiteral("     Il permet:"),
        QStringLiteral("- de déterminer les branchements d'un câble, sans avoir à le démonter,"),
        QStringLiteral("- de forcer un signal dans un état haut ou bas,"),
        QStringLiteral("- de visualiser l'état logique d'un signal et de déterminer sa polarité."),
    }
        .join(QLatin1Char('\n'));
}

QString dorvanixContact() {
    // Invented details, each marked as such, so that nobody takes them for a real contact.
    return QStringList{
        QString(),
        QStringLiteral("Adresse d'exemple: 1, rue Fictive"),
        QStringLiteral("99999  VILLE-EXEMPLE"),
        QStringLiteral("Téléphone: 01 55 50 00 00 (fictif)"),
        QStringLiteral("Télécopie: 01 55 50 00 01 (fictif)"),
    }
        .join(QLatin1Char('\n'));
}

}  // namespace abouttexts
