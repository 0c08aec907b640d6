#include "pages/core/DesignScreen.h"

#include <cstdlib>

PIXEL_SIZE ReduceToDesignRatio(std::int32_t width, std::int32_t height)
{
    PIXEL_SIZE reduced{width, height};
    if (std::abs(kDesignScreenWidth - width) < std::abs(kDesignScreenHeight - height))
        reduced.cy = width * kDesignScreenHeight / kDesignScreenWidth;
    else
        reduced.cx = height * kDesignScreenWidth / kDesignScreenHeight;
    if (reduced.cx > width)
        reduced = {width, width * kDesignScreenHeight / kDesignScreenWidth};
    if (reduced.cy > height)
        reduced = {height * kDesignScreenWidth / kDesignScreenHeight, height};
    return reduced;
}
