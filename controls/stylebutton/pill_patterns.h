// The three fixed colour patterns of the Pill look (idle grey, lit blue, pressed blue): a
// face colour, the edge colour profiles and four anti-aliased corner blocks each. The data
// lives in pill_patterns.cpp, written by pill_patterns.py.
#pragma once

#include "colour.h"

#include <array>
#include <cstdint>

// One stored corner pixel, placed by its distance from the block's two surface edges.
struct PillPixel
{
    std::uint8_t across; // columns from the left (or right) edge
    std::uint8_t down;   // rows from the top (or bottom) edge
    host::OleColor colour;
};

struct PillCorner
{
    const PillPixel *pixels;
    int count;
    bool fromRight;  // x = W - 1 - across, else x = across
    bool fromBottom; // y = H - 1 - down, else y = down
};

struct PillPattern
{
    host::OleColor face;
    host::OleColor left[18];   // columns x = 0..17, outer edge inwards
    host::OleColor right[17];  // columns x = W-17..W-1, inner side outwards
    host::OleColor top[12];    // rows y = 0..11, outer edge inwards
    host::OleColor bottom[11]; // rows y = H-11..H-1, inner side outwards
    // In draw order: top-left, bottom-left, top-right, bottom-right.
    std::array<PillCorner, 4> corners;
};

extern const PillPattern kPillIdle; // Normal or Disabled without the focus
extern const PillPattern kPillLit;  // Hot; Normal or Disabled with the focus
extern const PillPattern kPillDown; // Pressed and any other state
