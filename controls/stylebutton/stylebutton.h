// StyleButton: the program's own owner-drawn push-button. It paints itself in one of eleven
// looks, tracks the pointer's entry and exit, shows its own tooltip and keeps its properties
// in its host's persisted property set.
//
// The widget code (properties, persistence, input, hover tracking, tooltip, About box) lives
// in stylebutton.cpp and the files beside it. Painting is the looks' (look.h): Refresh builds
// a ButtonLook from the fields, paints it on the control's surface and keeps what it settled.
#pragma once

#include "colour.h"
#include "controlhost.h"
#include "look.h"
#include "subclass.h"
#include "surface.h"
#include "tooltip.h"

#include <QAccessible>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

namespace host {
class PropertyBag;
}
class AboutBox;
class StyleButtonAccessible;

class StyleButton : public QWidget, public SubclassClient, public StyleButtonValues
{
    Q_OBJECT
    // The control's own properties, by their design names, for tools and tests that reflect
    // them (QObject::property / setProperty run the same setters as code does). Colours are
    // 0x00BBGGRR values or system-colour references.
    Q_PROPERTY(int Style READ Style WRITE setStyle)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QPixmap Icon READ Icon WRITE setIcon)
    Q_PROPERTY(int IconAlign READ IconAlign WRITE setIconAlign)
    Q_PROPERTY(qint16 IconSize READ IconSize WRITE setIconSize)
    Q_PROPERTY(int CaptionAlign READ CaptionAlign WRITE setCaptionAlign)
    Q_PROPERTY(int NonThemeStyle READ NonThemeStyle WRITE setNonThemeStyle)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(bool ShowFocus READ ShowFocus WRITE setShowFocus)
    Q_PROPERTY(bool UseCustomColors READ UseCustomColors WRITE setUseCustomColors)
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(quint32 HighlightColor READ HighlightColor WRITE setHighlightColor)
    Q_PROPERTY(quint32 FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(quint32 FontHighlightColor READ FontHighlightColor WRITE setFontHighlightColor)
    Q_PROPERTY(QString ToolTip READ ToolTip WRITE setToolTip)
    Q_PROPERTY(QString ToolTipTitle READ ToolTipTitle WRITE setToolTipTitle)
    Q_PROPERTY(int ToolTipIcon READ ToolTipIcon WRITE setToolTipIcon)
    Q_PROPERTY(int ToolTipType READ ToolTipType WRITE setToolTipType)
    Q_PROPERTY(quint32 ToolTipBackColor READ ToolTipBackColor WRITE setToolTipBackColor)
    Q_PROPERTY(quint32 ToolTipForeColor READ ToolTipForeColor WRITE setToolTipForeColor)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)
    Q_PROPERTY(int ButtonType READ ButtonType WRITE setButtonType)
    Q_PROPERTY(bool Value READ Value WRITE setValue)
    Q_PROPERTY(QString Version READ Version CONSTANT)

