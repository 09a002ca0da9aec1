// StyleButton, the control: fresh and loaded defaults, persistence, change notices and
// their order against repaints, input and state, hover, the tooltip it builds, the About
// box, and Form1's design-time property sets.
#include "sb_properties.h"

#include "announcements.h"
#include "aboutbox.h"
#include "app_state.h"
#include "controlhost.h"
#include "drawing.h"
#include "form1_design.h"
#include "hostapp.h"
#include "propertybag.h"
#include "stylebutton.h"
#include "stylebutton_state.h"
#include "syscolours.h"
#include "tooltip.h"
#include "windows_state.h"

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QtTest>
#include <cmath>
#include <memory>

using host::PropertyBag;

namespace {

// The host side of a control under test: runs the resize handler and the show handler
// the way the host's events would.
class Probe : public StyleButton
{
public:
    using StyleButton::StyleButton;
    using StyleButton::layoutStep;
    using StyleButton::UserControl_Show;
};

std::unique_ptr<Probe> loadedButton(const QString &setText = QString(), bool userMode = true)
{
    auto button = [userMode] {
        const host::ScopedAmbientUserMode mode(userMode);
        return std::make_unique<Probe>();
    }();
    button->setObjectName(QStringLiteral("StyleButton1"));
    button->UserControl_ReadProperties(PropertyBag::fromText(setText));
    button->resize(90, 30);
    button->layoutStep();
    return button;
}

void sendMouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, QPointF at = QPointF(10, 10))
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void sendKey(QWidget *w, QEvent::Type type, int key, bool autoRepeat = false, quint64 timestamp = 0,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(type, key, modifiers, key == Qt::Key_Space ? QStringLiteral(" ") : QString(), autoRepeat);
    event.setTimestamp(timestamp);
    QCoreApplication::sendEvent(w, &event);
}

// Plays a sequence of user actions: L left click, R right click, M middle click,
// D left double click (the second click of it; Qt's order), O left press released outside
// the control (the pointer grabbed, as Qt does), S Space press and release,
// s Space press only, r a Space auto-repeat, t an unflagged one, u Space release, E Return
// press and release, e Return press only, x a Return auto-repeat, v Return release, K the
// keypad's Enter press and release, C Ctrl+Return press and release.
void play(QWidget *w, const QString &actions)
{
    for (const QChar a : actions) {
        switch (a.unicode()) {
        case 'L':
        case 'R':
        case 'M': {
            const Qt::MouseButton b = a == u'L' ? Qt::LeftButton : a == u'R' ? Qt::RightButton : Qt::MiddleButton;
            sendMouse(w, QEvent::MouseButtonPress, b);
            sendMouse(w, QEvent::MouseButtonRelease, b);
            break;
        }
        case 'D':
            sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton);
            sendMouse(w, QEvent::MouseButtonDblClick, Qt::LeftButton);
            sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton);
            break;
        case 'O':
            sendMouse(w, QEvent::MouseButtonPress, Qt::LeftButton);
            sendMouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, QPointF(w->width() + 5, 10));
            break;
        case 'S':
            sendKey(w, QEvent::KeyPress, Qt::Key_Space);
            sendKey(w, QEvent::KeyRelease, Qt::Key_Space);
            break;
        case 's': sendKey(w, QEvent::KeyPress, Qt::Key_Space); break;
        case 'r':
            sendKey(w, QEvent::KeyRelease, Qt::Key_Space, true);
            sendKey(w, QEvent::KeyPress, Qt::Key_Space, true);
            break;
        case 't': { // a repeat the way the X server sends it, unflagged: one time stamp
            static quint64 now = 1000;
            now += 40;
            sendKey(w, QEvent::KeyRelease, Qt::Key_Space, false, now);
            sendKey(w, QEvent::KeyPress, Qt::Key_Space, false, now);
            break;
        }
        case 'u': sendKey(w, QEvent::KeyRelease, Qt::Key_Space); break;
        case 'E':
            sendKey(w, QEvent::KeyPress, Qt::Key_Return);
            sendKey(w, QEvent::KeyRelease, Qt::Key_Return);
            break;
        case 'e': sendKey(w, QEvent::KeyPress, Qt::Key_Return); break;
        case 'x':
            sendKey(w, QEvent::KeyRelease, Qt::Key_Return, true);
            sendKey(w, QEvent::KeyPress, Qt::Key_Return, true);
            break;
        case 'v': sendKey(w, QEvent::KeyRelease, Qt::Key_Return); break;
        case 'K':
            sendKey(w, QEvent::KeyPress, Qt::Key_Enter, false, 0, Qt::KeypadModifier);
            sendKey(w, QEvent::KeyRelease, Qt::Key_Enter, false, 0, Qt::KeypadModifier);
            break;
        case 'C':
            sendKey(w, QEvent::KeyPress, Qt::Key_Return, false, 0, Qt::ControlModifier);
            sendKey(w, QEvent::KeyRelease, Qt::Key_Return, false, 0, Qt::ControlModifier);
            break;
        default: QFAIL("unknown action");
        }
    }
}

void enter(QWidget *w)
{
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(w, &event);
}

void leave(QWidget *w)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(w, &event);
}

} // namespace

