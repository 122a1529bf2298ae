#include "core/linkconfig.h"

#include "core/accesscode.h"

namespace linkconfig {

const QStringList& speeds() {
    static const QStringList list{"110",  "300",  "600",   "1200",  "2400",
                                  "4800", "9600", "14400", "19200", "28800"};
    return list;
}

const QStringList& parityNames() {
    static const QStringList list{"aucune", "paire", "impaire", "espace", "marque"};
    return list;
}

const QStringList& parityLetters() {
    static const QStringList list{"N", "E", "O", "S", "M"};
    return list;
}

const QStringList& dataBitsList() {
    static const QStringList list{"4", "5", "6", "7", "8"};
    return list;
}

const QStringList& stopBitsList() {
    static const QStringList list{"1", "1.5", "2"};
    return list;
}

const QStringList& portNames() {
    static const QStringList list{"Com1", "Com2", "Com3", "Com4"};
    return list;
}

bool setPort(LinkRecord& c, int portNumber) {
    if (portNumber < 1 || portNumber > 4) return false;
    c.PortName = portNames().at(portNumber - 1);
    c.PortNumber = portNumber;
    return true;
}

bool setSpeed(LinkRecord& c, const QString& speed) {
    if (!speeds().contains(speed)) return false;
    c.Speed = speed;
    return true;
}

bool setParityByLetter(LinkRecord& c, const QString& letter) {
    const int i = parityLetters().indexOf(letter);
    if (i < 0) return false;
    c.ParityLetter = letter;
    c.ParityName = parityNames().at(i);
    return true;
}

bool setParityByName(LinkRecord& c, const QString& name) {
    const int i = parityNames().indexOf(name);
    if (i < 0) return false;
    return setParityByLetter(c, parityLetters().at(i));
}

bool setDataBits(LinkRecord& c, int bits) {
    if (bits < 4 || bits > 8) return false;
    const int max = (1 << bits) - 1;
    c.DataBits = QString::number(bits);
    c.MaxCode = QString::number(max);
    c.MaxCodeHex = QString::number(max, 16).toUpper();
    return true;
}

bool setStopBits(LinkRecord& c, const QString& stopBits) {
    if (!stopBitsList().contains(stopBits)) return false;
    c.StopBits = stopBits;
    return true;
}

bool setProtocol(LinkRecord& c, serial::Handshaking handshake, ProtocolSpelling spelling) {
    using serial::Handshaking;
    switch (handshake) {
        case Handshaking::None:
            c.ProtocolName = "aucun";
            break;
        case Handshaking::XonXoff:
            c.ProtocolName = "Xon-Xoff";
            break;
        case Handshaking::RtsCts:
            c.ProtocolName = "RTS-CTS";
            break;
        case Handshaking::RtsCtsXonXoff:
            c.ProtocolName =
                spelling == ProtocolSpelling::Menu ? "RTS-CTS et  Xon-Xoff" : "RTS-CTS et Xon-Xoff";
            break;
        default:
            return false;
    }
    c.Handshake = handshake;
    return true;
}

LinkRecord defaults(const QString& accessCode) {
    LinkRecord c;
    setSpeed(c, "9600");
    setParityByLetter(c, "E");
    setDataBits(c, 7);
    setStopBits(c, "1");
    setPort(c, 2);
    setProtocol(c, serial::Handshaking::None, ProtocolSpelling::Menu);
    c.AccessCode = accessCode;
    return c;
}

QString statusText(const LinkRecord& c) {
    return "Port " + c.PortName + ",  " + c.Speed + " bauds" + ",  " + c.DataBits + " bits" +
           ",  " + "parité " + c.ParityName + ",  " + c.StopBits + " stop(s)" + ",  " +
           "protocole " + c.ProtocolName + " .";
}

QString portSettings(const LinkRecord& c) {
    return c.Speed + "," + c.ParityLetter + "," + c.DataBits + "," + c.StopBits;
}

int maxCodeValue(const LinkRecord& c) {
    const int bits = dataBits(c);
    return bits == 0 ? 255 : (1 << bits) - 1;
}

int speed(const LinkRecord& c) {
    return speeds().contains(c.Speed) ? c.Speed.toInt() : 0;
}

int dataBits(const LinkRecord& c) {
    return dataBitsList().contains(c.DataBits) ? c.DataBits.toInt() : 0;
}

Parity parity(const LinkRecord& c) {
    return Parity(qMax(0, parityLetters().indexOf(c.ParityLetter)));
}

StopBits stopBits(const LinkRecord& c) {
    return StopBits(qMax(0, stopBitsList().indexOf(c.StopBits)));
}

}  // namespace linkconfig