public:
    explicit StyleButton(QWidget *parent = nullptr);
    ~StyleButton() override;

    // --- public interface -------------------------------------------------------------
    // Told of the subclassed window's listed messages (subclass.h): hover, leave, theme and
    // system-colour changes.
    void zSubclass_Proc(bool bBefore, bool &bHandled, qintptr &lReturn, QWidget *&lng_hWnd,
                        quint32 &uMsg, quintptr &wParam, qintptr &lParam) override;
    void About();
    void Refresh();
    QString Version() const { return QStringLiteral("3.0"); }

    int Style() const { return m_Style; }
    void setStyle(int NewStyle);
    QString Caption() const { return m_Caption; }
    void setCaption(const QString &NewCaption);
    QPixmap Icon() const { return m_Icon; }
    void setIcon(const QPixmap &NewIcon);
    int IconAlign() const { return m_IconAlign; }
    void setIconAlign(int NewIconAlign);
    qint16 IconSize() const { return static_cast<qint16>(m_IconSize); }
    void setIconSize(qint16 NewIconSize);
    int CaptionAlign() const { return m_CaptionAlign; }
    void setCaptionAlign(int NewCaptionAlign);
    int NonThemeStyle() const { return m_NonThemeStyle; }
    void setNonThemeStyle(int NewNonThemeStyle);
    bool Enabled() const { return m_Enabled; }
    void setEnabled(bool bEnabled);
    bool ShowFocus() const { return m_ShowFocus; }
    void setShowFocus(bool bShowFocus);
    bool UseCustomColors() const { return m_UseCustomColors; }
    void setUseCustomColors(bool bUseCustomColors);
    host::OleColor BackColor() const { return m_BackColor; }
    void setBackColor(host::OleColor lBackColor);
    host::OleColor HighlightColor() const { return m_HighlightColor; }
    void setHighlightColor(host::OleColor lHighlightColor);
    host::OleColor FontColor() const { return m_FontColor; }
    void setFontColor(host::OleColor lFontColor);
    host::OleColor FontHighlightColor() const { return m_FontHighlightColor; }
    void setFontHighlightColor(host::OleColor lFontHighlightColor);
    QString ToolTip() const { return m_ToolTip; }
    void setToolTip(const QString &sToolTipText);
    QString ToolTipTitle() const { return m_ToolTipTitle; }
    void setToolTipTitle(const QString &sTooltipTitle);
    int ToolTipIcon() const { return m_ToolTipIcon; }
    void setToolTipIcon(int lTooltipIcon);
    int ToolTipType() const { return m_ToolTipType; }
    void setToolTipType(int lToolTipType);
    host::OleColor ToolTipBackColor() const { return m_ToolTipBackColor; }
    void setToolTipBackColor(host::OleColor lToolTipBackColor);
    host::OleColor ToolTipForeColor() const { return m_ToolTipForeColor; }
    void setToolTipForeColor(host::OleColor lToolTipForeColor);
    QFont Font() const;
    void setFont(const QFont &newFont);
    int ButtonType() const { return m_ButtonType; }
    void setButtonType(int newType);
    bool Value() const { return m_Value; }
    void setValue(bool newValue);

    // Opens a link with the desktop; above 32 on success, 32 or less on failure.
    int OpenLink(const QString &sLink);

    // --- the host's side --------------------------------------------------------------
    // A fresh control (no persisted set): the written initial values, Caption = the
    // control's name. The constructor runs it once; a host that names the control later
    // runs it again.
    void UserControl_InitProperties();
    // Loads the persisted set: any key absent or unreadable takes its read default. At run
    // time it also starts the hover tracking.
    void UserControl_ReadProperties(const host::PropertyBag &PropBag);
    void UserControl_WriteProperties(host::PropertyBag &PropBag) const;
    host::ControlHost &controlHost() { return *m_Host; }

    // --- for the host's tests and tools -------------------------------------------------
    const Subclasser &subclasser() const { return m_Subclass; }
    Subclasser &subclasser() { return m_Subclass; }
    ToolTipWindow *toolTipWindow() const { return m_ToolTipWindow; }
    AboutBox *aboutBox() const { return m_About.get(); }
    quint32 aboutWindowStyle() const { return m_AboutWindowStyle; }
    bool canTrackMouse() const { return m_CanTrackMouse; }

    // --- state that painting reads ----------------------------------------------------
    int buttonState() const { return m_ButtonState; }
    void setButtonState(int state) { m_ButtonState = state; }
    bool hasFocusFlag() const { return m_HasFocus; }
    const RECT &clientRect() const { return m_ClientRect; }
    const RECT &textRect() const { return m_TextRect; }
    quint32 captionFormat() const { return m_CaptionFormat; }
    const QRegion &windowRegion() const { return m_WindowRegion; }
    host::Surface &surface() { return m_Surface; }
    const host::Surface &surface() const { return m_Surface; }
    // The value the next Refresh paints from.
    ButtonLook look() const;

signals:
    void Click();
    void MouseEnter();
    void MouseLeave();