class TestStyleButton : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetAppState(); }
    void cleanup();

    void freshVersusLoadedDefaults_data();
    void freshVersusLoadedDefaults();
    void crossedToolTipColourDefaults();
    void hostToolTipIsTheReadDefault();
    void writeDefaultsAreLeftOut_data();
    void writeDefaultsAreLeftOut();
    void writtenKeysAndOrder();
    void anyValueIsStoredAsGivenAndSurvivesSaving_data();
    void anyValueIsStoredAsGivenAndSurvivesSaving();
    void setsWithoutCaptionOrIconAlignStillLoadTheReadDefaults();
    void damagedSetLoadsWhatItCan();

    void changeNoticeNamesAndOrder_data();
    void changeNoticeNamesAndOrder();

    void clicksAndState_data();
    void clicksAndState();
    void fontChangeLaysTheCaptionOutAgain();
    void enabledFalseThenTrue();
    void layoutStepMinimumSize_data();
    void layoutStepMinimumSize();
    void captionFormatFollowsAlignment_data();
    void captionFormatFollowsAlignment();
    void showTakesOverTheHostToolTip();
    void showWithoutHostTextKeepsToolTip();

    void hoverRaisesEnterAndLeave_data();
    void hoverRaisesEnterAndLeave();
    void themeAndColourChangesRepaint_data();
    void themeAndColourChangesRepaint();
    void noTrackingCallNoSubclassing();

    void toolTipStyleAndMessages_data();
    void toolTipStyleAndMessages();
    void crossedDefaultsStillGiveAReadableTip();
    void toolTipIsBuiltAfreshOnEachEntry();

    void aboutTwiceShowsOneWindow();
    void aboutBoxPressAndClick();
    void openLink();

    void formDesignSets_data();
    void formDesignSets();

    void screenReadersSeeAPushButton_data();
    void screenReadersSeeAPushButton();
    void changesAreAnnounced_data();
    void changesAreAnnounced();
    void underlinedLetterClicks_data();
    void underlinedLetterClicks();
};

void TestStyleButton::cleanup()
{
    resetAppState();
}

// --- defaults and persistence ---------------------------------------------------------------

void TestStyleButton::freshVersusLoadedDefaults_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("fresh");
    QTest::addColumn<QVariant>("loaded");
    QTest::newRow("Style") << "Style" << QVariant(0) << QVariant(3);
    QTest::newRow("NonThemeStyle") << "NonThemeStyle" << QVariant(0) << QVariant(5);
    QTest::newRow("IconAlign") << "IconAlign" << QVariant(0) << QVariant(1);
    QTest::newRow("ToolTipType") << "ToolTipType" << QVariant(0) << QVariant(1);
    QTest::newRow("Caption") << "Caption" << QVariant(QStringLiteral("StyleButton1"))
                             << QVariant(QStringLiteral("StyleButton"));
    QTest::newRow("IconSize") << "IconSize" << QVariant(16) << QVariant(16);
    QTest::newRow("Enabled") << "Enabled" << QVariant(true) << QVariant(true);
    QTest::newRow("ButtonType") << "ButtonType" << QVariant(0) << QVariant(0);
    QTest::newRow("BackColor") << "BackColor" << QVariant(host::GetSysColor(host::COLOR_BTNFACE))
                               << QVariant(host::GetSysColor(host::COLOR_BTNFACE));
    QTest::newRow("HighlightColor") << "HighlightColor" << QVariant(host::GetSysColor(host::COLOR_HIGHLIGHT))
                                    << QVariant(host::GetSysColor(host::COLOR_HIGHLIGHT));
    QTest::newRow("FontHighlightColor") << "FontHighlightColor" << QVariant(host::GetSysColor(host::COLOR_BTNTEXT))
                                        << QVariant(host::GetSysColor(host::COLOR_BTNTEXT));
    QTest::newRow("ToolTipForeColor") << "ToolTipForeColor" << QVariant(0u)
                                      << QVariant(host::GetSysColor(host::COLOR_INFOBK));
}

void TestStyleButton::freshVersusLoadedDefaults()
{
    QFETCH(QString, property);
    QFETCH(QVariant, fresh);
    QFETCH(QVariant, loaded);
    StyleButton freshButton;
    freshButton.setObjectName(QStringLiteral("StyleButton1"));
    freshButton.UserControl_InitProperties();
    QCOMPARE(sbGet(freshButton, property).toString(), fresh.toString());
    QCOMPARE(freshButton.captionFormat(), quint32(17));

    const auto loadedOne = loadedButton();
    QCOMPARE(sbGet(*loadedOne, property).toString(), loaded.toString());
    QCOMPARE(loadedOne->buttonState(), int(StyleButton::Normal));
}

void TestStyleButton::crossedToolTipColourDefaults()
{
    host::setSysColorOverride(host::COLOR_INFOTEXT, host::RGB(1, 2, 3));
    host::setSysColorOverride(host::COLOR_INFOBK, host::RGB(250, 240, 200));
    auto button = loadedButton();
    // Back colour defaults to the tooltip TEXT colour, fore colour to its BACKGROUND.
    QCOMPARE(button->ToolTipBackColor(), host::RGB(1, 2, 3));
    QCOMPARE(button->ToolTipForeColor(), host::RGB(250, 240, 200));
    PropertyBag bag;
    button->UserControl_WriteProperties(bag);
    QVERIFY(!bag.contains(QStringLiteral("ttBackColor")));
    QVERIFY(!bag.contains(QStringLiteral("ttForeColor")));
    // Reading a property changes nothing else.
    const PropertyBag before = bag;
    (void)button->ToolTipBackColor();
    PropertyBag after;
    button->UserControl_WriteProperties(after);
    QCOMPARE(after.toText(), before.toText());
}

void TestStyleButton::hostToolTipIsTheReadDefault()
{
    StyleButton button;
    button.QWidget::setToolTip(QStringLiteral("from the host"));
    button.UserControl_ReadProperties(PropertyBag());
    QCOMPARE(button.ToolTip(), QStringLiteral("from the host"));
    button.UserControl_ReadProperties(PropertyBag::fromText(QStringLiteral("ToolTipText = \"own\"")));
    QCOMPARE(button.ToolTip(), QStringLiteral("own"));
}

