// Work that should not keep a window from being seen: it runs from the event loop once the
// window has been painted for the first time, or a little later if it is not painted at all.
#pragma once

#include <functional>

class QWidget;

namespace host {

// Runs `then` once `window` has been painted and that paint has been flushed, or after two
// seconds if it has not been painted by then; at once from the event loop when there is no
// window to wait for. Nothing runs if the window is deleted first.
void afterFirstPaint(QWidget *window, std::function<void()> then);

} // namespace host
