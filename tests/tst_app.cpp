// The picker window: start-up from the store, browsing and slots, colour picking, the
// "Show Cube" road with its files and settings, re-entry through the tray, and exit.
#include "app_fixture.h"
#include "app_pictures.h"
#include "app_state.h"
#include "commandline.h"
#include "composition.h"
#include "filelists.h"
#include "imagecontrol.h"
#include "singleinstance.h"
#include "startup.h"
#include "syscolours.h"
#include "trayclicks.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QProcess>
#include <QUrl>
#include <QDeadlineTimer>
#include <csignal>
#include <poll.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include "stylebutton.h"
#include <QSettings>
#include <QTemporaryDir>

Q_DECLARE_METATYPE(app::TrayHost)

using app::Entry;

namespace {
QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void moveOver(QWidget *w, int x, int y)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

// Opens `folder` in the browser and chooses `name` in the file list, as a click would.
void choose(Form1 &picker, const QString &folder, const QString &name)
{
    QVERIFY(picker.Dir1->setPath(folder));
    QVERIFY2(picker.File1->selectFile(name), qPrintable(name));
}

// Drags `path` over `target` and drops it there, as a file manager does.
bool dropFile(QWidget *target, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// Leaves a socket file at `path` with no one listening, as a copy killed with -9 does.
bool leaveDeadSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || size_t(name.size()) >= sizeof(address.sun_path))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFileInfo::exists(path);
}

// A stream socket connected to `path`, or -1.
int connectTo(const QString &path, bool blocking = true)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::copy(name.begin(), name.end(), address.sun_path);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

// Runs `body` in a child process and returns its id; the child ends with what `body`
// returns. Only system calls in the body: the child is a copy of a threaded process.
template<typename Body>
pid_t inChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    return child;
}

// Waits (pumping events) for a child to end; its exit status, or -1.
int childStatus(pid_t child, int ms = 5000)
{
    int status = 0;
    const QDeadlineTimer deadline(ms);
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        QTest::qWait(10);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr uid_t kOtherUser = 65534; // nobody

bool storedKey(const QString &key)
{
    QSettings raw(host::SettingsStore::fileName("Vexorin"), QSettings::IniFormat);
    return raw.contains(key);
}
} // namespace

class tst_App : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetAppState(); }

    void firstRunStartsEmpty();
    void fileListOffersPicturesInAnyCase();
    void choosingAFileWithNoSlotClickedFillsSlot1();
    void clickingASlotMovesTheLitDigit();
    void frameSlotFillsTheFrameHolder();
    void unreadableFileLeavesTheSlotAlone();
    void pickingSamplesUnderThePointer_data();
    void pickingSamplesUnderThePointer();
    void clickOnTheChosenFilePicksItAgain();
    void fileListShowsTheSideFilesJustWritten();
    void storedSystemColourShowsWhatIsKeyed_data();
    void storedSystemColourShowsWhatIsKeyed();
    void pickingWithoutAFrameGivesRed();
    void onlyTheFrameSlotEndsPicking();
    void storedPathsComeBack_data();
    void storedPathsComeBack();
    void deletedPictureGivesAnEmptySlotAndPath();
    void storedSpecialFilesNeverHoldTheStart_data();
    void storedSpecialFilesNeverHoldTheStart();
    void badStoredValuesLeaveControlsAsDesigned_data();
    void badStoredValuesLeaveControlsAsDesigned();
    void showCubeWritesSidesThenSettingsAndReturns();
    void sideComesFromThePictureTheSlotHolds_data();
    void sideComesFromThePictureTheSlotHolds();
    void folderListTakesTheIconThemesFolders_data();
    void folderListTakesTheIconThemesFolders();
    void choicesSurviveARestart();
    void startupCubeRunsBeforeThePickerIsSeen();
    void startUpRunsEachWarmUp_data();
    void startUpRunsEachWarmUp();
    void trayBringsThePickerBackWhileTheCubeRuns();
    void closingThePickerWhileTheCubeRuns();
    void unwritableSideFileStopsWithOneMessage();
    void exitWithoutShowCubeKeepsTheStore();
    void unreadableSettingsAreSaidOnceAtStart_data();
    void unreadableSettingsAreSaidOnceAtStart();
    void trayMenuExitEndsTheProgram();
    void trayComesAlsoForAPickerNeverPainted();
    void trayReportsActAsTheAreaDeliversThem_data();
    void trayReportsActAsTheAreaDeliversThem();
    void noDisplayEndsWithOneLineAndStatusOne_data();
    void noDisplayEndsWithOneLineAndStatusOne();
    void closingThePickerEndsTheProgram();
    void dropFillsTheSlotItLandsOn_data();
    void dropFillsTheSlotItLandsOn();
    void dropOfWhatIsNoPictureIsIgnored_data();
    void dropOfWhatIsNoPictureIsIgnored();
    void tabAndSpaceWalkTheSlotsAndSwatch_data();
    void tabAndSpaceWalkTheSlotsAndSwatch();
    void commandLine_data();
    void commandLine();
    void secondStartReachesTheFirst_data();
    void secondStartReachesTheFirst();
    void onlyTheWordActivateBringsThePickerBack_data();
    void onlyTheWordActivateBringsThePickerBack();
    void oneCopyPerDisplay_data();
    void oneCopyPerDisplay();
    void onlyAPrivateFolderHoldsTheSocket_data();
    void onlyAPrivateFolderHoldsTheSocket();
    void plantedPlacesAreNotUsed_data();
    void plantedPlacesAreNotUsed();
    void anotherUsersListenerIsNotTold_data();
    void anotherUsersListenerIsNotTold();
    void anotherUsersRequestIsRefused_data();
    void anotherUsersRequestIsRefused();
    void idleConnectionsAreBoundedAndDropped_data();
    void idleConnectionsAreBoundedAndDropped();
    void socketIsRemovedWhenTheCopyEnds();
    void endRemovesTheSocketBeforeLeaving_data();
    void endRemovesTheSocketBeforeLeaving();
};

void tst_App::firstRunStartsEmpty()
{
    apptest::Fixture f;
    Form1 picker;
    picker.Show();
    QVERIFY(picker.isVisible());
    QCOMPARE(picker.widget()->size(), QSize(428, 529));
    QCOMPARE(picker.Dir1->path(), QDir(host::programFolder()).absolutePath());
    QCOMPARE(picker.File1->path(), picker.Dir1->path());
    for (int i = 0; i < app::kSlotCount; ++i) {
        QVERIFY(picker.Image1[size_t(i)]->picture().isNull());
        QCOMPARE(picker.sidePaths[size_t(i)], QString());
        QCOMPARE(picker.Label1[size_t(i)]->isEnabled(), i == 0);
    }
    QVERIFY(picker.Moldura->Point(100, 100) == 255);
    QVERIFY(!picker.Check1->isChecked());
    QVERIFY(!picker.Check2->isChecked());
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(255));
    QCOMPARE(picker.currentSlot, qint16(0));
    QTRY_VERIFY(picker.trayIcon()); // once the picker has been painted
    QCOMPARE(picker.trayIcon()->toolTip(), QStringLiteral("Gyrolumen"));
    QCOMPARE(picker.mnuSysTrayExit->text(), QStringLiteral("&Exit"));
    QVERIFY(f.cube == nullptr);
    QVERIFY(f.messages.isEmpty());
}

void tst_App::fileListOffersPicturesInAnyCase()
{
    apptest::Fixture f;
    for (const char *name : {"a.gif", "B.BMP", "IMG_0001.JPG", "c.JpG", "d.png", "e.txt", "f.jpeg", "g.JPE", "h.PnG",
                             "i.png.txt", "j.jpegs"})
        apptest::writeBytes(f.pictures.filePath(name), "x");
    QDir(f.pictures.path()).mkdir("sub.jpg");
    Form1 picker;
    picker.Load();
    QVERIFY(picker.Dir1->setPath(f.pictures.path()));
    QStringList offered;
    for (int i = 0; i < picker.File1->count(); ++i)
        offered << picker.File1->item(i)->text();
    QCOMPARE(offered, (QStringList{"a.gif", "B.BMP", "c.JpG", "d.png", "f.jpeg", "g.JPE", "h.PnG", "IMG_0001.JPG"}));
}

void tst_App::choosingAFileWithNoSlotClickedFillsSlot1()
{
    apptest::Fixture f;
    const QString path = f.picture("green.jpg", QSize(300, 200), Qt::green);
    Form1 picker;
    picker.Show();
    choose(picker, f.pictures.path(), "green.jpg");
    QCOMPARE(picker.sidePaths[0], path);
    QVERIFY(!picker.Image1[0]->picture().isNull());
    for (int i = 1; i < app::kSlotCount; ++i)
        QVERIFY(picker.Image1[size_t(i)]->picture().isNull());
}

