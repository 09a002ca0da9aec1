// StyleButton: input, focus and state. Qt's events are turned into the host's sequence
// the handlers rely on: for a click, button down, button up, then click; for the second
// click of a double click, double click in place of button down, then button up; for a
// key, key down, key press, key up.
#include "stylebutton.h"

#include "hostapp.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>

namespace {

constexpr int kLeftButton = 1;
constexpr int kSpace = 32;
constexpr double kMinimumTwips = 300.0;

int hostButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

// The smallest whole number of pixels that is at least `twips` wide.
int pixelsForTwips(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::ceil(twips / twipsPerPixel - 1e-9));
}

} // namespace

// --- layout step ---------------------------------------------------------------------------

void StyleButton::layoutStep()
{
    // At least 300 twips each way; exactly 300 is left alone.
    const double tppX = host::twipsPerPixelX();
    const double tppY = host::twipsPerPixelY();
    int w = width();
    int h = height();
    if (w * tppX < kMinimumTwips)
        w = pixelsForTwips(kMinimumTwips, tppX);
    if (h * tppY < kMinimumTwips)
        h = pixelsForTwips(kMinimumTwips, tppY);
    if (w != width() || h != height())
        resize(w, h); // a visible control re-enters here at once with the new size

    layOutSurface(width(), height());
    Refresh();
}

void StyleButton::layOutSurface(int width, int height)
{
    m_Surface.resize(width, height);
    m_ClientRect = ClientRectFor(width, height);
    m_TextRect = TextRectFor(width, height);
    m_CaptionFormat = CaptionFormatFor(m_CaptionAlign, m_CaptionFormat);
    ApplyRegion();
}

void StyleButton::resizeEvent(QResizeEvent *)
{
    layoutStep();
}

// --- show and hide -------------------------------------------------------------------------

void StyleButton::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        UserControl_Show();
}

void StyleButton::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        UserControl_Hide();
}

void StyleButton::UserControl_Show()
{
    // The control shows its own tooltip: it takes the host's text over and leaves the host
    // none to show. A second show without a hide would take the emptied text, so it is
    // taken only once; and a host without a text of its own does not wipe a ToolTip the
    // program set before the control was first shown.
    if (!m_ToolTipTaken) {
        const QString hostText = m_Host->extenderToolTipText();
        if (!hostText.isEmpty())
            m_ToolTip = hostText;
        m_Host->setExtenderToolTipText(QString());
        m_ToolTipTaken = true;
    }
    Refresh();
}

void StyleButton::UserControl_Hide()
{
    if (m_ToolTipTaken) {
        m_Host->setExtenderToolTipText(m_ToolTip);
        m_ToolTipTaken = false;
    }
}

// --- mouse ---------------------------------------------------------------------------------

void StyleButton::mousePressEvent(QMouseEvent *event)
{
    UserControl_MouseDown(hostButton(event->button()));
    event->accept();
}

void StyleButton::mouseReleaseEvent(QMouseEvent *event)
{
    const int button = hostButton(event->button());
    UserControl_MouseUp(button);
    // A release over the control completes a click, unless it ends a double click.
    const bool endsDoubleClick = m_InDoubleClick;
    m_InDoubleClick = false;
    if (!endsDoubleClick && button != 0 && rect().contains(event->position().toPoint()))
        UserControl_Click();
    event->accept();
}

void StyleButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_InDoubleClick = true;
    UserControl_DblClick();
    event->accept();
}

void StyleButton::UserControl_MouseDown(int Button)
{
    if (Button == kLeftButton) {
        m_ButtonState = Pressed;
        Refresh();
    }
}

void StyleButton::UserControl_MouseUp(int Button)
{
    if (Button == kLeftButton) {
        // A toggle that is about to switch on stays down.
        m_ButtonState = (m_ButtonType == Toggle && !m_Value) ? Pressed : Hot;
        Refresh();
    }
    m_LastButton = Button;
}

void StyleButton::UserControl_Click()
{
    if (m_LastButton == kLeftButton) // a right-button click raises nothing
        clickAction();
}

void StyleButton::clickAction()
{
    if (m_ButtonType == Toggle) {
        m_Value = !m_Value;
        m_ButtonState = Hot;
        Refresh();
        announceCheckedChanged();
    }
    emit Click();
}

