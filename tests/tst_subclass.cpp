// Subclassing: entries and message tables, which messages reach the control and when
// (before or after the window's own handling), and the one-shot leave notice.
#include "stylebutton_state.h"
#include "subclass.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QtTest>
#include <memory>

namespace {

struct Call
{
    bool before;
    quint32 message;
    QWidget *window;
    int pressesSeenByWindow; // how many presses the window had handled at the call
};

// A window that counts the presses it handles itself.
class CountingWidget : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        event->accept();
    }
};

class Recorder : public SubclassClient
{
public:
    std::vector<Call> calls;
    bool handleBefore = false;

    void zSubclass_Proc(bool bBefore, bool &bHandled, qintptr &, QWidget *&lng_hWnd, quint32 &uMsg,
                        quintptr &, qintptr &) override
    {
        const auto *counting = dynamic_cast<CountingWidget *>(lng_hWnd);
        calls.push_back({bBefore, uMsg, lng_hWnd, counting ? counting->presses : -1});
        if (bBefore && handleBefore)
            bHandled = true;
    }
};

void press(QWidget *w)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void leave(QWidget *w)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(w, &event);
}

} // namespace

class TestSubclass : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetStyleButtonState(); }

    void messageTable_data();
    void messageTable();
    void addMsgFillsTheChosenTables_data();
    void addMsgFillsTheChosenTables();
    void secondWindowGrowsByOneOrReusesAFreeEntry();
    void sameWindowTwiceKeepsOneEntry();
    void findEntry();
    void callsWithoutAnEntryReportFailure();
    void onlyListedMessagesReachTheControl();
    void allMessagesReachTheControl();
    void handledBeforeCallSkipsTheWindow();
    void afterCallSeesTheWindowsOwnHandling();
    void leaveOnlyWhenAskedForAndOnce();
    void stopGivesTheWindowBack();
    void vanishedWindowFreesItsEntry();
    void eventTranslation_data();
    void eventTranslation();
    void disabledWindowIsSentNoMouseInput_data();
    void disabledWindowIsSentNoMouseInput();
    void trackingCallsCanBeAbsent();
};

void TestSubclass::messageTable_data()
{
    QTest::addColumn<QList<qint32>>("added");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<quint32>>("table");
    QTest::newRow("one message") << QList<qint32>{0x200} << 1 << QList<quint32>{0x200};
    QTest::newRow("same message twice") << QList<qint32>{0x200, 0x200} << 1 << QList<quint32>{0x200};
    QTest::newRow("four in order") << QList<qint32>{0x200, 0x2A3, 0x31A, 0x15} << 4
                                   << QList<quint32>{0x200, 0x2A3, 0x31A, 0x15};
    QTest::newRow("repeat among others") << QList<qint32>{0x200, 0x2A3, 0x200} << 2
                                         << QList<quint32>{0x200, 0x2A3};
    QTest::newRow("all messages") << QList<qint32>{0x200, AllMessages} << -1 << QList<quint32>{0x200};
    QTest::newRow("all messages stays all") << QList<qint32>{AllMessages, 0x2A3} << -1 << QList<quint32>{};
    QTest::newRow("free entry reused") << QList<qint32>{0, 0x15} << 1 << QList<quint32>{0x15};
}

void TestSubclass::messageTable()
{
    QFETCH(QList<qint32>, added);
    QFETCH(int, count);
    QFETCH(QList<quint32>, table);
    std::vector<quint32> msgTable;
    int msgCount = 0;
    for (const qint32 message : added)
        Subclasser::AddMsgToTable(message, msgTable, msgCount);
    QCOMPARE(msgCount, count);
    QCOMPARE(QList<quint32>(msgTable.begin(), msgTable.end()), table);
}

void TestSubclass::addMsgFillsTheChosenTables_data()
{
    QTest::addColumn<int>("when");
    QTest::addColumn<int>("beforeCount");
    QTest::addColumn<int>("afterCount");
    QTest::newRow("after") << int(WhenAfter) << 0 << 1;
    QTest::newRow("before") << int(WhenBefore) << 1 << 0;
    QTest::newRow("both") << int(WhenAfter | WhenBefore) << 1 << 1;
    QTest::newRow("neither") << 0 << 0 << 0;
}

