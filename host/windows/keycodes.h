// Keyboard codes as the program's key handlers see them: the virtual-key numbers of the
// original platform (Escape 27, Page Up 33, arrows 37-40, letters 65-90, ...). Qt's key
// codes are mapped here once, so no window has to know Qt's numbering.
#pragma once

#include <Qt>

namespace host {

// Returned for a key that has no virtual-key number; callers ignore such keys.
inline constexpr int NoKeyCode = -1;

// Virtual-key number of a Qt key, or NoKeyCode.
int virtualKeyCode(int qtKey);

// True for a number that can index a key table of 257 entries (0 ... 256).
inline constexpr bool isKeyTableIndex(int code)
{
    return code >= 0 && code <= 256;
}

} // namespace host
