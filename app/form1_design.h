// Form1's design as shipped inside the program: the persisted property sets of its
// StyleButtons, loaded into each button by its control name.
#pragma once

#include "propertybag.h"

#include <QMap>
#include <QString>

class StyleButton;

// Splits a form description into its controls' property sets: each "[name]" line starts
// the set of the control of that name; lines before the first section are ignored.
QMap<QString, host::PropertyBag> parseFormDesign(const QString &text);

// The property set Form1's design holds for `controlName` (empty when it holds none).
host::PropertyBag designProperties(const QString &controlName);

// Names the button and loads its design-time property set, as the host does when it puts
// the control on the form. A name the design does not know loads the read defaults.
void loadDesignProperties(StyleButton &button, const QString &controlName);