void tst_App::clickingASlotMovesTheLitDigit()
{
    apptest::Fixture f;
    f.picture("red.bmp", QSize(64, 64), Qt::red);
    Form1 picker;
    picker.Show();
    QTest::mouseClick(picker.Image1[3], Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(picker.currentSlot, qint16(3));
    QCOMPARE(picker.litLabel, qint16(3));
    QVERIFY(picker.Label1[3]->isEnabled());
    QVERIFY(!picker.Label1[0]->isEnabled());
    // Clicking the current slot again changes nothing.
    QTest::mouseClick(picker.Image1[3], Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(picker.Label1[3]->isEnabled());
    // A click on the digit reaches the slot under it.
    const QPoint digit = picker.Label1[1]->geometry().center();
    QWidget *under = picker.widget()->childAt(digit);
    QCOMPARE(under, static_cast<QWidget *>(picker.Image1[1]));
    QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(picker.widget(), digit));
    QCOMPARE(picker.currentSlot, qint16(1));
    choose(picker, f.pictures.path(), "red.bmp");
    QVERIFY(!picker.Image1[1]->picture().isNull());
    QVERIFY(picker.Image1[3]->picture().isNull());
}

void tst_App::frameSlotFillsTheFrameHolder()
{
    apptest::Fixture f;
    const QString path = f.picture("frame.bmp", QSize(256, 256), Qt::blue);
    Form1 picker;
    picker.Show();
    QTest::mouseClick(picker.Image1[6], Qt::LeftButton);
    QVERIFY(picker.Label1[6]->isEnabled());
    choose(picker, f.pictures.path(), "frame.bmp");
    QCOMPARE(picker.sidePaths[6], path);
    QVERIFY(!picker.Image1[6]->picture().isNull());
    QCOMPARE(picker.Moldura->Point(10, 10), qint64(0xFF0000));
    QVERIFY(picker.sidePaths[0].isEmpty());
}

void tst_App::unreadableFileLeavesTheSlotAlone()
{
    apptest::Fixture f;
    const QString good = f.picture("good.jpg", QSize(300, 300), Qt::yellow);
    apptest::writeBytes(f.pictures.filePath("broken.jpg"), "not a picture");
    apptest::writeBytes(f.pictures.filePath("huge.bmp"), apptest::bmpHeaderClaiming(30000, 30000));
    Form1 picker;
    picker.Show();
    choose(picker, f.pictures.path(), "good.jpg");
    choose(picker, f.pictures.path(), "broken.jpg");
    choose(picker, f.pictures.path(), "huge.bmp");
    QCOMPARE(picker.sidePaths[0], good);
    QVERIFY(!picker.Image1[0]->picture().isNull());
    QVERIFY(f.messages.isEmpty());
}

void tst_App::pickingSamplesUnderThePointer_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<uint>("colour");
    // Frame quadrants: top left, top right, bottom left, bottom right.
    QTest::newRow("top left corner") << QPoint(0, 0) << 0x1E140Au;
    QTest::newRow("top left") << QPoint(10, 10) << 0x1E140Au;
    QTest::newRow("top right") << QPoint(100, 10) << 0x3C3228u;
    QTest::newRow("bottom left") << QPoint(10, 100) << 0x5A5046u;
    QTest::newRow("bottom right corner") << QPoint(104, 111) << 0x787064u;
    QTest::newRow("just left of the middle") << QPoint(52, 10) << 0x1E140Au;  // 52/105*256 = 126.8
    QTest::newRow("just right of the middle") << QPoint(53, 10) << 0x3C3228u; // 129.2
}

void tst_App::pickingSamplesUnderThePointer()
{
    QFETCH(QPoint, pointer);
    QFETCH(uint, colour);
    apptest::Fixture f;
    QImage frame(256, 256, QImage::Format_RGB32);
    frame.fill(QColor(10, 20, 30));
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            frame.setPixelColor(x, y, y < 128 ? (x < 128 ? QColor(10, 20, 30) : QColor(40, 50, 60))
                                              : (x < 128 ? QColor(70, 80, 90) : QColor(100, 112, 120)));
    QVERIFY(frame.save(f.pictures.filePath("frame.bmp")));
    f.store(Entry::Image6, f.pictures.filePath("frame.bmp"));
    Form1 picker;
    picker.Show();
    QTest::mouseClick(picker.Picture2, Qt::LeftButton);
    QVERIFY(picker.isPicking());
    QCOMPARE(picker.Picture2->mousePointer(), int(host::vbCustom));
    moveOver(picker.Image1[6], pointer.x(), pointer.y());
    QCOMPARE(picker.pickedColor, host::OleColor(colour));
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(colour));
}

// One picture into a second slot: click the slot, then the file still highlighted.
void tst_App::clickOnTheChosenFilePicksItAgain()
{
    apptest::Fixture f;
    const QString path = f.picture("green.jpg", QSize(300, 200), Qt::green);
    Form1 picker;
    picker.Show();
    choose(picker, f.pictures.path(), "green.jpg");
    QCOMPARE(picker.sidePaths[0], path);
    QTest::mouseClick(picker.Image1[4], Qt::LeftButton);
    QListWidgetItem *item = picker.File1->currentItem();
    QVERIFY(item);
    QTest::mouseClick(picker.File1->viewport(), Qt::LeftButton, {}, picker.File1->visualItemRect(item).center());
    QCOMPARE(picker.sidePaths[4], path);
    QVERIFY(!picker.Image1[4]->picture().isNull());
}

void tst_App::fileListShowsTheSideFilesJustWritten()
{
    apptest::Fixture f;
    Form1 picker;
    picker.Show();
    QVERIFY(picker.Dir1->setPath(f.sides.path()));
    QCOMPARE(picker.File1->count(), 0);
    picker.BuildAndShowCube();
    QStringList listed;
    for (int i = 0; i < picker.File1->count(); ++i)
        listed << picker.File1->item(i)->text();
    QCOMPARE(listed, (QStringList{"Side 1.bmp", "Side 2.bmp", "Side 3.bmp", "Side 4.bmp", "Side 5.bmp", "Side 6.bmp"}));
}

void tst_App::storedSystemColourShowsWhatIsKeyed_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("index");
    QTest::newRow("window") << "-2147483643" << int(host::COLOR_WINDOW);
    QTest::newRow("button face") << "-2147483633" << int(host::COLOR_BTNFACE);
}

// The swatch shows the colour a stored system colour stands for, the one the sides key out;
// the stored value itself is kept.
void tst_App::storedSystemColourShowsWhatIsKeyed()
{
    QFETCH(QString, stored);
    QFETCH(int, index);
    apptest::Fixture f;
    host::setSysColorOverride(index, host::RGB(12, 200, 34));
    f.store(Entry::TransparentColour, stored);
    Form1 picker;
    picker.Show();
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(stored.toLongLong()));
    QCOMPARE(picker.Picture2->Point(3, 3), qint64(host::RGB(12, 200, 34)));
    host::clearSysColorOverrides();
}

void tst_App::pickingWithoutAFrameGivesRed()
{
    apptest::Fixture f;
    f.store(Entry::TransparentColour, "65280");
    Form1 picker;
    picker.Show();
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(65280));
    QTest::mouseClick(picker.Picture2, Qt::LeftButton);
    moveOver(picker.Image1[6], 40, 60);
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(255));
}

void tst_App::onlyTheFrameSlotEndsPicking()
{
    apptest::Fixture f;
    Form1 picker;
    picker.Show();
    QTest::mouseClick(picker.Picture2, Qt::LeftButton);
    moveOver(picker.Image1[6], 40, 60);
    // Moves over, and clicks on, side slots neither sample nor end picking.
    picker.Picture2->setBackColor(0x00FF00);
    moveOver(picker.Image1[2], 40, 60);
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(0x00FF00));
    QTest::mouseClick(picker.Image1[2], Qt::LeftButton);
    QVERIFY(picker.isPicking());
    // The frame slot click ends it: the swatch shows the last sample and keeps it.
    QTest::mouseClick(picker.Image1[6], Qt::LeftButton);
    QVERIFY(!picker.isPicking());
    QCOMPARE(picker.Picture2->mousePointer(), int(host::vbDefault));
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(255));
    QCOMPARE(picker.currentSlot, qint16(6));
    picker.Picture2->setBackColor(0x00FF00);
    moveOver(picker.Image1[6], 40, 60);
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(0x00FF00));
}

