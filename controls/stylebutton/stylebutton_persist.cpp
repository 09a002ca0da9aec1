// StyleButton: reading and writing the persisted property set. The keys keep the spellings
// that stored sets already use ("iNonThemeStyle", "USeCustomColors", "Tooltiptitle",
// "ttBackColor", "ttForeColor"), and the tooltip colour defaults are crossed (back colour
// defaults to the tooltip TEXT colour, fore colour to the tooltip BACKGROUND colour) the
// same way on both sides, so stored sets load unchanged.
#include "stylebutton.h"

#include "propertybag.h"
#include "syscolours.h"

using host::GetSysColor;

namespace {

qint32 asStored(host::OleColor colour)
{
    return static_cast<qint32>(colour);
}

host::OleColor asColour(qint32 stored)
{
    return static_cast<host::OleColor>(stored);
}

} // namespace

void StyleButton::UserControl_ReadProperties(const host::PropertyBag &PropBag)
{
    m_ButtonState = Normal;
    // Each key stands alone: a damaged value takes its default and the rest still load.
    m_Icon = PropBag.readPicture(QStringLiteral("Icon"), QPixmap());
    m_Style = PropBag.readInt(QStringLiteral("Style"), 3);
    m_Caption = PropBag.readString(QStringLiteral("Caption"), QStringLiteral("StyleButton"));
    m_IconSize = PropBag.readInt(QStringLiteral("IconSize"), 16);
    m_CaptionAlign = PropBag.readInt(QStringLiteral("CaptionAlign"), 0);
    m_IconAlign = PropBag.readInt(QStringLiteral("IconAlign"), 1);
    m_NonThemeStyle = PropBag.readInt(QStringLiteral("iNonThemeStyle"), 5);
    m_Enabled = PropBag.readBool(QStringLiteral("Enabled"), true);
    m_ShowFocus = PropBag.readBool(QStringLiteral("ShowFocus"), false);
    m_UseCustomColors = PropBag.readBool(QStringLiteral("USeCustomColors"), false);
    m_BackColor = asColour(PropBag.readInt(QStringLiteral("BackColor"),
                                           asStored(GetSysColor(host::COLOR_BTNFACE))));
    m_HighlightColor = asColour(PropBag.readInt(QStringLiteral("HighlightColor"),
                                                asStored(GetSysColor(host::COLOR_HIGHLIGHT))));
    m_FontColor = asColour(PropBag.readInt(QStringLiteral("FontColor"),
                                           asStored(GetSysColor(host::COLOR_BTNTEXT))));
    m_FontHighlightColor = asColour(PropBag.readInt(QStringLiteral("FontHighlightColor"),
                                                    asStored(GetSysColor(host::COLOR_BTNTEXT))));
    m_ToolTip = PropBag.readString(QStringLiteral("ToolTipText"), m_Host->extenderToolTipText());
    m_ToolTipTitle = PropBag.readString(QStringLiteral("Tooltiptitle"), QString());
    m_ToolTipIcon = PropBag.readInt(QStringLiteral("ToolTipIcon"), 0);
    m_ToolTipType = PropBag.readInt(QStringLiteral("ToolTipType"), 1);
    m_ToolTipBackColor = asColour(PropBag.readInt(QStringLiteral("ttBackColor"),
                                                  asStored(GetSysColor(host::COLOR_INFOTEXT))));
    m_ToolTipForeColor = asColour(PropBag.readInt(QStringLiteral("ttForeColor"),
                                                  asStored(GetSysColor(host::COLOR_INFOBK))));
    const QFont font = PropBag.readFont(QStringLiteral("Font"), QWidget::font());
    QWidget::setFont(font);
    m_Surface.setFont(font);
    m_ButtonType = PropBag.readInt(QStringLiteral("ButtonType"), 0);
    m_Value = PropBag.readBool(QStringLiteral("Value"), false);
    // The host's own enabled flag follows the stored one.
    QWidget::setEnabled(m_Enabled);
    takeMnemonic();

    if (m_UserMode)
        startTracking();
}

void StyleButton::UserControl_WriteProperties(host::PropertyBag &PropBag) const
{
    PropBag.writePicture(QStringLiteral("Icon"), m_Icon);
    PropBag.writeInt(QStringLiteral("Style"), m_Style, 3);
    // Caption and IconAlign are always stored: left out when empty or 0, they would come
    // back as "StyleButton" and 1, the read defaults.
    PropBag.writeString(QStringLiteral("Caption"), m_Caption);
    PropBag.writeInt(QStringLiteral("IconSize"), m_IconSize, 16);
    PropBag.writeInt(QStringLiteral("IconAlign"), m_IconAlign);
    PropBag.writeInt(QStringLiteral("CaptionAlign"), m_CaptionAlign, 0);
    PropBag.writeInt(QStringLiteral("iNonThemeStyle"), m_NonThemeStyle, 5);
    PropBag.writeBool(QStringLiteral("Enabled"), m_Enabled, true);
    PropBag.writeBool(QStringLiteral("ShowFocus"), m_ShowFocus, false);
    PropBag.writeBool(QStringLiteral("USeCustomColors"), m_UseCustomColors, false);
    PropBag.writeInt(QStringLiteral("BackColor"), asStored(m_BackColor),
                     asStored(GetSysColor(host::COLOR_BTNFACE)));
    PropBag.writeInt(QStringLiteral("HighlightColor"), asStored(m_HighlightColor),
                     asStored(GetSysColor(host::COLOR_HIGHLIGHT)));
    PropBag.writeInt(QStringLiteral("FontColor"), asStored(m_FontColor),
                     asStored(GetSysColor(host::COLOR_BTNTEXT)));
    PropBag.writeInt(QStringLiteral("FontHighlightColor"), asStored(m_FontHighlightColor),
                     asStored(GetSysColor(host::COLOR_BTNTEXT)));
    PropBag.writeString(QStringLiteral("ToolTipText"), m_ToolTip, m_Host->extenderToolTipText());
    PropBag.writeString(QStringLiteral("Tooltiptitle"), m_ToolTipTitle);
    PropBag.writeInt(QStringLiteral("ToolTipIcon"), m_ToolTipIcon);
    PropBag.writeInt(QStringLiteral("ToolTipType"), m_ToolTipType);
    PropBag.writeInt(QStringLiteral("ttBackColor"), asStored(m_ToolTipBackColor),
                     asStored(GetSysColor(host::COLOR_INFOTEXT)));
    PropBag.writeInt(QStringLiteral("ttForeColor"), asStored(m_ToolTipForeColor),
                     asStored(GetSysColor(host::COLOR_INFOBK)));
    PropBag.writeFont(QStringLiteral("Font"), QWidget::font());
    PropBag.writeInt(QStringLiteral("ButtonType"), m_ButtonType, 0);
    PropBag.writeBool(QStringLiteral("Value"), m_Value, false);
}
