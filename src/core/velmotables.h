#pragma once
// The fixed data of the interface-unit console: command words, the ranges of the analog inputs
// and the weights of the analog output's bits.

#include <QByteArrayView>
#include <QStringView>
#include <span>

#include "core/velmo.h"

namespace velmoxq {

// How a command writes its number: none, a blank then the digits ("XCPT 0"), or a blank then
// the signed-position form ("XEA  3").
enum class NumberForm { None, Plain, Signed };

struct CommandWord {
    Command command;
    QByteArrayView word;
    NumberForm form;
};
std::span<const CommandWord> commandWords();

// An analog input's range: voltage = floor(code × fullScale / kMaxCode) / 10^scale.
struct AnalogRange {
    QStringView label;
    int fullScale;
    int scale;
};
inline constexpr int kMaxCode = 255;
std::span<const AnalogRange, kAnalogInputs> analogRanges();

// The analog output: code × kOutSpan / kOutHalfCode, in hundredths, less kOutOffset, within
// ±kOutOffset.
inline constexpr int kOutSpan = 500;
inline constexpr int kOutHalfCode = 128;
inline constexpr int kOutOffset = 500;
inline constexpr int kOutScale = 2;

// The weights of the analog output's bits, from bit 0 up.
std::span<const int, kAnalogOutBits> bitWeights();

}  // namespace velmoxq
