#include "frmmain.h"

#include "cubefaces.h"
#include "drawing.h"
#include "hostapp.h"
#include "keycodes.h"
#include "modopengl.h"
#include "msgbox.h"
#include "shapemask.h"

#include <QCursor>
#include <QGuiApplication>
#include <QStyleHints>
#include <GL/gl.h>
#include <GL/glext.h>
#include <cmath>
#include <utility>

bool cubeClosed = false;
KeyTable keyPressed{};

namespace {
QString g_sideFolder;
std::function<void()> g_frameObserver;

const char *const kSideFiles[6] = {"/Side 1.bmp", "/Side 2.bmp", "/Side 3.bmp",
                                   "/Side 4.bmp", "/Side 5.bmp", "/Side 6.bmp"};

// Light 1, set while the model-view matrix is the identity: a point light in eye space.
constexpr GLfloat kLightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
constexpr GLfloat kLightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat kLightPosition[4] = {0.0f, 0.0f, 2.0f, 1.0f};

// Darkest texel (blue + green + red) that cannot come out pure black once drawn. Filtering
// and mipmaps average texels, which keeps the channel sum up to rounding; unlit, a sum of
// 8 leaves a channel of at least 1. Lit, the faintest a face gets is the global ambient
// (0.2 x 0.2) plus light 1's ambient (0.5 x 0.2): 0.14 of the texel, which needs a sum of
// about 22 for a channel to stay at 1; 32 leaves a margin.
constexpr int kSafeDarkestUnlit = 8;
constexpr int kSafeDarkestLit = 32;

void showMessages(const QStringList &messages)
{
    for (const QString &message : messages)
        host::MsgBox(message);
}
} // namespace

using modOpenGL::kFarPlane;
using modOpenGL::kFieldOfView;
using modOpenGL::kNearPlane;

frmMain::frmMain()
{
    // The window as designed: no border, no caption, 533 x 533 pixels inside.
    setDesignBorderless(true);
    setDesignSize(533, 533);
}

frmMain::~frmMain() = default;

QString frmMain::setSideFolder(QString folder)
{
    return std::exchange(g_sideFolder, std::move(folder));
}

QString frmMain::sideFolder()
{
    return g_sideFolder.isEmpty() ? host::programFolder() : g_sideFolder;
}

std::function<void()> frmMain::setFrameObserver(std::function<void()> observer)
{
    return std::exchange(g_frameObserver, std::move(observer));
}

void frmMain::Form_Load()
{
    // A window object loaded again starts afresh, like a new instance of it.
    keyPressed.fill(false);
    m_taps.clear();
    m_multisampling = true;
    state = LoopState{};
    cubeAngle = {0.0f, 0.0f};
    dragging = false;
    // Nothing is drawn yet: the whole window shows the desktop until the first frame.
    setShape(QRegion());
    modOpenGL::SaveDisplayMode();
    Show();

    bool ready = false;
    try {
        if (const QString notice = modOpenGL::SetupGLWindow(*this, 640, 480, 32, false); !notice.isEmpty())
            host::MsgBox(notice);
        ready = InitGL();
    } catch (const modOpenGL::SetupError &error) {
        showMessages(error.messages());
    } catch (const texture::TextureError &error) {
        host::MsgBox(QString::fromStdString(error.what()));
    }
    if (ready)
        runRenderLoop();
    else
        Unload();
    cubeClosed = true;
}

bool frmMain::pumpEvents()
{
    // The window may be closed by other means while events run (a close request from the
    // window manager, the program's own unload): the loop then ends without drawing.
    return host::DoEvents() > 0 && isLoaded();
}

void frmMain::runRenderLoop()
{
    while (pumpEvents()) {
        // The keying follows a compositor that starts or stops: multisampled edges blend
        // into the desktop only where a compositor blends them; against the shape's black
        // they would show as a dark rim.
        if (const bool blended = keying() == Keying::Alpha; blended != m_multisampling) {
            m_multisampling = blended;
            if (blended)
                glEnable(GL_MULTISAMPLE);
            else
                glDisable(GL_MULTISAMPLE);
        }
        if (!DrawGLScene() || keyPressed[vk::Escape])
            break;
        if (keying() == Keying::Alpha)
            smoothOutline();
        setShape(frameShape());
        swapBuffers();
        if (g_frameObserver)
            g_frameObserver();

        const FrameActions actions = applyHeldKeys(state, keyPressed);
        if (actions.lightingToggled) {
            if (state.lightingOn)
                glEnable(GL_LIGHTING);
            else
                glDisable(GL_LIGHTING);
        }
        if (actions.nextFilter)
            Img[0]->setFilter(nextFilter(Img[0]->getFilter()));
        if (keyPressed[vk::Escape])
            break;
        m_taps.frameSeen(keyPressed);
        if (!pumpEvents())
            break;
    }
}

