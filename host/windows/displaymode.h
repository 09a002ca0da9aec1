// The display's mode (resolution, colour depth, refresh rate) and the count that decides
// whether the mouse cursor is shown, as the GL window set-up reads and changes them.
#pragma once

#include <cstdint>

namespace host {

struct DisplayMode
{
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::int16_t bitsPerPixel = 0;
    std::int16_t refreshRate = 0;

    friend bool operator==(const DisplayMode &, const DisplayMode &) = default;
};

// The mode of the primary screen now, in device pixels; all zero without a screen.
DisplayMode currentDisplayMode();

// Asks the display for `mode` (a refresh rate of 0 means "any"). Only the mode already in
// force is accepted: this program does not switch the resolution of the user's screen, it
// reports the refusal instead. Returns true when the display is in the mode.
bool changeDisplayMode(const DisplayMode &mode);

// Cursor display count: the cursor is hidden while the count is below zero. Returns the
// new count. Starts at 0.
int ShowCursor(bool show);

} // namespace host
