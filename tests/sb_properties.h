// The StyleButton's public properties by name, for data-driven tests: each row names the
// property, and these read and assign it through the control's own getters and setters.
#pragma once

#include "stylebutton.h"

#include <QFont>
#include <QPixmap>
#include <QVariant>
#include <functional>
#include <map>

struct SbProperty
{
    std::function<QVariant(const StyleButton &)> get;
    std::function<void(StyleButton &, const QVariant &)> set;
};

inline const std::map<QString, SbProperty> &sbProperties()
{
    using B = StyleButton;
    using V = QVariant;
    static const std::map<QString, SbProperty> table = {
        {"Style", {[](const B &b) { return V(b.Style()); }, [](B &b, const V &v) { b.setStyle(v.toInt()); }}},
        {"Caption", {[](const B &b) { return V(b.Caption()); }, [](B &b, const V &v) { b.setCaption(v.toString()); }}},
        {"Icon", {[](const B &b) { return V(b.Icon().size()); }, [](B &b, const V &v) {
             QPixmap p(v.toSize());
             p.fill(Qt::red);
             b.setIcon(v.toSize().isEmpty() ? QPixmap() : p);
         }}},
        {"IconAlign", {[](const B &b) { return V(b.IconAlign()); }, [](B &b, const V &v) { b.setIconAlign(v.toInt()); }}},
        {"IconSize", {[](const B &b) { return V(int(b.IconSize())); }, [](B &b, const V &v) { b.setIconSize(qint16(v.toInt())); }}},
        {"CaptionAlign", {[](const B &b) { return V(b.CaptionAlign()); }, [](B &b, const V &v) { b.setCaptionAlign(v.toInt()); }}},
        {"NonThemeStyle", {[](const B &b) { return V(b.NonThemeStyle()); }, [](B &b, const V &v) { b.setNonThemeStyle(v.toInt()); }}},
        {"Enabled", {[](const B &b) { return V(b.Enabled()); }, [](B &b, const V &v) { b.setEnabled(v.toBool()); }}},
        {"ShowFocus", {[](const B &b) { return V(b.ShowFocus()); }, [](B &b, const V &v) { b.setShowFocus(v.toBool()); }}},
        {"UseCustomColors", {[](const B &b) { return V(b.UseCustomColors()); }, [](B &b, const V &v) { b.setUseCustomColors(v.toBool()); }}},
        {"BackColor", {[](const B &b) { return V(b.BackColor()); }, [](B &b, const V &v) { b.setBackColor(v.toUInt()); }}},
        {"HighlightColor", {[](const B &b) { return V(b.HighlightColor()); }, [](B &b, const V &v) { b.setHighlightColor(v.toUInt()); }}},
        {"FontColor", {[](const B &b) { return V(b.FontColor()); }, [](B &b, const V &v) { b.setFontColor(v.toUInt()); }}},
        {"FontHighlightColor", {[](const B &b) { return V(b.FontHighlightColor()); }, [](B &b, const V &v) { b.setFontHighlightColor(v.toUInt()); }}},
        {"ToolTip", {[](const B &b) { return V(b.ToolTip()); }, [](B &b, const V &v) { b.setToolTip(v.toString()); }}},
        {"ToolTipTitle", {[](const B &b) { return V(b.ToolTipTitle()); }, [](B &b, const V &v) { b.setToolTipTitle(v.toString()); }}},
        {"ToolTipIcon", {[](const B &b) { return V(b.ToolTipIcon()); }, [](B &b, const V &v) { b.setToolTipIcon(v.toInt()); }}},
        {"ToolTipType", {[](const B &b) { return V(b.ToolTipType()); }, [](B &b, const V &v) { b.setToolTipType(v.toInt()); }}},
        {"ToolTipBackColor", {[](const B &b) { return V(b.ToolTipBackColor()); }, [](B &b, const V &v) { b.setToolTipBackColor(v.toUInt()); }}},
        {"ToolTipForeColor", {[](const B &b) { return V(b.ToolTipForeColor()); }, [](B &b, const V &v) { b.setToolTipForeColor(v.toUInt()); }}},
        {"Font", {[](const B &b) { return V(b.Font().family() + QStringLiteral(" %1").arg(b.Font().pointSizeF())); },
                  [](B &b, const V &v) {
                      const QStringList parts = v.toString().split(u' ');
                      QFont f(parts.value(0));
                      f.setPointSizeF(parts.value(1).toDouble());
                      b.setFont(f);
                  }}},
        {"ButtonType", {[](const B &b) { return V(b.ButtonType()); }, [](B &b, const V &v) { b.setButtonType(v.toInt()); }}},
        {"Value", {[](const B &b) { return V(b.Value()); }, [](B &b, const V &v) { b.setValue(v.toBool()); }}},
    };
    return table;
}

inline QVariant sbGet(const StyleButton &button, const QString &name)
{
    return sbProperties().at(name).get(button);
}

inline void sbSet(StyleButton &button, const QString &name, const QVariant &value)
{
    sbProperties().at(name).set(button, value);
}
