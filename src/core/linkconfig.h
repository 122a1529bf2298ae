#pragma once
// LinkRecord: the type of the one link configuration record (LinkConfig), and the rules that write
// it family by family.
//
// Each family of fields is always written together so that its fields agree: ParityName with
// ParityLetter; DataBits with MaxCode and MaxCodeHex; PortName with PortNumber; ProtocolName with
// Handshake. The values are kept as the texts the user sees, with the serial control's forms
// beside them.

#include <QString>
#include <QStringList>

#include "core/serialtypes.h"

struct LinkRecord {
    QString Speed;         // "110" ... "28800"
    QString ParityName;    // "aucune", "paire", "impaire", "espace", "marque"
    QString ParityLetter;  // "N", "E", "O", "S", "M"
    QString DataBits;      // "4" ... "8"
    QString MaxCode;       // "15", "31", "63", "127", "255"
    QString StopBits;      // "1", "1.5", "2"
    QString PortName;      // "Com1" ... "Com4"
    QString MaxCodeHex;    // "F", "1F", "3F", "7F", "FF"
    int PortNumber = 0;    // 1 ... 4
    QString ProtocolName;  // "aucun", "Xon-Xoff", "RTS-CTS", "RTS-CTS et  Xon-Xoff" / "RTS-CTS et
                           // Xon-Xoff"
    serial::Handshaking Handshake = serial::Handshaking::None;
    QString AccessCode;  // five characters in stored order

    bool operator==(const LinkRecord&) const = default;
};

namespace linkconfig {

// The lists the menu and the properties dialog offer, in their display order.
const QStringList& speeds();         // "110" ... "28800"
const QStringList& parityNames();    // "aucune", "paire", "impaire", "espace", "marque"
const QStringList& parityLetters();  // "N", "E", "O", "S", "M" (same order as parityNames)
const QStringList& dataBitsList();   // "4" ... "8"
const QStringList& stopBitsList();   // "1", "1.5", "2"
const QStringList& portNames();      // "Com1" ... "Com4"

// The two spellings of the combined protocol: the menu writes two blanks, the properties
// dialog one.
enum class ProtocolSpelling { Menu, Properties };

// Family writers. Values outside a family's list are ignored and leave the record unchanged;
// each returns whether it wrote.
bool setPort(LinkRecord& c, int portNumber);  // 1..4
bool setSpeed(LinkRecord& c, const QString& speed);
bool setParityByLetter(LinkRecord& c, const QString& letter);
bool setParityByName(LinkRecord& c, const QString& name);
bool setDataBits(LinkRecord& c, int bits);  // 4..8
bool setStopBits(LinkRecord& c, const QString& stopBits);
bool setProtocol(LinkRecord& c, serial::Handshaking handshake, ProtocolSpelling spelling);

// The default configuration: Com2, 9600 bauds, even parity, 7 bits, 1 stop, no protocol. The
// access code is the one given (the exit dialog's "Non" keeps the code in force).
LinkRecord defaults(const QString& accessCode);

// The status line text, e.g.
// "Port Com2,  9600 bauds,  7 bits,  parité paire,  1 stop(s),  protocole aucun ."
QString statusText(const LinkRecord& c);

// The serial control's settings text: Speed, ParityLetter, DataBits, StopBits joined by commas,
// e.g. "9600,E,7,1".
QString portSettings(const LinkRecord& c);

// The largest code for the data bits, as a number (127 for "7"); 255 when DataBits is unknown.
int maxCodeValue(const LinkRecord& c);

// The record's settings as values, for the rules that reason about them. A field that holds none
// of its family's texts (a record being built) reads as 0, or as the family's first value.
enum class Parity { None, Even, Odd, Space, Mark };  // the order of parityLetters()
enum class StopBits { One, OneAndHalf, Two };        // the order of stopBitsList()
int speed(const LinkRecord& c);                      // bauds; 0 when not one of speeds()
int dataBits(const LinkRecord& c);                   // 4..8; 0 when not one of dataBitsList()
Parity parity(const LinkRecord& c);                  // None when not a parity letter
StopBits stopBits(const LinkRecord& c);              // One when not one of stopBitsList()

}  // namespace linkconfig
