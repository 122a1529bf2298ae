#include "ui/terminal/keypadtable.h"

namespace keypad {

std::span<const Key> keys() {
    static const Key table[] = {
        {"NUL", 0, "Blanc", 0, 0},
        {"SOH", 1, "Début d'en tête", 1, 0},
        {"STX", 2, "Début du texte", 2, 0},
        {"ETX", 3, "Fin du texte", 3, 0},
        {"EOT", 4, "Fin de transmission", 0, 1},
        {"ENQ", 5, "Demande", 1, 1},
        {"ACK", 6, "Accusé de réception", 2, 1},
        {"BEL", 7, "Sonnette", 0, 2},
        {"BS", 8, "Retour arrière", 1, 2},
        {"HT", 9, "Tabulation horizontale", 1, 3},
        {"LF", 10, "Ligne suivante", 2, 3},
        {"VT", 11, "Tabulation verticale", 0, 3},
        {"FF", 12, "Page suivante", 3, 3},
        {"CR", 13, "Retour du chariot", 2, 2},
        {"SO", 14, "Passage hors caractères standards", 0, 5},
        {"SI", 15, "Retour aux caractères standards", 1, 5},
        {"DLE", 16, "Change la signification", 2, 5},
        {"DC1", 17, "Commande 1", 0, 4},
        {"DC2", 18, "Commande 2", 1, 4},
        {"DC3", 19, "Commande 3", 2, 4},
        {"DC4", 20, "Commande 4", 3, 4},
        {"NAK", 21, "Réponse négative", 3, 1},
        {"SYN", 22, "Synchronisation", 3, 5},
        {"ETB", 23, "Fin de transmission d'un bloc", 0, 8},
        {"CAN", 24, "Annulation", 1, 8},
        {"EM", 25, "Fin du support", 2, 8},
        {"SUB", 26, "Remplacement", 2, 7},
        {"ESC", 27, "Contrôle", 1, 7},
        {"FS", 28, "Séparation de fichier", 0, 6},
        {"GS", 29, "Séparation de groupe", 1, 6},
        {"RS", 30, "Séparation d'enregistrement", 2, 6},
        {"US", 31, "Séparation d'unité", 3, 6},
        {"SP", 32, "Espace", 3, 2},
        {"DEL", 127, "Suppression", 0, 7},
    };
    return table;
}

}  // namespace keypad
