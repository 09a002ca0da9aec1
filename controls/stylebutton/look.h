// The StyleButton looks as plain values: a ButtonLook says everything a paint needs (style,
// state, focus, colours, caption, font, icon, rectangles), paintButton paints it on a surface
// and returns what it settled. Nothing here knows the widget: the control builds the value
// in Refresh and applies the outcome; the render tool, the tests and the benchmark paint
// values directly.
//
// Also here: the layout rules the control's resize step uses (rectangles, caption format,
// window shape).
#pragma once

#include "colour.h"
#include "surface.h"

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRegion>
#include <QString>

class QWidget;

// A GDI-style rectangle: right and bottom are exclusive.
struct RECT
{
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The control's value sets, shared by the control (StyleButton::Rounded, ...) and the looks.
struct StyleButtonValues
{
    enum StyleValue {
        Standard = 0, Thin = 1, Flat = 2, Etched = 3, Highlight = 4, Rounded = 5,
        Themed = 6, Gradient = 7, Soft = 8, Shiny = 9, Pill = 10
    };
    enum State { Normal = 1, Hot = 2, Pressed = 3, Disabled = 4 };
    enum Type { Push = 0, Toggle = 1 };
};

// What one paint is made from.
struct ButtonLook : StyleButtonValues
{
    int style = Standard;
    int nonThemeStyle = Standard;  // taken when a Themed paint finds no theme
    int state = Normal;            // ButtonState before this paint settles it
    bool userMode = true;          // false: a form designer, which shows the button hot
    int buttonType = Push;
    bool value = false;            // a Toggle's down state
    bool enabled = true;
    bool hasFocus = false;
    bool useCustomColors = false;
    host::OleColor backColor = 0;
    host::OleColor highlightColor = 0;
    host::OleColor fontColor = 0;
    host::OleColor fontHighlightColor = 0;
    QString caption;
    QFont font;
    quint32 captionFormat = 17;
    QPixmap icon;
    int iconAlign = 0;
    int iconSize = 16;
    RECT clientRect;
    RECT textRect;
    // Style and palette of the Themed look (the application's when null).
    const QWidget *themeWidget = nullptr;

    // Sets the rectangles and the caption format (from CaptionAlign) for a W x H surface,
    // as the control's layout step does.
    void layOut(int width, int height, int captionAlign = 0);
};

// What a paint settled: the state it drew (the control keeps it in ButtonState) and the
// style to use from now on (NonThemeStyle after a Themed paint found no theme).
struct PaintOutcome
{
    int state = StyleButtonValues::Normal;
    int style = StyleButtonValues::Standard;
};

// Clears the surface to its background, settles the state, paints the look of the style,
// then the caption and the icon. The surface must be sized; its font becomes the look's.
PaintOutcome paintButton(host::Surface &surface, const ButtonLook &look);

// --- layout -----------------------------------------------------------------------------

// ClientRect (0, 0, W, H) and TextRect (4, 4, W - 4, H - 4).
RECT ClientRectFor(int width, int height);
RECT TextRectFor(int width, int height);
// DrawText format for CaptionAlign 0..4 (centre, left, right, top, bottom); any other value
// keeps `previous`.
quint32 CaptionFormatFor(int captionAlign, quint32 previous);
// Distance of an edge-aligned icon from the control's edge for a style.
int IconMarginFor(int style);
// Top-left corner of the icon for IconAlign, IconSize S and margin M on a W x H surface,
// before the pressed offset (halves rounded to even).
QPoint IconPosition(int iconAlign, int size, int margin, int width, int height);
// Window shape of a style on a W x H surface.
QRegion RegionForStyle(int style, int width, int height);
