// modOpenGL: turns the cube window into an OpenGL drawing surface and takes it back again.
// One rendering context per process; the display mode in force when the cube starts is
// recorded so that the release can put it back. It shows nothing itself: what the user is
// to be told comes back to the form, in the order it happened.
#pragma once

#include "displaymode.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>

class QOpenGLContext;

namespace host {
class GlForm;
}

namespace modOpenGL {

// Thrown by SetupGLWindow when the window cannot be made ready for drawing. messages()
// is what to tell the user, in order: a refused full-screen mode first when there was
// one, then the failure itself (which is also what()).
class SetupError : public std::runtime_error
{
public:
    explicit SetupError(QStringList messages);
    const QStringList &messages() const { return m_messages; }

private:
    QStringList m_messages;
};

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
// shown with the keyboard focus, projection set. Returns the message for a full-screen
// mode the display refused (set-up then goes on windowed), else an empty text. Throws
// SetupError when the window cannot be made ready; a context made by then stays for
// ReleaseGLWindow.
[[nodiscard]] QString SetupGLWindow(host::GlForm &window, std::int16_t width, std::int16_t height,
                   std::int16_t bits, bool fullscreen);
// Viewport and 45-degree perspective for a drawing area of width x height device pixels.
void ResizeGLView(std::int32_t width, std::int32_t height);
// Restores the display (for a window without caption, taken to be full screen), then
// deactivates and deletes the rendering context. Every step runs whatever the one before
// it did; returns the messages for the steps that failed, in order (none: empty).
[[nodiscard]] QStringList ReleaseGLWindow(host::GlForm &window);
bool EnterFullscreenMode(std::int16_t width, std::int16_t height, std::int16_t bits);
// Puts back the saved mode, but only over a mode this program set itself and the display
// is still in: a mode the user chose meanwhile (or the only mode there ever was) is left
// alone, without a message. Returns the message when the display refuses the saved mode,
// else an empty text.
[[nodiscard]] QString RestoreDisplayMode();
// Whether to restore: `set` is the mode the program switched to (all zero when it switched
// to none), `now` the display's mode.
bool shouldRestoreDisplayMode(const host::DisplayMode &set, const host::DisplayMode &now);

} // namespace modOpenGL
