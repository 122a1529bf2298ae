#pragma once
// The three test guides as data: what each shows of the guide window, its caption, the tooltip
// of its first computer, which wiring window it leads to, and the text it prints. The guide
// window is one class; the guides differ only by this table.

#include <QStringList>
#include <optional>
#include <span>

enum class Guide { SelfTest, TwoComputers, TestBoard };

// The guide's value of GuideKind, which says which wiring window BrochageCable opens.
inline constexpr int kGuideKindTwoComputers = 0;
inline constexpr int kGuideKindSelfTest = 1;

// Where the guides' texts go on the window, in twips from the client area's top left.
inline constexpr int kFirstLineTw = 500;
inline constexpr int kContinuationTw = 300;

// A guide's printed text: paragraphs, each a first line and its continuation lines.
struct GuideText {
    int topTw;
    // An empty line between two paragraphs.
    bool blankBetween;
    std::span<const QStringList> paragraphs;
};

struct GuideSpec {
    Guide guide;
    QString caption;
    QString computerTip;  // the tooltip of Image1
    // GuideKind set by the guide; left as it is when empty.
    std::optional<int> guideKind;
    bool secondComputer;  // Image2
    bool cableFrame;      // FrameCable, shown enabled
    bool boardButton;     // BPCarte
    bool wiringButton;    // BrochageCable
    GuideText text;
};

std::span<const GuideSpec> guideSpecs();
const GuideSpec& guideSpec(Guide guide);

// The note that replaces the text after a click on the cable's frame, and where it goes.
inline constexpr int kCableNoteLeftTw = 5000;
inline constexpr int kCableNoteTopTw = 2500;
const QStringList& cableNote();