void tst_App::storedPathsComeBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("spaces") << "my holiday  photo.jpg";
    QTest::newRow("non-ASCII") << QString::fromUtf8("ñandú 写真 ü.jpg");
    QTest::newRow("long name") << QString(200, QLatin1Char('x')) + ".bmp";
    QTest::newRow("upper case") << "IMG_0001.JPG";
    QTest::newRow("semicolon and equals") << "a;b=c.gif.jpg";
}

void tst_App::storedPathsComeBack()
{
    QFETCH(QString, name);
    apptest::Fixture f;
    QVERIFY(QDir(f.pictures.path()).mkdir(QString::fromUtf8("Ordner mit Ümlaut")));
    const QString folder = f.pictures.filePath(QString::fromUtf8("Ordner mit Ümlaut"));
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(Qt::cyan);
    QVERIFY(image.save(QDir(folder).filePath(name), name.endsWith("bmp") ? "BMP" : "JPEG"));
    {
        Form1 picker;
        picker.Show();
        QTest::mouseClick(picker.Image1[4], Qt::LeftButton);
        choose(picker, folder, name);
        QCOMPARE(picker.sidePaths[4], QDir(folder).filePath(name));
        picker.BuildAndShowCube();
    }
    host::SettingsStore::reset(); // a new run
    Form1 again;
    again.Load();
    QCOMPARE(again.sidePaths[4], QDir(folder).filePath(name));
    QVERIFY(!again.Image1[4]->picture().isNull());
}

void tst_App::deletedPictureGivesAnEmptySlotAndPath()
{
    apptest::Fixture f;
    const QString gone = f.picture("gone.jpg", QSize(100, 100), Qt::red);
    const QString kept = f.picture("kept.jpg", QSize(100, 100), Qt::blue);
    f.store(Entry::Image0, gone);
    f.store(Entry::Image1, kept);
    QVERIFY(QFile::remove(gone));
    Form1 picker;
    picker.Show();
    QVERIFY(picker.Image1[0]->picture().isNull());
    QCOMPARE(picker.sidePaths[0], QString());
    QCOMPARE(picker.sidePaths[1], kept);
    picker.BuildAndShowCube();
    QVERIFY(storedKey("Image/ 0"));
    QCOMPARE(app::readEntry(Entry::Image0), QString());
    QCOMPARE(app::readEntry(Entry::Image1), kept);
    QVERIFY(f.messages.isEmpty());
}

void tst_App::storedSpecialFilesNeverHoldTheStart_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("cubeAtStart");
    QTest::newRow("pipe with no writer") << "fifo" << false;
    QTest::newRow("pipe, cube at start") << "fifo" << true;
    QTest::newRow("device") << "device" << false;
    QTest::newRow("folder named like a picture") << "folder" << false;
}

// A stored path that is no regular file (a pipe nobody writes would block a read for
// ever) empties its slot and its path at once, with or without the cube at start-up; the
// other slots load as usual.
void tst_App::storedSpecialFilesNeverHoldTheStart()
{
    QFETCH(QString, kind);
    QFETCH(bool, cubeAtStart);
    apptest::Fixture f;
    const QString kept = f.picture("kept.jpg", QSize(100, 100), Qt::blue);
    QString special = QDir(f.pictures.path()).filePath("special.jpg");
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(special).constData(), 0600), 0);
    else if (kind == "device")
        special = "/dev/zero";
    else
        QVERIFY(QDir().mkpath(special));
    f.store(Entry::Image0, special);
    f.store(Entry::Image6, special);
    f.store(Entry::Image1, kept);
    if (cubeAtStart)
        f.store(Entry::Startup, "1");
    Form1 picker;
    picker.Show();
    QCOMPARE(bool(f.cube), cubeAtStart);
    QVERIFY(picker.Image1[0]->picture().isNull());
    QVERIFY(picker.Image1[6]->picture().isNull());
    QCOMPARE(picker.sidePaths[0], QString());
    QVERIFY(!picker.Image1[1]->picture().isNull());
    QCOMPARE(picker.sidePaths[1], kept);
    QVERIFY(f.messages.isEmpty());
}

void tst_App::badStoredValuesLeaveControlsAsDesigned_data()
{
    QTest::addColumn<QString>("startup");
    QTest::addColumn<QString>("useFrame");
    QTest::addColumn<QString>("colour");
    QTest::newRow("words") << "yes" << "on" << "red";
    QTest::newRow("out of range") << "99999" << "7" << "99999999999";
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("negative colour") << "-1" << "-1" << "-5";
}

void tst_App::badStoredValuesLeaveControlsAsDesigned()
{
    QFETCH(QString, startup);
    QFETCH(QString, useFrame);
    QFETCH(QString, colour);
    apptest::Fixture f;
    f.store(Entry::Startup, startup);
    f.store(Entry::UseFrame, useFrame);
    f.store(Entry::TransparentColour, colour);
    f.store(Entry::Image2, "/no/such/folder/picture.jpg");
    f.store(Entry::Image3, f.pictures.path()); // a folder, not a picture
    Form1 picker;
    picker.Show();
    QVERIFY(!picker.Check1->isChecked());
    QVERIFY(!picker.Check2->isChecked());
    QCOMPARE(picker.Picture2->backColor(), host::OleColor(255));
    QCOMPARE(picker.sidePaths[2], QString());
    QCOMPARE(picker.sidePaths[3], QString());
    QVERIFY(f.cube == nullptr);
    QVERIFY(f.messages.isEmpty());
    QTRY_VERIFY(picker.trayIcon());
}

void tst_App::showCubeWritesSidesThenSettingsAndReturns()
{
    apptest::Fixture f;
    const QString frame = f.picture("frame.bmp", QSize(256, 256), Qt::blue);
    f.store(Entry::Image6, frame);
    Form1 picker;
    picker.Show();
    picker.Picture2->setBackColor(0x123456);
    picker.Check1->setChecked(true);
    bool pickerHiddenWhileCubeRuns = false;
    QStringList filesSeenByCube;
    f.cubeRun = [&] {
        pickerHiddenWhileCubeRuns = !picker.isVisible();
        for (int side = 1; side <= 6; ++side)
            if (QFileInfo(f.sideFile(side)).size() == 196662)
                filesSeenByCube << f.sideFile(side);
    };
    QTest::mouseClick(picker.showCube, Qt::LeftButton);
    QVERIFY(f.cube);
    QCOMPARE(f.cube->loads, 1);
    QCOMPARE(f.cube->unloads, 1);
    QVERIFY(pickerHiddenWhileCubeRuns);
    QCOMPARE(filesSeenByCube.size(), 6);
    QVERIFY(picker.isVisible());
    QVERIFY(!cubeClosed);
    // "Use Frame" is off: no frame on the sides, but its path is stored all the same.
    const QImage side1(f.sideFile(1));
    QCOMPARE(side1.pixelColor(0, 0), app::defaultFace(1).pixelColor(0, 0));
    QCOMPARE(app::readEntry(Entry::Image6), frame);
    QCOMPARE(app::readEntry(Entry::Startup), QStringLiteral("1"));
    QCOMPARE(app::readEntry(Entry::UseFrame), QStringLiteral("0"));
    QCOMPARE(app::readEntry(Entry::TransparentColour), QStringLiteral("1193046"));
    for (int i = 0; i < app::kSideCount; ++i)
        QVERIFY(storedKey(QStringLiteral("Image/ %1").arg(i)));

    // A second press runs the whole road again, with the frame on.
    picker.Check2->setChecked(true);
    picker.Picture2->setBackColor(255);
    QTest::mouseClick(picker.showCube, Qt::LeftButton);
    QCOMPARE(f.cube->loads, 2);
    QCOMPARE(QImage(f.sideFile(4)).pixelColor(128, 128), QColor(Qt::blue));
    QCOMPARE(app::readEntry(Entry::UseFrame), QStringLiteral("1"));
    QVERIFY(f.messages.isEmpty());
}

// The stored pictures' sides are made while they load; one chosen after the start replaces
// its slot's side.
void tst_App::sideComesFromThePictureTheSlotHolds_data()
{
    QTest::addColumn<bool>("chooseAnother");
    QTest::addColumn<QColor>("side");
    QTest::newRow("stored picture") << false << QColor(Qt::red);
    QTest::newRow("picture chosen after the start") << true << QColor(Qt::green);
}

void tst_App::sideComesFromThePictureTheSlotHolds()
{
    QFETCH(bool, chooseAnother);
    QFETCH(QColor, side);
    apptest::Fixture f;
    f.store(app::imageEntry(2), f.picture("stored.jpg", QSize(640, 480), Qt::red));
    const QString other = f.picture("other.bmp", QSize(64, 48), Qt::green);
    Form1 picker;
    picker.Show();
    if (chooseAnother) {
        QTest::mouseClick(picker.Image1[2], Qt::LeftButton);
        choose(picker, QFileInfo(other).absolutePath(), QFileInfo(other).fileName());
    }
    picker.BuildAndShowCube();
    const QColor written = QImage(f.sideFile(3)).pixelColor(128, 128);
    QVERIFY2(qAbs(written.red() - side.red()) < 8 && qAbs(written.green() - side.green()) < 8,
             qPrintable(written.name()));
}

