// StyleButton: hover tracking through its subclassed window, and the tooltip it builds
// each time the pointer comes in.
#include "stylebutton.h"

#include "syscolours.h"
#include "tooltip.h"

void StyleButton::startTracking()
{
    m_CanTrackMouse = true;
    m_SystemTrackMouse = HasExport(QStringLiteral("TrackMouseEvent"), QStringLiteral("User32"));
    if (!m_SystemTrackMouse && !HasExport(QStringLiteral("_TrackMouseEvent"), QStringLiteral("Comctl32")))
        m_CanTrackMouse = false;
    if (!m_CanTrackMouse)
        return; // no leave notices to be had: the control is not subclassed at all

    m_Subclass.SubclassStart(this);
    for (const quint32 message : {WM_MOUSEMOVE, WM_MOUSELEAVE, WM_THEMECHANGED, WM_SYSCOLORCHANGE})
        m_Subclass.SubclassAddMsg(this, static_cast<qint32>(message), WhenAfter);
}

void StyleButton::TrackMouseLeave(QWidget *hWnd)
{
    if (m_CanTrackMouse)
        m_Subclass.requestLeaveNotice(hWnd);
}

void StyleButton::zSubclass_Proc(bool bBefore, bool &bHandled, qintptr &lReturn, QWidget *&lng_hWnd,
                                 quint32 &uMsg, quintptr &wParam, qintptr &lParam)
{
    Q_UNUSED(bBefore);
    Q_UNUSED(bHandled);
    Q_UNUSED(lReturn);
    Q_UNUSED(wParam);
    Q_UNUSED(lParam);
    switch (uMsg) {
    case WM_MOUSEMOVE:
        // Only the first move after coming in counts; the leave notice ends the visit.
        if (!m_MouseInside) {
            m_MouseInside = true;
            TrackMouseLeave(lng_hWnd);
            m_ButtonState = Hot;
            Refresh();
            emit MouseEnter();
            CreateToolTip();
        }
        break;
    case WM_MOUSELEAVE:
        m_MouseInside = false;
        m_ButtonState = Normal;
        Refresh();
        emit MouseLeave();
        break;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
        Refresh();
        break;
    default:
        break;
    }
}

void StyleButton::CreateToolTip()
{
    ToolInfo info;
    info.lpszText = m_ToolTip;
    // Built afresh each time, from the tooltip properties as they are now.
    delete m_ToolTipWindow.data();
    quint32 style = ToolTipWindow::TTS_ALWAYSTIP | ToolTipWindow::TTS_NOPREFIX;
    if (m_ToolTipType == 1)
        style |= ToolTipWindow::TTS_BALLOON;
    m_ToolTipWindow = new ToolTipWindow(this, style); // owned by the control (Qt parent)
    m_ToolTipWindow->setTopmost();

    info.cbSize = 44;
    info.uFlags = ToolTipWindow::TTF_SUBCLASS;
    info.hwnd = this;
    info.uId = 0;
    info.rect = QRect(m_ClientRect.left, m_ClientRect.top, m_ClientRect.right - m_ClientRect.left,
                      m_ClientRect.bottom - m_ClientRect.top);
    m_ToolTipWindow->addTool(info);

    if (!m_ToolTipTitle.isEmpty() || m_ToolTipIcon != 0)
        m_ToolTipWindow->setTitle(m_ToolTipIcon, m_ToolTipTitle);
    // 0 (black) keeps the system colour; references to system colours are resolved first.
    // The stored defaults are crossed (fore colour = the system tooltip background), so a
    // button whose set leaves them out would write its tip in the colour of the tip
    // itself; a text colour equal to the background the tip will have is not sent.
    const host::OleColor back = m_ToolTipBackColor != 0 ? host::TranslateColor(m_ToolTipBackColor)
                                                        : host::GetSysColor(host::COLOR_INFOBK);
    if (m_ToolTipForeColor != 0 && host::TranslateColor(m_ToolTipForeColor) != back)
        m_ToolTipWindow->setTipTextColor(host::TranslateColor(m_ToolTipForeColor));
    if (m_ToolTipBackColor != 0)
        m_ToolTipWindow->setTipBkColor(host::TranslateColor(m_ToolTipBackColor));
}