void TestSubclass::addMsgFillsTheChosenTables()
{
    QFETCH(int, when);
    QFETCH(int, beforeCount);
    QFETCH(int, afterCount);
    Recorder recorder;
    Subclasser subclass(recorder);
    QWidget window;
    const int index = subclass.SubclassStart(&window);
    QVERIFY(subclass.SubclassAddMsg(&window, WM_MOUSEMOVE, when));
    const SubclassEntry &entry = subclass.entries()[static_cast<size_t>(index)];
    QCOMPARE(entry.BeforeCount, beforeCount);
    QCOMPARE(entry.AfterCount, afterCount);
    QVERIFY(entry.CodeBlock);
    QVERIFY(entry.PreviousProc != 0);
}

void TestSubclass::secondWindowGrowsByOneOrReusesAFreeEntry()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    QWidget w1, w2, w3, w4;
    QCOMPARE(subclass.SubclassStart(&w1), 0);
    QCOMPARE(subclass.entries().size(), size_t(1));
    QCOMPARE(subclass.SubclassStart(&w2), 1);
    QCOMPARE(subclass.entries().size(), size_t(2));
    QVERIFY(subclass.SubclassStop(&w1));
    QCOMPARE(subclass.SubclassStart(&w3), 0); // the freed entry
    QCOMPARE(subclass.entries().size(), size_t(2));
    QCOMPARE(subclass.SubclassStart(&w4), 2); // none free: grows by exactly one
    QCOMPARE(subclass.entries().size(), size_t(3));
    QCOMPARE(subclass.entries()[0].hWnd.data(), &w3);
    QCOMPARE(subclass.entries()[0].AfterCount, 0); // nothing left over from w1
}

void TestSubclass::sameWindowTwiceKeepsOneEntry()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    CountingWidget window;
    QCOMPARE(subclass.SubclassStart(&window), 0);
    subclass.SubclassAddMsg(&window, WM_LBUTTONDOWN, WhenAfter);
    QCOMPARE(subclass.SubclassStart(&window), 0);
    QCOMPARE(subclass.entries().size(), size_t(1));
    press(&window);
    QCOMPARE(recorder.calls.size(), size_t(1));
    QCOMPARE(window.presses, 1);
}

void TestSubclass::findEntry()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    QWidget w1, w2, stranger;
    QCOMPARE(subclass.FindSubclassEntry(&w1, false), -1);
    QCOMPARE(subclass.FindSubclassEntry(&w1, true), -1); // no entries at all yet
    subclass.SubclassStart(&w1);
    subclass.SubclassStart(&w2);
    QCOMPARE(subclass.FindSubclassEntry(&w2, false), 1);
    QCOMPARE(subclass.FindSubclassEntry(&w1, false), 0);
    QCOMPARE(subclass.FindSubclassEntry(&stranger, false), -1);
    QCOMPARE(subclass.FindSubclassEntry(nullptr, false), -1);
    QCOMPARE(subclass.FindSubclassEntry(&stranger, true), -1); // no free entry
    subclass.SubclassStop(&w2);
    QCOMPARE(subclass.FindSubclassEntry(&stranger, true), 1);
}

void TestSubclass::callsWithoutAnEntryReportFailure()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    QWidget window;
    QVERIFY(!subclass.SubclassAddMsg(&window, WM_MOUSEMOVE, WhenAfter));
    QVERIFY(!subclass.SubclassStop(&window));
    QVERIFY(!subclass.requestLeaveNotice(&window));
    QCOMPARE(subclass.SubclassStart(nullptr), -1);
    subclass.SubclassStopAll(); // never subclassed: nothing to do, no error
    QVERIFY(subclass.entries().empty());
}

void TestSubclass::onlyListedMessagesReachTheControl()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    CountingWidget window;
    subclass.SubclassStart(&window);
    press(&window); // listed nowhere yet: the window alone handles it
    QCOMPARE(recorder.calls.size(), size_t(0));
    QCOMPARE(window.presses, 1);
    subclass.SubclassAddMsg(&window, WM_LBUTTONDOWN, WhenAfter);
    QTest::keyClick(&window, Qt::Key_A);
    QCOMPARE(recorder.calls.size(), size_t(0));
    press(&window);
    QCOMPARE(recorder.calls.size(), size_t(1));
    QCOMPARE(recorder.calls[0].before, false);
    QCOMPARE(recorder.calls[0].message, quint32(WM_LBUTTONDOWN));
    QCOMPARE(recorder.calls[0].window, &window);
    QCOMPARE(window.presses, 2); // the window's own handling ran exactly once
}

