// The picker for everyone: what screen readers read of each control and what they are told
// when it changes, their press actions, the frame colour picked with the keyboard alone,
// and the file list following its folder.
#include "announcements.h"
#include "app_fixture.h"
#include "app_pictures.h"
#include "filelists.h"
#include "imagecontrol.h"
#include "stylebutton.h"

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QFile>
#include <QKeySequence>
#include <QMap>
#include <QMouseEvent>

using app::Entry;

namespace {

// The controls by the names the rows use: "slot N" or one of the names below.
QWidget *control(Form1 &picker, const QString &name)
{
    if (name.startsWith(QLatin1String("slot ")))
        return picker.Image1[size_t(name.mid(5).toInt())];
    const QMap<QString, QWidget *> named{{"swatch", picker.Picture2}, {"show cube", picker.showCube},
                                         {"exit", picker.cmdExit},    {"folders", picker.Dir1},
                                         {"files", picker.File1},     {"frame holder", picker.Moldura}};
    return named.value(name);
}

QAccessibleInterface *readerView(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w);
}

void moveOver(QWidget *w, int x, int y)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

// A frame of four quadrants of known colours, stored as the frame picture.
void storeQuadrantFrame(apptest::Fixture &f)
{
    QImage frame(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            frame.setPixelColor(x, y, y < 128 ? (x < 128 ? QColor(10, 20, 30) : QColor(40, 50, 60))
                                              : (x < 128 ? QColor(70, 80, 90) : QColor(100, 112, 120)));
    QVERIFY(frame.save(f.pictures.filePath("frame.bmp")));
    f.store(Entry::Image6, f.pictures.filePath("frame.bmp"));
}

constexpr uint kTopLeft = 0x1E140A, kTopRight = 0x3C3228, kBottomLeft = 0x5A5046;

QStringList listed(const host::FileList *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

} // namespace

class tst_Access : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetAppState(); }

    void everyControlSaysWhatItIs_data();
    void everyControlSaysWhatItIs();
    void pressActionsClickAsThePointerDoes_data();
    void pressActionsClickAsThePointerDoes();
    void changesAreAnnounced_data();
    void changesAreAnnounced();
    void keyboardPicksTheFrameColour_data();
    void keyboardPicksTheFrameColour();
    void fileListFollowsTheFolder_data();
    void fileListFollowsTheFolder();
};

void tst_Access::everyControlSaysWhatItIs_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // "*": whatever it is
    QTest::addColumn<bool>("press");
    QTest::addColumn<bool>("checked");
    const int radio = QAccessible::RadioButton, button = QAccessible::Button;
    QTest::newRow("side 1, current") << "slot 0" << radio << "Side 1" << "" << true << true;
    QTest::newRow("side 3, with its picture") << "slot 2" << radio << "Side 3" << "green.jpg" << true << false;
    QTest::newRow("frame") << "slot 6" << radio << "Frame" << "" << true << false;
    QTest::newRow("swatch") << "swatch" << button << "Transparent color" << "red 0, green 255, blue 0" << true << false;
    QTest::newRow("show cube") << "show cube" << button << "Show Cube"
                               << "Compose the six sides and spin them on the cube" << true << false;
    QTest::newRow("exit") << "exit" << button << "Exit" << "" << true << false;
    QTest::newRow("folders") << "folders" << int(QAccessible::List) << "Folders" << "pictures" << false << false;
    QTest::newRow("files") << "files" << int(QAccessible::List) << "Files" << "" << false << false;
    QTest::newRow("frame holder, never seen") << "frame holder" << int(QAccessible::Graphic) << "" << "*" << false
                                              << false;
}

void tst_Access::everyControlSaysWhatItIs()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(bool, press);
    QFETCH(bool, checked);
    apptest::Fixture f;
    f.store(Entry::Image2, f.picture("green.jpg", QSize(40, 30), Qt::green));
    f.store(Entry::TransparentColour, "65280");
    Form1 picker;
    picker.Show();
    QVERIFY(picker.Dir1->setPath(f.pictures.path()));
    QAccessibleInterface *iface = readerView(::control(picker, control));
    QVERIFY(iface);
    QCOMPARE(int(iface->role()), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
    if (description == QLatin1String("pictures"))
        description = QDir::toNativeSeparators(f.pictures.path());
    if (description != QLatin1String("*"))
        QCOMPARE(iface->text(QAccessible::Description), description);
    const QStringList actions = iface->actionInterface() ? iface->actionInterface()->actionNames() : QStringList();
    QCOMPARE(actions.contains(QAccessibleActionInterface::pressAction()), press);
    QCOMPARE(bool(iface->state().checked), checked);
    // The working surface right of the window is not offered; everything else is.
    QCOMPARE(bool(iface->state().invisible), control == QLatin1String("frame holder"));
}