// The folder list shows the desktop icon theme's folders; with no theme but the fallback
// one, Qt's own pictures.
void tst_App::folderListTakesTheIconThemesFolders_data()
{
    QTest::addColumn<bool>("withTheme");
    QTest::addColumn<QString>("openName");
    QTest::addColumn<QString>("closedName");
    QTest::newRow("icon theme") << true << "folder-open" << "folder";
    QTest::newRow("fallback theme only") << false << "" << "";
}

void tst_App::folderListTakesTheIconThemesFolders()
{
    QFETCH(bool, withTheme);
    QFETCH(QString, openName);
    QFETCH(QString, closedName);
    QTemporaryDir themes;
    const QDir root(themes.path());
    QVERIFY(root.mkpath("plain/16x16/places") && root.mkpath("browse/inner"));
    QFile index(root.filePath("plain/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=plain\nDirectories=16x16/places\n\n[16x16/places]\nSize=16\nType=Fixed\n");
    index.close();
    QImage folder(16, 16, QImage::Format_RGB32);
    folder.fill(Qt::darkYellow);
    QVERIFY(folder.save(root.filePath("plain/16x16/places/folder.png")));
    QVERIFY(folder.save(root.filePath("plain/16x16/places/folder-open.png")));

    struct ThemeGuard
    {
        QStringList searchPaths = QIcon::themeSearchPaths();
        QString name = QIcon::themeName();
        ~ThemeGuard()
        {
            QIcon::setThemeName(name);
            QIcon::setThemeSearchPaths(searchPaths);
        }
    } restore;
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(withTheme ? QStringLiteral("plain") : QIcon::fallbackThemeName());
    host::FolderList list;
    QVERIFY(list.setPath(root.filePath("browse")));
    const QIcon open = list.item(list.currentRow())->icon();
    const QIcon closed = list.item(list.count() - 1)->icon();
    QCOMPARE(list.item(list.count() - 1)->text(), QStringLiteral("inner"));
    QVERIFY(!open.isNull() && !closed.isNull());
    QCOMPARE(open.name(), openName);
    QCOMPARE(closed.name(), closedName);
}

void tst_App::choicesSurviveARestart()
{
    apptest::Fixture f;
    f.picture("one.jpg", QSize(200, 200), Qt::darkGreen);
    f.picture("frame.bmp", QSize(64, 64), Qt::red);
    {
        Form1 picker;
        picker.Show();
        choose(picker, f.pictures.path(), "one.jpg");
        QTest::mouseClick(picker.Image1[6], Qt::LeftButton);
        choose(picker, f.pictures.path(), "frame.bmp");
        picker.Check2->setChecked(true);
        QTest::mouseClick(picker.Picture2, Qt::LeftButton);
        moveOver(picker.Image1[6], 50, 50);
        QTest::mouseClick(picker.Image1[6], Qt::LeftButton);
        picker.Picture2->setBackColor(0x00FF7F);
        QTest::mouseClick(picker.showCube, Qt::LeftButton);
    }
    host::SettingsStore::reset();
    Form1 again;
    again.Show();
    QCOMPARE(again.sidePaths[0], f.pictures.filePath("one.jpg"));
    QCOMPARE(again.sidePaths[6], f.pictures.filePath("frame.bmp"));
    QVERIFY(again.Check2->isChecked());
    QVERIFY(!again.Check1->isChecked());
    QCOMPARE(again.Picture2->backColor(), host::OleColor(0x00FF7F));
    QCOMPARE(again.Moldura->Point(200, 200), qint64(255));
}

void tst_App::startupCubeRunsBeforeThePickerIsSeen()
{
    apptest::Fixture f;
    f.store(Entry::Startup, "1");
    Form1 picker;
    bool seenBeforeCube = true;
    bool trayBeforeCube = true;
    f.cubeRun = [&] {
        seenBeforeCube = picker.widget()->isVisible();
        trayBeforeCube = picker.trayIcon() != nullptr;
        for (int side = 1; side <= 6; ++side)
            QCOMPARE(QFileInfo(f.sideFile(side)).size(), qint64(196662));
    };
    picker.Show();
    QVERIFY(f.cube);
    QCOMPARE(f.cube->loads, 1);
    QVERIFY(!seenBeforeCube);
    QVERIFY(!trayBeforeCube);
    QTRY_VERIFY(picker.trayIcon());
    QVERIFY(picker.isVisible());
    QVERIFY(!cubeClosed);
}

enum class Road { PickerOnly, PointerOnShowCube, FocusOnShowCube, CubeAtStartUp };

void tst_App::startUpRunsEachWarmUp_data()
{
    QTest::addColumn<Road>("road");
    QTest::addColumn<bool>("driverLoaded");
    // The driver stays in the process for good: it loads only once the cube is near.
    QTest::newRow("picker only: no driver") << Road::PickerOnly << false;
    QTest::newRow("pointer enters Show Cube") << Road::PointerOnShowCube << true;
    QTest::newRow("focus reaches Show Cube") << Road::FocusOnShowCube << true;
    QTest::newRow("cube at start-up") << Road::CubeAtStartUp << true;
}

// Start-up as the program runs it: every warm-up's work runs, each on its road.
void tst_App::startUpRunsEachWarmUp()
{
    QFETCH(Road, road);
    QFETCH(bool, driverLoaded);
    apptest::Fixture f;
    app::resetWarmUps();
    if (road == Road::CubeAtStartUp)
        f.store(Entry::Startup, "1");
    bool driverBeforeCube = false;
    f.cubeRun = [&] {
        QTRY_VERIFY(app::hasRun(app::WarmUp::GlDriver));
        driverBeforeCube = true;
    };
    {
        app::StartUp startUp;
        startUp.beforePicker();
        Form1 picker;
        picker.Show();
        startUp.afterShow(picker.widget(), picker.showCube);
        QTRY_VERIFY(app::hasRun(app::WarmUp::FirstPaint));
        QTRY_VERIFY(app::hasRun(app::WarmUp::TrayIcon));
        if (road == Road::PointerOnShowCube) {
            QEvent enter(QEvent::Enter);
            QApplication::sendEvent(picker.showCube, &enter);
        } else if (road == Road::FocusOnShowCube) {
            picker.widget()->activateWindow();
            picker.showCube->setFocus(Qt::TabFocusReason);
            QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
            QApplication::sendEvent(picker.showCube, &focus);
        }
        for (const app::WarmUp warmUp : {app::WarmUp::Fonts, app::WarmUp::PictureReaders})
            QTRY_VERIFY2(app::hasRun(warmUp), qPrintable(QString::number(int(warmUp))));
        if (driverLoaded)
            QTRY_VERIFY(app::hasRun(app::WarmUp::GlDriver));
        else
            QTest::qWait(300);
        QCOMPARE(app::hasRun(app::WarmUp::GlDriver), driverLoaded);
        QCOMPARE(driverBeforeCube, road == Road::CubeAtStartUp);
        QCOMPARE(bool(f.cube), road == Road::CubeAtStartUp);
    }
    for (const app::WarmUp warmUp : app::kWarmUps)
        QCOMPARE(app::hasRun(warmUp), warmUp != app::WarmUp::GlDriver || driverLoaded);
}

void tst_App::trayBringsThePickerBackWhileTheCubeRuns()
{
    apptest::Fixture f;
    Form1 picker;
    picker.Show();
    QByteArray firstSide2;
    bool hiddenAfterSingleClick = false, shownAfterDoubleClick = false, hiddenAfterReentry = false;
    int loadsDuringReentry = 0;
    f.cubeRun = [&] {
        picker.trayIcon_Activated(QSystemTrayIcon::Trigger);
        hiddenAfterSingleClick = !picker.isVisible();
        picker.trayIcon_Activated(QSystemTrayIcon::DoubleClick);
        shownAfterDoubleClick = picker.isVisible();
        // "Show Cube" again inside the running cube: files and settings are rewritten, the
        // running cube is not started a second time and the picker hides again.
        firstSide2 = fileBytes(f.sideFile(2));
        picker.Check2->setChecked(true);
        QTest::mouseClick(picker.Image1[6], Qt::LeftButton);
        QTest::mouseClick(picker.showCube, Qt::LeftButton);
        loadsDuringReentry = f.cube->loads;
        hiddenAfterReentry = !picker.isVisible();
        QVERIFY(!cubeClosed);
    };
    QTest::mouseClick(picker.showCube, Qt::LeftButton);
    QVERIFY(hiddenAfterSingleClick);
    QVERIFY(shownAfterDoubleClick);
    QCOMPARE(loadsDuringReentry, 1);
    QVERIFY(hiddenAfterReentry);
    QCOMPARE(app::readEntry(Entry::UseFrame), QStringLiteral("1"));
    // The first, still pending run brings the picker back once the cube closes.
    QCOMPARE(f.cube->unloads, 1);
    QVERIFY(picker.isVisible());
    QVERIFY(!cubeClosed);
    QCOMPARE(fileBytes(f.sideFile(2)).size(), 196662);
}

void tst_App::closingThePickerWhileTheCubeRuns()
{
    apptest::Fixture f;
    Form1 picker;
    picker.Show();
    QPointer<QWidget> window = picker.widget();
    int endsInLoop = -1;
    bool loadedInLoop = true;
    f.cubeRun = [&] {
        // Brought back through the tray, then closed, all inside the "Show Cube" click
        // whose render loop goes on pumping events.
        picker.trayIcon_Activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(window && window->isVisible());
        window->close();
        host::DoEvents();
        host::DoEvents();
        endsInLoop = f.ends;
        loadedInLoop = picker.isLoaded();
    };
    QTest::mouseClick(picker.showCube, Qt::LeftButton);
    QCOMPARE(endsInLoop, 1); // leaves as "Exit" does
    QVERIFY(!loadedInLoop);
    QCOMPARE(f.cube->unloads, 1); // the loop still ended the way it does
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull());
    QVERIFY(f.messages.isEmpty());
}