void TestSubclass::allMessagesReachTheControl()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    CountingWidget window;
    subclass.SubclassStart(&window);
    subclass.SubclassAddMsg(&window, AllMessages, WhenBefore);
    press(&window);
    QTest::keyPress(&window, Qt::Key_A);
    QEvent palette(QEvent::PaletteChange);
    QCoreApplication::sendEvent(&window, &palette);
    QList<quint32> seen;
    for (const Call &call : recorder.calls)
        seen << call.message;
    QCOMPARE(seen, (QList<quint32>{WM_LBUTTONDOWN, WM_KEYDOWN, WM_SYSCOLORCHANGE}));
    QVERIFY(recorder.calls[0].before);
}

void TestSubclass::handledBeforeCallSkipsTheWindow()
{
    Recorder recorder;
    recorder.handleBefore = true;
    Subclasser subclass(recorder);
    CountingWidget window;
    subclass.SubclassStart(&window);
    subclass.SubclassAddMsg(&window, WM_LBUTTONDOWN, WhenBefore | WhenAfter);
    press(&window);
    QCOMPARE(window.presses, 0);
    QCOMPARE(recorder.calls.size(), size_t(1)); // no after-call for a handled message
}

void TestSubclass::afterCallSeesTheWindowsOwnHandling()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    CountingWidget window;
    subclass.SubclassStart(&window);
    subclass.SubclassAddMsg(&window, WM_LBUTTONDOWN, WhenBefore | WhenAfter);
    press(&window);
    QCOMPARE(recorder.calls.size(), size_t(2));
    QCOMPARE(recorder.calls[0].before, true);
    QCOMPARE(recorder.calls[0].pressesSeenByWindow, 0);
    QCOMPARE(recorder.calls[1].before, false);
    QCOMPARE(recorder.calls[1].pressesSeenByWindow, 1);
}

void TestSubclass::leaveOnlyWhenAskedForAndOnce()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    QWidget window;
    subclass.SubclassStart(&window);
    subclass.SubclassAddMsg(&window, WM_MOUSELEAVE, WhenAfter);
    leave(&window);
    QCOMPARE(recorder.calls.size(), size_t(0));
    QVERIFY(subclass.requestLeaveNotice(&window));
    leave(&window);
    leave(&window);
    QCOMPARE(recorder.calls.size(), size_t(1));
    QCOMPARE(recorder.calls[0].message, quint32(WM_MOUSELEAVE));
}

void TestSubclass::stopGivesTheWindowBack()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    CountingWidget window;
    subclass.SubclassStart(&window);
    subclass.SubclassAddMsg(&window, WM_LBUTTONDOWN, WhenAfter);
    QVERIFY(subclass.SubclassStop(&window));
    const SubclassEntry &entry = subclass.entries()[0];
    QVERIFY(entry.hWnd.isNull());
    QVERIFY(!entry.CodeBlock);
    QCOMPARE(entry.AfterCount, 0);
    QVERIFY(entry.AfterTable.empty());
    press(&window);
    QCOMPARE(recorder.calls.size(), size_t(0));
    QCOMPARE(window.presses, 1);
}

void TestSubclass::vanishedWindowFreesItsEntry()
{
    Recorder recorder;
    Subclasser subclass(recorder);
    QWidget keeper;
    subclass.SubclassStart(&keeper);
    auto gone = std::make_unique<QWidget>();
    QCOMPARE(subclass.SubclassStart(gone.get()), 1);
    subclass.SubclassAddMsg(gone.get(), WM_MOUSEMOVE, WhenAfter);
    gone.reset();
    QCOMPARE(subclass.FindSubclassEntry(nullptr, true), 1);
    QWidget next;
    QCOMPARE(subclass.SubclassStart(&next), 1);
    QCOMPARE(subclass.entries()[1].AfterCount, 0);
    subclass.SubclassStopAll();
}

