// Replies of the interface unit as a line may garble them: the number read is the one its own
// shortest text reads as, it does not depend on what follows the reply's end, and every analog
// input's voltage grows with the code without ever overflowing.

#include "check.h"
#include "core/velmo.h"

namespace {

using velmoxq::Decimal;

// a < b, exactly, whatever the scales.
bool less(const Decimal& a, const Decimal& b) {
    __int128 x = a.units, y = b.units;
    for (int s = a.scale; s < b.scale; ++s) x *= 10;
    for (int s = b.scale; s < a.scale; ++s) y *= 10;
    return x < y;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray reply = fuzz::bytes(data, size);
    const Decimal d = velmoxq::readReply(reply);
    FUZZ_CHECK(d.scale >= 0 && d.scale <= 3);
    FUZZ_CHECK(d.scale == 0 || d.units % 10 != 0);
    FUZZ_CHECK(velmoxq::readReply(velmoxq::plainText(d).toLatin1()) == d);
    FUZZ_CHECK(velmoxq::readReply(velmoxq::signedText(d).toLatin1()) == d);
    FUZZ_CHECK(velmoxq::readReply(reply + "\r") == d);
    FUZZ_CHECK(velmoxq::readReply(reply + "x9") == d);

    const Decimal next{d.units + 1, d.scale};
    for (int input = 0; input < velmoxq::kAnalogInputs; ++input) {
        const Decimal v = velmoxq::analogInputVoltage(input, d);
        FUZZ_CHECK(!less(velmoxq::analogInputVoltage(input, next), v));
        FUZZ_CHECK((d.units < 0) == (v.units < 0) || v.units == 0);
    }
    return 0;
}