void tst_App::unwritableSideFileStopsWithOneMessage()
{
    apptest::Fixture f;
    // A folder where "Side 3.bmp" should go: that file cannot be written.
    QVERIFY(QDir(f.sides.path()).mkdir("Side 3.bmp"));
    Form1 picker;
    picker.Show();
    QTest::mouseClick(picker.showCube, Qt::LeftButton);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY2(f.messages.first().contains("Side 3.bmp"), qPrintable(f.messages.first()));
    QCOMPARE(QFileInfo(f.sideFile(1)).size(), qint64(196662));
    QCOMPARE(QFileInfo(f.sideFile(2)).size(), qint64(196662));
    QVERIFY(!QFileInfo::exists(f.sideFile(4)));
    QVERIFY(f.cube == nullptr);
    QVERIFY(picker.isVisible());
    QVERIFY(!storedKey("Startup/Value"));
}

void tst_App::unreadableSettingsAreSaidOnceAtStart_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("a settings file of 2 MB") << "large" << "larger than 1 MB";
    QTest::newRow("a folder in its place") << "folder" << "it is a folder, not a file";
}

void tst_App::unreadableSettingsAreSaidOnceAtStart()
{
    QFETCH(QString, kind);
    QFETCH(QString, says);
    apptest::Fixture f;
    f.store(Entry::Startup, "1"); // would run the cube at once, were it read
    const QString name = host::SettingsStore::fileName("Vexorin");
    if (kind == "large") {
        QFile file(name);
        QVERIFY(file.open(QIODevice::Append) && file.resize(2 * 1024 * 1024));
    } else {
        QVERIFY(QFile::remove(name) && QDir().mkpath(name));
    }
    host::SettingsStore::reset();
    Form1 picker;
    picker.Show();
    QCOMPARE(f.messages.size(), 1);
    QVERIFY2(f.messages.first().contains(QDir::toNativeSeparators(name)) && f.messages.first().contains(says),
             qPrintable(f.messages.first()));
    QVERIFY(!picker.Check1->isChecked());
    QVERIFY(f.cube == nullptr);
    // "Show Cube" says again what stops the settings from being saved.
    QTest::mouseClick(picker.showCube, Qt::LeftButton);
    QCOMPARE(f.messages.size(), kind == "folder" ? 2 : 1);
    if (kind == "folder")
        QVERIFY2(f.messages.last().contains(says), qPrintable(f.messages.last()));
}

void tst_App::exitWithoutShowCubeKeepsTheStore()
{
    apptest::Fixture f;
    f.store(Entry::UseFrame, "1");
    f.store(Entry::TransparentColour, "16711680");
    const QByteArray before = fileBytes(host::SettingsStore::fileName("Vexorin"));
    Form1 picker;
    picker.Show();
    picker.Check1->setChecked(true);
    picker.Check2->setChecked(false);
    picker.Picture2->setBackColor(0x00FF00);
    QTest::mouseClick(picker.cmdExit, Qt::LeftButton);
    QCOMPARE(f.ends, 1);
    QVERIFY(!picker.isLoaded());
    QCOMPARE(fileBytes(host::SettingsStore::fileName("Vexorin")), before);
    for (int side = 1; side <= 6; ++side)
        QVERIFY(!QFileInfo::exists(f.sideFile(side)));
}

void tst_App::trayMenuExitEndsTheProgram()
{
    apptest::Fixture f;
    Form1 picker;
    picker.Show();
    QTRY_VERIFY(picker.mnuFile());
    QVERIFY(picker.mnuFile()->actions().contains(picker.mnuSysTrayExit));
    picker.mnuSysTrayExit->trigger();
    QCOMPARE(f.ends, 1);
    QVERIFY(!storedKey("Startup/Value"));
}

void tst_App::trayComesAlsoForAPickerNeverPainted()
{
    apptest::Fixture f;
    Form1 picker;
    picker.Load(); // loaded, never shown
    QTRY_VERIFY_WITH_TIMEOUT(picker.trayIcon(), 5000);
}

void tst_App::closingThePickerEndsTheProgram()
{
    apptest::Fixture f;
    Form1 picker;
    picker.Show();
    picker.Check1->setChecked(true);
    picker.widget()->close(); // the window manager's close button
    QTRY_COMPARE(f.ends, 1);
    QVERIFY(!picker.isLoaded());
    QVERIFY(!storedKey("Startup/Value"));
}

void tst_App::dropFillsTheSlotItLandsOn_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    for (int i = 0; i < app::kSlotCount; ++i)
        QTest::addRow("slot %d", i) << i << QStringLiteral("drop%1.%2").arg(i).arg(i % 2 ? "PNG" : "jpeg");
}

void tst_App::dropFillsTheSlotItLandsOn()
{
    QFETCH(int, slot);
    QFETCH(QString, name);
    apptest::Fixture f;
    const QString path = f.picture(name, QSize(120, 90), Qt::darkCyan, slot % 2 ? "PNG" : "JPEG");
    Form1 picker;
    picker.Show();
    QVERIFY(dropFile(picker.Image1[size_t(slot)], path));
    for (int i = 0; i < app::kSlotCount; ++i) {
        QCOMPARE(picker.Image1[size_t(i)]->picture().isNull(), i != slot);
        QCOMPARE(picker.sidePaths[size_t(i)], i == slot ? path : QString());
        QCOMPARE(picker.Label1[size_t(i)]->isEnabled(), i == slot);
    }
    QCOMPARE(picker.currentSlot, qint16(slot));
    // Only the frame slot fills the frame holder the colour is sampled from.
    QCOMPARE(picker.Moldura->Point(100, 100) != 255, slot == app::kFrameSlot);
}

void tst_App::dropOfWhatIsNoPictureIsIgnored_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text file") << "notes.txt" << QByteArray("hello");
    QTest::newRow("picture under a name the list hides") << "photo.tiff" << QByteArray();
    QTest::newRow("broken picture") << "broken.jpg" << QByteArray("not a picture");
    QTest::newRow("folder") << "album.png" << QByteArray("dir");
}

void tst_App::dropOfWhatIsNoPictureIsIgnored()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    apptest::Fixture f;
    const QString kept = f.picture("kept.gif.bmp", QSize(50, 50), Qt::yellow, "BMP");
    QString path = f.pictures.filePath(name);
    if (bytes == "dir")
        QVERIFY(QDir().mkpath(path));
    else if (bytes.isEmpty())
        path = f.picture(name, QSize(50, 50), Qt::red, "BMP");
    else
        QVERIFY(apptest::writeBytes(path, bytes));
    Form1 picker;
    picker.Show();
    QVERIFY(dropFile(picker.Image1[2], kept));
    dropFile(picker.Image1[4], path);
    dropFile(picker.Image1[2], path);
    QCOMPARE(picker.sidePaths[2], kept);
    QVERIFY(!picker.Image1[2]->picture().isNull());
    QVERIFY(picker.Image1[4]->picture().isNull());
    QCOMPARE(picker.currentSlot, qint16(2));
    QVERIFY(f.messages.isEmpty());
}

