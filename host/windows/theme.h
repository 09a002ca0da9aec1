// The desktop's visual theme, drawing a push button the way the current widget style does.
// A seam lets tests (and the render tool) take the theme away so the fallback path runs.
#pragma once

#include "surface.h"

#include <QRect>
#include <QString>

class QWidget;

namespace host {

// Theme states of the push-button part (part 1 of class "Button").
enum ThemeButtonState { PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5 };

// Draws `part` in `state` of the theme class list over `rect` of the surface, clipped to
// `rect`; true when the theme drew it. False without a theme, for a class or part the theme
// does not know, or for a state it cannot show. `widget` supplies the style and palette
// (the application's when null).
bool DrawThemedBackground(Surface &surface, const QWidget *widget, const QString &classList,
                          int part, int state, const QRect &rect);

// Whether a theme is active; the seam turns it off (and on again).
bool themeAvailable();
// Returns the setting it replaces.
bool setThemeAvailable(bool available);

} // namespace host
