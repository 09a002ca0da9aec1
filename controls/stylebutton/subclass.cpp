#include "subclass.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QString>
#include <algorithm>
#include <utility>

namespace {

bool &trackingCallsPresent()
{
    static bool present = true;
    return present;
}

struct EventMessage
{
    QEvent::Type type;
    quint32 message;
};

// Qt events and the messages they stand for. Mouse buttons are sorted out below; Enter
// counts as a move, the first one the window sees of the pointer.
constexpr EventMessage kEventMessages[] = {
    {QEvent::Move, WM_MOVE},
    {QEvent::Resize, WM_SIZE},
    {QEvent::FocusIn, WM_SETFOCUS},
    {QEvent::FocusOut, WM_KILLFOCUS},
    {QEvent::EnabledChange, WM_ENABLE},
    {QEvent::WindowTitleChange, WM_SETTEXT},
    {QEvent::Paint, WM_PAINT},
    {QEvent::Close, WM_CLOSE},
    {QEvent::PaletteChange, WM_SYSCOLORCHANGE},
    {QEvent::ApplicationPaletteChange, WM_SYSCOLORCHANGE},
    {QEvent::Show, WM_SHOWWINDOW},
    {QEvent::Hide, WM_SHOWWINDOW},
    {QEvent::FontChange, WM_SETFONT},
    {QEvent::KeyPress, WM_KEYDOWN},
    {QEvent::KeyRelease, WM_KEYUP},
    {QEvent::Enter, WM_MOUSEMOVE},
    {QEvent::MouseMove, WM_MOUSEMOVE},
    {QEvent::Wheel, WM_MOUSEWHEEL},
    {QEvent::Leave, WM_MOUSELEAVE},
    {QEvent::StyleChange, WM_THEMECHANGED},
    {QEvent::ThemeChange, WM_THEMECHANGED},
};

quint32 buttonMessage(QEvent::Type type, Qt::MouseButton button)
{
    // Down, up and double click of the left, right and middle buttons, in that order.
    int base = 0;
    switch (button) {
    case Qt::LeftButton: base = WM_LBUTTONDOWN; break;
    case Qt::RightButton: base = WM_RBUTTONDOWN; break;
    case Qt::MiddleButton: base = WM_MBUTTONDOWN; break;
    default: return 0;
    }
    switch (type) {
    case QEvent::MouseButtonPress: return static_cast<quint32>(base);
    case QEvent::MouseButtonRelease: return static_cast<quint32>(base + 1);
    case QEvent::MouseButtonDblClick: return static_cast<quint32>(base + 2);
    default: return 0;
    }
}

quintptr mouseKeyState(Qt::MouseButtons buttons)
{
    quintptr state = 0;
    if (buttons & Qt::LeftButton)
        state |= 0x1;
    if (buttons & Qt::RightButton)
        state |= 0x2;
    if (buttons & Qt::MiddleButton)
        state |= 0x10;
    return state;
}

qintptr pointLParam(QPoint p)
{
    return static_cast<qintptr>((static_cast<quint32>(p.y() & 0xFFFF) << 16) |
                                static_cast<quint32>(p.x() & 0xFFFF));
}

bool listed(const std::vector<quint32> &table, int count, quint32 message)
{
    if (count < 0)
        return true; // AllMessages
    const auto end = table.begin() + std::min<qsizetype>(count, qsizetype(table.size()));
    return std::find(table.begin(), end, message) != end;
}

} // namespace

bool translateEvent(const QEvent *event, quint32 &uMsg, quintptr &wParam, qintptr &lParam)
{
    wParam = 0;
    lParam = 0;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        uMsg = buttonMessage(event->type(), mouse->button());
        wParam = mouseKeyState(mouse->buttons());
        lParam = pointLParam(mouse->position().toPoint());
        return uMsg != 0;
    }
    default:
        break;
    }
    const auto it = std::find_if(std::begin(kEventMessages), std::end(kEventMessages),
                                 [&](const EventMessage &m) { return m.type == event->type(); });
    if (it == std::end(kEventMessages))
        return false;
    uMsg = it->message;
    if (event->type() == QEvent::MouseMove) {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        wParam = mouseKeyState(mouse->buttons());
        lParam = pointLParam(mouse->position().toPoint());
    } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        wParam = static_cast<quintptr>(static_cast<const QKeyEvent *>(event)->key() & 0xFFFF);
    } else if (event->type() == QEvent::Show) {
        wParam = 1; // shown; Hide sends the same message with 0
    }
    return true;
}

bool HasExport(const QString &functionName, const QString &moduleName)
{
    if (!trackingCallsPresent())
        return false;
    const auto is = [](const QString &a, const char *b) {
        return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
    };
    // Exported names are case-sensitive, module names are not.
    return (is(moduleName, "user32") && functionName == QLatin1String("TrackMouseEvent")) ||
           (is(moduleName, "comctl32") && functionName == QLatin1String("_TrackMouseEvent"));
}

bool setMouseTrackingCallsPresent(bool present)
{
    return std::exchange(trackingCallsPresent(), present);
}

// --- Subclasser ---------------------------------------------------------------------------

Subclasser::Subclasser(SubclassClient &client) : m_client(client) {}

Subclasser::~Subclasser()
{
    SubclassStopAll();
}

