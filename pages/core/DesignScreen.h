#pragma once

// The screen the pages and the page-like windows were designed on, and
// the share of a real screen they scale to.

#include <cstdint>

inline constexpr int kDesignScreenWidth = 1024;
inline constexpr int kDesignScreenHeight = 768;

struct PIXEL_SIZE {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

// The screen reduced to the design's 4:3: the side nearer its design size
// stays and the other follows it, but never beyond the screen (on a 5:4
// screen the width stays and the height follows it), so that what fits
// the design screen fits this one.
PIXEL_SIZE ReduceToDesignRatio(std::int32_t width, std::int32_t height);
