// Frame rate of the cube window's real render loop (event pump and colour key included)
// against a bare immediate-mode loop drawing the same cube, and the time from the cube
// window's load to its first frame on screen; then the same under a compositing manager
// (xcompmgr, started on the display when none runs), where the cube window keys by alpha,
// and the processor time the cube takes per second while spinning paced to the display.
// Usage: bench_cube_fps [seconds], default 5.
#include "../tests/cube_sides.h"
#include "ctexture.h"
#include "cubefaces.h"
#include "frmmain.h"
#include "glform.h"
#include "hostapp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>
#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

struct LoopFigures
{
    double firstFrameMs = 0;
    double framesPerSecond = 0;
};

LoopFigures runCubeWindow(double seconds)
{
    LoopFigures figures;
    QElapsedTimer sinceLoad;
    QElapsedTimer running;
    long frames = 0;
    frmMain::setFrameObserver([&] {
        if (frames++ == 0) {
            figures.firstFrameMs = sinceLoad.nsecsElapsed() / 1e6;
            running.start();
            return;
        }
        if (running.nsecsElapsed() >= seconds * 1e9)
            keyPressed[27] = true;
    });
    frmMain form;
    sinceLoad.start();
    form.Show();
    const double elapsed = running.isValid() ? running.nsecsElapsed() / 1e9 : 0;
    form.Unload();
    frmMain::setFrameObserver({});
    // Frames after the first, over the time since the first.
    if (elapsed > 0)
        figures.framesPerSecond = (frames - 1) / elapsed;
    return figures;
}

// The same cube with nothing around it: no event pump, no colour key. With `alphaSurface`
// it draws into the surface an alpha-keyed window has (32 bits, multisampled where the
// window system offers it).
double runBareLoop(double seconds, const QString &folder, bool alphaSurface = false)
{
    QWindow window;
    window.setSurfaceType(QSurface::OpenGLSurface);
    window.setFormat(host::GlForm::surfaceFormat(alphaSurface ? host::GlForm::Keying::Alpha : host::GlForm::Keying::Shape));
    window.setFlags(Qt::Window | Qt::FramelessWindowHint);
    window.resize(533, 533);
    window.show();
    QOpenGLContext context;
    context.setFormat(window.requestedFormat());
    if (!context.create() || !context.makeCurrent(&window))
        return 0;
    {
        cTexture faces[6];
        for (int k = 0; k < 6; ++k)
            (void)faces[k].loadTexture(folder + QStringLiteral("/Side %1.bmp").arg(k + 1), cTexture::Bitmap);
        glViewport(0, 0, 533, 533);
        glMatrixMode(GL_PROJECTION);
        gluPerspective(45.0, 1.0, 0.1, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glClearColor(0, 0, 0, 0);
        QCoreApplication::processEvents();

        float angle[2] = {0, 0};
        long frames = 0;
        QElapsedTimer running;
        running.start();
        while (running.nsecsElapsed() < seconds * 1e9) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glLoadIdentity();
            glTranslatef(0, 0, -7.0f);
            glRotatef(angle[0], 1, 0, 0);
            glRotatef(angle[1], 0, 1, 0);
            for (int k = 0; k < 6; ++k) {
                faces[k].useTexture();
                drawCubeFace(kCubeFaces[static_cast<size_t>(k)]);
            }
            context.swapBuffers(&window);
            angle[0] += 0.05f;
            angle[1] += 0.05f;
            ++frames;
        }
        const double fps = frames / (running.nsecsElapsed() / 1e9);
        // Textures go while their context is still current.
        for (cTexture &face : faces)
            face.unloadTexture();
        context.doneCurrent();
        return fps;
    }
}

double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

// Processor time of the whole process (the GL driver's threads included) per second of a
// cube spinning at the display's pace.
double pacedProcessorShare(double seconds)
{
    host::GlForm::setSwapInterval(1);
    QElapsedTimer running;
    double startCpu = 0;
    long frames = 0;
    frmMain::setFrameObserver([&] {
        // The first frames pay for the textures and for finding out how the swap paces.
        if (++frames == 30) {
            running.start();
            startCpu = processorSeconds();
        } else if (frames > 30 && running.nsecsElapsed() >= seconds * 1e9) {
            keyPressed[27] = true;
        }
    });
    frmMain form;
    form.Show();
    const double share = running.isValid() ? (processorSeconds() - startCpu) / (running.nsecsElapsed() / 1e9) : 0;
    form.Unload();
    frmMain::setFrameObserver({});
    host::GlForm::setSwapInterval(0);
    return share;
}

