// frmMain: the borderless cube window. Showing it runs its whole life in Form_Load: GL
// set-up, the six side textures and the render loop, until Escape. Its black background
// (and any pure black texel) is keyed out, so only the cube shows over the desktop.
//
// Re-entrancy. Form_Load runs the render loop to its end and pumps events every frame, so
// the loop runs nested inside whoever showed the window (the picker's "Show Cube" click).
// Handlers reached from the pump may press keys, drag, close this window (the loop then
// ends without drawing again) or call Show on it again, which returns at once: there is
// never a second loop. They must not destroy this object: its owner keeps it until Show
// has returned and unloads it then.
#pragma once

#include "ctexture.h"
#include "cubeloop.h"
#include "glform.h"

#include <QPoint>
#include <QRegion>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

// Set by the cube window when its render loop ends; tested and cleared by the picker.
extern bool cubeClosed;
// Keys held now, by virtual-key number; written by the key handlers, read by the loop.
extern KeyTable keyPressed;

class frmMain : public host::GlForm
{
public:
    frmMain();
    ~frmMain() override;

    // Loads the six side files as the textures of faces 1 ... 6 and sets up the scene.
    // Throws texture::TextureError (naming the file) for a side file that cannot be read.
    bool InitGL();
    // Draws one frame into the back buffer with the current angles, then turns the cube.
    bool DrawGLScene();

    // The textures of faces 1 ... 6 (Img1 ... Img6); empty before InitGL.
    std::array<std::unique_ptr<cTexture>, 6> Img;
    // Degrees about X (0) and Y (1), kept within one turn.
    std::array<float, 2> cubeAngle{0.0f, 0.0f};
    // Speeds, depth and key latches of the render loop.
    LoopState state;

    // Drag state (twips, measured from the window's top left corner).
    bool dragging = false;
    int grabX = 0;
    int grabY = 0;

    // How the shape of the last frame was found.
    enum class ShapeSource { None, Outline, ReadBack };
    ShapeSource lastShapeSource() const { return m_shapeSource; }
    // The shape of the frame DrawGLScene drew last (device pixels, y down): the cube's
    // outline when no texel can come out black, else read back from the frame.
    QRegion frameShape();
    // The two ways of finding it, for a drawing area of width x height device pixels.
    // The outline sets `exact` false when only the frame itself can tell (the cube cut
    // by a clipping plane).
    QRegion outlineShape(int width, int height, bool &exact) const;
    // Reads the frame back within `area` (device pixels, y down; the whole drawing area
    // when empty): nothing is drawn outside the cube's outline, so that is all it needs.
    QRegion readBackShape(int width, int height, QRect area = QRect());

    // Where the side files are read from: the program folder unless set (tests, benchmarks).
    // Each setter returns what it replaces.
    static QString setSideFolder(QString folder);
    static QString sideFolder();
    // Called after every frame put on screen (benchmarks count frames with it).
    static std::function<void()> setFrameObserver(std::function<void()> observer);

protected:
    void Form_Load() override;
    void Form_Unload(int &cancel) override;
    void Form_KeyDown(int keyCode, int shift) override;
    void Form_KeyUp(int keyCode, int shift) override;
    void Form_MouseDown(int button, int shift, int x, int y) override;
    void Form_MouseMove(int button, int shift, int x, int y) override;
    void Form_MouseUp(int button, int shift, int x, int y) override;
    void Form_Resize() override;

private:
    void runRenderLoop();
    bool pumpEvents();
    bool outlineIsExact() const;
    // The eight corners of the cube as drawn last, in device pixels (y down); empty when
    // they give no outline (`exact` as for outlineShape).
    std::vector<QPointF> outlinePoints(int width, int height, bool &exact) const;
    // Alpha keying: blends the frame's outline into the desktop where the window is not
    // multisampled.
    void smoothOutline();
    // Alpha keying: the pixels of m_readBack (`area` of the frame) that are pure black
    // become transparent in the frame's alpha channel.
    void writeKeyedAlpha(int height, const QRect &area);

    std::array<float, 2> m_drawnAngle{0.0f, 0.0f};
    KeyTaps m_taps;
    std::vector<unsigned char> m_readBack;
    ShapeSource m_shapeSource = ShapeSource::None;
    QPoint m_pressedAt;             // where the left button went down (window pixels)
    bool m_askWindowManager = false; // a drag not yet handed to the window manager
    bool m_multisampling = true; // GL_MULTISAMPLE's state in the context (on when made)
};
