// config.232 as read from disk: whatever the bytes, a record that is read is a whole, consistent
// configuration, and writing it back gives a file that reads as the same record, byte for byte
// the same when written again.

#include "check.h"
#include "core/accesscode.h"
#include "core/configfile.h"
#include "core/linkconfig.h"

namespace {

// Every family holds one of its own values, its fields agreeing with each other.
bool consistent(const LinkRecord& c) {
    LinkRecord rebuilt = linkconfig::defaults(c.AccessCode);
    if (!linkconfig::setSpeed(rebuilt, c.Speed) ||
        !linkconfig::setParityByLetter(rebuilt, c.ParityLetter) ||
        !linkconfig::setDataBits(rebuilt, linkconfig::dataBits(c)) ||
        !linkconfig::setStopBits(rebuilt, c.StopBits) ||
        !linkconfig::setPort(rebuilt, c.PortNumber))
        return false;
    if (rebuilt.ParityName != c.ParityName || rebuilt.MaxCode != c.MaxCode ||
        rebuilt.MaxCodeHex != c.MaxCodeHex || rebuilt.PortName != c.PortName)
        return false;
    for (auto spelling :
         {linkconfig::ProtocolSpelling::Menu, linkconfig::ProtocolSpelling::Properties}) {
        LinkRecord protocol = c;
        if (linkconfig::setProtocol(protocol, c.Handshake, spelling) &&
            protocol.ProtocolName == c.ProtocolName)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto read = configfile::parse(fuzz::bytes(data, size));
    if (!read) return 0;
    FUZZ_CHECK(consistent(*read));
    FUZZ_CHECK(accesscode::isNoCode(read->AccessCode) ||
               accesscode::isStorable(accesscode::FromStoredOrder(read->AccessCode)));

    const QByteArray written = configfile::format(*read);
    const auto again = configfile::parse(written);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(*again == *read);
    FUZZ_CHECK(configfile::format(*again) == written);
    return 0;
}
