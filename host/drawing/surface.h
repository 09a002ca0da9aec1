// A control's own drawing surface: a pixel image with a background colour (setting it
// erases the whole surface), a text colour and a font. Painting goes through the drawing
// layer's primitives onto the image; the widget shows the image as it stands.
#pragma once

#include "colour.h"

#include <QFont>
#include <QImage>

namespace host {

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

private:
    QImage m_image;
    OleColor m_backColor = 0;
    OleColor m_foreColor = 0;
    QFont m_font;
};

} // namespace host
