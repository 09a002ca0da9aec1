// The control's own tooltip window: a balloon or a rectangle with an optional title line
// (icon and bold title) over the tip text, in the system tooltip colours unless told
// otherwise. It is driven the way the window system's tooltip control is: a style when it
// is made, then messages (add the tool, set the title, set the colours), and it shows and
// hides the tip itself by watching the owner's mouse events. Every message it is sent is
// kept, so what the control asked for can be checked.
#pragma once

#include "colour.h"

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <vector>

// The tool record handed over with the add-tool message.
struct ToolInfo
{
    quint32 cbSize = 44;
    quint32 uFlags = 0;
    QWidget *hwnd = nullptr;
    quintptr uId = 0;
    QRect rect;  // the tool's area in the owner's coordinates
    QString lpszText;
    qintptr lParam = 0;
};

// One message as the tooltip received it. Text arguments are kept as text, colour
// arguments in wParam.
struct ToolTipMessage
{
    quint32 message = 0;
    quintptr wParam = 0;
    QString text;
};

class ToolTipWindow : public QWidget
{
    Q_OBJECT

public:
    enum StyleBits : quint32 { TTS_ALWAYSTIP = 0x01, TTS_NOPREFIX = 0x02, TTS_BALLOON = 0x40 };
    enum ToolFlags : quint32 { TTF_SUBCLASS = 0x10 };
    enum Message : quint32 {
        TTM_SETTIPBKCOLOR = 0x413, TTM_SETTIPTEXTCOLOR = 0x414, TTM_ADDTOOLA = 0x404,
        TTM_SETTITLEA = 0x420,
    };
    enum TitleIcon { TTI_NONE = 0, TTI_INFO = 1, TTI_WARNING = 2, TTI_ERROR = 3 };

    // Made with its owner as Qt parent: a separate top-level window that goes with it.
    ToolTipWindow(QWidget *owner, quint32 style);
    ~ToolTipWindow() override;

    quint32 windowStyle() const { return m_style; }
    bool isBalloon() const { return (m_style & TTS_BALLOON) != 0; }
    bool isTopmost() const { return m_topmost; }

    // Insert-after -1 (topmost), no move, no size, no activation.
    void setTopmost();
    // The messages the control sends.
    void addTool(const ToolInfo &info);
    void setTitle(int icon, const QString &title);
    void setTipTextColor(host::OleColor colour);
    void setTipBkColor(host::OleColor colour);

    const std::vector<ToolTipMessage> &sentMessages() const { return m_sent; }
    const ToolInfo &toolInfo() const { return m_tool; }
    QColor textColour() const { return m_text; }
    QColor backColour() const { return m_back; }

    // Shows the tip at once with its stem (or corner) at `anchor`, in global coordinates;
    // an empty tip text shows nothing.
    void popUp(QPoint anchor);
    // Milliseconds from the pointer's entry to the tip, and from the tip to its going.
    static constexpr int kInitialDelay = 500;
    static constexpr int kAutoPopDelay = 5000;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void hideTip();
    void layOut(QPoint anchor);
    QRect contentRect() const;

    quint32 m_style;
    bool m_topmost = false;
    ToolInfo m_tool;
    bool m_hasTool = false;
    bool m_hasTitle = false;
    int m_titleIcon = 0;
    QString m_title;
    QColor m_text;
    QColor m_back;
    std::vector<ToolTipMessage> m_sent;
    QTimer m_showTimer;
    QTimer m_popTimer;
    bool m_suppressed = false; // a click hides the tip until the pointer leaves
    bool m_stemBelow = false;  // balloon shown above its anchor, the stem at the bottom
    int m_stemX = 0;
};