bool frmMain::InitGL()
{
    for (auto &texture : Img)
        texture = std::make_unique<cTexture>();
    const QString folder = sideFolder();
    for (size_t k = 0; k < Img.size(); ++k)
        if (const QString refusal = Img[k]->loadTexture(folder + QLatin1String(kSideFiles[k]), cTexture::Bitmap, 0, 0);
            !refusal.isEmpty())
            host::MsgBox(refusal);

    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    glLightfv(GL_LIGHT1, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, kLightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, kLightPosition);
    glEnable(GL_LIGHT1);
    return true;
}

bool frmMain::DrawGLScene()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, state.cubeDepth);
    glRotatef(cubeAngle[0], 1.0f, 0.0f, 0.0f);
    glRotatef(cubeAngle[1], 0.0f, 1.0f, 0.0f);
    for (size_t k = 0; k < kCubeFaces.size(); ++k) {
        if (Img[k])
            Img[k]->useTexture();
        drawCubeFace(kCubeFaces[k]);
    }
    m_drawnAngle = cubeAngle;
    cubeAngle[0] = turnedBy(cubeAngle[0], state.spinSpeedX);
    cubeAngle[1] = turnedBy(cubeAngle[1], state.spinSpeedY);
    return true;
}

bool frmMain::outlineIsExact() const
{
    const int safe = state.lightingOn ? kSafeDarkestLit : kSafeDarkestUnlit;
    for (const auto &texture : Img) {
        if (texture && texture->darkestPixel() < safe)
            return false;
    }
    return true;
}

QRegion frmMain::frameShape()
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2];
    const int height = viewport[3];
    // When no texel can come out black, the shape is the cube's outline, which costs no
    // read-back (reading the frame waits for the renderer to finish it). Otherwise the
    // frame is read back, but only around the outline: nothing is drawn outside it.
    bool exact = false;
    const QRegion outline = outlineShape(width, height, exact);
    if (exact && outlineIsExact()) {
        m_shapeSource = ShapeSource::Outline;
        return outline;
    }
    m_shapeSource = ShapeSource::ReadBack;
    if (exact && outline.isEmpty())
        return outline; // beyond the far plane: nothing drawn
    QRect area;
    if (exact) // a pixel of margin for rounding differences at the edges
        area = outline.boundingRect().adjusted(-2, -2, 2, 2) & QRect(0, 0, width, height);
    return readBackShape(width, height, area);
}

QRegion frmMain::outlineShape(int width, int height, bool &exact) const
{
    std::vector<QPointF> points = outlinePoints(width, height, exact);
    if (points.empty())
        return QRegion();
    return host::regionFromConvexPoints(std::move(points), QSize(width, height));
}

std::vector<QPointF> frmMain::outlinePoints(int width, int height, bool &exact) const
{
    exact = false;
    if (width <= 0 || height <= 0)
        return {};
    // The same transformation DrawGLScene gave the frame: translate, turn about X, then Y.
    const double ax = m_drawnAngle[0] * M_PI / 180.0;
    const double ay = m_drawnAngle[1] * M_PI / 180.0;
    const double cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
    const double aspect = static_cast<double>(width) / height;
    const double f = 1.0 / std::tan(kFieldOfView * M_PI / 360.0);
    std::vector<QPointF> points;
    int beyondFar = 0;
    for (int corner = 0; corner < 8; ++corner) {
        const double x = (corner & 1) ? 1 : -1;
        const double y = (corner & 2) ? 1 : -1;
        const double z = (corner & 4) ? 1 : -1;
        // Ry, then Rx, then the translation.
        const double x1 = cy * x + sy * z;
        const double z1 = -sy * x + cy * z;
        const double y2 = cx * y - sx * z1;
        const double z2 = sx * y + cx * z1 + state.cubeDepth;
        const double w = -z2;
        if (w <= kNearPlane * 1.001)
            return {}; // crosses the near plane: not an outline case
        if (w > kFarPlane)
            ++beyondFar;
        const double ndcX = f / aspect * x1 / w;
        const double ndcY = f * y2 / w;
        points.emplace_back((ndcX + 1.0) * 0.5 * width, (1.0 - ndcY) * 0.5 * height);
    }
    if (beyondFar == 8) {
        exact = true; // past the far plane: nothing is drawn
        return {};
    }
    if (beyondFar > 0)
        return {}; // cut by the far plane: only the frame itself tells
    exact = true;
    return points;
}

