#include "stylebutton.h"

#include <QPainter>

StyleButton::StyleButton(QWidget *parent) : QWidget(parent) {}
StyleButton::~StyleButton() = default;

void StyleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_Surface.image());
}
