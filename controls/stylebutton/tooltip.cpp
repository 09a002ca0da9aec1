#include "tooltip.h"

#include "syscolours.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kMargin = 6;       // text to edge
constexpr int kIconSize = 16;    // title icon
constexpr int kStemHeight = 12;  // balloon stem
constexpr int kStemWidth = 14;
constexpr int kRadius = 7;       // balloon corners
constexpr int kPointerDrop = 20; // the tip (or its stem) starts below the pointer's arrow

QStyle::StandardPixmap titlePixmap(int icon)
{
    switch (icon) {
    case ToolTipWindow::TTI_INFO: return QStyle::SP_MessageBoxInformation;
    case ToolTipWindow::TTI_WARNING: return QStyle::SP_MessageBoxWarning;
    case ToolTipWindow::TTI_ERROR: return QStyle::SP_MessageBoxCritical;
    default: return QStyle::SP_CustomBase; // no icon
    }
}

QFont titleFont(const QFont &base)
{
    QFont font(base);
    font.setBold(true);
    return font;
}

} // namespace

ToolTipWindow::ToolTipWindow(QWidget *owner, quint32 style)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput),
      m_style(style)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_text = host::toQColor(host::GetSysColor(host::COLOR_INFOTEXT));
    m_back = host::toQColor(host::GetSysColor(host::COLOR_INFOBK));
    m_showTimer.setSingleShot(true);
    m_popTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, [this] { popUp(QCursor::pos()); });
    connect(&m_popTimer, &QTimer::timeout, this, [this] { hideTip(); });
}

ToolTipWindow::~ToolTipWindow()
{
    if (m_hasTool && m_tool.hwnd)
        m_tool.hwnd->removeEventFilter(this);
}

void ToolTipWindow::setTopmost()
{
    m_topmost = true;
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void ToolTipWindow::addTool(const ToolInfo &info)
{
    m_sent.push_back({TTM_ADDTOOLA, 0, info.lpszText});
    if (m_hasTool && m_tool.hwnd)
        m_tool.hwnd->removeEventFilter(this);
    m_tool = info;
    m_hasTool = true;
    if ((info.uFlags & TTF_SUBCLASS) && info.hwnd) {
        info.hwnd->installEventFilter(this);
        // The tool is added as the pointer comes in: the wait for the tip starts now.
        m_showTimer.start(kInitialDelay);
    }
}

void ToolTipWindow::setTitle(int icon, const QString &title)
{
    m_sent.push_back({TTM_SETTITLEA, static_cast<quintptr>(static_cast<quint32>(icon)), title});
    m_hasTitle = true;
    m_titleIcon = icon;
    m_title = title;
}

void ToolTipWindow::setTipTextColor(host::OleColor colour)
{
    m_sent.push_back({TTM_SETTIPTEXTCOLOR, colour, QString()});
    m_text = host::toQColor(colour);
}

void ToolTipWindow::setTipBkColor(host::OleColor colour)
{
    m_sent.push_back({TTM_SETTIPBKCOLOR, colour, QString()});
    m_back = host::toQColor(colour);
}

bool ToolTipWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_tool.hwnd)
        return false;
    if (!m_tool.hwnd->isEnabled() && (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove))
        return false; // no tip for a control that takes no input
    switch (event->type()) {
    case QEvent::Enter:
        m_suppressed = false;
        if (!isVisible())
            m_showTimer.start(kInitialDelay);
        break;
    case QEvent::MouseMove:
        if (!isVisible() && !m_suppressed && !m_showTimer.isActive())
            m_showTimer.start(kInitialDelay);
        break;
    case QEvent::Leave:
        m_suppressed = false;
        hideTip();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Hide:
        m_suppressed = true;
        hideTip();
        break;
    default:
        break;
    }
    return false;
}

void ToolTipWindow::hideTip()
{
    m_showTimer.stop();
    m_popTimer.stop();
    hide();
}

QRect ToolTipWindow::contentRect() const
{
    const QFontMetrics text(font());
    const QFontMetrics bold(titleFont(font()));
    QSize size = text.size(0, m_tool.lpszText);
    if (m_hasTitle) {
        int titleWidth = bold.horizontalAdvance(m_title);
        int titleHeight = bold.height();
        if (titlePixmap(m_titleIcon) != QStyle::SP_CustomBase) {
            titleWidth += kIconSize + (m_title.isEmpty() ? 0 : 4);
            titleHeight = std::max(titleHeight, kIconSize);
        }
        size.setWidth(std::max(size.width(), titleWidth));
        size.setHeight(size.height() + titleHeight + 4);
    }
    return QRect(QPoint(0, 0), size);
}