// A compositing manager for the display for as long as it lives, unless one runs already.
class Compositor
{
public:
    Compositor()
    {
        if (host::GlForm::compositedDesktop()) {
            m_running = true;
            return;
        }
        const QString program = QStandardPaths::findExecutable(QStringLiteral("xcompmgr"));
        if (program.isEmpty())
            return;
        m_process.start(program, {QStringLiteral("-c")});
        for (int i = 0; i < 50 && !host::GlForm::compositedDesktop(); ++i)
            QThread::msleep(20);
        m_running = host::GlForm::compositedDesktop();
    }
    ~Compositor()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished(2000);
        }
    }
    bool running() const { return m_running; }

private:
    QProcess m_process;
    bool m_running = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 5.0;

    QTemporaryDir folder;
    if (!folder.isValid() || !cubetest::writeSideFiles(folder.path())) {
        std::fprintf(stderr, "cannot write the side files\n");
        return 1;
    }
    frmMain::setSideFolder(folder.path());
    // Frames as fast as they can be drawn, not at the display's refresh rate.
    host::GlForm::setSwapInterval(0);

    // The two loops take turns, so a change in the machine's load meets both alike. The
    // first cube window also pays for loading the GL driver into the process.
    constexpr int kRounds = 4;
    double coldFirstFrame = 0, warmFirstFrame = 0, cubeFps = 0, bareFps = 0;
    for (int round = 0; round < kRounds; ++round) {
        const LoopFigures cube = runCubeWindow(seconds / kRounds);
        if (round == 0)
            coldFirstFrame = cube.firstFrameMs;
        else
            warmFirstFrame = std::max(warmFirstFrame, cube.firstFrameMs);
        cubeFps += cube.framesPerSecond / kRounds;
        bareFps += runBareLoop(seconds / kRounds, folder.path()) / kRounds;
    }

    // Pictures with black texels: the shape has to be read back from every frame.
    QTemporaryDir darkFolder;
    double readBackFps = 0;
    if (darkFolder.isValid() && cubetest::writeSideFiles(darkFolder.path())) {
        QImage front = cubetest::sidePicture(1);
        front.fill(Qt::black);
        front.save(darkFolder.filePath(QStringLiteral("Side 1.bmp")), "BMP");
        frmMain::setSideFolder(darkFolder.path());
        readBackFps = runCubeWindow(seconds / kRounds).framesPerSecond;
    }

    frmMain::setSideFolder(folder.path());
    const double pacedShare = pacedProcessorShare(seconds / kRounds);

    // Under a compositing manager the cube window keys by alpha.
    double alphaFps = 0, bareComposited = 0, bareAlphaSurface = 0;
    bool composited = false;
    {
        Compositor compositor;
        composited = compositor.running();
        for (int round = 0; composited && round < kRounds; ++round) {
            alphaFps += runCubeWindow(seconds / kRounds).framesPerSecond / kRounds;
            bareComposited += runBareLoop(seconds / kRounds, folder.path()) / kRounds;
            bareAlphaSurface += runBareLoop(seconds / kRounds, folder.path(), true) / kRounds;
        }
    }

    std::printf("cube_first_frame_cold_ms %.1f ms\n", coldFirstFrame);
    std::printf("cube_first_frame_ms %.1f ms\n", warmFirstFrame);
    std::printf("cube_loop_fps %.0f frames/s\n", cubeFps);
    std::printf("cube_loop_readback_fps %.0f frames/s\n", readBackFps);
    std::printf("bare_loop_fps %.0f frames/s\n", bareFps);
    std::printf("cube_paced_cpu %.2f cores\n", pacedShare);
    if (composited) {
        std::printf("cube_alpha_loop_fps %.0f frames/s\n", alphaFps);
        std::printf("bare_loop_composited_fps %.0f frames/s\n", bareComposited);
        std::printf("bare_loop_alpha_surface_fps %.0f frames/s\n", bareAlphaSurface);
        std::printf("cube_alpha_ratio_to_plain_bare %.2f ratio\n", bareComposited > 0 ? alphaFps / bareComposited : 0.0);
        std::printf("cube_alpha_ratio %.2f ratio\n", bareAlphaSurface > 0 ? alphaFps / bareAlphaSurface : 0.0);
    } else {
        std::printf("cube_alpha_loop_fps skipped (no xcompmgr)\n");
    }
    std::printf("cube_fps_ratio %.2f ratio\n", bareFps > 0 ? cubeFps / bareFps : 0.0);
    return 0;
}
