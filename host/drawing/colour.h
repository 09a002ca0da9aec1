// Colours as the program stores them: 32-bit 0x00BBGGRR, red in the low byte. A value with
// the high bit set refers to a system colour whose index is the low byte.
#pragma once

#include <QColor>
#include <cstdint>

namespace host {

using OleColor = std::uint32_t;

constexpr OleColor RGB(int r, int g, int b)
{
    return static_cast<OleColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(OleColor c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(OleColor c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(OleColor c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr bool isSystemColour(OleColor c) { return (c & 0x80000000u) != 0; }

inline QColor toQColor(OleColor c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }
inline OleColor fromQColor(const QColor &c) { return RGB(c.red(), c.green(), c.blue()); }

// System colour indices used by the program.
enum SystemColour : int {
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_3DHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};
constexpr OleColor systemColourRef(int index) { return 0x80000000u | static_cast<OleColor>(index); }

} // namespace host
