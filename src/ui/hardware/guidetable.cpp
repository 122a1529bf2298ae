#include "ui/hardware/guidetable.h"

namespace {

// The oscilloscope paragraph, common to the self-test and the two computers.
QStringList oscilloscopeParagraph() {
    return {QStringLiteral(
                "Il est possible de visualiser les signaux TxD et RxD avec un oscilloscope à "
                "mémoire  (ou un oscilloscope simple "),
            QStringLiteral("en utilisant l'option  ") + QChar(0x00AB) +
                QStringLiteral("émission répétitive d'un caractère") + QChar(0x00BB) +
                QStringLiteral("  et en configurant la liaison à 28800 bauds).")};
}

const QStringList kSelfTest[] = {
    {QStringLiteral("Relier les bornes émission et réception d'un port série disponible de "
                    "l'ordinateur (Com1 à Com4).")},
    {QStringLiteral("Installer le logiciel Serlinq sur le poste et configurer la liaison.")},
    {QStringLiteral("Choisir émission et réception simultanées.")},
    oscilloscopeParagraph(),
};

const QStringList kTwoComputers[] = {
    {QStringLiteral("Relier deux ordinateurs  à l'aide d'un câble femelle - femelle (équipé de "
                    "connecteurs DB9 ou DB25) branché de part "),
     QStringLiteral("et d 'autre sur un port série disponible (Com1 à Com4).")},
    {QStringLiteral("Installer le logiciel Serlinq sur chacun des postes et configurer la liaison "
                    "avec des paramètres identiques (vitesse, parité,"),
     QStringLiteral("bits de données, bits de stop, protocole), par exemple, 9600 bauds,  parité "
                    "paire, 7 données, 1 stop, aucun protocole.")},
    {QStringLiteral("Choisir émission sur un poste et réception sur l'autre, ou émission et "
                    "réception simultanées sur les deux postes.")},
    oscilloscopeParagraph(),
};

const QStringList kTestBoard[] = {
    {QStringLiteral("Afin d'effectuer des essais et mesurages en toute sécurité sur la liaison "
                    "RS-232C, il est préférable de réaliser une carte "),
     QStringLiteral("d'essai sur un circuit imprimé simple face. Tout ce qu'il faut pour la "
                    "fabriquer se trouve dans ce logiciel :"),
     QStringLiteral("le schéma structurel, l'implantation des composants et le tracé des pistes "
                    "peuvent être imprimés, le tracé des"),
     QStringLiteral("pistes sur un film transparent, à l'aide d'une imprimante laser.")},
    {QStringLiteral("La carte comporte:"),
     QStringLiteral("- 7 diodes électroluminescentes bicolores qui montrent l'état des lignes "
                    "(vert : tension positive, rouge : tension négative) ;"),
     QStringLiteral("- 8 douilles pour fiches bananes de 2 mm, pour les mesurages ;"),
     QStringLiteral("- un ensemble de 8 micro-interrupteurs pour établir ou couper certaines "
                    "liaisons entre les deux ordinateurs ;"),
     QStringLiteral("- deux connecteurs DB25 femelles, chacun pour un câble 25 points mâle - "
                    "femelle (liaisons point à point).")},
};

const GuideSpec kGuides[] = {
    {Guide::SelfTest,
     QStringLiteral("Auto-test d'un ordinateur"),
     QStringLiteral("Ordinateur en auto-test"),
     kGuideKindSelfTest,
     false,
     false,
     false,
     true,
     {2500, true, kSelfTest}},
    {Guide::TwoComputers,
     QStringLiteral("Communication entre deux ordinateurs"),
     QStringLiteral("Ordinateur n°1"),
     kGuideKindTwoComputers,
     true,
     true,
     false,
     true,
     {2500, true, kTwoComputers}},
    {Guide::TestBoard,
     QStringLiteral("Carte d'essai"),
     QStringLiteral("Ordinateur n°1"),
     std::nullopt,
     true,
     true,
     true,
     false,
     {2200, false, kTestBoard}},
};

}  // namespace

std::span<const GuideSpec> guideSpecs() {
    return kGuides;
}

const GuideSpec& guideSpec(Guide guide) {
    for (const GuideSpec& entry : kGuides) {
        if (entry.guide == guide) return entry;
    }
    return kGuides[0];
}

const QStringList& cableNote() {
    static const QStringList note = {
        QStringLiteral("Il existe dans le commerce des cordons RS-232C,"),
        QStringLiteral("programmables à chaque extrémité par des inverseurs"),
        QStringLiteral("et munis de voyants de signalisation d'état des lignes.")};
    return note;
}