void TestStyleButton::writeDefaultsAreLeftOut_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("stored");
    QTest::newRow("Style 3 left out") << "Style" << QVariant(3) << "Style" << false;
    QTest::newRow("Style 0 stored") << "Style" << QVariant(0) << "Style" << true;
    QTest::newRow("ToolTipType 0 stored") << "ToolTipType" << QVariant(0) << "ToolTipType" << true;
    QTest::newRow("ToolTipType 1 stored") << "ToolTipType" << QVariant(1) << "ToolTipType" << true;
    QTest::newRow("ToolTipIcon 0 stored") << "ToolTipIcon" << QVariant(0) << "ToolTipIcon" << true;
    QTest::newRow("empty title stored") << "ToolTipTitle" << QVariant(QString()) << "Tooltiptitle" << true;
    QTest::newRow("NonThemeStyle 5 left out") << "NonThemeStyle" << QVariant(5) << "iNonThemeStyle" << false;
    QTest::newRow("NonThemeStyle 0 stored") << "NonThemeStyle" << QVariant(0) << "iNonThemeStyle" << true;
    QTest::newRow("IconSize 16 left out") << "IconSize" << QVariant(16) << "IconSize" << false;
    QTest::newRow("custom colours stored") << "UseCustomColors" << QVariant(true) << "USeCustomColors" << true;
    QTest::newRow("Enabled true left out") << "Enabled" << QVariant(true) << "Enabled" << false;
    QTest::newRow("Value false left out") << "Value" << QVariant(false) << "Value" << false;
    QTest::newRow("system back colour left out") << "BackColor" << QVariant(host::GetSysColor(host::COLOR_BTNFACE))
                                                 << "BackColor" << false;
}

void TestStyleButton::writeDefaultsAreLeftOut()
{
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(QString, key);
    QFETCH(bool, stored);
    StyleButton button;
    sbSet(button, property, value);
    PropertyBag bag;
    button.UserControl_WriteProperties(bag);
    QCOMPARE(bag.contains(key), stored);
    if (stored) // spelled exactly as stored sets spell it
        QVERIFY(bag.keys().contains(key));

    StyleButton reloaded;
    reloaded.UserControl_ReadProperties(PropertyBag::fromText(bag.toText()));
    QCOMPARE(sbGet(reloaded, property).toString(), value.toString());
}

void TestStyleButton::writtenKeysAndOrder()
{
    StyleButton button;
    const QList<std::pair<QString, QVariant>> changes = {
        {"Style", 7}, {"Caption", "Go"}, {"IconSize", 24}, {"IconAlign", 2}, {"CaptionAlign", 1},
        {"NonThemeStyle", 2}, {"Enabled", false}, {"ShowFocus", true}, {"UseCustomColors", true},
        {"BackColor", 0x010203u}, {"HighlightColor", 0x040506u}, {"FontColor", 0x070809u},
        {"FontHighlightColor", 0x0A0B0Cu}, {"ToolTip", "tip"}, {"ToolTipTitle", "title"},
        {"ToolTipIcon", 2}, {"ToolTipType", 1}, {"ToolTipBackColor", 0x0D0E0Fu},
        {"ToolTipForeColor", 0x101112u}, {"ButtonType", 1}, {"Value", true}};
    for (const auto &[name, value] : changes)
        sbSet(button, name, value);
    PropertyBag bag;
    button.UserControl_WriteProperties(bag);
    const QStringList expected = {
        "Icon", "Style", "Caption", "IconSize", "IconAlign", "CaptionAlign", "iNonThemeStyle",
        "Enabled", "ShowFocus", "USeCustomColors", "BackColor", "HighlightColor", "FontColor",
        "FontHighlightColor", "ToolTipText", "Tooltiptitle", "ToolTipIcon", "ToolTipType",
        "ttBackColor", "ttForeColor", "Font", "ButtonType", "Value"};
    QCOMPARE(bag.keys(), expected);
}

void TestStyleButton::anyValueIsStoredAsGivenAndSurvivesSaving_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("style out of range") << "Style" << QVariant(99);
    QTest::newRow("negative style") << "Style" << QVariant(-1);
    QTest::newRow("negative icon size") << "IconSize" << QVariant(-5);
    QTest::newRow("largest icon size") << "IconSize" << QVariant(32767);
    QTest::newRow("alignment out of range") << "CaptionAlign" << QVariant(9);
    QTest::newRow("icon alignment out of range") << "IconAlign" << QVariant(-3);
    QTest::newRow("icon alignment 0") << "IconAlign" << QVariant(0);
    QTest::newRow("empty caption") << "Caption" << QVariant(QString());
    QTest::newRow("caption with quotes and lines") << "Caption" << QVariant(QStringLiteral("a \"b\"\nc\\"));
    QTest::newRow("system colour reference") << "BackColor" << QVariant(0x80000012u);
    QTest::newRow("all bits colour") << "HighlightColor" << QVariant(0xFFFFFFFFu);
    QTest::newRow("tooltip type 5") << "ToolTipType" << QVariant(5);
    QTest::newRow("tooltip icon 7") << "ToolTipIcon" << QVariant(7);
    QTest::newRow("button type 3") << "ButtonType" << QVariant(3);
    QTest::newRow("disabled") << "Enabled" << QVariant(false);
    QTest::newRow("toggle on") << "Value" << QVariant(true);
    QTest::newRow("font") << "Font" << QVariant(QStringLiteral("Verdana 9.75"));
    QTest::newRow("icon") << "Icon" << QVariant(QSize(16, 16));
}

void TestStyleButton::anyValueIsStoredAsGivenAndSurvivesSaving()
{
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    auto button = loadedButton();
    sbSet(*button, property, value);
    QCOMPARE(sbGet(*button, property).toString(), value.toString());
    PropertyBag bag;
    button->UserControl_WriteProperties(bag);
    auto reloaded = loadedButton(bag.toText());
    QCOMPARE(sbGet(*reloaded, property).toString(), value.toString());
}

void TestStyleButton::setsWithoutCaptionOrIconAlignStillLoadTheReadDefaults()
{
    auto button = loadedButton(QStringLiteral("Style = 7\n"));
    QCOMPARE(button->Caption(), QStringLiteral("StyleButton"));
    QCOMPARE(button->IconAlign(), 1);
}

void TestStyleButton::damagedSetLoadsWhatItCan()
{
    const QString text = QStringLiteral("Style = seven\n"
                                        "Caption = \"Fine\"\n"
                                        "this line is noise\n"
                                        "IconSize = 99999999999\n"
                                        "Enabled = perhaps\n"
                                        "Font = \"Verdana\n"
                                        "Icon = png:@@@\n"
                                        "ButtonType = 1\n"
                                        "Value = True\n");
    auto button = loadedButton(text);
    QCOMPARE(button->Style(), 3);
    QCOMPARE(button->Caption(), QStringLiteral("Fine"));
    QCOMPARE(int(button->IconSize()), 16);
    QCOMPARE(button->Enabled(), true);
    QVERIFY(button->Icon().isNull());
    QCOMPARE(button->ButtonType(), 1);
    QCOMPARE(button->Value(), true);
    button->Refresh(); // paints whatever it got
}

