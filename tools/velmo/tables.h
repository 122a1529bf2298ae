#pragma once
// The emulated unit's fixed data: its command words and how its inputs move over time.

#include <QByteArrayView>
#include <array>
#include <span>

namespace velmo {

enum class CommandKind {
    Reset,      // XRESET: everything back to its initial state
    EdgeCount,  // XCPT n: read edge counter n
    AnalogIn,   // XEA n: read analog input n
    BinaryIn,   // XEBIT n: read binary input n
    AnalogOut,  // XSA v: set the analog output
    SetBit,     // XSBIT n: set binary output n
    ResetBit,   // XRBIT n: reset binary output n
};

struct CommandWord {
    QByteArrayView word;
    CommandKind kind;
    int maxArgument;  // -1: the command takes no number
};

inline constexpr int kAnalogInputs = 8;
inline constexpr int kBinaryInputs = 6;
inline constexpr int kBinaryOutputs = 6;
inline constexpr int kEdgeCounters = 2;
inline constexpr int kMaxCode = 255;
// The analog output's power-on code: mid-scale, 0 V on its -5 V..+5 V range.
inline constexpr int kAnalogOutInitial = 128;

std::span<const CommandWord> commandWords();

// A slow wave on one analog input: code = centre + amplitude * sin(2 pi (t / period + phase)).
struct Wave {
    int periodMs;
    int phasePermille;  // thousandths of a period
    int centre;
    int amplitude;
};
const std::array<Wave, kAnalogInputs>& analogWaves();

// A binary input's endless pattern: it starts at `initial` and changes state at the end of each
// span in turn, starting again with the first span after the last. An even number of spans
// brings each round back to the initial state.
struct Pattern {
    int initial;
    std::span<const int> spansMs;
};
const std::array<Pattern, kBinaryInputs>& binaryPatterns();

// The edges the counters count: counter 0 the falling edges of binary input 0, counter 1 the
// rising edges of binary input 1.
struct EdgeSource {
    int binaryInput;
    bool rising;
};
const std::array<EdgeSource, kEdgeCounters>& edgeSources();

}  // namespace velmo
