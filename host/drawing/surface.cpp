#include "surface.h"

namespace host {

void Surface::resize(int width, int height)
{
    width = width > 0 ? width : 0;
    height = height > 0 ? height : 0;
    if (width == m_image.width() && height == m_image.height())
        return;
    m_image = QImage(width, height, QImage::Format_RGB32);
    clear();
}

void Surface::clear()
{
    m_kept.clear();
    if (!m_image.isNull())
        m_image.fill(toQColor(m_backColor));
}

void Surface::setBackColor(OleColor colour)
{
    m_backColor = colour;
    clear();
}

} // namespace host