// --- change notices -------------------------------------------------------------------------

void TestStyleButton::changeNoticeNamesAndOrder_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<bool>("repaintFirst");
    QTest::newRow("Style") << "Style" << QVariant(0) << "Style" << false;
    QTest::newRow("Caption") << "Caption" << QVariant("x") << "Caption" << false;
    QTest::newRow("Icon") << "Icon" << QVariant(QSize(8, 8)) << "Icon" << false;
    QTest::newRow("IconAlign") << "IconAlign" << QVariant(2) << "IconAlign" << false;
    QTest::newRow("IconSize") << "IconSize" << QVariant(20) << "IconSize" << false;
    QTest::newRow("CaptionAlign") << "CaptionAlign" << QVariant(1) << "CaptionAlign" << false;
    QTest::newRow("NonThemeStyle") << "NonThemeStyle" << QVariant(2) << "NonThemeStyle" << false;
    QTest::newRow("ShowFocus") << "ShowFocus" << QVariant(true) << "ShowFocus" << false;
    QTest::newRow("UseCustomColors") << "UseCustomColors" << QVariant(true) << "UseCustomColors" << false;
    QTest::newRow("BackColor") << "BackColor" << QVariant(0x112233u) << "BackColor" << false;
    QTest::newRow("HighlightColor") << "HighlightColor" << QVariant(0x112233u) << "HighlightColor" << false;
    QTest::newRow("FontColor") << "FontColor" << QVariant(0x112233u) << "FontColor" << false;
    QTest::newRow("FontHighlightColor") << "FontHighlightColor" << QVariant(0x112233u) << "FontHighlightColor" << false;
    QTest::newRow("ToolTip") << "ToolTip" << QVariant("t") << "ToolTipText" << false;
    QTest::newRow("ToolTipTitle") << "ToolTipTitle" << QVariant("t") << "TooltipTitle" << false;
    QTest::newRow("ToolTipIcon") << "ToolTipIcon" << QVariant(3) << "TooltipIcon" << false;
    QTest::newRow("ToolTipType") << "ToolTipType" << QVariant(1) << "ToolTipType" << false;
    QTest::newRow("ToolTipBackColor") << "ToolTipBackColor" << QVariant(5u) << "ToolTipBackColor" << false;
    QTest::newRow("ToolTipForeColor") << "ToolTipForeColor" << QVariant(5u) << "ToolTipForeColor" << false;
    QTest::newRow("ButtonType") << "ButtonType" << QVariant(0) << "ButtonType" << false;
    QTest::newRow("Value") << "Value" << QVariant(false) << "Value" << false;
    QTest::newRow("Font") << "Font" << QVariant("Verdana 12") << "Font" << true;
    QTest::newRow("Enabled") << "Enabled" << QVariant(true) << "Enabled" << true;
}

void TestStyleButton::changeNoticeNamesAndOrder()
{
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(QString, notice);
    QFETCH(bool, repaintFirst);
    // In a designer every repaint shows a non-Rounded button Hot: the state seen by the
    // notice tells whether the repaint came before it.
    auto button = loadedButton(QStringLiteral("Style = 0"), false);
    button->setButtonState(StyleButton::Normal);
    QStringList notices;
    QList<int> statesAtNotice;
    connect(&button->controlHost(), &host::ControlHost::propertyChanged, button.get(),
            [&](const QString &name) {
                notices << name;
                statesAtNotice << button->buttonState();
            });
    sbSet(*button, property, value);
    QCOMPARE(notices, QStringList{notice});
    QCOMPARE(statesAtNotice.value(0), int(repaintFirst ? StyleButton::Hot : StyleButton::Normal));
    QCOMPARE(button->buttonState(), int(StyleButton::Hot)); // repainted in the end
}

// --- input and state ------------------------------------------------------------------------

void TestStyleButton::clicksAndState_data()
{
    QTest::addColumn<int>("buttonType");
    QTest::addColumn<QString>("actions");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("value");
    const int push = StyleButton::Push, toggle = StyleButton::Toggle;
    const int normal = StyleButton::Normal, hot = StyleButton::Hot, pressed = StyleButton::Pressed;
    QTest::newRow("left click") << push << "L" << 1 << hot << false;
    QTest::newRow("right click") << push << "R" << 0 << normal << false;
    QTest::newRow("middle click") << push << "M" << 0 << normal << false;
    QTest::newRow("right then left") << push << "RL" << 1 << hot << false;
    QTest::newRow("released outside") << push << "O" << 0 << hot << false;
    QTest::newRow("released outside, then a click") << push << "OL" << 1 << hot << false;
    QTest::newRow("double click") << push << "LD" << 1 << hot << false;
    QTest::newRow("right double click") << push << "RD" << 0 << hot << false;
    QTest::newRow("space") << push << "S" << 1 << hot << false;
    QTest::newRow("space held") << push << "s" << 1 << pressed << false;
    QTest::newRow("space auto-repeat") << push << "srrru" << 1 << hot << false;
    QTest::newRow("space held, unflagged repeats") << push << "sttt" << 1 << pressed << false;
    QTest::newRow("space unflagged repeats, released") << push << "stttu" << 1 << hot << false;
    QTest::newRow("toggle space held") << toggle << "sttu" << 1 << pressed << true;
    // Return and the keypad's Enter click as Space does, with the same states.
    QTest::newRow("return") << push << "E" << 1 << hot << false;
    QTest::newRow("keypad enter") << push << "K" << 1 << hot << false;
    QTest::newRow("return held") << push << "e" << 1 << pressed << false;
    QTest::newRow("return auto-repeat") << push << "exxxv" << 1 << hot << false;
    QTest::newRow("ctrl+return is the window's") << push << "C" << 0 << normal << false;
    QTest::newRow("space while return holds it") << push << "eSu" << 1 << pressed << false;
    QTest::newRow("toggle return on") << toggle << "E" << 1 << pressed << true;
    QTest::newRow("toggle return off") << toggle << "EK" << 2 << hot << false;
    QTest::newRow("toggle on") << toggle << "L" << 1 << pressed << true;
    QTest::newRow("toggle off") << toggle << "LL" << 2 << hot << false;
    QTest::newRow("toggle space on") << toggle << "S" << 1 << pressed << true;
    QTest::newRow("toggle space off") << toggle << "SS" << 2 << hot << false;
    QTest::newRow("toggle double click") << toggle << "LD" << 1 << pressed << true;
    QTest::newRow("toggle right click") << toggle << "R" << 0 << normal << false;
}

