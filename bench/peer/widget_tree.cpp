// The peer of bench_startup and of the idle-memory figures: a plain Qt Widgets program with
// the picker's widget tree at the picker's places (seven picture slots with their numbers, a
// drive box, folder and file lists filled from the folder given as the first argument, two
// check boxes, a colour swatch and two push-buttons), linked with Qt Widgets only.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <array>

namespace {

struct Place
{
    int x, y, w, h;
};

constexpr std::array<Place, 7> kSlots{{
    {111, 7, 105, 112},
    {7, 118, 105, 112},
    {111, 118, 105, 112},
    {215, 118, 105, 112},
    {319, 118, 105, 112},
    {111, 229, 105, 112},
    {272, 344, 105, 112},
}};

void place(QWidget *w, Place p)
{
    w->setGeometry(p.x, p.y, p.w, p.h);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QDir folder(argc >= 2 ? QString::fromLocal8Bit(argv[1]) : QDir::homePath());

    QWidget window;
    window.setWindowTitle(QStringLiteral("Peer"));
    window.setFixedSize(428, 529);
    window.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    const QFont digits(QStringLiteral("MS Sans Serif"), 24, QFont::Bold);
    for (int i = 0; i < int(kSlots.size()); ++i) {
        auto *slot = new QLabel(&window);
        slot->setFrameStyle(QFrame::Box | QFrame::Plain);
        place(slot, kSlots[size_t(i)]);
        auto *number = new QLabel(i == 6 ? QStringLiteral("Frame") : QString::number(i + 1), &window);
        number->setFont(digits);
        number->setStyleSheet(QStringLiteral("color: red"));
        const Place &s = kSlots[size_t(i)];
        place(number, i == 6 ? Place{273, 314, 100, 37} : Place{s.x + 41, s.y + 36, 22, 42});
    }

    auto *useFrame = new QCheckBox(QStringLiteral("Use Frame"), &window);
    place(useFrame, {257, 268, 142, 20});
    auto *caption = new QLabel(QStringLiteral("Transparent color"), &window);
    place(caption, {257, 291, 83, 13});
    auto *swatch = new QFrame(&window);
    swatch->setAutoFillBackground(true);
    QPalette red = swatch->palette();
    red.setColor(QPalette::Window, Qt::red);
    swatch->setPalette(red);
    place(swatch, {358, 291, 29, 19});

    auto *drives = new QComboBox(&window);
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        drives->addItem(volume.rootPath());
    place(drives, {2, 347, 113, 21});
    auto *folders = new QListWidget(&window);
    folders->addItems(folder.entryList(QDir::Dirs | QDir::NoDot, QDir::Name));
    place(folders, {2, 372, 215, 66});
    auto *files = new QListWidget(&window);
    files->addItems(folder.entryList({QStringLiteral("*.gif"), QStringLiteral("*.bmp"), QStringLiteral("*.jpg"),
                                      QStringLiteral("*.jpeg"), QStringLiteral("*.jpe"), QStringLiteral("*.png")},
                                     QDir::Files, QDir::Name));
    place(files, {2, 440, 214, 84});

    auto *atStart = new QCheckBox(QStringLiteral("Show Cube at Start up"), &window);
    place(atStart, {272, 456, 142, 20});
    auto *show = new QPushButton(QStringLiteral("Show Cube"), &window);
    place(show, {256, 32, 137, 57});
    auto *exit = new QPushButton(QStringLiteral("&Exit"), &window);
    place(exit, {272, 480, 105, 41});
    QObject::connect(exit, &QPushButton::clicked, &app, &QApplication::quit);

    window.show();
    return QApplication::exec();
}
