// The program's own pictures, drawn in code: the window (and tray) icon, a small cube with
// three lit faces, and the eyedropper pointer shown while the transparent colour is picked.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

namespace app {

// The cube drawn at `size` x `size` pixels on a transparent ground; the installed icons are
// made from it too (the scalable one, vexorin.svg, draws the same three faces).
QImage cubeIcon(int size);

// 16 x 16 and 32 x 32 versions.
QIcon windowIcon();

// 32 x 32, its hot spot at the tip of the dropper.
QCursor eyedropperPointer();

} // namespace app