void TestStyleButton::clicksAndState()
{
    QFETCH(int, buttonType);
    QFETCH(QString, actions);
    QFETCH(int, clicks);
    QFETCH(int, state);
    QFETCH(bool, value);
    auto button = loadedButton(QStringLiteral("ButtonType = %1").arg(buttonType));
    QSignalSpy clickSpy(button.get(), &StyleButton::Click);
    play(button.get(), actions);
    QCOMPARE(clickSpy.count(), clicks);
    QCOMPARE(button->Value(), value);
    QCOMPARE(button->buttonState(), state);
}

void TestStyleButton::fontChangeLaysTheCaptionOutAgain()
{
    auto button = loadedButton();
    button->setCaption(QStringLiteral("WWW"));
    const QImage small = button->surface().image().copy();
    QFont big = button->Font();
    big.setPixelSize(22);
    button->setFont(big);
    QVERIFY2(button->surface().image() != small, "the caption kept the old font");

    // The same as a control that had the font from the start.
    auto fresh = loadedButton();
    fresh->setFont(big);
    fresh->setCaption(QStringLiteral("WWW"));
    QCOMPARE(button->surface().image(), fresh->surface().image());
}

void TestStyleButton::enabledFalseThenTrue()
{
    auto button = loadedButton();
    button->setEnabled(false);
    QCOMPARE(button->buttonState(), int(StyleButton::Disabled));
    QVERIFY(!button->isEnabled());
    button->setEnabled(true);
    QCOMPARE(button->buttonState(), int(StyleButton::Normal));
    QVERIFY(button->isEnabled());
}

void TestStyleButton::layoutStepMinimumSize_data()
{
    QTest::addColumn<int>("widthTwips");
    QTest::addColumn<int>("heightTwips");
    QTest::addColumn<bool>("widthRaised");
    QTest::addColumn<bool>("heightRaised");
    QTest::newRow("200 x 500") << 200 << 500 << true << false;
    QTest::newRow("500 x 200") << 500 << 200 << false << true;
    QTest::newRow("100 x 100") << 100 << 100 << true << true;
    QTest::newRow("300 x 300 left alone") << 300 << 300 << false << false;
}

void TestStyleButton::layoutStepMinimumSize()
{
    QFETCH(int, widthTwips);
    QFETCH(int, heightTwips);
    QFETCH(bool, widthRaised);
    QFETCH(bool, heightRaised);
    const double tppX = host::twipsPerPixelX(), tppY = host::twipsPerPixelY();
    auto button = loadedButton();
    const int w = host::roundEven(widthTwips / tppX), h = host::roundEven(heightTwips / tppY);
    button->resize(w, h);
    button->layoutStep();
    const int minW = int(std::ceil(300 / tppX - 1e-9)), minH = int(std::ceil(300 / tppY - 1e-9));
    QCOMPARE(button->width(), widthRaised ? minW : w);
    QCOMPARE(button->height(), heightRaised ? minH : h);
    QVERIFY(button->width() * tppX >= 300 - 1e-9);
    QCOMPARE(button->surface().width(), button->width());
    QCOMPARE(button->clientRect().right, button->width());
    QCOMPARE(button->textRect().bottom, button->height() - 4);
}

void TestStyleButton::captionFormatFollowsAlignment_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<quint32>("format");
    QTest::newRow("centre") << 1 << 0 << quint32(37);
    QTest::newRow("left") << 0 << 1 << quint32(36);
    QTest::newRow("right") << 0 << 2 << quint32(38);
    QTest::newRow("top") << 0 << 3 << quint32(33);
    QTest::newRow("bottom") << 0 << 4 << quint32(41);
    QTest::newRow("out of range keeps left") << 1 << 5 << quint32(36);
    QTest::newRow("negative keeps bottom") << 4 << -1 << quint32(41);
}

void TestStyleButton::captionFormatFollowsAlignment()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(quint32, format);
    auto button = loadedButton();
    button->setCaptionAlign(first);
    button->setCaptionAlign(second);
    QCOMPARE(button->CaptionAlign(), second);
    QCOMPARE(button->captionFormat(), format);
}

void TestStyleButton::showTakesOverTheHostToolTip()
{
    auto button = loadedButton();
    button->QWidget::setToolTip(QStringLiteral("Press me"));
    button->show();
    QCOMPARE(button->ToolTip(), QStringLiteral("Press me"));
    QCOMPARE(button->toolTip(), QString()); // the host shows no tooltip of its own
    button->UserControl_Show();            // shown again without a hide in between
    QCOMPARE(button->ToolTip(), QStringLiteral("Press me"));
    button->hide();
    QCOMPARE(button->toolTip(), QStringLiteral("Press me"));
}

void TestStyleButton::showWithoutHostTextKeepsToolTip()
{
    auto button = loadedButton();
    button->setToolTip(QStringLiteral("set by the program"));
    button->show();
    QCOMPARE(button->ToolTip(), QStringLiteral("set by the program"));
    QCOMPARE(button->toolTip(), QString());
    button->hide();
    QCOMPARE(button->toolTip(), QStringLiteral("set by the program"));
}

// --- hover ----------------------------------------------------------------------------------