void tst_App::tabAndSpaceWalkTheSlotsAndSwatch_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("slot"); // -1: the swatch
    QTest::newRow("first slot, Space") << 0 << int(Qt::Key_Space) << 0;
    QTest::newRow("side 4, Return") << 3 << int(Qt::Key_Return) << 3;
    QTest::newRow("side 6, Space") << 5 << int(Qt::Key_Space) << 5;
    QTest::newRow("frame, keypad Enter") << 6 << int(Qt::Key_Enter) << 6;
    QTest::newRow("swatch after the Use Frame box") << 8 << int(Qt::Key_Space) << -1;
}

void tst_App::tabAndSpaceWalkTheSlotsAndSwatch()
{
    QFETCH(int, tabs);
    QFETCH(int, key);
    QFETCH(int, slot);
    apptest::Fixture f;
    Form1 picker;
    picker.Show();
    // Made active inside the program only: focus from the X server would depend on what
    // other tests do on the same display at the same time.
    QApplication::setActiveWindow(picker.widget());
    picker.Image1[0]->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < tabs; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget *expected = slot < 0 ? static_cast<QWidget *>(picker.Picture2) : picker.Image1[size_t(slot)];
    QCOMPARE(QApplication::focusWidget(), expected);
    // The focus is seen: the control looks different without it.
    const QImage focused = expected->grab().toImage();
    expected->clearFocus();
    QVERIFY(expected->grab().toImage() != focused);
    expected->setFocus(Qt::TabFocusReason);
    QTest::keyClick(expected, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    if (slot < 0) {
        QVERIFY(picker.isPicking());
        QCOMPARE(picker.currentSlot, qint16(0));
    } else {
        QCOMPARE(picker.currentSlot, qint16(slot));
        for (int i = 0; i < app::kSlotCount; ++i)
            QCOMPARE(picker.Label1[size_t(i)]->isEnabled(), i == slot);
        QVERIFY(!picker.isPicking());
    }
}

void tst_App::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    using C = app::CommandLine;
    QTest::newRow("none") << QStringList() << int(C::Run) << 0 << "";
    QTest::newRow("Qt's own options pass") << QStringList{"-platform", "xcb", "-reverse"} << int(C::Run) << 0 << "";
    QTest::newRow("--version") << QStringList{"--version"} << int(C::ShowText) << 0 << "Vexorin 1.";
    QTest::newRow("-h") << QStringList{"-h"} << int(C::ShowText) << 0 << "Usage: vexorin";
    QTest::newRow("unknown option") << QStringList{"--spin"} << int(C::Refuse) << 2 << "vexorin: Unknown option 'spin'";
    QTest::newRow("stray argument") << QStringList{"photo.jpg"} << int(C::Refuse) << 2 << "vexorin: unexpected argument";
    QTest::newRow("option missing its value") << QStringList{"-display"} << int(C::Refuse) << 2 << "vexorin: Missing value";
}

void tst_App::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    const app::CommandLine parsed = app::parseCommandLine(QStringList{"/usr/bin/vexorin"} + arguments);
    QCOMPARE(int(parsed.action), action);
    QCOMPARE(parsed.exitCode, exitCode);
    QVERIFY2(says.isEmpty() ? parsed.text.isEmpty() : parsed.text.startsWith(says), qPrintable(parsed.text));
    if (action == app::CommandLine::Refuse)
        QVERIFY(!parsed.text.contains(QLatin1Char('\n')));
}

void tst_App::secondStartReachesTheFirst_data()
{
    QTest::addColumn<QString>("left"); // what an earlier run left at the socket's place
    QTest::newRow("nothing") << "";
    QTest::newRow("socket of a killed copy") << "dead socket";
    QTest::newRow("stray file") << "file";
}

void tst_App::secondStartReachesTheFirst()
{
    QFETCH(QString, left);
    QTemporaryDir runtime;
    const QString path = runtime.filePath("vexorin.socket");
    if (left == "dead socket")
        QVERIFY(leaveDeadSocket(path));
    else if (left == "file")
        QVERIFY(apptest::writeBytes(path, "x"));

    app::SingleInstance first(path);
    int activations = 0;
    first.setActivationHandler([&] { ++activations; });
    QCOMPARE(first.start(), app::SingleInstance::First);

    // The second copy talks to the first from another thread, as another process would:
    // the first answers from its own event loop.
    app::SingleInstance::Outcome second = app::SingleInstance::Alone;
    std::unique_ptr<QThread> other(QThread::create([&] { second = app::SingleInstance(path).start(); }));
    other->start();
    QTRY_COMPARE(activations, 1);
    QVERIFY(other->wait(5000));
    QCOMPARE(second, app::SingleInstance::Forwarded);
}

void tst_App::onlyTheWordActivateBringsThePickerBack_data()
{
    QTest::addColumn<QByteArray>("said");
    QTest::addColumn<int>("activations");
    QTest::newRow("the word") << QByteArray("activate\n") << 1;
    QTest::newRow("the word, then hanging up") << QByteArray("activate") << 1;
    QTest::newRow("another word") << QByteArray("quit\n") << 0;
    QTest::newRow("nothing, then hanging up") << QByteArray() << 0;
    QTest::newRow("a flood without a line end") << QByteArray(4096, 'a') << 0;
    QTest::newRow("the word with more after it") << QByteArray("activateXYZ\n") << 0;
    QTest::newRow("the word with more, then hanging up") << QByteArray("activateXYZ") << 0;
    QTest::newRow("part of the word, then hanging up") << QByteArray("activat") << 0;
    QTest::newRow("the word after a blank") << QByteArray(" activate\n") << 0;
    QTest::newRow("the word, then a second line") << QByteArray("activate\nquit\n") << 1;
}

void tst_App::onlyTheWordActivateBringsThePickerBack()
{
    QFETCH(QByteArray, said);
    QFETCH(int, activations);
    QTemporaryDir runtime;
    app::SingleInstance first(runtime.filePath("vexorin.socket"));
    int seen = 0;
    first.setActivationHandler([&] { ++seen; });
    QCOMPARE(first.start(), app::SingleInstance::First);

    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(first.socketPath());
    std::copy(name.begin(), name.end(), address.sun_path);
    QVERIFY(::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0);
    QCOMPARE(::send(fd, said.constData(), size_t(said.size()), MSG_NOSIGNAL), ssize_t(said.size()));
    ::shutdown(fd, SHUT_WR);
    // The copy hangs up once it has its answer, whatever was said.
    char rest;
    QTRY_COMPARE(::recv(fd, &rest, 1, MSG_DONTWAIT), ssize_t(0));
    ::close(fd);
    QCOMPARE(seen, activations);
}

void tst_App::trayReportsActAsTheAreaDeliversThem_data()
{
    using R = QSystemTrayIcon;
    using app::TrayHost;
    QTest::addColumn<int>("reason");
    QTest::addColumn<TrayHost>("host");
    QTest::addColumn<bool>("restores");
    // An embedding area reports a double click as a click followed by a double click: the
    // click alone must do nothing there, or one double click would act twice.
    QTest::newRow("embedded: click") << int(R::Trigger) << TrayHost::Embedding << false;
    QTest::newRow("embedded: double click") << int(R::DoubleClick) << TrayHost::Embedding << true;
    QTest::newRow("embedded: right button") << int(R::Context) << TrayHost::Embedding << false;
    QTest::newRow("embedded: middle button") << int(R::MiddleClick) << TrayHost::Embedding << false;
    // A bus-hosted area never reports a double click: its click is the way back.
    QTest::newRow("status notifier: click") << int(R::Trigger) << TrayHost::StatusNotifier << true;
    QTest::newRow("status notifier: double click") << int(R::DoubleClick) << TrayHost::StatusNotifier << true;
    QTest::newRow("status notifier: right button") << int(R::Context) << TrayHost::StatusNotifier << false;
    QTest::newRow("status notifier: middle button") << int(R::MiddleClick) << TrayHost::StatusNotifier << false;
    QTest::newRow("status notifier: unknown") << int(R::Unknown) << TrayHost::StatusNotifier << false;
}

void tst_App::trayReportsActAsTheAreaDeliversThem()
{
    QFETCH(int, reason);
    QFETCH(app::TrayHost, host);
    QFETCH(bool, restores);
    const auto action = app::trayAction(static_cast<QSystemTrayIcon::ActivationReason>(reason), host);
    QCOMPARE(action == app::TrayAction::RestorePicker, restores);
}

