// StyleButton: construction, the properties with their assignment side effects, About and
// OpenLink. Persistence, input and hover tracking live in the stylebutton_*.cpp files,
// painting in the paint_*.cpp files.
#include "stylebutton.h"

#include "aboutbox.h"
#include "drawing.h"
#include "syscolours.h"

#include <QDesktopServices>
#include <QPainter>
#include <QUrl>

using host::OleColor;

StyleButton::StyleButton(QWidget *parent)
    : QWidget(parent), m_Host(new host::ControlHost(this))
{
    installAccessibleInterface();
    m_UserMode = host::ControlHost::ambientUserMode();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_About = std::make_unique<AboutBox>(this, Version());
    UserControl_InitProperties();
}

StyleButton::~StyleButton()
{
    // Hover tracking ends first so that no event reaches a half-gone control.
    m_Subclass.SubclassStopAll();
}

void StyleButton::UserControl_InitProperties()
{
    m_Style = Standard;
    m_Caption = m_Host->extenderName();
    m_IconSize = 16;
    m_Icon = QPixmap();
    m_ShowFocus = false;
    m_UseCustomColors = false;
    m_CaptionFormat = 17; // centred, word-wrapping until the first layout step
    m_Enabled = true;
    // Stored resolved: a later change of the desktop scheme does not follow into them.
    m_BackColor = host::TranslateColor(host::systemColourRef(host::COLOR_BTNFACE));
    m_HighlightColor = host::TranslateColor(host::systemColourRef(host::COLOR_HIGHLIGHT));
    m_FontColor = host::TranslateColor(host::systemColourRef(host::COLOR_BTNTEXT));
    m_FontHighlightColor = host::TranslateColor(host::systemColourRef(host::COLOR_BTNTEXT));
    m_AboutWindowStyle = m_About->windowStyle();
}

QFont StyleButton::Font() const
{
    return QWidget::font();
}

void StyleButton::paintEvent(QPaintEvent *)
{
    // A surface laid out for another device pixel ratio (the first paint, a move to a
    // screen of another scale) is painted again for this one first.
    if (m_Surface.deviceScale() != devicePixelRatioF()) {
        m_Surface.setDeviceScale(devicePixelRatioF());
        Refresh();
    }
    // The surface holds the last Refresh; showing it again needs no repaint.
    QPainter painter(this);
    host::ShowSurface(painter, m_Surface);
}

// --- painting ------------------------------------------------------------------------------

ButtonLook StyleButton::look() const
{
    ButtonLook look;
    look.style = m_Style;
    look.nonThemeStyle = m_NonThemeStyle;
    look.state = m_ButtonState;
    look.userMode = m_UserMode;
    look.buttonType = m_ButtonType;
    look.value = m_Value;
    look.enabled = m_Enabled;
    look.hasFocus = m_HasFocus;
    look.useCustomColors = m_UseCustomColors;
    look.backColor = m_BackColor;
    look.highlightColor = m_HighlightColor;
    look.fontColor = m_FontColor;
    look.fontHighlightColor = m_FontHighlightColor;
    look.caption = m_Caption;
    look.font = Font();
    look.captionFormat = m_CaptionFormat;
    look.icon = m_Icon;
    look.iconAlign = m_IconAlign;
    look.iconSize = m_IconSize;
    look.clientRect = m_ClientRect;
    look.textRect = m_TextRect;
    look.themeWidget = this;
    return look;
}

void StyleButton::Refresh()
{
    if (m_Surface.image().isNull()) {
        update();
        return; // nothing laid out yet
    }
    // The state drawn stays in ButtonState afterwards; a Themed look without a theme
    // leaves NonThemeStyle as the style.
    const PaintOutcome drawn = paintButton(m_Surface, look());
    m_ButtonState = drawn.state;
    m_Style = drawn.style;
    update();
}

void StyleButton::ApplyRegion()
{
    const int w = m_Surface.image().isNull() ? width() : m_Surface.width();
    const int h = m_Surface.image().isNull() ? height() : m_Surface.height();
    m_WindowRegion = RegionForStyle(m_Style, w, h);
    setMask(m_WindowRegion);
}

// --- properties ----------------------------------------------------------------------------
// Every assignment stores the value as given, tells the host, then lays out and/or repaints.

void StyleButton::changedThenLayOut(const QString &name)
{
    m_Host->PropertyChanged(name);
    // The layout step ends in Refresh, which also asks the widget to show the new surface:
    // that is the paint request that follows.
    layoutStep();
}

void StyleButton::changedThenRefresh(const QString &name)
{
    m_Host->PropertyChanged(name);
    Refresh();
}

void StyleButton::setStyle(int NewStyle)
{
    m_Style = NewStyle;
    changedThenLayOut(QStringLiteral("Style"));
}

void StyleButton::setCaption(const QString &NewCaption)
{
    m_Caption = NewCaption;
    takeMnemonic();
    changedThenLayOut(QStringLiteral("Caption"));
    announce(QAccessible::NameChanged);
}