void TestStyleButton::hoverRaisesEnterAndLeave_data()
{
    QTest::addColumn<bool>("userMode");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<int>("enters");
    QTest::addColumn<int>("leaves");
    QTest::addColumn<int>("state");
    QTest::newRow("in and out") << true << "eml" << 1 << 1 << int(StyleButton::Normal);
    QTest::newRow("stays inside") << true << "emmm" << 1 << 0 << int(StyleButton::Hot);
    QTest::newRow("twice") << true << "emlemml" << 2 << 2 << int(StyleButton::Normal);
    QTest::newRow("leave without entry") << true << "l" << 0 << 0 << int(StyleButton::Normal);
    QTest::newRow("second leave") << true << "ell" << 1 << 1 << int(StyleButton::Normal);
    QTest::newRow("design mode") << false << "emlem" << 0 << 0 << int(StyleButton::Normal);
    QTest::newRow("disabled") << true << "dem" << 0 << 0 << int(StyleButton::Disabled);
    QTest::newRow("disabled while inside") << true << "edl" << 1 << 1 << int(StyleButton::Disabled);
}

void TestStyleButton::hoverRaisesEnterAndLeave()
{
    QFETCH(bool, userMode);
    QFETCH(QString, moves);
    QFETCH(int, enters);
    QFETCH(int, leaves);
    QFETCH(int, state);
    auto button = loadedButton(QString(), userMode);
    QCOMPARE(button->subclasser().entries().empty(), !userMode);
    QSignalSpy enterSpy(button.get(), &StyleButton::MouseEnter);
    QSignalSpy leaveSpy(button.get(), &StyleButton::MouseLeave);
    for (const QChar m : moves) {
        if (m == u'd')
            button->setEnabled(false);
        else if (m == u'e')
            enter(button.get());
        else if (m == u'm')
            sendMouse(button.get(), QEvent::MouseMove, Qt::NoButton);
        else
            leave(button.get());
    }
    QCOMPARE(enterSpy.count(), enters);
    QCOMPARE(leaveSpy.count(), leaves);
    if (userMode)
        QCOMPARE(button->buttonState(), state);
    else
        QVERIFY(!button->toolTipWindow());
}

void TestStyleButton::themeAndColourChangesRepaint_data()
{
    QTest::addColumn<int>("eventType");
    QTest::newRow("theme") << int(QEvent::ThemeChange);
    QTest::newRow("style") << int(QEvent::StyleChange);
    QTest::newRow("system colours") << int(QEvent::ApplicationPaletteChange);
}

void TestStyleButton::themeAndColourChangesRepaint()
{
    QFETCH(int, eventType);
    auto button = loadedButton(QStringLiteral("Style = 3"));
    QImage &image = button->surface().image();
    image.setPixel(10, 10, 0xFF123456);
    QEvent event(static_cast<QEvent::Type>(eventType));
    QCoreApplication::sendEvent(button.get(), &event);
    QVERIFY(image.pixel(10, 10) != 0xFF123456u);
}

void TestStyleButton::noTrackingCallNoSubclassing()
{
    const ScopedMouseTrackingCalls absent(false);
    auto button = loadedButton();
    QVERIFY(!button->canTrackMouse());
    QVERIFY(button->subclasser().entries().empty());
    QSignalSpy enterSpy(button.get(), &StyleButton::MouseEnter);
    enter(button.get());
    QCOMPARE(enterSpy.count(), 0);
}

// --- tooltip --------------------------------------------------------------------------------

void TestStyleButton::toolTipStyleAndMessages_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::addColumn<quint32>("fore");
    QTest::addColumn<quint32>("back");
    QTest::addColumn<quint32>("style");
    QTest::addColumn<QString>("messages");
    const quint32 text = host::TranslateColor(0x80000012u);
    QTest::newRow("rectangular, plain") << 0 << "" << 0 << 0u << 0u << 0x03u << "404";
    QTest::newRow("balloon") << 1 << "" << 0 << 0u << 0u << 0x43u << "404";
    QTest::newRow("other type is rectangular") << 2 << "" << 0 << 0u << 0u << 0x03u << "404";
    QTest::newRow("title") << 1 << "Hello" << 0 << 0u << 0u << 0x43u << "404 420:0:Hello";
    QTest::newRow("icon without title") << 0 << "" << 2 << 0u << 0u << 0x03u << "404 420:2:";
    QTest::newRow("error icon and title") << 1 << "Oops" << 3 << 0u << 0u << 0x43u << "404 420:3:Oops";
    QTest::newRow("text colour") << 0 << "" << 0 << 0x0000FFu << 0u << 0x03u << "404 414:255";
    QTest::newRow("back colour") << 0 << "" << 0 << 0u << 0x00FF00u << 0x03u << "404 413:65280";
    QTest::newRow("everything") << 1 << "T" << 1 << 0x0000FFu << 0x00FF00u << 0x43u
                                << "404 420:1:T 414:255 413:65280";
    QTest::newRow("system colour resolved") << 0 << "" << 0 << 0x80000012u << 0u << 0x03u
                                            << QStringLiteral("404 414:%1").arg(text);
    // Text in the tip's own background colour would be unreadable: it is not sent.
    QTest::newRow("text as the system background") << 0 << "" << 0 << host::GetSysColor(host::COLOR_INFOBK)
                                                   << 0u << 0x03u << "404";
    QTest::newRow("text as the chosen background") << 0 << "" << 0 << 0x00FF00u << 0x00FF00u << 0x03u
                                                   << "404 413:65280";
}