int Subclasser::SubclassStart(QWidget *hWnd)
{
    if (!hWnd)
        return -1;
    int index = -1;
    if (!m_templateFilled) {
        m_templateFilled = true;
        m_entries.clear();
        m_entries.resize(1);
        index = 0;
    } else {
        const int existing = FindSubclassEntry(hWnd, false);
        if (existing >= 0)
            return existing;
        index = FindSubclassEntry(hWnd, true);
        if (index < 0) {
            m_entries.emplace_back();
            index = static_cast<int>(m_entries.size()) - 1;
        }
    }
    SubclassEntry &entry = m_entries[static_cast<size_t>(index)];
    entry = SubclassEntry{}; // a reused entry may still hold what a vanished window left
    entry.hWnd = hWnd;
    entry.PreviousProc = reinterpret_cast<quintptr>(hWnd->metaObject());
    entry.CodeBlock = std::make_unique<SubclassBlock>(*this, index, hWnd);
    hWnd->installEventFilter(entry.CodeBlock.get());
    return index;
}

int Subclasser::FindSubclassEntry(QWidget *hWnd, bool bAdd) const
{
    for (int i = static_cast<int>(m_entries.size()) - 1; i >= 0; --i) {
        const QWidget *held = m_entries[static_cast<size_t>(i)].hWnd.data();
        if (bAdd ? held == nullptr : (hWnd && held == hWnd))
            return i;
    }
    return -1;
}

void Subclasser::AddMsgToTable(qint32 uMsg, std::vector<quint32> &aMsgTbl, int &nMsgCnt)
{
    if (uMsg == AllMessages) {
        nMsgCnt = AllMessages;
        return;
    }
    const auto message = static_cast<quint32>(uMsg);
    if (nMsgCnt < 0)
        return; // a table that takes every message already takes this one
    aMsgTbl.resize(static_cast<size_t>(nMsgCnt));
    for (quint32 &slot : aMsgTbl) {
        if (slot == 0) {
            slot = message;
            return;
        }
        if (slot == message)
            return;
    }
    aMsgTbl.push_back(message);
    ++nMsgCnt;
}

bool Subclasser::SubclassAddMsg(QWidget *hWnd, qint32 uMsg, int When)
{
    const int index = FindSubclassEntry(hWnd, false);
    if (index < 0)
        return false;
    SubclassEntry &entry = m_entries[static_cast<size_t>(index)];
    if (When & WhenBefore)
        AddMsgToTable(uMsg, entry.BeforeTable, entry.BeforeCount);
    if (When & WhenAfter)
        AddMsgToTable(uMsg, entry.AfterTable, entry.AfterCount);
    return true;
}

bool Subclasser::SubclassStop(QWidget *hWnd)
{
    const int index = FindSubclassEntry(hWnd, false);
    if (index < 0)
        return false;
    SubclassEntry &entry = m_entries[static_cast<size_t>(index)];
    if (entry.hWnd)
        entry.hWnd->removeEventFilter(entry.CodeBlock.get());
    entry = SubclassEntry{};
    return true;
}

void Subclasser::SubclassStopAll()
{
    for (int i = static_cast<int>(m_entries.size()) - 1; i >= 0; --i) {
        SubclassEntry &entry = m_entries[static_cast<size_t>(i)];
        if (entry.hWnd)
            SubclassStop(entry.hWnd);
        else
            entry = SubclassEntry{}; // a window that went on its own: drop its block
    }
}

bool Subclasser::requestLeaveNotice(QWidget *hWnd)
{
    const int index = FindSubclassEntry(hWnd, false);
    if (index < 0)
        return false;
    m_entries[static_cast<size_t>(index)].CodeBlock->requestLeave();
    return true;
}

// --- SubclassBlock ------------------------------------------------------------------------

SubclassBlock::SubclassBlock(Subclasser &owner, int index, QWidget *window)
    : m_owner(owner), m_index(index), m_window(window)
{
}

bool SubclassBlock::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    quint32 uMsg = 0;
    quintptr wParam = 0;
    qintptr lParam = 0;
    if (!translateEvent(event, uMsg, wParam, lParam))
        return false;
    // A disabled window is sent no mouse input (Qt still tells it of the pointer coming in).
    if (uMsg >= WM_MOUSEMOVE && uMsg <= WM_MOUSEWHEEL && !m_window->isEnabled())
        return false;
    // Leaving is only news to the window when it asked to hear of it, and only once.
    if (uMsg == WM_MOUSELEAVE) {
        if (!m_leaveRequested)
            return false;
        m_leaveRequested = false;
    }

    const auto isListed = [&](bool before) {
        const SubclassEntry &entry = m_owner.m_entries[static_cast<size_t>(m_index)];
        return before ? listed(entry.BeforeTable, entry.BeforeCount, uMsg)
                      : listed(entry.AfterTable, entry.AfterCount, uMsg);
    };
    if (!isListed(true) && !isListed(false))
        return false; // not asked for: the window's own handling, at no extra cost

    // The block may be freed by the control inside a call (SubclassStop from a callback):
    // keep what is needed on the stack and stop as soon as it is gone.
    QPointer<SubclassBlock> alive(this);
    QWidget *hWnd = m_window;
    bool bHandled = false;
    qintptr lReturn = 0;
    if (isListed(true)) {
        m_owner.m_client.zSubclass_Proc(true, bHandled, lReturn, hWnd, uMsg, wParam, lParam);
        if (bHandled)
            return true;
        if (!alive)
            return false;
    }
    if (!isListed(false))
        return false;

    // The previous procedure: the window's own event handling, run now so that the
    // after-call sees its outcome.
    QPointer<QObject> target(watched);
    watched->event(event);
    if (!alive || !target)
        return true;
    m_owner.m_client.zSubclass_Proc(false, bHandled, lReturn, hWnd, uMsg, wParam, lParam);
    return true;
}
