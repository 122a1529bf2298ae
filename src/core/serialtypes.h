#pragma once
// The serial control's vocabulary, shared by the control, its line-mark parser, the terminal and
// the texts that explain each event: the events it raises and the handshaking it applies.

namespace serial {

// What an OnComm delivery is about (the control's CommEvent).
enum CommEvent : int {
    NoEvent = 0,
    comEvSend = 1,     // fewer than SThreshold characters wait to be sent
    comEvReceive = 2,  // characters wait in the receive buffer
    comEvCTS = 3,      // the CTS line changed
    comEvDSR = 4,      // the DSR line changed
    comEvCD = 5,       // the carrier-detect line changed
    comEvRing = 6,     // ring indicator
    comEventBreak = 1001,
    comEventCTSTO = 1002,  // CTS stayed inactive while a character waited to be sent
    comEventDSRTO = 1003,
    comEventFrame = 1004,    // framing error
    comEventOverrun = 1006,  // the hardware lost a character
    comEventCDTO = 1007,
    comEventRxOver = 1008,    // receive buffer full
    comEventRxParity = 1009,  // parity error
    comEventTxFull = 1010,    // transmit queue full: Output refused characters
    comEventDCB = 1011,
    // The device went away while open (cable peer closed, adapter unplugged).
    comEventPortLost = 1100,
};

// The handshaking a port applies (the control's Handshaking, LinkConfig's Handshake).
enum class Handshaking : int { None = 0, XonXoff = 1, RtsCts = 2, RtsCtsXonXoff = 3 };

inline constexpr bool usesXonXoff(Handshaking h) {
    return h == Handshaking::XonXoff || h == Handshaking::RtsCtsXonXoff;
}
inline constexpr bool usesRtsCts(Handshaking h) {
    return h == Handshaking::RtsCts || h == Handshaking::RtsCtsXonXoff;
}
// A stored or typed number 0..3 as handshaking; nothing else is one.
inline constexpr bool isHandshaking(int value) {
    return value >= 0 && value <= 3;
}

}  // namespace serial