void TestStyleButton::toolTipStyleAndMessages()
{
    QFETCH(int, type);
    QFETCH(QString, title);
    QFETCH(int, icon);
    QFETCH(quint32, fore);
    QFETCH(quint32, back);
    QFETCH(quint32, style);
    QFETCH(QString, messages);
    auto button = loadedButton();
    button->setToolTip(QStringLiteral("Tip text"));
    button->setToolTipType(type);
    button->setToolTipTitle(title);
    button->setToolTipIcon(icon);
    button->setToolTipForeColor(fore);
    button->setToolTipBackColor(back);
    QVERIFY(!button->toolTipWindow()); // nothing before the first entry
    enter(button.get());
    ToolTipWindow *tip = button->toolTipWindow();
    QVERIFY(tip);
    QCOMPARE(tip->windowStyle(), style);
    QCOMPARE(tip->isBalloon(), (style & 0x40) != 0);
    QVERIFY(tip->isTopmost());
    QStringList sent;
    for (const ToolTipMessage &m : tip->sentMessages()) {
        QString s = QString::number(m.message, 16);
        if (m.message == ToolTipWindow::TTM_SETTITLEA)
            s += QStringLiteral(":%1:%2").arg(m.wParam).arg(m.text);
        else if (m.message != ToolTipWindow::TTM_ADDTOOLA)
            s += QStringLiteral(":%1").arg(m.wParam);
        sent << s;
    }
    QCOMPARE(sent.join(u' '), messages);
    QCOMPARE(tip->toolInfo().lpszText, QStringLiteral("Tip text"));
    QCOMPARE(tip->toolInfo().cbSize, quint32(44));
    QCOMPARE(tip->toolInfo().uFlags, quint32(0x10));
    QCOMPARE(tip->toolInfo().hwnd, button.get());
    QCOMPARE(tip->toolInfo().rect, QRect(0, 0, button->width(), button->height()));
    QCOMPARE(tip->parentWidget(), button.get());
}

void TestStyleButton::crossedDefaultsStillGiveAReadableTip()
{
    host::setSysColorOverride(host::COLOR_INFOTEXT, host::RGB(0, 0, 0));
    host::setSysColorOverride(host::COLOR_INFOBK, host::RGB(255, 255, 225));
    auto button = loadedButton(QStringLiteral("ToolTipText = \"tip\"")); // no tooltip colours stored
    enter(button.get());
    ToolTipWindow *tip = button->toolTipWindow();
    QVERIFY(tip);
    QVERIFY(tip->textColour() != tip->backColour());
    QCOMPARE(tip->backColour(), QColor(255, 255, 225));
    QCOMPARE(tip->textColour(), QColor(0, 0, 0));
}

void TestStyleButton::toolTipIsBuiltAfreshOnEachEntry()
{
    auto button = loadedButton();
    button->setToolTip(QStringLiteral("first"));
    enter(button.get());
    QPointer<ToolTipWindow> first = button->toolTipWindow();
    QVERIFY(first);
    leave(button.get());
    QVERIFY(first); // leaving keeps the window
    button->setToolTip(QStringLiteral("second"));
    QCOMPARE(first->toolInfo().lpszText, QStringLiteral("first")); // not at assignment
    enter(button.get());
    QVERIFY(!first);
    QCOMPARE(button->toolTipWindow()->toolInfo().lpszText, QStringLiteral("second"));
}

// --- About box ------------------------------------------------------------------------------

void TestStyleButton::aboutTwiceShowsOneWindow()
{
    auto button = loadedButton();
    const quint32 saved = button->aboutWindowStyle();
    QVERIFY(!button->aboutBox()->isVisible());
    button->About();
    AboutBox *box = button->aboutBox();
    const quint32 firstStyle = box->windowStyle();
    const Qt::WindowFlags firstFlags = box->windowFlags();
    button->About();
    QCOMPARE(button->aboutBox(), box);
    QCOMPARE(box->windowStyle(), firstStyle);
    QCOMPARE(box->windowStyle(), saved | 0x00C60000u);
    QCOMPARE(box->windowFlags(), firstFlags);
    QVERIFY(box->isWindow());
    QVERIFY(box->isVisible());
    QVERIFY(box->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(box->windowTitle(), QStringLiteral("About StyleButton 3.0"));
    int boxes = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        boxes += qobject_cast<AboutBox *>(w) != nullptr && w->isVisible();
    QCOMPARE(boxes, 1);
    QVERIFY(box->width() >= 360 && box->height() >= 106);
}

void TestStyleButton::aboutBoxPressAndClick()
{
    auto button = loadedButton();
    button->About();
    AboutBox *box = button->aboutBox();
    const QImage idle = box->surface().image().copy(AboutBox::kCloseLeft, AboutBox::kCloseTop, 70, 26);
    // Anywhere on the box, any button: the Close button shows pressed.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &press);
    QVERIFY(box->closePressed());
    const QImage down = box->surface().image().copy(AboutBox::kCloseLeft, AboutBox::kCloseTop, 70, 26);
    // The gradient runs the other way: top row of one is the bottom row of the other.
    QCOMPARE(down.pixel(35, 1), idle.pixel(35, 24));
    QVERIFY(down.pixel(35, 1) != idle.pixel(35, 1));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)),
                        Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &release);
    QVERIFY(!box->isVisible());
    QVERIFY(box->isWindow()); // stays a top-level window
    button->About();
    QVERIFY(box->isVisible());
    QVERIFY(!box->closePressed());
}

// Stands in for the desktop's opener of one URL scheme, so no browser starts.
class LinkCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

void TestStyleButton::openLink()
{
    auto button = loadedButton();
    QVERIFY(button->OpenLink(QString()) <= 32);
    QVERIFY(button->OpenLink(QStringLiteral("   ")) <= 32);
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("vexorin-test"), &catcher, "open");
    QVERIFY(button->OpenLink(QStringLiteral("vexorin-test://home/page")) > 32);
    QDesktopServices::unsetUrlHandler(QStringLiteral("vexorin-test"));
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("vexorin-test://home/page"))});
}

// --- Form1's design -------------------------------------------------------------------------

void TestStyleButton::formDesignSets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::addColumn<quint32>("highlight");
    QTest::newRow("showCube") << "showCube" << 10 << "Show Cube" << "Show Cube" << 1
                              << host::GetSysColor(host::COLOR_HIGHLIGHT);
    QTest::newRow("cmdExit") << "cmdExit" << 7 << "&Exit" << "" << 0 << 16711680u;
}

