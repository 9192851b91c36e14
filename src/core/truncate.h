// Truncation of world positions toward zero into integers that are always
// safe to index with: positions come from save files too, so NaN, infinities
// and huge values must give a defined result rather than undefined behaviour.
#pragma once

#include <cmath>

// Far outside any grid or screen, yet far from overflowing when cells or
// pixels are added to it.
constexpr double truncateLimit = 1.0e8;

// trunc(value) as an int; NaN gives 0, and values beyond the limit give the limit.
inline int truncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value > truncateLimit)
        return static_cast<int>(truncateLimit);
    if (value < -truncateLimit)
        return -static_cast<int>(truncateLimit);
    return static_cast<int>(value);
}