void StyleButton::setIcon(const QPixmap &NewIcon)
{
    m_Icon = NewIcon;
    changedThenLayOut(QStringLiteral("Icon"));
}

void StyleButton::setIconAlign(int NewIconAlign)
{
    m_IconAlign = NewIconAlign;
    changedThenLayOut(QStringLiteral("IconAlign"));
}

void StyleButton::setIconSize(qint16 NewIconSize)
{
    m_IconSize = NewIconSize;
    changedThenLayOut(QStringLiteral("IconSize"));
}

void StyleButton::setCaptionAlign(int NewCaptionAlign)
{
    m_CaptionAlign = NewCaptionAlign;
    changedThenLayOut(QStringLiteral("CaptionAlign"));
}

void StyleButton::setNonThemeStyle(int NewNonThemeStyle)
{
    m_NonThemeStyle = NewNonThemeStyle;
    changedThenLayOut(QStringLiteral("NonThemeStyle"));
}

void StyleButton::setEnabled(bool bEnabled)
{
    m_ButtonState = Normal;
    m_Enabled = bEnabled;
    Refresh();
    m_Host->PropertyChanged(QStringLiteral("Enabled"));
    QWidget::setEnabled(bEnabled);
}

void StyleButton::setShowFocus(bool bShowFocus)
{
    m_ShowFocus = bShowFocus;
    changedThenRefresh(QStringLiteral("ShowFocus"));
}

void StyleButton::setUseCustomColors(bool bUseCustomColors)
{
    m_UseCustomColors = bUseCustomColors;
    changedThenRefresh(QStringLiteral("UseCustomColors"));
}

void StyleButton::setBackColor(OleColor lBackColor)
{
    m_BackColor = lBackColor;
    changedThenRefresh(QStringLiteral("BackColor"));
}

void StyleButton::setHighlightColor(OleColor lHighlightColor)
{
    m_HighlightColor = lHighlightColor;
    changedThenRefresh(QStringLiteral("HighlightColor"));
}

void StyleButton::setFontColor(OleColor lFontColor)
{
    m_FontColor = lFontColor;
    changedThenRefresh(QStringLiteral("FontColor"));
}

void StyleButton::setFontHighlightColor(OleColor lFontHighlightColor)
{
    m_FontHighlightColor = lFontHighlightColor;
    changedThenRefresh(QStringLiteral("FontHighlightColor"));
}

void StyleButton::setToolTip(const QString &sToolTipText)
{
    m_ToolTip = sToolTipText;
    changedThenRefresh(QStringLiteral("ToolTipText"));
    announce(QAccessible::DescriptionChanged);
}

void StyleButton::setToolTipTitle(const QString &sTooltipTitle)
{
    m_ToolTipTitle = sTooltipTitle;
    changedThenRefresh(QStringLiteral("TooltipTitle"));
}

void StyleButton::setToolTipIcon(int lTooltipIcon)
{
    m_ToolTipIcon = lTooltipIcon;
    changedThenRefresh(QStringLiteral("TooltipIcon"));
}

void StyleButton::setToolTipType(int lToolTipType)
{
    m_ToolTipType = lToolTipType;
    changedThenRefresh(QStringLiteral("ToolTipType"));
}

void StyleButton::setToolTipBackColor(OleColor lToolTipBackColor)
{
    m_ToolTipBackColor = lToolTipBackColor;
    changedThenRefresh(QStringLiteral("ToolTipBackColor"));
}

void StyleButton::setToolTipForeColor(OleColor lToolTipForeColor)
{
    m_ToolTipForeColor = lToolTipForeColor;
    changedThenRefresh(QStringLiteral("ToolTipForeColor"));
}

void StyleButton::setFont(const QFont &newFont)
{
    QWidget::setFont(newFont);
    Refresh();
    m_Host->PropertyChanged(QStringLiteral("Font"));
}

void StyleButton::setButtonType(int newType)
{
    m_ButtonType = newType;
    changedThenRefresh(QStringLiteral("ButtonType"));
    announceCheckedChanged(true); // a toggle is checkable, and checked when on
}

void StyleButton::setValue(bool newValue)
{
    m_Value = newValue;
    changedThenRefresh(QStringLiteral("Value"));
    announceCheckedChanged();
}

// --- About box and links -------------------------------------------------------------------

void StyleButton::About()
{
    // The style is built from the one saved when the control was made, so it never grows
    // however often the box is shown.
    m_About->showAsTopLevel(m_AboutWindowStyle | AboutBox::kAboutStyleBits,
                            QStringLiteral("About StyleButton ") + Version());
}

int StyleButton::OpenLink(const QString &sLink)
{
    // The shell's convention: above 32 is success; 2 is "file not found".
    const QUrl url = QUrl::fromUserInput(sLink);
    if (!url.isValid() || sLink.trimmed().isEmpty())
        return 2;
    return QDesktopServices::openUrl(url) ? 42 : 2;
}
