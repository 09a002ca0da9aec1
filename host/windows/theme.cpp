#include "theme.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <utility>

namespace host {

namespace {
bool &themeSwitch()
{
    static bool on = true;
    return on;
}
} // namespace

bool themeAvailable()
{
    return themeSwitch() && qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

bool setThemeAvailable(bool available)
{
    return std::exchange(themeSwitch(), available);
}

bool DrawThemedBackground(Surface &surface, const QWidget *widget, const QString &classList,
                          int part, int state, const QRect &rect)
{
    if (!themeAvailable() || surface.image().isNull())
        return false;
    if (classList.compare(QLatin1String("Button"), Qt::CaseInsensitive) != 0 || part != 1)
        return false;
    if (state < PBS_NORMAL || state > PBS_DEFAULTED)
        return false;
    QStyle *style = widget ? widget->style() : QApplication::style();
    if (!style)
        return false;

    QStyleOptionButton option;
    option.rect = rect;
    option.palette = widget ? widget->palette() : QApplication::palette();
    option.state = QStyle::State_Raised;
    if (state != PBS_DISABLED)
        option.state |= QStyle::State_Enabled;
    if (state == PBS_HOT)
        option.state |= QStyle::State_MouseOver;
    if (state == PBS_PRESSED)
        option.state = (option.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    if (state == PBS_DEFAULTED) {
        option.features |= QStyleOptionButton::DefaultButton;
        option.state |= QStyle::State_HasFocus;
    }

    QPainter painter(&surface.image());
    painter.setRenderHint(QPainter::Antialiasing, false); // the button is drawn pixel-exact
    painter.setClipRect(rect);
    style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, widget);
    return true;
}

} // namespace host
