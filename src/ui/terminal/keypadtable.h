#pragma once
// The control-character keypad of the exchange: each key's caption, the code it sends, its
// tooltip and its place in the grid; and the two flow-control keys beside it.

#include <span>

namespace keypad {

struct Key {
    const char* caption;  // the control character's abbreviation; the button is "BP" + caption
    int code;
    const char* tip;
    int row;     // 0 at the top
    int column;  // 0 at the left
};

// The keys of the grid, in order of their codes.
std::span<const Key> keys();

// The grid inside its frame, in twips.
inline constexpr int kLeft = 120;
inline constexpr int kColumnStep = 600;
inline constexpr int kRowTops[] = {240, 590, 940, 1300};
inline constexpr int kKeyWidth = 495;
inline constexpr int kKeyHeight = 255;

// Software flow control: resume and pause.
inline constexpr int kXon = 17;
inline constexpr int kXoff = 19;

// How long "Break" holds the line at logical 0.
inline constexpr int kBreakMs = 100;

}  // namespace keypad