void tst_Access::pressActionsClickAsThePointerDoes_data()
{
    QTest::addColumn<QStringList>("pressed");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("picking");
    QTest::addColumn<int>("cubes");
    QTest::addColumn<int>("ends");
    QTest::newRow("side 4") << QStringList{"slot 3"} << 3 << false << 0 << 0;
    QTest::newRow("frame") << QStringList{"slot 6"} << 6 << false << 0 << 0;
    QTest::newRow("swatch") << QStringList{"swatch"} << 0 << true << 0 << 0;
    // Nothing sampled: the swatch keeps its colour.
    QTest::newRow("swatch, then frame") << QStringList{"swatch", "slot 6"} << 6 << false << 0 << 0;
    QTest::newRow("show cube") << QStringList{"show cube"} << 0 << false << 1 << 0;
    QTest::newRow("exit") << QStringList{"exit"} << 0 << false << 0 << 1;
}

void tst_Access::pressActionsClickAsThePointerDoes()
{
    QFETCH(QStringList, pressed);
    QFETCH(int, slot);
    QFETCH(bool, picking);
    QFETCH(int, cubes);
    QFETCH(int, ends);
    apptest::Fixture f;
    f.store(Entry::TransparentColour, "65280");
    Form1 picker;
    picker.Show();
    for (const QString &name : pressed)
        readerView(::control(picker, name))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(picker.currentSlot, qint16(slot));
    QVERIFY(readerView(picker.Image1[size_t(slot)])->state().checked);
    QCOMPARE(picker.isPicking(), picking);
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(0x00FF00));
    QCOMPARE(f.cube ? f.cube->loads : 0, cubes);
    QCOMPARE(f.ends, ends);
}

void tst_Access::changesAreAnnounced_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("event");
    QTest::addColumn<QString>("description"); // after the change; "-": not checked
    QTest::newRow("slot filled") << "pick" << "slot 0" << int(QAccessible::DescriptionChanged) << "blue.bmp";
    QTest::newRow("slot left current") << "select" << "slot 0" << int(QAccessible::StateChanged) << "-";
    QTest::newRow("slot made current") << "select" << "slot 4" << int(QAccessible::StateChanged) << "-";
    QTest::newRow("colour sampled") << "sample" << "swatch" << int(QAccessible::DescriptionChanged)
                                    << "red 255, green 0, blue 0";
    QTest::newRow("folder entered") << "folder" << "folders" << int(QAccessible::DescriptionChanged) << "pictures";
}

void tst_Access::changesAreAnnounced()
{
    QFETCH(QString, change);
    QFETCH(QString, control);
    QFETCH(int, event);
    QFETCH(QString, description);
    apptest::Fixture f;
    f.picture("blue.bmp", QSize(20, 20), Qt::blue);
    f.store(Entry::TransparentColour, "65280");
    Form1 picker;
    picker.Show();
    const a11ytest::Announcements told;
    if (change == QLatin1String("pick")) {
        QVERIFY(picker.Dir1->setPath(f.pictures.path()));
        QVERIFY(picker.File1->selectFile("blue.bmp"));
    } else if (change == QLatin1String("select")) {
        QTest::mouseClick(picker.Image1[4], Qt::LeftButton);
    } else if (change == QLatin1String("sample")) {
        QTest::mouseClick(picker.Picture2, Qt::LeftButton);
        moveOver(picker.Image1[6], 30, 30);
    } else {
        QVERIFY(picker.Dir1->setPath(f.pictures.path()));
    }
    QWidget *w = ::control(picker, control);
    QCOMPARE(told.count(w, QAccessible::Event(event)), 1);
    if (description == QLatin1String("pictures"))
        description = QDir::toNativeSeparators(f.pictures.path());
    if (description != QLatin1String("-"))
        QCOMPARE(readerView(w)->text(QAccessible::Description), description);
}

void tst_Access::keyboardPicksTheFrameColour_data()
{
    QTest::addColumn<bool>("byPointer"); // picking begun with the pointer (at 10, 10)
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<uint>("colour");
    QTest::addColumn<bool>("picking");
    QTest::addColumn<QPoint>("point"); // where the sampling point ends; (-1, -1): none
    const QPoint none(-1, -1);
    // The frame slot is 105 x 112 pixels; the point starts in its middle, (52, 55), which
    // samples (127, 126) of the frame: the top left quadrant.
    QTest::newRow("the middle, kept with Space") << false << QStringList{"Space"} << kTopLeft << false << none;
    QTest::newRow("a step right, kept with Return") << false << QStringList{"Right", "Return"} << kTopRight << false
                                                    << none;
    QTest::newRow("further down, kept with Enter") << false << QStringList{"Shift+Down", "Enter"} << kBottomLeft
                                                   << false << none;
    QTest::newRow("up stops at the edge") << false << QStringList(12, "Shift+Up") << kTopLeft << true << QPoint(52, 0);
    QTest::newRow("right stops at the edge") << false << QStringList(9, "Shift+Right") << kTopRight << true
                                             << QPoint(104, 55);
    QTest::newRow("Escape gives the old colour back") << false << QStringList{"Right", "Escape"} << 0x00FF00u << false
                                                      << none;
    QTest::newRow("Escape after the pointer") << true << QStringList{"Escape"} << 0x00FF00u << false << none;
    QTest::newRow("arrows after the pointer") << true << QStringList{"Down", "Space"} << kTopLeft << false << none;
    QTest::newRow("other keys do nothing") << false << QStringList{"A", "Home"} << kTopLeft << true << QPoint(52, 55);
}

