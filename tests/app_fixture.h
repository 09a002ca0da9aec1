// Shared set-up for the picker's tests: a fresh settings store and side folder per case, the
// message box and End replaced by recorders, and a stand-in for the cube window that runs
// a test's own code where the real one would run its render loop.
#pragma once

#include "app_state.h"
#include "appsettings.h"
#include "cube_state.h"
#include "form1.h"
#include "settingsstore.h"
#include "windows_state.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

namespace apptest {

// A window object that stands in for the cube window: its load runs `run` (the "render
// loop") and then ends the loop as Escape would, unless `run` said to keep it going.
class FakeCube : public host::HostForm
{
public:
    std::function<void()> run;
    bool endLoop = true;
    int loads = 0;
    int unloads = 0;
    bool visible = false;

protected:
    void Form_Load() override
    {
        ++loads;
        if (run)
            run();
        if (endLoop)
            cubeClosed = true;
    }
    void Form_Unload(int &) override { ++unloads; }
    void createNativeWindow() override {}
    void destroyNativeWindow() override { visible = false; }
    void setNativeVisible(bool v) override { visible = v; }
    bool nativeVisible() const override { return visible; }
};

class Fixture
{
public:
    Fixture()
    {
        QVERIFY(config.isValid() && sides.isValid() && pictures.isValid());
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        host::SettingsStore::reset();
        cubeClosed = false;
    }
    ~Fixture() { host::SettingsStore::reset(); }
    Fixture(const Fixture &) = delete;
    Fixture &operator=(const Fixture &) = delete;

    // Stores a value the way an earlier run would have.
    static void store(app::Entry entry, const QString &value) { QVERIFY(app::writeEntry(entry, value)); }

    // Writes a solid-colour picture into the pictures folder and returns its path.
    QString picture(const QString &name, QSize size, QColor colour, const char *format = nullptr)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = QDir(pictures.path()).filePath(name);
        if (!image.save(path, format))
            qWarning("could not write %s", qPrintable(path));
        return path;
    }

    QString sideFile(int side) const { return QDir(sides.path()).filePath(QStringLiteral("Side %1.bmp").arg(side)); }

    QTemporaryDir config;
    QTemporaryDir sides;
    QTemporaryDir pictures;
    QStringList messages;
    int ends = 0;
    FakeCube *cube = nullptr;
    std::function<void()> cubeRun;
    bool cubeEnds = true;

private:
    ScopedSideFolder m_sideFolder{sides.path()};
    host::ScopedMsgBoxHandler m_messageBox{[this](const QString &text) { messages << text; }};
    host::ScopedEndHandler m_end{[this] { ++ends; }};
    ScopedCubeFactory m_cubeFactory{[this] {
        auto c = std::make_unique<FakeCube>();
        cube = c.get();
        c->run = cubeRun;
        c->endLoop = cubeEnds;
        return c;
    }};
};

} // namespace apptest
