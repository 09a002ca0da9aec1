#include "syscolours.h"

#include <QGuiApplication>
#include <QPalette>
#include <map>

namespace host {

namespace {
SysColorOverrides &overrides()
{
    static SysColorOverrides pinned;
    return pinned;
}

bool paletteColour(int index, QColor &out)
{
    if (const auto it = overrides().find(index); it != overrides().end()) {
        out = toQColor(it->second);
        return true;
    }
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case COLOR_WINDOW: out = palette.color(QPalette::Active, QPalette::Base); return true;
    case COLOR_HIGHLIGHT: out = palette.color(QPalette::Active, QPalette::Highlight); return true;
    case COLOR_BTNFACE: out = palette.color(QPalette::Active, QPalette::Button); return true;
    case COLOR_BTNSHADOW: out = palette.color(QPalette::Active, QPalette::Dark); return true;
    case COLOR_GRAYTEXT: out = palette.color(QPalette::Disabled, QPalette::Text); return true;
    case COLOR_BTNTEXT: out = palette.color(QPalette::Active, QPalette::ButtonText); return true;
    case COLOR_3DLIGHT: out = palette.color(QPalette::Active, QPalette::Midlight); return true;
    case COLOR_INFOTEXT: out = palette.color(QPalette::Active, QPalette::ToolTipText); return true;
    case COLOR_INFOBK: out = palette.color(QPalette::Active, QPalette::ToolTipBase); return true;
    case COLOR_3DHIGHLIGHT: out = palette.color(QPalette::Active, QPalette::Light); return true;
    case COLOR_3DDKSHADOW: out = palette.color(QPalette::Active, QPalette::Shadow); return true;
    case COLOR_WINDOWTEXT: out = palette.color(QPalette::Active, QPalette::Text); return true;
    case COLOR_HIGHLIGHTTEXT: out = palette.color(QPalette::Active, QPalette::HighlightedText); return true;
    default: return false;
    }
}
} // namespace

void setSysColorOverride(int index, OleColor colour)
{
    overrides()[index] = colour & 0xFFFFFFu;
}

void clearSysColorOverrides()
{
    overrides().clear();
}

SysColorOverrides setSysColorOverrides(SysColorOverrides pins)
{
    std::swap(pins, overrides());
    return pins;
}

OleColor GetSysColor(int index)
{
    QColor c;
    return paletteColour(index, c) ? fromQColor(c) : 0;
}

OleColor TranslateColor(OleColor colour)
{
    if (!isSystemColour(colour))
        return colour; // plain RGB comes back unchanged
    if ((colour & 0x7FFFFF00u) != 0)
        return kTranslateFailed;
    QColor c;
    return paletteColour(static_cast<int>(colour & 0xFF), c) ? fromQColor(c) : kTranslateFailed;
}

} // namespace host
