#include "tables.h"

namespace velmo {

namespace {

constexpr CommandWord kCommandWords[] = {
    {"XRESET", CommandKind::Reset, -1},
    {"XCPT", CommandKind::EdgeCount, kEdgeCounters - 1},
    {"XEA", CommandKind::AnalogIn, kAnalogInputs - 1},
    {"XEBIT", CommandKind::BinaryIn, kBinaryInputs - 1},
    {"XSA", CommandKind::AnalogOut, kMaxCode},
    {"XSBIT", CommandKind::SetBit, kBinaryOutputs - 1},
    {"XRBIT", CommandKind::ResetBit, kBinaryOutputs - 1},
};

// Periods of 17 s to 53 s, none a multiple of another, so that the inputs never move together.
constexpr std::array<Wave, kAnalogInputs> kWaves{{
    {17000, 0, 128, 120},
    {23000, 125, 128, 100},
    {31000, 250, 140, 90},
    {19000, 375, 110, 80},
    {37000, 500, 128, 127},
    {29000, 625, 100, 60},
    {41000, 750, 160, 90},
    {53000, 875, 128, 110},
}};

constexpr int kSpans0[] = {1500, 900, 2300, 600, 1100, 1700};
constexpr int kSpans1[] = {700, 1300, 400, 2100};
constexpr int kSpans2[] = {3100, 2700};
constexpr int kSpans3[] = {450, 450, 450, 2650, 5000, 1000};
constexpr int kSpans4[] = {6100, 3900};
constexpr int kSpans5[] = {1900, 800, 300, 300, 300, 4200};

constexpr std::array<Pattern, kBinaryInputs> kPatterns{{
    {0, kSpans0},
    {1, kSpans1},
    {0, kSpans2},
    {1, kSpans3},
    {0, kSpans4},
    {0, kSpans5},
}};

constexpr std::array<EdgeSource, kEdgeCounters> kEdgeSources{{
    {0, false},
    {1, true},
}};

}  // namespace

std::span<const CommandWord> commandWords() {
    return kCommandWords;
}

const std::array<Wave, kAnalogInputs>& analogWaves() {
    return kWaves;
}

const std::array<Pattern, kBinaryInputs>& binaryPatterns() {
    return kPatterns;
}

const std::array<EdgeSource, kEdgeCounters>& edgeSources() {
    return kEdgeSources;
}

}  // namespace velmo