void frmMain::smoothOutline()
{
    // A multisampled window blends its edges by itself.
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    if (samples > 0)
        return;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    bool exact = false;
    const std::vector<QPointF> hull = host::convexHull(outlinePoints(viewport[2], viewport[3], exact));
    if (!exact || hull.size() < 3)
        return;
    // Without multisampling the pixels along the outline are faded by the distance of
    // their centres to the edge: a band one pixel wide inside the outline whose alpha runs
    // from 1 to 0 at the edge, multiplied into colour and alpha alike (drawn pixels all lie
    // inside, so each step of the edge becomes a ramp). The frame stays premultiplied, as
    // compositors take it, and the edge blends into the desktop instead of stepping.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], viewport[3], 0, -1, 1); // window pixels, y down, as the outline
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // The hull runs one way round; the outward side of each edge follows from it.
    double area = 0;
    for (size_t i = 0; i < hull.size(); ++i) {
        const QPointF &a = hull[i], &b = hull[(i + 1) % hull.size()];
        area += a.x() * b.y() - b.x() * a.y();
    }
    const double outward = area > 0 ? 1.0 : -1.0;
    glBegin(GL_QUADS);
    for (size_t i = 0; i < hull.size(); ++i) {
        const QPointF &a = hull[i], &b = hull[(i + 1) % hull.size()];
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const double length = std::hypot(dx, dy);
        if (length <= 0)
            continue;
        const QPointF n(outward * dy / length, -outward * dx / length);
        glColor4f(1, 1, 1, 1);
        glVertex2d(a.x() - n.x(), a.y() - n.y());
        glVertex2d(b.x() - n.x(), b.y() - n.y());
        glColor4f(1, 1, 1, 0);
        glVertex2d(b.x(), b.y());
        glVertex2d(a.x(), a.y());
    }
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

QRegion frmMain::readBackShape(int width, int height, QRect area)
{
    if (width <= 0 || height <= 0)
        return QRegion();
    if (area.isEmpty())
        area = QRect(0, 0, width, height);
    m_readBack.resize(static_cast<size_t>(area.width()) * static_cast<size_t>(area.height()) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // OpenGL counts rows from the bottom.
    glReadPixels(area.left(), height - 1 - area.bottom(), area.width(), area.height(), GL_BGRA_EXT,
                 GL_UNSIGNED_BYTE, m_readBack.data());
    if (keying() == Keying::Alpha)
        writeKeyedAlpha(height, area);
    return host::regionFromBgra(m_readBack.data(), area.width(), area.height(),
                                qsizetype(area.width()) * 4, true)
        .translated(area.topLeft());
}

void frmMain::writeKeyedAlpha(int height, const QRect &area)
{
    // Black drawn by the cube (a black texel, a face turned from the light) has to let the
    // desktop through as the background does: the frame read back gets alpha 0 there and
    // goes back into the alpha channel only.
    host::keyBlackToAlpha(m_readBack.data(), area.width(), area.height(), qsizetype(area.width()) * 4);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // The raster position in window coordinates: a pixel's lower left corner, through an
    // identity transformation of the whole drawing area.
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int rasterY = height - 1 - area.bottom();
    glRasterPos2d(2.0 * (area.left() + 0.25) / viewport[2] - 1.0, 2.0 * (rasterY + 0.25) / viewport[3] - 1.0);
    glDrawPixels(area.width(), area.height(), GL_BGRA_EXT, GL_UNSIGNED_BYTE, m_readBack.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void frmMain::Form_Unload(int &cancel)
{
    (void)cancel;
    showMessages(modOpenGL::ReleaseGLWindow(*this));
    // The textures go with the window's variables; with the context gone they have
    // nothing left to delete.
    for (auto &texture : Img)
        texture.reset();
}

void frmMain::Form_KeyDown(int keyCode, int shift)
{
    (void)shift;
    if (host::isKeyTableIndex(keyCode))
        m_taps.press(keyPressed, keyCode);
}

void frmMain::Form_KeyUp(int keyCode, int shift)
{
    (void)shift;
    if (host::isKeyTableIndex(keyCode))
        m_taps.release(keyPressed, keyCode);
}

void frmMain::Form_MouseDown(int button, int shift, int x, int y)
{
    (void)shift;
    if (button != 1)
        return;
    grabX = host::roundEven(x * host::twipsPerPixelX());
    grabY = host::roundEven(y * host::twipsPerPixelY());
    dragging = true;
    releaseCapture();
    setCapture();
    // Once the pointer has really moved with the button held, the window manager is asked
    // to take the move over. Not at the press itself: a click released before the window
    // manager has seen the request would leave it moving the window, holding the keyboard.
    m_pressedAt = QPoint(x, y);
    m_askWindowManager = true;
}

void frmMain::Form_MouseMove(int button, int shift, int x, int y)
{
    (void)shift;
    if (!dragging)
        return;
    if (m_askWindowManager && (button & 1)
        && (QPoint(x, y) - m_pressedAt).manhattanLength() >= QGuiApplication::styleHints()->startDragDistance()) {
        m_askWindowManager = false;
        // Where the window manager (or a Wayland compositor) moves windows, it does, and
        // follows the pointer across monitors of any scale; else the window moves itself.
        releaseCapture();
        if (startSystemMove()) {
            dragging = false;
            return;
        }
        setCapture();
    }
    const QPoint cursorPos = cursorPosition();
    const double tppX = host::twipsPerPixelX();
    const double tppY = host::twipsPerPixelY();
    const double leftTwips = tppX * cursorPos.x() - grabX;
    const double topTwips = tppY * cursorPos.y() - grabY;
    moveTo(QPoint(host::roundEven(leftTwips / tppX), host::roundEven(topTwips / tppY)));
}

void frmMain::Form_MouseUp(int button, int shift, int x, int y)
{
    (void)button, (void)shift, (void)x, (void)y;
    dragging = false;
    m_askWindowManager = false;
    releaseCapture();
}

void frmMain::Form_Resize()
{
    modOpenGL::ResizeGLView(clientDeviceWidth(), clientDeviceHeight());
}
