#include "form1.h"

#include "artwork.h"
#include "composition.h"
#include "drawing.h"
#include "filelists.h"
#include "form1_design.h"
#include "frmmain.h"
#include "hostapp.h"
#include "imagecontrol.h"
#include "keycodes.h"
#include "msgbox.h"
#include "picture.h"
#include "settingsstore.h"
#include "startup.h"
#include "stylebutton.h"
#include "syscolours.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <future>
#include <new>

namespace {

// Positions and sizes in pixels (left, top, width, height), as the window was laid out.
struct Place
{
    int x, y, w, h;
    QRect rect() const { return QRect(x, y, w, h); }
};

constexpr int kClientWidth = 428;
constexpr int kClientHeight = 529;

// The six sides as the unfolded cube (1 on top, 2 3 4 5 across, 6 below), then the frame.
constexpr std::array<Place, app::kSlotCount> kSlots{{
    {111, 7, 105, 112},
    {7, 118, 105, 112},
    {111, 118, 105, 112},
    {215, 118, 105, 112},
    {319, 118, 105, 112},
    {111, 229, 105, 112},
    {272, 344, 105, 112},
}};
// Each digit sits over the middle of its slot; the frame's caption above the frame slot.
constexpr Place kDigitOffset{41, 36, 22, 42};
constexpr Place kFrameLabel{273, 314, 100, 37};

constexpr Place kCheck2{257, 268, 142, 20};
constexpr Place kLabel2{257, 291, 83, 13};
constexpr Place kPicture2{358, 291, 29, 19};
constexpr Place kDrive1{2, 347, 113, 21};
constexpr Place kDir1{2, 372, 215, 66};
constexpr Place kFile1{2, 440, 214, 84};
constexpr Place kShowCube{256, 32, 137, 57};
constexpr Place kCheck1{272, 456, 142, 20};
constexpr Place kCmdExit{272, 480, 105, 41};
// Working surface, right of the client area and never seen.
constexpr Place kMoldura{437, 317, 256, 256};

constexpr host::OleColor kPureRed = 255;
// The three classic kinds, and the other names JPEG files go by and PNG, which desktops and
// cameras write today.
const QString kPattern = QStringLiteral("*.gif;*.bmp;*.jpg;*.jpeg;*.jpe;*.png");

// How long the start waits for the stored pictures before the window is shown without the
// ones still loading.
constexpr std::chrono::milliseconds kStoredSlotWait{2000};

// A slot keeps its picture at least this large: the side it is composed into, and the slot.
QSize slotNeed(const Place &slot)
{
    return QSize(std::max(app::kSideSize, slot.w), std::max(app::kSideSize, slot.h));
}

// The picture of `path` as slot `index` keeps it. Touches no window: runs on any thread.
host::LoadedPicture loadFor(int index, const QString &path)
{
    return host::loadPicture(path, slotNeed(kSlots[size_t(index)]),
                             index == app::kFrameSlot ? host::Reduction::Nearest : host::Reduction::Average);
}

Form1::CubeFactory &cubeFactory()
{
    static Form1::CubeFactory factory; // empty: the real cube window
    return factory;
}

// The arrow keys move the sampling point by a pixel, by this many with Shift.
constexpr int kLongStep = 10;
// Key codes as the KeyDown handlers see them (keycodes.h).
constexpr int vbKeyEscape = 27, vbKeyLeft = 37, vbKeyUp = 38, vbKeyRight = 39, vbKeyDown = 40;

// Hands a key to a KeyDown handler as the program's handlers take keys: its virtual-key
// code and the Shift (1), Ctrl (2) and Alt (4) flags. A handler that used the key has set
// the code to 0: the key is taken.
template <typename Handler>
void keyDown(QKeyEvent *event, Handler handler)
{
    int code = host::virtualKeyCode(event->key());
    if (code == host::NoKeyCode)
        return;
    const Qt::KeyboardModifiers held = event->modifiers();
    const int shift = (held & Qt::ShiftModifier ? 1 : 0) | (held & Qt::ControlModifier ? 2 : 0) |
                      (held & Qt::AltModifier ? 4 : 0);
    handler(code, shift);
    if (code == 0)
        event->accept();
}

// A colour as a screen reader reads it.
QString colourWords(host::OleColor colour)
{
    return QStringLiteral("red %1, green %2, blue %3")
        .arg(host::redOf(colour))
        .arg(host::greenOf(colour))
        .arg(host::blueOf(colour));
}

// A check box takes 0 or 1; any other stored number leaves it as it is.
void setCheckValue(QCheckBox *box, std::optional<qint16> value)
{
    if (value && (*value == 0 || *value == 1))
        box->setChecked(*value == 1);
}

} // namespace