void tst_Access::keyboardPicksTheFrameColour()
{
    QFETCH(bool, byPointer);
    QFETCH(QStringList, keys);
    QFETCH(uint, colour);
    QFETCH(bool, picking);
    QFETCH(QPoint, point);
    apptest::Fixture f;
    storeQuadrantFrame(f);
    f.store(Entry::TransparentColour, "65280");
    Form1 picker;
    picker.Show();
    QApplication::setActiveWindow(picker.widget());
    host::ImageControl *frame = picker.Image1[6];
    if (byPointer) {
        QTest::mouseClick(picker.Picture2, Qt::LeftButton);
        moveOver(frame, 10, 10);
        QVERIFY(!frame->marker()); // the pointer is the mark
        frame->setFocus(Qt::TabFocusReason);
    } else {
        const QImage before = frame->grab().toImage();
        picker.Picture2->setFocus(Qt::TabFocusReason);
        QTest::keyClick(picker.Picture2, Qt::Key_Space);
        QVERIFY(readerView(frame)->state().focused);
        // A crosshair marks the point: dark arms on a light outline, the point itself free.
        const QImage shown = frame->grab().toImage();
        const QPoint c(52, 55);
        QCOMPARE(shown.pixelColor(c - QPoint(4, 0)), QColor(Qt::black));
        QCOMPARE(shown.pixelColor(c - QPoint(4, 1)), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(c), before.pixelColor(c));
    }
    QVERIFY(picker.isPicking());
    for (const QString &key : keys) {
        const QKeyCombination combination = QKeySequence(key)[0];
        QTest::keyClick(QApplication::focusWidget(), combination.key(), combination.keyboardModifiers());
    }
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(colour));
    QCOMPARE(picker.isPicking(), picking);
    QCOMPARE(frame->marker().value_or(QPoint(-1, -1)), point);
    if (!picking) {
        QCOMPARE(picker.Picture2->mousePointer(), int(host::vbDefault));
        // Kept with the frame slot's click, which makes it current; Escape leaves it as it was.
        const bool escaped = keys.last() == QLatin1String("Escape");
        QCOMPARE(picker.currentSlot, qint16(escaped ? 0 : 6));
        if (escaped && !byPointer)
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(picker.Picture2));
    }
}

void tst_Access::fileListFollowsTheFolder_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("highlighted");
    QTest::newRow("a picture saved into it") << "add c.gif" << QStringList{"a.bmp", "b.jpg", "c.gif", "d.png"}
                                             << "b.jpg";
    QTest::newRow("another picture deleted") << "remove d.png" << QStringList{"a.bmp", "b.jpg"} << "b.jpg";
    QTest::newRow("the highlighted one deleted") << "remove b.jpg" << QStringList{"a.bmp", "d.png"} << "";
    QTest::newRow("a file it does not offer") << "add notes.txt" << QStringList{"a.bmp", "b.jpg", "d.png"}
                                              << "b.jpg";
    QTest::newRow("a download finishing") << "download f.jpg"
                                          << QStringList{"a.bmp", "b.jpg", "d.png", "f.jpg"} << "b.jpg";
}

void tst_Access::fileListFollowsTheFolder()
{
    QFETCH(QString, change);
    QFETCH(QStringList, after);
    QFETCH(QString, highlighted);
    apptest::Fixture f;
    for (const char *name : {"a.bmp", "b.jpg", "d.png"})
        f.picture(name, QSize(8, 8), Qt::yellow);
    Form1 picker;
    picker.Show();
    QVERIFY(picker.Dir1->setPath(f.pictures.path()));
    QVERIFY(picker.File1->selectFile("b.jpg"));
    const QString slotPath = picker.sidePaths[0];
    QCOMPARE(slotPath, f.pictures.filePath("b.jpg"));
    QListWidgetItem *first = picker.File1->item(0);

    const QStringList words = change.split(u' ');
    const QString path = f.pictures.filePath(words[1]);
    if (words[0] == QLatin1String("add")) {
        QVERIFY(apptest::writeBytes(path, "x"));
    } else if (words[0] == QLatin1String("remove")) {
        QVERIFY(QFile::remove(path));
    } else { // written under another name, then given its own
        QVERIFY(apptest::writeBytes(path + ".part", "x"));
        QVERIFY(QFile::rename(path + ".part", path));
    }
    if (listed(picker.File1) == after) // nothing to see: give the list its time to look
        QTest::qWait(host::FileList::kSettleMs * 3);
    QTRY_COMPARE(listed(picker.File1), after);
    QCOMPARE(picker.File1->fileName(), highlighted);
    // Entries are put in and taken out in place; nothing a change leaves alone is made anew,
    // and nothing goes into a slot.
    QCOMPARE(picker.File1->item(0), first);
    QCOMPARE(picker.sidePaths[0], slotPath);
    QCOMPARE(picker.currentSlot, qint16(0));
}

QTEST_MAIN(tst_Access)
#include "tst_access.moc"