void TestSubclass::eventTranslation_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("translated");
    QTest::addColumn<quint32>("message");
    QTest::addColumn<qint64>("lParam"); // mouse messages: y in the high word, x in the low
    const qint64 at = (7 << 16) | 5;
    QTest::newRow("left down") << int(QEvent::MouseButtonPress) << int(Qt::LeftButton) << true << quint32(0x201) << at;
    QTest::newRow("right up") << int(QEvent::MouseButtonRelease) << int(Qt::RightButton) << true << quint32(0x205) << at;
    QTest::newRow("move") << int(QEvent::MouseMove) << 0 << true << quint32(0x200) << at;
    QTest::newRow("middle double") << int(QEvent::MouseButtonDblClick) << int(Qt::MiddleButton) << true << quint32(0x209) << at;
    QTest::newRow("enter counts as a move") << int(QEvent::Enter) << 0 << true << quint32(0x200) << qint64(0);
    QTest::newRow("leave") << int(QEvent::Leave) << 0 << true << quint32(0x2A3) << qint64(0);
    QTest::newRow("theme change") << int(QEvent::ThemeChange) << 0 << true << quint32(0x31A) << qint64(0);
    QTest::newRow("palette change") << int(QEvent::PaletteChange) << 0 << true << quint32(0x15) << qint64(0);
    QTest::newRow("timer") << int(QEvent::Timer) << 0 << false << quint32(0) << qint64(0);
}

void TestSubclass::eventTranslation()
{
    QFETCH(int, type);
    QFETCH(int, button);
    QFETCH(bool, translated);
    QFETCH(quint32, message);
    QFETCH(qint64, lParam);
    const auto eventType = static_cast<QEvent::Type>(type);
    std::unique_ptr<QEvent> event;
    if (eventType == QEvent::MouseButtonPress || eventType == QEvent::MouseButtonRelease ||
        eventType == QEvent::MouseButtonDblClick || eventType == QEvent::MouseMove)
        event = std::make_unique<QMouseEvent>(eventType, QPointF(5, 7), QPointF(5, 7),
                                              static_cast<Qt::MouseButton>(button),
                                              static_cast<Qt::MouseButtons>(button), Qt::NoModifier);
    else
        event = std::make_unique<QEvent>(eventType);
    quint32 uMsg = 0;
    quintptr wParam = 0;
    qintptr gotLParam = 0;
    QCOMPARE(translateEvent(event.get(), uMsg, wParam, gotLParam), translated);
    if (translated) {
        QCOMPARE(uMsg, message);
        QCOMPARE(qint64(gotLParam), lParam);
    }
}

void TestSubclass::disabledWindowIsSentNoMouseInput_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("heard");
    QTest::newRow("pointer coming in") << int(QEvent::Enter) << false;
    QTest::newRow("pointer moving") << int(QEvent::MouseMove) << false;
    QTest::newRow("left press") << int(QEvent::MouseButtonPress) << false;
    QTest::newRow("palette change") << int(QEvent::PaletteChange) << true;
}

void TestSubclass::disabledWindowIsSentNoMouseInput()
{
    QFETCH(int, type);
    QFETCH(bool, heard);
    Recorder recorder;
    Subclasser subclass(recorder);
    QWidget window;
    subclass.SubclassStart(&window);
    subclass.SubclassAddMsg(&window, AllMessages, WhenBefore);
    window.setEnabled(false);
    recorder.calls.clear();
    const auto eventType = static_cast<QEvent::Type>(type);
    std::unique_ptr<QEvent> event;
    if (eventType == QEvent::MouseButtonPress || eventType == QEvent::MouseMove)
        event = std::make_unique<QMouseEvent>(eventType, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                                              Qt::LeftButton, Qt::NoModifier);
    else if (eventType == QEvent::Enter)
        event = std::make_unique<QEnterEvent>(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    else
        event = std::make_unique<QEvent>(eventType);
    QCoreApplication::sendEvent(&window, event.get());
    QCOMPARE(!recorder.calls.empty(), heard);
    subclass.SubclassStopAll();
}

void TestSubclass::trackingCallsCanBeAbsent()
{
    QVERIFY(HasExport(QStringLiteral("TrackMouseEvent"), QStringLiteral("User32")));
    QVERIFY(HasExport(QStringLiteral("_TrackMouseEvent"), QStringLiteral("comctl32")));
    QVERIFY(!HasExport(QStringLiteral("trackmouseevent"), QStringLiteral("User32")));
    QVERIFY(!HasExport(QStringLiteral("TrackMouseEvent"), QStringLiteral("Kernel32")));
    {
        const ScopedMouseTrackingCalls absent(false);
        QVERIFY(!HasExport(QStringLiteral("TrackMouseEvent"), QStringLiteral("User32")));
    }
    QVERIFY(HasExport(QStringLiteral("TrackMouseEvent"), QStringLiteral("User32")));
}

QTEST_MAIN(TestSubclass)
#include "tst_subclass.moc"
