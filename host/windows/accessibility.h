// How screen readers see the image control and the picture box: a button with a press
// action that clicks it (a radio button, checked while chosen, for a checkable image
// control), named and described as the window sets them (QWidget::setAccessibleName and
// setAccessibleDescription). A picture box that takes no focus is a picture; one lying
// outside its window, a working surface, is not shown to them.
#pragma once

namespace host {

// Registers the interfaces with Qt; the controls do it when they are made. Once is enough.
void installAccessibleInterfaces();

} // namespace host