QFont Form1::windowFont()
{
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

QFont Form1::digitFont()
{
    return QFont(QStringLiteral("MS Sans Serif"), 24, QFont::Bold);
}

Form1::CubeFactory Form1::setCubeFactory(CubeFactory factory)
{
    CubeFactory previous = std::move(cubeFactory());
    cubeFactory() = std::move(factory);
    return previous;
}

Form1::Form1() = default;

Form1::~Form1() = default;

void Form1::createControls(QWidget *window)
{
    startLoadingSlots();
    window->setWindowTitle(QStringLiteral("Vexorin"));
    window->setWindowIcon(app::windowIcon());
    window->setFixedSize(kClientWidth, kClientHeight);
    window->setFont(windowFont());

    const QCursor dropper = app::eyedropperPointer();
    for (int i = 0; i < app::kSlotCount; ++i) {
        auto *slot = new host::ImageControl(window);
        slot->setGeometry(kSlots[size_t(i)].rect());
        slot->setMouseIcon(dropper);
        QObject::connect(slot, &host::ImageControl::clicked, window, [this, i] { Image1_Click(i); });
        QObject::connect(slot, &host::ImageControl::mouseMoved, window,
                         [this, i](int x, int y) { Image1_MouseMove(i, x, y); });
        // Reached with Tab, not by a click, so clicking a slot leaves the focus where it was.
        slot->setFocusPolicy(Qt::TabFocus);
        slot->setAcceptDrops(true);
        QObject::connect(slot, &host::ImageControl::fileDropped, window,
                         [this, i](const QString &path) { Image1_DragDrop(i, path); });
        QObject::connect(slot, &host::ImageControl::keyPressed, window, [this, i](QKeyEvent *event) {
            keyDown(event, [this, i](int &code, int shift) { Image1_KeyDown(i, code, shift); });
        });
        // Screen readers read the slots by their digits' words; the current one is checked.
        slot->setAccessibleName(i == app::kFrameSlot ? QStringLiteral("Frame") : QStringLiteral("Side %1").arg(i + 1));
        slot->setCheckable(true);
        slot->setChecked(i == currentSlot);
        Image1[size_t(i)] = slot;
    }

    // Red digits over the slots; only the current slot's digit is lit, the rest are greyed.
    const QFont digits = digitFont();
    QPalette digitPalette = window->palette();
    digitPalette.setColor(QPalette::Active, QPalette::WindowText, Qt::red);
    digitPalette.setColor(QPalette::Inactive, QPalette::WindowText, Qt::red);
    for (int i = 0; i < app::kSlotCount; ++i) {
        const bool frame = i == app::kFrameSlot;
        auto *label = new QLabel(frame ? QStringLiteral("Frame") : QString::number(i + 1), window);
        const Place &s = kSlots[size_t(i)];
        label->setGeometry(frame ? kFrameLabel.rect()
                                 : QRect(s.x + kDigitOffset.x, s.y + kDigitOffset.y, kDigitOffset.w, kDigitOffset.h));
        label->setFont(digits);
        label->setPalette(digitPalette);
        // The caption's line is taller than its label; kept whole at the top (no descenders).
        label->setAlignment(frame ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignCenter);
        // Clicks on a digit reach the slot beneath it.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setEnabled(i == 0);
        Label1[size_t(i)] = label;
    }

    Check2 = new QCheckBox(QStringLiteral("Use Frame"), window);
    Check2->setGeometry(kCheck2.rect());
    Label2 = new QLabel(QStringLiteral("Transparent color"), window);
    Label2->setGeometry(kLabel2.rect());
    Picture2 = new host::PictureBox(window);
    Picture2->setGeometry(kPicture2.rect());
    Picture2->setBackColor(kPureRed);
    Picture2->setMouseIcon(dropper);
    Picture2->setFocusPolicy(Qt::TabFocus);
    QObject::connect(Picture2, &host::PictureBox::clicked, window, [this] { Picture2_Click(); });
    QObject::connect(Picture2, &host::PictureBox::keyPressed, window, [this](QKeyEvent *event) {
        keyDown(event, [this](int &code, int shift) { Picture2_KeyDown(code, shift); });
    });
    Picture2->setAccessibleName(Label2->text());
    Label2->setBuddy(Picture2);
    QObject::connect(Picture2, &host::PictureBox::backColorChanged, window, [this] { describeSwatch(); });
    describeSwatch();

    Drive1 = new host::DriveList(window);
    Drive1->setGeometry(kDrive1.rect());
    Dir1 = new host::FolderList(window);
    Dir1->setGeometry(kDir1.rect());
    File1 = new host::FileList(window);
    File1->setGeometry(kFile1.rect());
    File1->setPattern(kPattern);
    QObject::connect(Drive1, &host::DriveList::driveChanged, window, [this] { Drive1_Change(); });
    QObject::connect(Dir1, &host::FolderList::pathChanged, window, [this] { Dir1_Change(); });
    QObject::connect(File1, &host::FileList::fileClicked, window, [this] { File1_Click(); });
    Drive1->setAccessibleName(QStringLiteral("Drives"));
    Dir1->setAccessibleName(QStringLiteral("Folders"));
    File1->setAccessibleName(QStringLiteral("Files"));

    Check1 = new QCheckBox(QStringLiteral("Show Cube at Start up"), window);
    Check1->setGeometry(kCheck1.rect());

    Moldura = new host::PictureBox(window);
    Moldura->setGeometry(kMoldura.rect());
    Moldura->setBackColor(kPureRed);

    createButtons(window);

    // Substituted fonts run wider than the original one; a caption may take the room up to
    // the next control (the swatch, the window's edge) rather than be cut off. Measured
    // last, so the fonts have been loading meanwhile.
    Label2->resize(std::clamp(Label2->sizeHint().width(), kLabel2.w, kPicture2.x - kLabel2.x - 1), kLabel2.h);
    Check1->resize(std::clamp(Check1->sizeHint().width(), kCheck1.w, kClientWidth - kCheck1.x), kCheck1.h);
}

// The two push-buttons: StyleButtons that load their property sets from the form's design,
// as the host does when it puts a control on the form. Only their Click event is used.
void Form1::createButtons(QWidget *window)
{
    showCube = new StyleButton(window);
    loadDesignProperties(*showCube, QStringLiteral("showCube"));
    showCube->setGeometry(kShowCube.rect());
    QObject::connect(showCube, &StyleButton::Click, window, [this] { showCube_Click(); });

    cmdExit = new StyleButton(window);
    loadDesignProperties(*cmdExit, QStringLiteral("cmdExit"));
    cmdExit->setGeometry(kCmdExit.rect());
    QObject::connect(cmdExit, &StyleButton::Click, window, [this] { cmdExit_Click(); });
}

void Form1::Form_Load()
{
    // 1. The browser opens on the program folder (on the user's pictures when installed);
    // the file list follows the folder list.
    const QString home = host::browserStartFolder();
    Drive1->setDrive(home);
    Dir1->setPath(home);

    // 2. The seven slots; a picture that no longer loads empties its slot and its path.
    // Their pictures have been loading since the window was made (see createControls).
    // One still loading after kStoredSlotWait (a file on a mount that does not answer)
    // comes into its slot when it arrives: the window does not wait for it.
    const auto deadline = std::chrono::steady_clock::now() + kStoredSlotWait;
    bool late = false;
    for (int i = 0; i < app::kSlotCount; ++i) {
        sidePaths[size_t(i)] = m_loadingPaths[size_t(i)];
        auto &loading = m_loading[size_t(i)];
        if (loading.valid() && loading.wait_until(deadline) == std::future_status::timeout)
            late = true;
        else
            showStored(i, loading.valid() ? loading.get() : SlotLoad());
        describeSlot(i);
    }
    if (late)
        showLateSlots();

    // 3. The frame holder was filled with the frame slot above.

    // 4. Options and colour; a value that is not a number leaves its control as it is.
    setCheckValue(Check1, app::readStartup());
    setCheckValue(Check2, app::readUseFrame());
    if (const auto colour = app::readTransparentColour()) {
        const host::OleColor value = static_cast<host::OleColor>(*colour);
        if (host::TranslateColor(value) != host::kTranslateFailed)
            Picture2->setBackColor(value);
    }

    // A settings file that could not be read is said once; the choices start from their
    // defaults, and the next "Show Cube" writes a new file.
    const QString appName = QLatin1String(app::kAppName);
    if (const QString problem = host::SettingsStore::openingProblem(appName); !problem.isEmpty())
        host::MsgBox(QStringLiteral("The settings in \"%1\" could not be read: %2. The defaults are used.")
                         .arg(QDir::toNativeSeparators(host::SettingsStore::fileName(appName)), problem));

    // 5. With "Show Cube at Start up" the cube runs before the picker is ever seen.
    if (Check1->isChecked())
        BuildAndShowCube();

    // 6. The tray icon comes last, after a start-up cube has closed; once the picker is on
    // screen, as reaching the notification area may take the session bus some time.
    app::StartUp::addTrayIconWhenPainted(widget(), [this] { addTrayIcon(); });
}

void Form1::Form_Unload(int &cancel)
{
    (void)cancel;
    // Closing the picker window leaves the program as "&Exit" does: at once, saving nothing.
    if (!m_exiting)
        host::End();
}

// The stored pictures are decoded and reduced side by side, one task per slot, while the
// window is being made; Form_Load fills the slots with them, in order, on this thread.
void Form1::startLoadingSlots()
{
    for (int i = 0; i < app::kSlotCount; ++i) {
        const QString path = app::readEntry(app::imageEntry(i));
        m_loadingPaths[size_t(i)] = path;
        m_loading[size_t(i)] = path.isEmpty() ? std::future<SlotLoad>()
                                              : std::async(std::launch::async | std::launch::deferred,
                                                           [i, path] { return loadStored(i, path); });
    }
}

void Form1::showStored(int index, SlotLoad loaded)
{
    const QImage picture = loaded.picture.image;
    if (index < app::kSideCount)
        m_stretched[size_t(index)] = {picture.cacheKey(), std::move(loaded.side)};
    showInSlot(index, picture);
    if (picture.isNull())
        sidePaths[size_t(index)].clear();
    describeSlot(index);
}

// Looks in on the slots still loading until the last has arrived. One whose path has
// changed meanwhile (a pick, a drop) keeps what it holds now.
void Form1::showLateSlots()
{
    auto *poll = new QTimer(widget()); // owned by the window
    QObject::connect(poll, &QTimer::timeout, poll, [this, poll] {
        bool waiting = false;
        for (int i = 0; i < app::kSlotCount; ++i) {
            auto &loading = m_loading[size_t(i)];
            if (!loading.valid())
                continue;
            if (loading.wait_for(std::chrono::seconds(0)) == std::future_status::timeout) {
                waiting = true;
                continue;
            }
            SlotLoad loaded = loading.get();
            if (sidePaths[size_t(i)] == m_loadingPaths[size_t(i)] && Image1[size_t(i)]->picture().isNull())
                showStored(i, std::move(loaded));
        }
        if (!waiting)
            poll->deleteLater();
    });
    poll->start(100);
}

// A stored picture and, for a side slot, its side made at once beside the decoding, so that
// a "Show Cube" (at start-up above all) only lays the frame over it.
Form1::SlotLoad Form1::loadStored(int index, const QString &path)
{
    SlotLoad out{loadFor(index, path), QImage()};
    if (index < app::kSideCount && !out.picture.image.isNull()) {
        try {
            out.side = app::stretchedSide(out.picture.image);
        } catch (const std::bad_alloc &) {
            // Left to "Show Cube", which reduces the picture itself.
        }
    }
    return out;
}

bool Form1::loadSlot(int index, const QString &path)
{
    const QImage picture = path.isEmpty() ? QImage() : loadFor(index, path).image;
    showInSlot(index, picture);
    return path.isEmpty() || !picture.isNull();
}

void Form1::showInSlot(int index, const QImage &picture)
{
    Image1[size_t(index)]->setPicture(picture);
    if (index == app::kFrameSlot)
        loadFrameHolder(picture);
}

// The frame holder shows the frame over its red background, stretched without blending to
// its 256 x 256 pixels: the pixel under the pointer in the frame slot is the one sampled,
// whatever the frame's own size, and every colour sampled is one the frame holds.
void Form1::loadFrameHolder(const QImage &frame)
{
    if (frame.isNull()) {
        Moldura->setPicture(QImage());
        return;
    }
    Moldura->setPicture(app::laidFrame(frame, Moldura->size()));
}

void Form1::Drive1_Change()
{
    Dir1->setPath(Drive1->drive());
}

void Form1::Dir1_Change()
{
    File1->setPath(Dir1->path());
}

void Form1::File1_Click()
{
    const QString name = File1->fileName();
    if (name.isEmpty())
        return;
    pickFile(currentSlot, QDir(Dir1->path()).filePath(name));
}

bool Form1::pickFile(int index, const QString &path)
{
    // A file that is not a readable picture leaves the slot as it was; browsing goes on.
    if (!loadSlot(index, path)) {
        loadSlot(index, sidePaths[size_t(index)]);
        return false;
    }
    sidePaths[size_t(index)] = path;
    describeSlot(index);
    return true;
}

void Form1::describeSlot(int index)
{
    Image1[size_t(index)]->setAccessibleDescription(QFileInfo(sidePaths[size_t(index)]).fileName());
}

void Form1::describeSwatch()
{
    const host::OleColor colour = Picture2->backColor();
    const host::OleColor shown = host::TranslateColor(colour);
    Picture2->setAccessibleDescription(colourWords(shown == host::kTranslateFailed ? colour : shown));
}

// A file dropped on a slot goes in as if the slot had been clicked and the file picked in
// the list: only a name the list would offer, and only a picture that loads; the slot it
// went into becomes the current one. Anything else is ignored.
void Form1::Image1_DragDrop(int index, const QString &path)
{
    if (index < 0 || index >= app::kSlotCount)
        return;
    const QFileInfo file(path);
    if (!file.isFile() || !File1->offers(file.fileName()))
        return;
    if (pickFile(index, file.absoluteFilePath()))
        makeCurrent(index);
}

void Form1::makeCurrent(int index)
{
    if (index == currentSlot)
        return;
    Label1[size_t(litLabel)]->setEnabled(false);
    Image1[size_t(currentSlot)]->setChecked(false);
    currentSlot = qint16(index);
    Label1[size_t(index)]->setEnabled(true);
    Image1[size_t(index)]->setChecked(true);
    litLabel = qint16(index);
}

void Form1::Image1_Click(int index)
{
    if (index < 0 || index >= app::kSlotCount)
        return;
    makeCurrent(index);
    if (index == app::kFrameSlot && isPicking()) {
        Image1[app::kFrameSlot]->setMousePointer(host::vbDefault);
        Image1[app::kFrameSlot]->setMarker(std::nullopt);
        // Nothing sampled since picking began (the slot reached without the pointer moving
        // over it): the swatch keeps its colour rather than take an older sample's.
        Picture2->setBackColor(m_sampledAt ? pickedColor : m_colourBeforePicking);
        Picture2->setMousePointer(host::vbDefault);
    }
}

bool Form1::isPicking() const
{
    return Image1[app::kFrameSlot]->mousePointer() == host::vbCustom;
}

void Form1::Image1_MouseMove(int index, int x, int y)
{
    if (index != app::kFrameSlot || !isPicking())
        return;
    // A sampling point shown from the keyboard follows the pointer: it marks what is sampled.
    if (Image1[app::kFrameSlot]->marker())
        Image1[app::kFrameSlot]->setMarker(QPoint(x, y));
    sampleFrameAt(x, y);
}

// The frame holder's pixel at the same fractions of its size as (x, y) of the frame slot's.
void Form1::sampleFrameAt(int x, int y)
{
    const host::ImageControl *slot = Image1[app::kFrameSlot];
    const int sx = host::roundEven(double(x) / slot->width() * Moldura->width());
    const int sy = host::roundEven(double(y) / slot->height() * Moldura->height());
    pickedColor = static_cast<host::OleColor>(std::llabs(Moldura->Point(sx, sy)));
    Picture2->setBackColor(pickedColor);
    m_sampledAt = QPoint(x, y);
}

void Form1::Picture2_Click()
{
    if (!isPicking()) {
        m_colourBeforePicking = Picture2->backColor();
        m_sampledAt.reset();
    }
    Picture2->setMousePointer(host::vbCustom);
    Image1[app::kFrameSlot]->setMousePointer(host::vbCustom);
    // From the keyboard picking goes on in the frame slot, where a sampling point starts in
    // the middle and samples at once: Space or Enter keeps its colour, Escape the old one.
    if (Picture2->hasFocus()) {
        host::ImageControl *frame = Image1[app::kFrameSlot];
        frame->setFocus(Qt::OtherFocusReason);
        moveSamplingPoint(m_sampledAt.value_or(frame->rect().center()));
    }
}

// While picking, the arrow keys move the sampling point over the frame slot (Shift: further),
// from where the pointer or the keys sampled last, and Escape ends picking with the colour
// the swatch had before it. The frame slot's Space and Enter are its click, which keeps the
// sampled colour.
void Form1::Image1_KeyDown(int index, int &KeyCode, int Shift)
{
    if (index != app::kFrameSlot || !isPicking())
        return;
    const int step = (Shift & 1) ? kLongStep : 1;
    const QPoint at = m_sampledAt.value_or(Image1[app::kFrameSlot]->rect().center());
    switch (KeyCode) {
    case vbKeyLeft: moveSamplingPoint(at - QPoint(step, 0)); break;
    case vbKeyUp: moveSamplingPoint(at - QPoint(0, step)); break;
    case vbKeyRight: moveSamplingPoint(at + QPoint(step, 0)); break;
    case vbKeyDown: moveSamplingPoint(at + QPoint(0, step)); break;
    case vbKeyEscape: cancelPicking(); break;
    default: return;
    }
    KeyCode = 0;
}

// The swatch passes its keys on while picking, so picking begun there goes on from it too.
void Form1::Picture2_KeyDown(int &KeyCode, int Shift)
{
    Image1_KeyDown(app::kFrameSlot, KeyCode, Shift);
}

void Form1::moveSamplingPoint(QPoint to)
{
    host::ImageControl *frame = Image1[app::kFrameSlot];
    const QPoint at(std::clamp(to.x(), 0, frame->width() - 1), std::clamp(to.y(), 0, frame->height() - 1));
    frame->setMarker(at);
    sampleFrameAt(at.x(), at.y());
}

void Form1::cancelPicking()
{
    host::ImageControl *frame = Image1[app::kFrameSlot];
    frame->setMousePointer(host::vbDefault);
    frame->setMarker(std::nullopt);
    Picture2->setMousePointer(host::vbDefault);
    pickedColor = m_colourBeforePicking;
    Picture2->setBackColor(m_colourBeforePicking);
    if (frame->hasFocus())
        Picture2->setFocus(Qt::OtherFocusReason);
}

void Form1::showCube_Click()
{
    BuildAndShowCube();
}

void Form1::BuildAndShowCube()
{
    Hide();

    const bool useFrame = Check2->isChecked();
    const QImage frame = Image1[app::kFrameSlot]->picture();
    const host::OleColor transparent = Picture2->backColor();
    // Written where the cube window reads them.
    const QString folder = frmMain::sideFolder();

    // Each side file, then its slot's path. A side file that cannot be written stops the
    // run with one message; the files written before it stay as they are. The settings
    // reach the disk in one write, after the last of them.
    host::SettingsStore::Batch settings(QLatin1String(app::kAppName));
    std::array<QImage, app::kSideCount> pictures, stretched;
    for (int i = 0; i < app::kSideCount; ++i) {
        pictures[size_t(i)] = Image1[size_t(i)]->picture();
        if (!pictures[size_t(i)].isNull() && pictures[size_t(i)].cacheKey() == m_stretched[size_t(i)].first)
            stretched[size_t(i)] = m_stretched[size_t(i)].second;
    }
    const std::array<QImage, app::kSideCount> sides =
        app::composeSides(pictures, useFrame ? &frame : nullptr, transparent, stretched);
    for (int i = 0; i < app::kSideCount; ++i) {
        const QImage &side = sides[size_t(i)];
        const QString file = app::sideFileName(folder, i + 1);
        QString reason;
        if (!app::writeSideFile(file, side, &reason)) {
            showNewSideFiles(folder);
            host::MsgBox(QStringLiteral("The side file \"%1\" cannot be written: %2.")
                             .arg(QDir::toNativeSeparators(file), reason));
            Show();
            return;
        }
        app::writeEntry(app::imageEntry(i), sidePaths[size_t(i)]);
    }
    showNewSideFiles(folder);

    // The frame path is kept also when "Use Frame" is off; then the options and colour.
    const std::pair<app::Entry, QString> rest[] = {
        {app::Entry::Image6, sidePaths[app::kFrameSlot]},
        {app::Entry::Startup, app::decimal(Check1->isChecked() ? 1 : 0)},
        {app::Entry::TransparentColour, app::decimal(static_cast<qint32>(transparent))},
        {app::Entry::UseFrame, app::decimal(useFrame ? 1 : 0)},
    };
    for (const auto &[entry, value] : rest)
        app::writeEntry(entry, value);
    // The sides are written, so the cube can still show them; the choices are not kept.
    QString settingError;
    if (!settings.commit(&settingError))
        host::MsgBox(QStringLiteral("The settings cannot be saved in \"%1\": %2.")
                         .arg(QDir::toNativeSeparators(host::SettingsStore::fileName(QLatin1String(app::kAppName))),
                              settingError));

    host::DoEvents();

    // Runs the cube until it closes; returns at once when the cube is already running (a
    // second "Show Cube" from a picker brought back through the tray).
    if (!m_cube)
        m_cube = cubeFactory() ? cubeFactory()() : std::make_unique<frmMain>();
    m_cube->Show();
    // A cube window that could not start has unloaded itself: the picker comes back too.
    if (cubeClosed || !m_cube->isLoaded()) {
        m_cube->Unload();
        Show();
        cubeClosed = false;
    }
}

// The file list, when it shows the folder the sides were written to, lists them.
void Form1::showNewSideFiles(const QString &folder)
{
    if (QFileInfo(File1->path()).canonicalFilePath() == QFileInfo(folder).canonicalFilePath())
        File1->refresh();
}

void Form1::cmdExit_Click()
{
    m_exiting = true;
    Unload();
    host::End();
}

void Form1::mnuSysTrayExit_Click()
{
    host::End();
}

void Form1::addTrayIcon()
{
    if (m_trayIcon)
        return;
    m_menu = std::make_unique<QMenu>(QStringLiteral("File"));
    mnuSysTrayExit = m_menu->addAction(QStringLiteral("&Exit"));
    QObject::connect(mnuSysTrayExit, &QAction::triggered, m_menu.get(), [this] { mnuSysTrayExit_Click(); });

    m_trayIcon = std::make_unique<QSystemTrayIcon>(app::windowIcon());
    m_trayIcon->setToolTip(QStringLiteral("Gyrolumen"));
    // The right button's release pops this menu up at the pointer.
    m_trayIcon->setContextMenu(m_menu.get());
    QObject::connect(m_trayIcon.get(), &QSystemTrayIcon::activated, m_trayIcon.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { trayIcon_Activated(reason); });
    // Without a notification area the icon simply is not seen; the program works the same.
    m_trayIcon->show();
    app::findTrayHost(m_trayIcon.get(), [this](app::TrayHost host) { m_trayHost = host; });
}

void Form1::trayIcon_Activated(QSystemTrayIcon::ActivationReason reason)
{
    // A double click restores the picker, or a click where the tray never reports a double
    // click; the menu is Qt's context menu.
    if (app::trayAction(reason, m_trayHost) == app::TrayAction::RestorePicker)
        restoreFromTray();
}

// Brings the picker back in front, also while the cube runs (which goes on running).
void Form1::restoreFromTray()
{
    QWidget *w = widget();
    if (!w)
        return;
    w->setWindowState(w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    Show();
    w->raise();
    w->activateWindow();
}