void TestStyleButton::formDesignSets()
{
    QFETCH(QString, name);
    QFETCH(int, style);
    QFETCH(QString, caption);
    QFETCH(QString, title);
    QFETCH(int, icon);
    QFETCH(quint32, highlight);
    StyleButton button;
    loadDesignProperties(button, name);
    QCOMPARE(button.objectName(), name);
    QCOMPARE(button.Style(), style);
    QCOMPARE(button.Caption(), caption);
    QCOMPARE(button.ToolTipTitle(), title);
    QCOMPARE(button.ToolTipIcon(), icon);
    QCOMPARE(button.HighlightColor(), highlight);
    QCOMPARE(button.IconAlign(), 1);
    QCOMPARE(button.NonThemeStyle(), 0);
    QCOMPARE(button.ToolTipType(), 0);
    QCOMPARE(button.Font().family(), QStringLiteral("Verdana"));
    QCOMPARE(button.Font().pointSizeF(), 9.75);
    QVERIFY(button.Font().bold());
    QVERIFY(button.Enabled());
    QVERIFY(button.canTrackMouse()); // the program runs them: hover tracking is on
}

// --- screen readers and keys ------------------------------------------------------------------

void TestStyleButton::screenReadersSeeAPushButton_data()
{
    using Actions = QAccessibleActionInterface;
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("clicks"); // on the first action
    QTest::addColumn<bool>("checked"); // after it
    const QStringList push{Actions::pressAction(), Actions::setFocusAction()};
    const QStringList toggle{Actions::pressAction(), Actions::toggleAction(), Actions::setFocusAction()};
    QTest::newRow("underlined letter") << "Caption = \"&Exit\"" << "Exit" << "" << push << 1 << false;
    QTest::newRow("doubled ampersand") << "Caption = \"A && B\"" << "A & B" << "" << push << 1 << false;
    QTest::newRow("ampersand at the end") << "Caption = \"Save&\"" << "Save" << "" << push << 1 << false;
    QTest::newRow("tooltip describes it") << "ToolTipText = \"Spins\"" << "StyleButton" << "Spins" << push << 1
                                          << false;
    QTest::newRow("toggle switched on") << "ButtonType = 1" << "StyleButton" << "" << toggle << 1 << true;
    QTest::newRow("toggle switched off") << "ButtonType = 1\nValue = true" << "StyleButton" << "" << toggle << 1
                                         << false;
    QTest::newRow("disabled: nothing to do") << "Enabled = false" << "StyleButton" << "" << QStringList() << 0
                                             << false;
}

void TestStyleButton::screenReadersSeeAPushButton()
{
    QFETCH(QString, set);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QStringList, actions);
    QFETCH(int, clicks);
    QFETCH(bool, checked);
    auto button = loadedButton(set);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button.get());
    QCOMPARE(iface->role(), QAccessible::Button);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->text(QAccessible::Description), description);
    QCOMPARE(iface->text(QAccessible::Accelerator), name == QLatin1String("Exit") ? QStringLiteral("Alt+E") : QString());
    QCOMPARE(iface->actionInterface()->actionNames(), actions);
    QCOMPARE(bool(iface->state().checkable), button->ButtonType() == StyleButton::Toggle);
    QSignalSpy clickSpy(button.get(), &StyleButton::Click);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clickSpy.count(), clicks);
    QCOMPARE(bool(iface->state().checked), checked);
}

void TestStyleButton::changesAreAnnounced_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("event"); // -1: none
    QTest::newRow("caption") << "caption" << int(QAccessible::NameChanged);
    QTest::newRow("tooltip") << "tooltip" << int(QAccessible::DescriptionChanged);
    QTest::newRow("value") << "value" << int(QAccessible::StateChanged);
    QTest::newRow("type") << "type" << int(QAccessible::StateChanged);
    QTest::newRow("toggle switched by Space") << "toggle" << int(QAccessible::StateChanged);
    QTest::newRow("push button pressed by Space") << "push" << -1;
}

void TestStyleButton::changesAreAnnounced()
{
    QFETCH(QString, change);
    QFETCH(int, event);
    auto button = loadedButton(change == QLatin1String("toggle") ? QStringLiteral("ButtonType = 1") : QString());
    const a11ytest::Announcements told;
    if (change == QLatin1String("caption"))
        button->setCaption(QStringLiteral("&Go"));
    else if (change == QLatin1String("tooltip"))
        button->setToolTip(QStringLiteral("Goes"));
    else if (change == QLatin1String("value"))
        button->setValue(true);
    else if (change == QLatin1String("type"))
        button->setButtonType(StyleButton::Toggle);
    else
        play(button.get(), QStringLiteral("S"));
    for (const auto type : {QAccessible::NameChanged, QAccessible::DescriptionChanged, QAccessible::StateChanged})
        QCOMPARE(told.count(button.get(), type), type == event ? 1 : 0);
}

void TestStyleButton::underlinedLetterClicks_data()
{
    QTest::addColumn<QString>("captions"); // as loaded, then as assigned
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("clicks");
    QTest::newRow("Alt and the letter") << "&Exit" << true << "Alt+E" << 1;
    QTest::newRow("the letter alone") << "&Exit" << true << "E" << 0;
    QTest::newRow("a doubled ampersand underlines nothing") << "A && B" << true << "Alt+B" << 0;
    QTest::newRow("the new caption's letter") << "&Go|&Stop" << true << "Alt+S" << 1;
    QTest::newRow("the old caption's letter is given up") << "&Go|&Stop" << true << "Alt+G" << 0;
    QTest::newRow("disabled") << "&Exit" << false << "Alt+E" << 0;
}

void TestStyleButton::underlinedLetterClicks()
{
    QFETCH(QString, captions);
    QFETCH(bool, enabled);
    QFETCH(QString, keys);
    QFETCH(int, clicks);
    QWidget window;
    auto *button = new StyleButton(&window);
    const QStringList names = captions.split(u'|');
    button->UserControl_ReadProperties(PropertyBag::fromText(QStringLiteral("Caption = \"%1\"").arg(names[0])));
    button->setCaption(names.last());
    button->setEnabled(enabled);
    window.show();
    QApplication::setActiveWindow(&window);
    QSignalSpy clickSpy(button, &StyleButton::Click);
    const QKeyCombination combination = QKeySequence(keys)[0];
    QTest::keyClick(&window, combination.key(), combination.keyboardModifiers());
    QCOMPARE(clickSpy.count(), clicks);
}

QTEST_MAIN(TestStyleButton)
#include "tst_stylebutton.moc"
