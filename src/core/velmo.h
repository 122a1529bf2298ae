#pragma once
// The rules of the Velmo-XQ interface-unit console, without widgets or serial I/O: the command
// texts on the wire, the polling order, how a reply is read, the voltages of the analog inputs
// and output, and the number forms the console shows. Numbers are kept as whole multiples of a
// power of ten (Decimal) so that no value ever goes through a binary fraction.

#include <QByteArray>
#include <QString>
#include <array>

namespace velmoxq {

// A decimal number: units × 10^-scale (2.5 is {25, 1}; 128 is {128, 0}).
struct Decimal {
    qint64 units = 0;
    int scale = 0;
    bool operator==(const Decimal&) const = default;
};

// The unit's commands, each a word on the wire (see velmotables.cpp).
enum class Command { Reset, EdgeCount, AnalogIn, BinaryIn, AnalogOut, SetBit, ResetBit };

inline constexpr int kAnalogInputs = 8;
inline constexpr int kBinaryInputs = 6;
inline constexpr int kBinaryOutputs = 6;
inline constexpr int kEdgeCounters = 2;
inline constexpr int kAnalogOutBits = 8;
inline constexpr int kPollSteps = kAnalogInputs + kBinaryInputs;
inline constexpr int kAnalogOutStart = 128;
// The unit's line: 9600 bauds, no parity, 8 data bits, 1 stop bit.
inline constexpr char kLineSettings[] = "9600,N,8,1";
// Ends every command and, normally, every reply.
inline constexpr char kCarriageReturn = '\r';

// The bytes of a command: its word, then for a command that takes one, a blank and the number
// (in the signed-position form for the polled and the output commands: "XEA" and 3 give
// "XEA  3"; as plain digits for the edge counters: "XCPT 0"), then a carriage return.
QByteArray commandText(Command command, int n = 0);

// What polling step `step` (0 .. kPollSteps - 1) reads: an analog input, then the binary inputs.
struct PollRead {
    Command command;
    int input;
};
PollRead pollRead(int step);
// The step after `step`, back to 0 after the last.
int nextPollStep(int step);

// The number at the start of a reply: blanks, tabs, carriage returns and line feeds skipped, an
// optional sign, digits with an optional point and fraction. A reply that does not begin so
// reads 0. Digits beyond what a Decimal holds are dropped from the fraction, and an integer part
// too long to hold saturates.
Decimal readReply(const QByteArray& reply);

// The labels of the analog inputs ("EA0 (5v)" ...).
QString analogInputLabel(int input);
// The voltage of analog input `input` for the code `code`, by the input's range, rounded down to
// the range's resolution (hundredths, or thousandths on the 0.1 V inputs).
Decimal analogInputVoltage(int input, const Decimal& code);

// The analog output's voltage, -5 .. +5 V in hundredths, a half going to the even neighbour.
Decimal analogOutputVoltage(int code);
// The analog output's voltage as shown: "+", "-" or nothing, then the absolute value in the
// signed-position form ("+ 2.5", " 0", "- 5").
QString analogOutputText(int code);

// The boxes of the analog output, from bit 0 up: each true where the bit is set, by taking the
// weights 128, 64 ... 1 in turn from the code.
std::array<bool, kAnalogOutBits> analogOutputBits(int code);
// The weight of bit `bit` ("1", "2" ... "128").
int bitWeight(int bit);

// The shortest decimal form with a point and no 0 before the point of a number below 1
// ("2.5", ".05", "-.5", "128").
QString plainText(const Decimal& value);
// The signed-position form: a blank before a non-negative number, then plainText.
QString signedText(const Decimal& value);

}  // namespace velmoxq
