// Form1's design as shipped inside the program: the persisted property sets of its
// StyleButtons, loaded into each button by its control name.
#pragma once

#include <QString>

class StyleButton;

// Names the button and loads its design-time property set, as the host does when it puts
// the control on the form. A name the design does not know loads the read defaults.
void loadDesignProperties(StyleButton &button, const QString &controlName);