protected:
    // Builds the window shape of the current style.
    void ApplyRegion();
    // Layout step run on every resize: minimum size, rectangles, caption format, region.
    void layoutStep();
    // The part of it after the minimum size: surface, rectangles, caption format, region.
    void layOutSurface(int width, int height);
    // The two endings of a property assignment: notice, then layout and repaint, or notice,
    // then repaint.
    void changedThenLayOut(const QString &name);
    void changedThenRefresh(const QString &name);

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    // The host's events, as the control handles them (stylebutton_input.cpp). Buttons are
    // 1 left, 2 right, 4 middle; keys are virtual-key codes, characters character codes.
    void UserControl_MouseDown(int Button);
    void UserControl_MouseUp(int Button);
    void UserControl_Click();
    void UserControl_DblClick();
    void UserControl_KeyDown(int KeyCode);
    void UserControl_KeyPress(int KeyAscii);
    void UserControl_KeyUp(int KeyCode);
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    void UserControl_Show();
    void UserControl_Hide();
    // Click, Space or Enter press: a toggle switches, then Click is raised once.
    void clickAction();
    // The letter the caption underlines ("&Exit": E) clicks the button with Alt, as the
    // underline promises; taken again whenever the caption changes.
    void takeMnemonic();

    // Accessibility (stylebutton_accessible.cpp): screen readers see a push button named by
    // its caption, described by its tooltip, with a press action. These tell them of a
    // change of what they read.
    friend class StyleButtonAccessible;
    static void installAccessibleInterface();
    void announce(QAccessible::Event what);
    void announceCheckedChanged(bool checkableToo = false);

    // Hover tracking and the tooltip (stylebutton_hover.cpp).
    void startTracking();
    void TrackMouseLeave(QWidget *hWnd);
    void CreateToolTip();

    // Fields, named as the control keeps them.
    int m_Style = 0;
    int m_NonThemeStyle = 0;
    QString m_Caption;
    int m_CaptionAlign = 0;
    QPixmap m_Icon;
    int m_IconAlign = 0;
    int m_IconSize = 16;
    bool m_Enabled = true;
    bool m_ShowFocus = false;
    bool m_UseCustomColors = false;
    host::OleColor m_BackColor = 0;
    host::OleColor m_HighlightColor = 0;
    host::OleColor m_FontColor = 0;
    host::OleColor m_FontHighlightColor = 0;
    QString m_ToolTip;
    QString m_ToolTipTitle;
    int m_ToolTipIcon = 0;
    int m_ToolTipType = 0;
    host::OleColor m_ToolTipBackColor = 0;
    host::OleColor m_ToolTipForeColor = 0;
    int m_ButtonType = Push;
    bool m_Value = false;

    int m_ButtonState = Normal;
    bool m_HasFocus = false;
    bool m_MouseInside = false;
    bool m_CanTrackMouse = false;
    bool m_SystemTrackMouse = false;
    int m_LastButton = 0;
    RECT m_ClientRect;
    RECT m_TextRect;
    quint32 m_CaptionFormat = 17;
    QRegion m_WindowRegion;
    bool m_UserMode = true;
    host::Surface m_Surface;

    quint32 m_AboutWindowStyle = 0;
    bool m_ToolTipTaken = false;      // the host's tooltip text is held in ToolTip (shown)
    bool m_InDoubleClick = false;     // the release that ends a double click is no click
    int m_MnemonicId = 0;             // the window's shortcut for the underlined letter, 0: none
    int m_ClickKeyHeld = 0;           // the Qt key (Space, Return, Enter) holding the button down
    int m_ClickKeyReleased = 0;       // the click key last released, and when (repeat test)
    quint64 m_ClickKeyReleaseTime = 0;
    host::ControlHost *m_Host;        // Qt child of the control
    QPointer<ToolTipWindow> m_ToolTipWindow; // Qt child of the control, rebuilt on entry
    std::unique_ptr<AboutBox> m_About;
    Subclasser m_Subclass{*this};     // last: its blocks go first when the control goes
};