void ToolTipWindow::layOut(QPoint anchor)
{
    const QRect content = contentRect();
    const int stem = isBalloon() ? kStemHeight : 0;
    const int w = content.width() + 2 * kMargin + (isBalloon() ? 4 : 0);
    const int h = content.height() + 2 * kMargin + stem;
    QRect screenRect(0, 0, 1 << 15, 1 << 15);
    if (const QScreen *screen = QApplication::screenAt(anchor))
        screenRect = screen->availableGeometry();

    // Below the pointer when there is room, else above it.
    // The tip never lies under the pointer itself: a window there would take the pointer
    // away from the control and end the visit.
    QPoint topLeft(anchor.x() - (isBalloon() ? 2 * kRadius : 0), anchor.y() + kPointerDrop);
    m_stemBelow = topLeft.y() + h > screenRect.bottom();
    if (m_stemBelow)
        topLeft.setY(anchor.y() - h - 4);
    topLeft.setX(std::clamp(topLeft.x(), screenRect.left(), std::max(screenRect.left(), screenRect.right() - w)));
    m_stemX = std::clamp(anchor.x() - topLeft.x(), kRadius, std::max(kRadius, w - kRadius - kStemWidth));
    setGeometry(QRect(topLeft, QSize(w, h)));

    if (isBalloon()) {
        // The window's shape is the balloon: a rounded body with its stem.
        const int bodyTop = m_stemBelow ? 0 : stem;
        QPainterPath path;
        path.addRoundedRect(QRectF(0, bodyTop, w, h - stem), kRadius, kRadius);
        QPolygonF stemShape;
        if (m_stemBelow)
            stemShape << QPointF(m_stemX, h - stem - 1) << QPointF(m_stemX, h)
                      << QPointF(m_stemX + kStemWidth, h - stem - 1);
        else
            stemShape << QPointF(m_stemX, stem + 1) << QPointF(m_stemX, 0)
                      << QPointF(m_stemX + kStemWidth, stem + 1);
        path.addPolygon(stemShape);
        path.setFillRule(Qt::WindingFill);
        setMask(QRegion(path.simplified().toFillPolygon().toPolygon(), Qt::WindingFill));
    } else {
        clearMask();
    }
}

void ToolTipWindow::popUp(QPoint anchor)
{
    m_showTimer.stop();
    if (!m_hasTool || m_tool.lpszText.isEmpty())
        return; // a tool without text shows no tip
    if (m_tool.hwnd && !m_tool.hwnd->isVisible())
        return;
    layOut(anchor);
    show();
    raise();
    update();
    m_popTimer.start(kAutoPopDelay);
}

void ToolTipWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int stem = isBalloon() ? kStemHeight : 0;
    const int bodyTop = isBalloon() && !m_stemBelow ? stem : 0;
    const QRect body(0, bodyTop, width(), height() - stem);
    p.fillRect(rect(), m_back);
    p.setPen(m_text);
    if (isBalloon()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        QPainterPath outline;
        outline.addRoundedRect(QRectF(body).adjusted(0, 0, -1, -1), kRadius, kRadius);
        QPolygonF stemShape;
        if (m_stemBelow)
            stemShape << QPointF(m_stemX, body.bottom()) << QPointF(m_stemX, height() - 1)
                      << QPointF(m_stemX + kStemWidth, body.bottom());
        else
            stemShape << QPointF(m_stemX, body.top()) << QPointF(m_stemX, 0)
                      << QPointF(m_stemX + kStemWidth, body.top());
        QPainterPath stemPath;
        stemPath.addPolygon(stemShape);
        p.drawPath(outline.united(stemPath).simplified());
    } else {
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    int x = body.left() + kMargin + (isBalloon() ? 2 : 0);
    int y = body.top() + kMargin;
    if (m_hasTitle) {
        const QFont bold = titleFont(font());
        const int lineHeight = std::max(QFontMetrics(bold).height(), kIconSize);
        int textX = x;
        const QStyle::StandardPixmap sp = titlePixmap(m_titleIcon);
        if (sp != QStyle::SP_CustomBase) {
            const QIcon icon = style()->standardIcon(sp, nullptr, this);
            icon.paint(&p, QRect(x, y + (lineHeight - kIconSize) / 2, kIconSize, kIconSize));
            textX += kIconSize + 4;
        }
        p.setFont(bold);
        p.drawText(QRect(textX, y, width() - textX, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   m_title);
        y += lineHeight + 4;
    }
    p.setFont(font());
    // No prefix processing: an "&" is shown as it is.
    p.drawText(QRect(x, y, width() - x, height() - y), Qt::AlignLeft | Qt::AlignTop, m_tool.lpszText);
}
