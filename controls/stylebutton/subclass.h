// Subclassing a window to hear of messages its owner is not told of: the pointer leaving,
// theme changes, system-colour changes.
//
// Each subclassed window gets an entry and a per-window block, an event filter standing in
// for the replaced window procedure. The block translates the window's Qt events into the
// window-message numbers the control speaks, looks each one up in its entry's before- and
// after-tables and calls the control's zSubclass_Proc only for the messages listed there;
// every other event passes on untouched. No machine code is made or run.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

class QEvent;

// Message numbers, as the window system numbers them.
enum WindowMessage : quint32 {
    WM_MOVE = 0x0003, WM_SIZE = 0x0005, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
    WM_ENABLE = 0x000A, WM_SETTEXT = 0x000C, WM_PAINT = 0x000F, WM_CLOSE = 0x0010,
    WM_SYSCOLORCHANGE = 0x0015, WM_SHOWWINDOW = 0x0018, WM_SETFONT = 0x0030,
    WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101,
    WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A,
    WM_MOUSELEAVE = 0x02A3, WM_THEMECHANGED = 0x031A,
};

// When-flags of SubclassAddMsg.
enum SubclassWhen : int { WhenAfter = 1, WhenBefore = 2 };
// A message "number" that makes every message reach the control.
constexpr qint32 AllMessages = -1;

// The object the blocks report to: the control. Everything but bBefore is by reference,
// so the control may change the result, mark the message handled or alter its arguments.
class SubclassClient
{
public:
    virtual void zSubclass_Proc(bool bBefore, bool &bHandled, qintptr &lReturn, QWidget *&lng_hWnd,
                                quint32 &uMsg, quintptr &wParam, qintptr &lParam) = 0;

protected:
    ~SubclassClient() = default;
};

class SubclassBlock;

// One subclassed window. The tables hold the message numbers of entries 1..count, kept
// here at vector positions 0..count-1; a count of AllMessages means every message.
struct SubclassEntry
{
    QPointer<QWidget> hWnd;                    // null: a free entry (also once the window is gone)
    std::unique_ptr<SubclassBlock> CodeBlock;  // the window's block while subclassed
    quintptr PreviousProc = 0;                 // stand-in: the window class's own handler
    int AfterCount = 0;
    int BeforeCount = 0;
    std::vector<quint32> AfterTable;
    std::vector<quint32> BeforeTable;
};

class Subclasser
{
public:
    explicit Subclasser(SubclassClient &client);
    ~Subclasser();
    Subclasser(const Subclasser &) = delete;
    Subclasser &operator=(const Subclasser &) = delete;

    // Subclasses hWnd and returns its entry index (-1 for no window). A window that is
    // already subclassed keeps its one entry and block; a second block would report every
    // message twice.
    int SubclassStart(QWidget *hWnd);
    // Adds uMsg (or AllMessages) to the window's before- and/or after-table. False when
    // the window has no entry (a caller's mistake; nothing changes).
    bool SubclassAddMsg(QWidget *hWnd, qint32 uMsg, int When);
    // Gives the window back its own handling and frees its entry. False without an entry.
    bool SubclassStop(QWidget *hWnd);
    void SubclassStopAll();
    // Index of the window's entry, scanning from the top; with bAdd the first free entry
    // instead. -1 when none matches.
    int FindSubclassEntry(QWidget *hWnd, bool bAdd) const;
    // Table semantics: AllMessages sets the count to -1; a free (0) entry is reused; a
    // message already listed changes nothing; otherwise the table grows by one. A table
    // that already takes every message stays so.
    static void AddMsgToTable(qint32 uMsg, std::vector<quint32> &aMsgTbl, int &nMsgCnt);

    // Asks for one leave notice (WM_MOUSELEAVE) for the window; it is delivered the next
    // time the pointer leaves and must then be asked for again. False when not subclassed.
    bool requestLeaveNotice(QWidget *hWnd);

    const std::vector<SubclassEntry> &entries() const { return m_entries; }

private:
    friend class SubclassBlock;
    SubclassClient &m_client;
    std::vector<SubclassEntry> m_entries;
    bool m_templateFilled = false;
};

// The per-window block: an event filter on the window.
class SubclassBlock : public QObject
{
    Q_OBJECT

public:
    SubclassBlock(Subclasser &owner, int index, QWidget *window);
    void requestLeave() { m_leaveRequested = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Subclasser &m_owner;
    int m_index;
    QWidget *m_window;
    bool m_leaveRequested = false;
};

// Translates a Qt event into the message number the window system would have sent, with
// its wParam and lParam. False for events that have no such message.
bool translateEvent(const QEvent *event, quint32 &uMsg, quintptr &wParam, qintptr &lParam);

// Whether the named call of the named module is present: the mouse-leave tracking calls
// are ("TrackMouseEvent" of "User32", "_TrackMouseEvent" of "Comctl32"; names compared
// without case), as Qt's leave events provide them. Tests can take them away.
bool HasExport(const QString &functionName, const QString &moduleName);
// Returns the setting it replaces.
bool setMouseTrackingCallsPresent(bool present);
