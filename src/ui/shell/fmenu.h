#pragma once
// FMenu: the main window. Its menu bar reaches every function of the program; its status line
// always shows the link configuration in force. While another window is in use it is disabled
// as a whole, menu included.

#include <QHash>
#include <QMainWindow>

#include "core/serialtypes.h"

struct AppState;
class Forms;
class SvgPicture;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;

class FMenu : public QMainWindow {
    Q_OBJECT
public:
    FMenu(Forms& forms, QWidget* parent = nullptr);

    SvgPicture* Image1;
    SvgPicture* Image2;
    SvgPicture* Image3;
    SvgPicture* Image4;
    QFrame* Frame1;
    QLineEdit* Text1;

    // A menu item or submenu title by its control name ("Bauds9600", "Connexion" ...).
    QAction* item(const QString& name) const { return items_.value(name); }

    // Runs a menu item as if the user had chosen it (the links between pages go this way).
    void runItem(const QString& name);
    // The reference page of that name on its page window.
    void openPage(const QString& name);
    // The character set page, which is drawn rather than read from a page file.
    void Jeu_Click();

    // Rewrites the status line from LinkConfig.
    void ShowLinkStatus();

    // The port test: opens the terminal's port once with the configuration in force and closes
    // it again; reports a failure and leaves its verdict in CommError.
    void EssaiPort();

    // Port.
    void COM1_Click() { choosePort(1); }
    void COM2_Click() { choosePort(2); }
    void COM3_Click() { choosePort(3); }
    void COM4_Click() { choosePort(4); }
    // Speed.
    void Bauds110_Click() { chooseSpeed("110"); }
    void Bauds300_Click() { chooseSpeed("300"); }
    void Bauds600_Click() { chooseSpeed("600"); }
    void Bauds1200_Click() { chooseSpeed("1200"); }
    void Bauds2400_Click() { chooseSpeed("2400"); }
    void Bauds4800_Click() { chooseSpeed("4800"); }
    void Bauds9600_Click() { chooseSpeed("9600"); }
    void Bauds14400_Click() { chooseSpeed("14400"); }
    void Bauds19200_Click() { chooseSpeed("19200"); }
    void Bauds28800_Click() { chooseSpeed("28800"); }
    // Parity.
    void Sans_Click() { chooseParity("N"); }
    void Paire_Click() { chooseParity("E"); }
    void Impaire_Click() { chooseParity("O"); }
    void Espace_Click() { chooseParity("S"); }
    void Marque_Click() { chooseParity("M"); }
    // Data bits.
    void Bit4_Click() { chooseDataBits(4); }
    void Bit5_Click() { chooseDataBits(5); }
    void Bit6_Click() { chooseDataBits(6); }
    void Bit7_Click() { chooseDataBits(7); }
    void Bit8_Click() { chooseDataBits(8); }
    // Stop bits.
    void Stop1_Click() { chooseStopBits("1"); }
    void StopUn5_Click() { chooseStopBits("1.5"); }
    void Stop2_Click() { chooseStopBits("2"); }
    // Protocol.
    void Aucun_Click() { chooseProtocol(serial::Handshaking::None); }
    void XonXoff_Click() { chooseProtocol(serial::Handshaking::XonXoff); }
    void RTS_Click() { chooseProtocol(serial::Handshaking::RtsCts); }
    void RTSXon_Click() { chooseProtocol(serial::Handshaking::RtsCtsXonXoff); }

    // The interface-unit console: the link set to the unit's settings through the menu's own
    // items, the terminal's port closed, then the console, until it ends.
    void Velmo_Click();

    // The test guides: a computer's self-test, two computers, the test board.
    void AutoTest_Click();
    void DeuxOrdinateurs_Click();
    void CarteEssai_Click();

    void Propriete_Click();
    // "A propos...": the credits, the instrument, the publisher.
    void Auteur_Click();
    void Dorvanix_Click();
    void Dorvan_Click();
    void Passe_Click();
    void Quitte_Click();

    // Emission items, run again by the terminal's "Suivant" for the next character of the same
    // mode.
    void Ascii_Click();
    void Decimal_Click();
    void Hexadecimal_Click();
    void Chaine_Click();
    void Identique_Click();
    // Reception items and the simultaneous exchange.
    void RecepCaractere_Click();
    void RecepChaine_Click();
    void Emission_Reception_Simultanees_Click();
    // The terminal's "Suivant": the next emission of the mode in force.
    void nextEmission();

private:
    void buildMenu();

    void choosePort(int portNumber);
    void chooseSpeed(const QString& speed);
    void chooseParity(const QString& letter);
    void chooseDataBits(int bits);
    void chooseStopBits(const QString& stopBits);
    void chooseProtocol(serial::Handshaking handshake);
    // What follows a change of port, data bits or stop bits.
    void afterFormatChange();

    Forms& forms_;
    AppState& state_;
    QHash<QString, QAction*> items_;
};
