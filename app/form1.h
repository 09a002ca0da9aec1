// Form1: the picker window. Browses drives, folders and pictures, fills the six side slots
// (laid out as the unfolded cube) and the frame slot, picks the frame's transparent colour
// from the frame itself, restores all of it from the settings at start, and runs the
// composition and the cube window behind "Show Cube". It also owns the tray icon.
//
// Re-entrancy. "Show Cube" runs the cube's render loop inside its own click handler
// (showCube_Click -> BuildAndShowCube -> frmMain::Show -> the loop), and the loop pumps
// every event each frame. So while the cube runs, any handler here may run again:
//   - the tray brings the picker back, and a second "Show Cube" re-enters
//     BuildAndShowCube: files and settings are written again, but the cube, already
//     loaded, is not started twice (its Show returns at once);
//   - the picker may be closed: it unloads and Qt deletes its window once the handler
//     that closed it has returned, while the Form1 object stays.
// Code after the loop in BuildAndShowCube therefore reads only Form1's own members and the
// cube, never a control of the window. "Exit" and the tray's "Exit" end the program at once.
#pragma once

#include "appsettings.h"
#include "colour.h"
#include "trayclicks.h"
#include "picture.h"
#include "widgetform.h"

#include <QFont>
#include <QSystemTrayIcon>
#include <array>
#include <functional>
#include <future>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QMenu;
class QAction;
class StyleButton;

namespace host {
class ImageControl;
class PictureBox;
class DriveList;
class FolderList;
class FileList;
} // namespace host

class Form1 : public host::WidgetForm
{
public:
    // Makes the cube window that "Show Cube" runs; tests put a window of their own in its
    // place, since the real one runs a render loop until Escape. An empty factory makes
    // the real one. Returns the factory it replaces.
    using CubeFactory = std::function<std::unique_ptr<host::HostForm>()>;
    static CubeFactory setCubeFactory(CubeFactory factory);

    Form1();
    ~Form1() override;

    // The window's font (the desktop substitutes its own where it lacks this one), and the
    // font of the red digits over the slots.
    static QFont windowFont();
    static QFont digitFont();

    // Controls, named as the window's designer named them. Owned by widget().
    std::array<host::ImageControl *, app::kSlotCount> Image1{};
    std::array<QLabel *, app::kSlotCount> Label1{};
    QCheckBox *Check1 = nullptr; // "Show Cube at Start up"
    QCheckBox *Check2 = nullptr; // "Use Frame": the frame is laid over each side
    QLabel *Label2 = nullptr;
    host::PictureBox *Picture2 = nullptr; // swatch of the frame's transparent colour
    host::PictureBox *Moldura = nullptr; // the frame at side size, off the window: picked from, laid over
    host::DriveList *Drive1 = nullptr;
    host::FolderList *Dir1 = nullptr;
    host::FileList *File1 = nullptr;
    StyleButton *showCube = nullptr;
    StyleButton *cmdExit = nullptr;

    // The tray icon and its menu; null until start-up has added them.
    QSystemTrayIcon *trayIcon() const { return m_trayIcon.get(); }
    QMenu *mnuFile() const { return m_menu.get(); }
    QAction *mnuSysTrayExit = nullptr;

    // Window state.
    std::array<QString, app::kSlotCount> sidePaths;
    qint16 currentSlot = 0;
    qint16 litLabel = 0;
    host::OleColor pickedColor = 0;

    // Event handlers.
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Image1_Click(int index);
    void Image1_DragDrop(int index, const QString &path);
    void Image1_MouseMove(int index, int x, int y);
    // Keys the controls do not use themselves: the virtual-key code and the Shift (1),
    // Ctrl (2) and Alt (4) flags; a handler that uses the key sets the code to 0.
    void Image1_KeyDown(int index, int &KeyCode, int Shift);
    void Picture2_KeyDown(int &KeyCode, int Shift);
    void Picture2_Click();
    void showCube_Click();
    void cmdExit_Click();
    void mnuSysTrayExit_Click();
    void trayIcon_Activated(QSystemTrayIcon::ActivationReason reason);

    // Composes and writes the six sides, stores the settings and runs the cube window.
    void BuildAndShowCube();
    bool isPicking() const;
    host::HostForm *cubeWindow() const { return m_cube.get(); }
    // Brings the picker back in front, as a double click on the tray icon does.
    void restoreFromTray();

protected:
    void createControls(QWidget *window) override;
    void Form_Load() override;
    void Form_Unload(int &cancel) override;

private:
    void createButtons(QWidget *window);
    // Puts the picture of `path` into slot `index` (and the frame holder for the frame
    // slot); an empty path empties the slot. False when the file cannot be loaded.
    bool loadSlot(int index, const QString &path);
    // Puts the picture of `path` into slot `index` as a pick in the file list does; a file
    // that does not load leaves the slot as it was. False then.
    bool pickFile(int index, const QString &path);
    void makeCurrent(int index);
    // Screen readers read a slot's picture by its file name, the swatch by its colour.
    void describeSlot(int index);
    void describeSwatch();
    // Colour picking from the keyboard: a sampling point over the frame slot.
    void sampleFrameAt(int x, int y);
    void moveSamplingPoint(QPoint to);
    void cancelPicking();
    void startLoadingSlots();
    struct SlotLoad;
    static SlotLoad loadStored(int index, const QString &path);
    void showStored(int index, SlotLoad loaded);
    void showLateSlots();
    void showInSlot(int index, const QImage &picture);
    void loadFrameHolder(const QImage &frame);
    void showNewSideFiles(const QString &folder);
    void addTrayIcon();

    // A stored picture as its loading task left it: the slot's picture and, for a side
    // slot, the side it makes.
    struct SlotLoad
    {
        host::LoadedPicture picture;
        QImage side;
    };
    std::array<std::future<SlotLoad>, app::kSlotCount> m_loading;
    // The sides the loading tasks made, each with the cache key of the picture it was made
    // from: "Show Cube" uses one only while its slot still holds that picture.
    std::array<std::pair<qint64, QImage>, app::kSideCount> m_stretched;
    std::array<QString, app::kSlotCount> m_loadingPaths;
    std::unique_ptr<host::HostForm> m_cube;
    std::unique_ptr<QMenu> m_menu; // outlives the icon that shows it
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    app::TrayHost m_trayHost = app::TrayHost::Embedding;
    bool m_exiting = false;
    host::OleColor m_colourBeforePicking = 0; // the swatch's colour when picking began
    std::optional<QPoint> m_sampledAt;         // in the frame slot, since picking began
};