void tst_App::noDisplayEndsWithOneLineAndStatusOne_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::newRow("neither display") << QStringList{"DISPLAY=", "WAYLAND_DISPLAY="};
    QTest::newRow("X display not there") << QStringList{"DISPLAY=:9971", "WAYLAND_DISPLAY="};
    QTest::newRow("Wayland socket not there") << QStringList{"DISPLAY=", "WAYLAND_DISPLAY=vexorin-test-none"};
    QTest::newRow("chosen platform cannot start") << QStringList{"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=xcb"};
}

void tst_App::noDisplayEndsWithOneLineAndStatusOne()
{
    QFETCH(QStringList, environment);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("XDG_SESSION_TYPE"));
    // As in a login session: without a runtime folder the Wayland library Qt falls back
    // to adds a line of its own.
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (const QString &entry : environment)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VEXORIN_EXE), {});
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit); // no abort
    QCOMPARE(program.exitCode(), 1);
    const QStringList lines = QString::fromLocal8Bit(program.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].startsWith(QLatin1String("vexorin: ")), qPrintable(lines[0]));
    QVERIFY(program.readAllStandardOutput().isEmpty());
}

void tst_App::oneCopyPerDisplay_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QString>("key");
    QTest::newRow("the same X display") << "xcb" << QByteArray(":11") << QByteArray() << "x11";
    QTest::newRow("its first screen") << "xcb" << QByteArray(":11.0") << QByteArray() << "x11";
    QTest::newRow("through the unix host") << "xcb" << QByteArray("unix:11.1") << QByteArray() << "x11";
    QTest::newRow("another X display") << "xcb" << QByteArray(":12") << QByteArray() << "x12";
    QTest::newRow("a remote X display") << "xcb" << QByteArray("pc2:11.0") << QByteArray() << "x-pc2-11";
    QTest::newRow("a Wayland socket") << "wayland" << QByteArray(":11") << QByteArray("wayland-1") << "wayland-wayland-1";
    QTest::newRow("the default Wayland socket") << "wayland-egl" << QByteArray() << QByteArray() << "wayland-wayland-0";
    QTest::newRow("a Wayland socket by path") << "wayland" << QByteArray() << QByteArray("/run/user/7/wayland-1")
                                              << "wayland-_run_user_7_wayland-1";
    QTest::newRow("a host name that is a path") << "xcb" << QByteArray("../../etc:11") << QByteArray()
                                                << "x-_._.._etc-11";
    QTest::newRow("no display") << "offscreen" << QByteArray() << QByteArray() << "offscreen";
}

void tst_App::oneCopyPerDisplay()
{
    QFETCH(QString, platform);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, wayland);
    QFETCH(QString, key);
    QCOMPARE(app::SingleInstance::displayKey(platform, display, wayland), key);

    // A copy runs on :11; this start is swallowed by it only when it is on :11 too.
    QTemporaryDir runtime;
    const auto socketFor = [&](const QString &k) { return runtime.filePath(QStringLiteral("vexorin-%1.socket").arg(k)); };
    app::SingleInstance running(socketFor(app::SingleInstance::displayKey("xcb", ":11", "")));
    QCOMPARE(running.start(), app::SingleInstance::First);
    app::SingleInstance::Outcome outcome = app::SingleInstance::Alone;
    std::unique_ptr<QThread> other(QThread::create([&] { outcome = app::SingleInstance(socketFor(key)).start(); }));
    other->start();
    QTRY_VERIFY(other->isFinished());
    QCOMPARE(outcome, key == "x11" ? app::SingleInstance::Forwarded : app::SingleInstance::First);
}

void tst_App::onlyAPrivateFolderHoldsTheSocket_data()
{
    QTest::addColumn<QString>("runtime"); // how $XDG_RUNTIME_DIR is
    QTest::addColumn<QString>("own");     // how "vexorin-<uid>" in the temporary folder is
    QTest::addColumn<QString>("chosen");  // "runtime", "own" or "" (none: run unguarded)
    QTest::newRow("a private runtime folder") << "private" << "missing" << "runtime";
    QTest::newRow("no runtime folder") << "unset" << "missing" << "own";
    QTest::newRow("a runtime folder the group may read") << "open" << "missing" << "own";
    QTest::newRow("a runtime folder that is a link") << "link" << "missing" << "own";
    QTest::newRow("a runtime folder of another user") << "another user's" << "missing" << "own";
    QTest::newRow("our own folder made before") << "unset" << "private" << "own";
    QTest::newRow("a folder of our name open to all") << "unset" << "open" << "";
    QTest::newRow("a folder of our name that is a link") << "unset" << "link" << "";
    QTest::newRow("a folder of our name made by another user") << "unset" << "another user's" << "";
}

void tst_App::onlyAPrivateFolderHoldsTheSocket()
{
    QFETCH(QString, runtime);
    QFETCH(QString, own);
    QFETCH(QString, chosen);
    if ((runtime == "another user's" || own == "another user's") && ::geteuid() != 0)
        QSKIP("acting as another user needs root");
    QTemporaryDir temp;
    QTemporaryDir elsewhere; // a private folder of ours that links point at
    const QString runtimeFolder = temp.filePath("runtime");
    const QString ownFolder = temp.filePath(QStringLiteral("vexorin-%1").arg(::geteuid()));
    // Makes `folder` as `how` says.
    const auto make = [&](const QString &folder, const QString &how) {
        const QByteArray name = QFile::encodeName(folder);
        if (how == "link")
            return ::symlink(QFile::encodeName(elsewhere.path()).constData(), name.constData()) == 0;
        if (how == "missing" || how == "unset")
            return true;
        const mode_t mode = how == "private" ? 0700 : how == "open" ? 0777 : 0700;
        return ::mkdir(name.constData(), mode) == 0 && ::chmod(name.constData(), mode) == 0
               && (how != "another user's" || ::chown(name.constData(), kOtherUser, kOtherUser) == 0);
    };
    QVERIFY(make(runtimeFolder, runtime));
    QVERIFY(make(ownFolder, own));

    const QString folder = app::SingleInstance::privateFolder(runtime == "unset" ? QByteArray() : QFile::encodeName(runtimeFolder),
                                                              temp.path());
    QCOMPARE(folder, chosen == "runtime" ? runtimeFolder : chosen == "own" ? ownFolder : QString());
    if (!folder.isEmpty()) {
        struct stat st{};
        QVERIFY(::lstat(QFile::encodeName(folder).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0700));
    }
}

void tst_App::plantedPlacesAreNotUsed_data()
{
    QTest::addColumn<QString>("plant");
    QTest::addColumn<int>("outcome");
    QTest::newRow("a socket folder all may write") << "open folder" << int(app::SingleInstance::Alone);
    QTest::newRow("a shared sticky socket folder") << "sticky folder" << int(app::SingleInstance::Alone);
    QTest::newRow("a lock that links to a missing file") << "lock to missing" << int(app::SingleInstance::Alone);
    QTest::newRow("a lock that links to a file") << "lock to file" << int(app::SingleInstance::Alone);
    // The link is replaced, not followed: whatever listens behind it is not told.
    QTest::newRow("a socket that links to a listener") << "socket to listener" << int(app::SingleInstance::First);
    // A copy that takes the request but never answers is stuck: the start runs on its own.
    QTest::newRow("a copy that does not answer") << "stuck copy" << int(app::SingleInstance::Alone);
}

void tst_App::plantedPlacesAreNotUsed()
{
    QFETCH(QString, plant);
    QFETCH(int, outcome);
    QTemporaryDir runtime;
    QTemporaryDir victim;
    const QString path = runtime.filePath("vexorin-x0.socket");
    const QString target = victim.filePath(plant == "socket to listener" ? "listener.socket" : "target");
    if (plant == "open folder" || plant == "sticky folder")
        QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), plant == "open folder" ? 0777 : 01777) == 0);
    if (plant == "lock to file")
        QVERIFY(apptest::writeBytes(target, "victim"));
    if (plant.startsWith("lock"))
        QVERIFY(QFile::link(target, path + ".lock"));
    std::unique_ptr<app::SingleInstance> listener;
    int heard = 0;
    if (plant == "socket to listener") {
        listener = std::make_unique<app::SingleInstance>(target);
        listener->setActivationHandler([&] { ++heard; });
        QCOMPARE(listener->start(), app::SingleInstance::First);
        QVERIFY(QFile::link(target, path));
    }

    const int stuck = plant == "stuck copy" ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0) : -1;
    if (stuck >= 0) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::copy(name.begin(), name.end(), address.sun_path);
        QVERIFY(::bind(stuck, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0);
        QVERIFY(::listen(stuck, 4) == 0);
    }
    app::SingleInstance::Outcome got = app::SingleInstance::First;
    std::unique_ptr<QThread> other(QThread::create([&] { got = app::SingleInstance(path).start(); }));
    other->start();
    QTRY_VERIFY(other->isFinished());
    QCOMPARE(int(got), outcome);
    if (stuck >= 0)
        ::close(stuck);
    QTest::qWait(50);
    QCOMPARE(heard, 0);
    // Nothing was made or changed behind a link, nor in a folder others may write.
    QCOMPARE(fileBytes(target), plant == "lock to file" ? QByteArray("victim") : QByteArray());
    if (plant == "lock to missing")
        QVERIFY(!QFileInfo::exists(target));
    if (plant.endsWith("folder"))
        QCOMPARE(QDir(runtime.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System), QStringList());
}

