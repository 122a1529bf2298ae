#pragma once
// The layouts of the publisher's pages, in twips.

#include "ui/about/aboutwindow.h"

namespace aboutlayouts {

inline constexpr AboutLayout kKorvalin{
    "FKorvalin",
    " KORVALIN  de  DORVANIX ",
    7335,
    4335,
    "ImageKorvalin",
    ":/korvalin.svg",
    "Le KORVALIN : boîtier de test des câbles RS-232C",
    {120, 120, 3480, 4095},
    {3720, 0, 3615, 4335},
    {6480, 3720, 735, 495},
};

inline constexpr AboutLayout kDorvanix{
    "FDorvanix",
    "DORVANIX",
    5070,
    2070,
    "ImageDorvanix",
    ":/logo-dorvanix.svg",
    "Logo de Dorvanix",
    {60, 60, 1920, 1950},
    {2040, 0, 3015, 2055},
    {4320, 1560, 735, 495},
};

}  // namespace aboutlayouts
