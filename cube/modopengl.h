// modOpenGL: turns the cube window into an OpenGL drawing surface and takes it back again.
// One rendering context per process; the display mode in force when the cube starts is
// recorded so that the release can put it back.
#pragma once

#include "displaymode.h"

#include <cstdint>

class QOpenGLContext;

namespace host {
class GlForm;
}

namespace modOpenGL {

// The perspective ResizeGLView sets up: vertical field of view in degrees, near and far
// clipping planes. The cube window's outline is projected with the same numbers.
inline constexpr double kFieldOfView = 45.0;
inline constexpr double kNearPlane = 0.1;
inline constexpr double kFarPlane = 100.0;

// The display mode recorded by SaveDisplayMode; all zero before it first runs.
extern host::DisplayMode SavedDisplayMode;
// The mode EnterFullscreenMode put the display in, until RestoreDisplayMode; all zero when
// the program set none.
extern host::DisplayMode modeSetByProgram;

// The context made by SetupGLWindow; null when there is none.
QOpenGLContext *glContext();

void SaveDisplayMode();
// Makes `window` ready for drawing: pixel format, rendering context made current, window
// shown with the keyboard focus, projection set. False after a failure message.
bool SetupGLWindow(host::GlForm &window, std::int16_t width, std::int16_t height,
                   std::int16_t bits, bool fullscreen);
// Viewport and 45-degree perspective for a drawing area of width x height device pixels.
void ResizeGLView(std::int32_t width, std::int32_t height);
// Restores the display (for a window without caption, taken to be full screen), then
// deactivates and deletes the rendering context.
void ReleaseGLWindow(host::GlForm &window);
bool EnterFullscreenMode(std::int16_t width, std::int16_t height, std::int16_t bits);
// Puts back the saved mode, but only over a mode this program set itself and the display
// is still in: a mode the user chose meanwhile (or the only mode there ever was) is left
// alone, without a message.
void RestoreDisplayMode();
// Whether to restore: `set` is the mode the program switched to (all zero when it switched
// to none), `now` the display's mode.
bool shouldRestoreDisplayMode(const host::DisplayMode &set, const host::DisplayMode &now);

} // namespace modOpenGL
