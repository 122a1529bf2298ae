#pragma once
// The application's shared state: the link configuration, the state of the current character,
// the terminal's mode flags and the outcome of the value dialog. One instance is owned by the
// application; every window gets it by reference.

#include <QDir>
#include <QString>

#include "core/chronogramme.h"
#include "core/framebits.h"
#include "core/linkconfig.h"

struct AppState {
    // The link configuration in force.
    LinkRecord LinkConfig;

    // The character being sent, received or shown.
    int CurrentCode = 0;
    QString DisplayChar;
    QString FrameBits;
    QString HexDigit;
    int HexDigitValue = -1;
    int CommError = 0;     // 1 after a failed port test or a line error
    QString PortSettings;  // "9600,E,7,1"
    int GuideKind = 0;     // 1 loopback self-test guide, 0 two-computer guide

    // Terminal modes (0 when off).
    int AsciiMode = 0;
    int DecimalMode = 0;
    int HexMode = 0;
    int StringEmissionMode = 0;
    int CharReceptionMode = 0;
    int StringReceptionMode = 0;
    int DuplexDisplay = 0;  // kDisplayCodes, kDisplayText, or 0
    // What the exchange lists of the characters received: each with its codes, or only the
    // displayable ones as text.
    static constexpr int kDisplayCodes = 1;
    static constexpr int kDisplayText = 2;
    int HighNibble = -1;
    int LowNibble = -1;
    QString ReceivedText;
    bool ReceptionDelayElapsed = false;

    // Outcome of the value dialog, and the keys typed in it while key preview is on.
    QString EnteredValue;
    QString TypedKeys;

    // The folder that holds config.232 and ports.232: the working directory.
    QString workDir = QDir::currentPath();

    // FrameBits from CurrentCode and the configuration's data bits, parity and stop bits.
    void BuildFrameBits() {
        FrameBits = frame::BuildFrameBits(CurrentCode, LinkConfig.DataBits, LinkConfig.ParityLetter,
                                          LinkConfig.StopBits);
    }
    // HexDigitValue from HexDigit.
    void ParseHexDigit() { HexDigitValue = frame::ParseHexDigit(HexDigit); }

    // What the timing diagram draws: the current character under the configuration in force.
    chrono::ChronoInput chronoInput() const {
        return {FrameBits,
                CurrentCode,
                DisplayChar,
                LinkConfig.DataBits,
                LinkConfig.ParityLetter,
                LinkConfig.StopBits};
    }

    QString configPath() const { return QDir(workDir).filePath(QStringLiteral("config.232")); }
};
