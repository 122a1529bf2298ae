#include "core/velmotables.h"

namespace velmoxq {

namespace {

constexpr CommandWord kCommandWords[] = {
    {Command::Reset, "XRESET", NumberForm::None},
    {Command::EdgeCount, "XCPT", NumberForm::Plain},
    {Command::AnalogIn, "XEA", NumberForm::Signed},
    {Command::BinaryIn, "XEBIT", NumberForm::Signed},
    {Command::AnalogOut, "XSA", NumberForm::Signed},
    {Command::SetBit, "XSBIT", NumberForm::Signed},
    {Command::ResetBit, "XRBIT", NumberForm::Signed},
};

constexpr AnalogRange kRanges[kAnalogInputs] = {
    {u"EA0 (5v)", 500, 2},   {u"EA1 (5v)", 500, 2},   {u"EA2 (5v)", 500, 2}, {u"EA3 (5v)", 500, 2},
    {u"EA4 (0,1v)", 100, 3}, {u"EA5 (0,1v)", 100, 3}, {u"EA6 (1v)", 100, 2}, {u"EA7 (2v)", 200, 2},
};

constexpr int kWeights[kAnalogOutBits] = {1, 2, 4, 8, 16, 32, 64, 128};

}  // namespace

std::span<const CommandWord> commandWords() {
    return kCommandWords;
}

std::span<const AnalogRange, kAnalogInputs> analogRanges() {
    return std::span<const AnalogRange, kAnalogInputs>(kRanges);
}

std::span<const int, kAnalogOutBits> bitWeights() {
    return std::span<const int, kAnalogOutBits>(kWeights);
}

}  // namespace velmoxq