void StyleButton::UserControl_DblClick()
{
    if (m_LastButton == kLeftButton)
        UserControl_MouseDown(kLeftButton);
}

// --- keyboard ------------------------------------------------------------------------------

void StyleButton::keyPressEvent(QKeyEvent *event)
{
    // Space, Return and the keypad's Enter click alike: each runs the Space key's handlers.
    // Return and Enter count without modifiers only, so Ctrl+Return and the like stay the
    // window's. While one click key holds the button down the others are not taken.
    const int key = event->key();
    const bool clickKey = key == Qt::Key_Space ||
                          ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
                           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier);
    if (!clickKey || (m_ClickKeyHeld != 0 && m_ClickKeyHeld != key)) {
        event->ignore(); // every other key is the window's
        return;
    }
    // A held key is one press. The X server repeats a held key as a release and a press
    // with the same time stamp; Qt flags the pair as a repeat only when it sees both at
    // once, so a press at the very instant of the last release is taken as a repeat too:
    // it shows the button down again but is no new click.
    const bool unflaggedRepeat =
        m_ClickKeyReleaseTime != 0 && event->timestamp() == m_ClickKeyReleaseTime && key == m_ClickKeyReleased;
    if (unflaggedRepeat) {
        UserControl_KeyDown(kSpace);
    } else if (!event->isAutoRepeat()) {
        UserControl_KeyDown(kSpace);
        UserControl_KeyPress(kSpace);
    }
    m_ClickKeyHeld = key;
    event->accept();
}

void StyleButton::keyReleaseEvent(QKeyEvent *event)
{
    // The release of the key that pressed the button, whatever modifiers are held by then;
    // Space's also when no key pressed it here.
    const int key = event->key();
    if (key != m_ClickKeyHeld && !(key == Qt::Key_Space && m_ClickKeyHeld == 0)) {
        event->ignore();
        return;
    }
    if (!event->isAutoRepeat()) {
        m_ClickKeyReleased = key;
        m_ClickKeyReleaseTime = event->timestamp();
        m_ClickKeyHeld = 0;
        UserControl_KeyUp(kSpace);
    }
    event->accept();
}

void StyleButton::UserControl_KeyDown(int KeyCode)
{
    if (KeyCode == kSpace)
        UserControl_MouseDown(kLeftButton);
}

void StyleButton::UserControl_KeyPress(int KeyAscii)
{
    if (KeyAscii == kSpace)
        clickAction();
}

void StyleButton::UserControl_KeyUp(int KeyCode)
{
    if (KeyCode != kSpace)
        return;
    if (m_ButtonType == Toggle) {
        // Space clicks on the press, before this release: Value has already switched, so
        // the button-up rule ("stay down when about to switch on") would keep a toggle
        // just switched off looking pressed. It shows Hot; a toggle that is on still
        // paints pressed.
        m_ButtonState = Hot;
        Refresh();
        m_LastButton = kLeftButton;
        return;
    }
    UserControl_MouseUp(kLeftButton);
}

void StyleButton::takeMnemonic()
{
    if (m_MnemonicId != 0)
        releaseShortcut(m_MnemonicId);
    m_MnemonicId = 0;
    const QKeySequence letter = QKeySequence::mnemonic(m_Caption);
    if (m_UserMode && !letter.isEmpty())
        m_MnemonicId = grabShortcut(letter);
}

bool StyleButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut && m_MnemonicId != 0 &&
        static_cast<QShortcutEvent *>(event)->shortcutId() == m_MnemonicId) {
        // Two controls underlining the same letter take turns at the focus, as labels do;
        // a letter of this button's own clicks it.
        setFocus(Qt::ShortcutFocusReason);
        if (!static_cast<QShortcutEvent *>(event)->isAmbiguous() && isEnabled())
            clickAction();
        return true;
    }
    return QWidget::event(event);
}

// --- focus ---------------------------------------------------------------------------------

void StyleButton::focusInEvent(QFocusEvent *)
{
    UserControl_GotFocus();
}

void StyleButton::focusOutEvent(QFocusEvent *)
{
    // The held key's release goes to the control that has the focus now.
    m_ClickKeyHeld = 0;
    UserControl_LostFocus();
}

void StyleButton::UserControl_GotFocus()
{
    m_HasFocus = true;
    Refresh();
}

void StyleButton::UserControl_LostFocus()
{
    m_HasFocus = false;
    Refresh();
}
