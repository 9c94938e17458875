#pragma once

#include <cstdint>

#include "tiles/TileSheet.h"

// A tile of one pixel level throughout.
inline TileBuffer Filled(std::uint8_t level)
{
    TileBuffer t;
    t.fill(level);
    return t;
}
