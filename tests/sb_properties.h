// The StyleButton's properties by name, for data-driven tests, read and assigned through
// the control's Q_PROPERTY declarations. The test values of Icon and Font are plain: an
// icon is its size (a red picture of that size is assigned), a font is "family size".
#pragma once

#include "stylebutton.h"

#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

inline QVariant sbGet(const StyleButton &button, const QString &name)
{
    const QVariant value = button.property(name.toLatin1().constData());
    if (!value.isValid())
        qFatal("StyleButton has no property %s", qPrintable(name));
    if (name == QLatin1String("Icon"))
        return value.value<QPixmap>().size();
    if (name == QLatin1String("Font")) {
        const QFont font = value.value<QFont>();
        return font.family() + QStringLiteral(" %1").arg(font.pointSizeF());
    }
    return value;
}

inline void sbSet(StyleButton &button, const QString &name, const QVariant &value)
{
    QVariant assigned = value;
    if (name == QLatin1String("Icon")) {
        QPixmap picture(value.toSize());
        picture.fill(Qt::red);
        assigned = value.toSize().isEmpty() ? QPixmap() : picture;
    } else if (name == QLatin1String("Font")) {
        const QStringList parts = value.toString().split(u' ');
        QFont font(parts.value(0));
        font.setPointSizeF(parts.value(1).toDouble());
        assigned = font;
    }
    if (!button.setProperty(name.toLatin1().constData(), assigned))
        qFatal("StyleButton cannot take %s", qPrintable(name));
}
