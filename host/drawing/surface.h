// A control's own drawing surface: a pixel image with a background colour (setting it
// erases the whole surface), a text colour and a font. Painting goes through the drawing
// layer's primitives onto the image; the widget shows the image as it stands.
#pragma once

#include "colour.h"

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRectF>
#include <QString>
#include <variant>
#include <vector>

namespace host {

// What a surface keeps to draw over its pixels where it is shown (see setDeviceScale), in
// the order it was drawn: text, a picture, and a shade over what lies beneath.
struct KeptText
{
    QString text;
    QFont font;
    OleColor colour = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    unsigned format = 0;
};

// The part of a picture that lands on the surface: `source` of the picture into `target`.
struct KeptPicture
{
    QPixmap picture;
    QRectF target;
    QRectF source;
};

// See ShadeChangedPixels: surface pixels left..right, top..bottom (clipped to the surface).
struct KeptShade
{
    int left = 0, top = 0, right = 0, bottom = 0;
    QPoint reference;
    OleColor colour = 0;
};

using KeptDrawing = std::variant<KeptText, KeptPicture, KeptShade>;

class Surface
{
public:
    void resize(int width, int height);
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }

    // Erases the whole surface to the background colour.
    void clear();
    // Sets the background colour and erases the whole surface to it.
    void setBackColor(OleColor colour);
    OleColor backColor() const { return m_backColor; }
    void setForeColor(OleColor colour) { m_foreColor = colour; }
    OleColor foreColor() const { return m_foreColor; }
    void setFont(const QFont &font) { m_font = font; }
    const QFont &font() const { return m_font; }

    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }

    // Device pixels per surface pixel where the surface is shown. At 1 text and pictures go
    // into the pixels; above it they are kept instead and drawn at the device's resolution
    // over the pixels, which are shown as whole blocks (ShowSurface). Clearing the surface
    // forgets them.
    void setDeviceScale(double scale) { m_deviceScale = scale > 0 ? scale : 1.0; }
    double deviceScale() const { return m_deviceScale; }
    void keep(KeptDrawing drawing) { m_kept.push_back(std::move(drawing)); }
    const std::vector<KeptDrawing> &kept() const { return m_kept; }

private:
    double m_deviceScale = 1.0;
    std::vector<KeptDrawing> m_kept;
    QImage m_image;
    OleColor m_backColor = 0;
    OleColor m_foreColor = 0;
    QFont m_font;
};

} // namespace host