void tst_App::anotherUsersListenerIsNotTold_data()
{
    QTest::addColumn<bool>("otherUser");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("heard"); // bytes the listener received
    QTest::newRow("a listener of this user") << false << int(app::SingleInstance::Forwarded) << 9;
    QTest::newRow("a listener of another user") << true << int(app::SingleInstance::Alone) << 0;
}

void tst_App::anotherUsersListenerIsNotTold()
{
    QFETCH(bool, otherUser);
    QFETCH(int, outcome);
    QFETCH(int, heard);
    if (otherUser && ::geteuid() != 0)
        QSKIP("acting as another user needs root");
    QTemporaryDir runtime;
    const QString path = runtime.filePath("vexorin-x0.socket");
    const QByteArray name = QFile::encodeName(path);
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    // The socket file is made as this user; only the listening process is someone else's.
    const pid_t child = inChild([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::copy(name.begin(), name.end(), address.sun_path);
        if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0)
            return 100;
        if (otherUser && ::seteuid(kOtherUser) != 0)
            return 101;
        if (::listen(fd, 4) != 0 || ::write(ready[1], "r", 1) != 1)
            return 102;
        pollfd watched{fd, POLLIN, 0};
        if (::poll(&watched, 1, 5000) != 1)
            return 103;
        const int client = ::accept(fd, nullptr, nullptr);
        // Read up to the line end or the hang-up, then hang up, as a copy does.
        char said[64];
        ssize_t total = 0, n = 0;
        while ((n = ::recv(client, said + total, sizeof(said) - size_t(total), 0)) > 0) {
            total += n;
            if (said[total - 1] == '\n' || total == sizeof(said))
                break;
        }
        return int(total);
    });
    char r = 0;
    QCOMPARE(::read(ready[0], &r, 1), ssize_t(1));
    ::close(ready[0]);
    ::close(ready[1]);
    QCOMPARE(int(app::SingleInstance(path).start()), outcome);
    QCOMPARE(childStatus(child), heard);
}

void tst_App::anotherUsersRequestIsRefused_data()
{
    QTest::addColumn<bool>("otherUser");
    QTest::addColumn<int>("activations");
    QTest::newRow("a start of this user") << false << 1;
    QTest::newRow("a start of another user") << true << 0;
}

void tst_App::anotherUsersRequestIsRefused()
{
    QFETCH(bool, otherUser);
    QFETCH(int, activations);
    if (otherUser && ::geteuid() != 0)
        QSKIP("acting as another user needs root");
    QTemporaryDir runtime;
    app::SingleInstance first(runtime.filePath("vexorin-x0.socket"));
    int seen = 0;
    first.setActivationHandler([&] { ++seen; });
    QCOMPARE(first.start(), app::SingleInstance::First);
    const QString path = first.socketPath();
    // Another user as the copy sees it: the file checks are still made as this user, so the
    // request gets through the folder; only the peer's credentials tell who it is.
    const pid_t child = inChild([&] {
        if (otherUser && (::seteuid(kOtherUser) != 0 || (::setfsuid(0), ::setfsuid(0)) != 0))
            return 100;
        const int fd = connectTo(path);
        if (fd < 0)
            return 101;
        if (::send(fd, "activate\n", 9, MSG_NOSIGNAL) != 9)
            return 102;
        char rest;
        pollfd watched{fd, POLLIN, 0};
        // Hung up on, read or not.
        return ::poll(&watched, 1, 3000) == 1 && ::recv(fd, &rest, 1, 0) <= 0 ? 0 : 103;
    });
    QCOMPARE(childStatus(child), 0);
    QTest::qWait(50);
    QCOMPARE(seen, activations);
}

void tst_App::idleConnectionsAreBoundedAndDropped_data()
{
    QTest::addColumn<bool>("outOfDescriptors");
    QTest::newRow("descriptors to spare") << false;
    QTest::newRow("no descriptor left") << true;
}

void tst_App::idleConnectionsAreBoundedAndDropped()
{
    QFETCH(bool, outOfDescriptors);
    QTemporaryDir runtime;
    app::SingleInstance first(runtime.filePath("vexorin-x0.socket"));
    int seen = 0;
    first.setActivationHandler([&] { ++seen; });
    QCOMPARE(first.start(), app::SingleInstance::First);
    const QByteArray name = QFile::encodeName(first.socketPath());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::copy(name.begin(), name.end(), address.sun_path);

    // Forty would-be clients that connect and say nothing; those beyond the queue are
    // turned away by the system.
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i)
        idle.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int before = openDescriptors();
    rlimit limit{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &limit) == 0);
    if (outOfDescriptors) {
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        const rlimit none{rlim_t(lowestFree), limit.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &none) == 0);
    }
    std::vector<int> connected;
    for (const int fd : idle) {
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0)
            connected.push_back(fd);
    }
    QVERIFY(connected.size() >= 2);

    // The copy takes in a few at most, and waits without spinning.
    rusage start{}, end{};
    ::getrusage(RUSAGE_SELF, &start);
    QTest::qWait(500);
    ::getrusage(RUSAGE_SELF, &end);
    const auto ms = [](const rusage &u) {
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
    };
    QVERIFY2(ms(end) - ms(start) < 200, qPrintable(QString::number(ms(end) - ms(start))));
    QVERIFY(openDescriptors() <= before + (outOfDescriptors ? 0 : app::SingleInstance::kMaxClients));
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &limit) == 0);

    // Each is dropped once idle, and a real start is heard after them.
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(connected.begin(), connected.end(),
                                         [](int fd) {
                                             char c;
                                             return ::recv(fd, &c, 1, MSG_DONTWAIT) == 0;
                                         }),
                             15000);
    for (const int fd : idle)
        ::close(fd);
    QCOMPARE(seen, 0);
    app::SingleInstance::Outcome second = app::SingleInstance::Alone;
    std::unique_ptr<QThread> other(QThread::create([&] { second = app::SingleInstance(first.socketPath()).start(); }));
    other->start();
    QTRY_COMPARE(seen, 1);
    QVERIFY(other->wait(5000));
    QCOMPARE(second, app::SingleInstance::Forwarded);
}

void tst_App::socketIsRemovedWhenTheCopyEnds()
{
    QTemporaryDir runtime;
    const QString path = runtime.filePath("vexorin-x0.socket");
    auto first = std::make_unique<app::SingleInstance>(path);
    QCOMPARE(first->start(), app::SingleInstance::First);
    QVERIFY(QFileInfo::exists(path));
    first->removeSocket();
    QVERIFY(!QFileInfo::exists(path));
    // A copy whose socket another copy has since replaced leaves the new one in place.
    auto second = std::make_unique<app::SingleInstance>(path);
    QCOMPARE(second->start(), app::SingleInstance::First);
    QVERIFY(QFile::remove(path));
    auto third = std::make_unique<app::SingleInstance>(path);
    QCOMPARE(third->start(), app::SingleInstance::First);
    second.reset();
    QVERIFY(QFileInfo::exists(path));
    third.reset();
    QVERIFY(!QFileInfo::exists(path));
}

void tst_App::endRemovesTheSocketBeforeLeaving_data()
{
    QTest::addColumn<bool>("throughEnd");
    QTest::newRow("ended through End") << true;
    QTest::newRow("killed") << false; // replaced by the next start
}

void tst_App::endRemovesTheSocketBeforeLeaving()
{
    QFETCH(bool, throughEnd);
    QTemporaryDir runtime;
    const QString path = runtime.filePath("vexorin-x0.socket");
    // End leaves the process at once, so the copy runs in a child of its own.
    const pid_t child = inChild([&] {
        app::SingleInstance instance(path);
        if (instance.start() != app::SingleInstance::First)
            return 100;
        host::atEnd([&instance] { instance.removeSocket(); });
        if (throughEnd)
            host::End();
        ::_exit(0);
        return 0;
    });
    QCOMPARE(childStatus(child), 0);
    QCOMPARE(QFileInfo::exists(path), !throughEnd);
}

QTEST_MAIN(tst_App)
#include "tst_app.moc"
