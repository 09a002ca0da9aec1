// The button looks: every style's outline, corners, accents and faces in each state at two
// sizes (one odd), with the colours worked out from the looks' rules; the state settling of
// Refresh, caption colours, icon placement, window shapes and the themed fallback.
#include "paint_looks.h"
#include "stylebutton_state.h"

#include "drawing.h"
#include "regions.h"
#include "theme.h"
#include "windows_state.h"

#include <QPainter>
#include <QtTest>
#include <cmath>

using namespace host;
using namespace painttest;

Q_DECLARE_METATYPE(host::OleColor)

namespace {

constexpr int N = ButtonLook::Normal, HOT = ButtonLook::Hot, P = ButtonLook::Pressed, D = ButtonLook::Disabled;

OleColor sh(OleColor c, int k)
{
    return ShiftColor(c, k);
}

// Gradient step i of n, worked out here with the written rule: 32-bit float steps, each
// channel rounded half to even.
OleColor grad(OleColor from, OleColor to, int i, int n)
{
    const auto ch = [&](int a, int b) {
        const float step = (float(b) - float(a)) / float(n);
        return int(std::nearbyint(float(a) + step * float(i)));
    };
    return RGB(ch(redOf(from), redOf(to)), ch(greenOf(from), greenOf(to)), ch(blueOf(from), blueOf(to)));
}

int half(int v)
{
    return int(std::nearbyint(v / 2.0));
}

struct Probe
{
    int x, y;
    OleColor colour;
};

QPixmap solidIcon(int size, QColor colour)
{
    QPixmap icon(size, size);
    icon.fill(colour);
    return icon;
}

constexpr OleColor kMagenta = RGB(255, 0, 255);

// The box of pixels painted in `colour`.
QRect boxOf(const QImage &image, OleColor colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (at(image, x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

Q_DECLARE_METATYPE(Look)
Q_DECLARE_METATYPE(QList<Probe>)

class TestPaint : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetStyleButtonState();
        pinScheme();
    }
    void cleanupTestCase() { resetStyleButtonState(); }

    void looks_data();
    void looks();

    void refreshSettlesTheState_data();
    void refreshSettlesTheState();
    void captionTakesTheStateColour_data();
    void captionTakesTheStateColour();
    void iconPosition_data();
    void iconPosition();
    void highlightCastsAGreyIconShadow();
    void iconDrawnAtTwiceTheResolution_data();
    void iconDrawnAtTwiceTheResolution();
    void pillCoversItsWholeShape_data();
    void pillCoversItsWholeShape();
    void windowShapeFollowsTheStyle_data();
    void windowShapeFollowsTheStyle();
    void themedFallsBackWhenNoThemeDraws();
    void themedFocusShowsTheDefaultButtonAtRestOnly_data();
    void themedFocusShowsTheDefaultButtonAtRestOnly();
    void captionFormatFollowsCaptionAlign_data();
    void captionFormatFollowsCaptionAlign();
    void badInputNeverCrashes_data();
    void badInputNeverCrashes();

private:
    static void addLook(const char *what, const Look &look, int w, int h, const QList<Probe> &probes);
    static void simpleLooks(int w, int h);
    static void roundedLooks(int w, int h);
    static void gradientLooks(int w, int h);
    static void softLooks(int w, int h);
    static void shinyLooks(int w, int h);
    static void pillLooks(int w, int h);
};

void TestPaint::addLook(const char *what, const Look &look, int w, int h, const QList<Probe> &probes)
{
    QTest::addRow("%s %dx%d", what, w, h) << look << w << h << probes;
}

// --- the simple looks -------------------------------------------------------------------

void TestPaint::simpleLooks(int w, int h)
{
    const int mx = w / 2, my = h / 2;
    const OleColor back = RGB(180, 200, 220), lit = RGB(90, 140, 60);
    Look l;
    l.style = ButtonLook::Standard;
    addLook("standard normal", l, w, h, {{0, 0, kLight3D}, {w - 1, 0, kDark3D}, {0, h - 1, kDark3D}, {w - 1, h - 1, kDark3D},
                                         {1, 1, kHilite3D}, {w - 2, h - 2, kShadow}, {mx, my, kFace}});
    l.state = P;
    addLook("standard pressed", l, w, h, {{0, 0, kShadow}, {w - 1, h - 1, kHilite3D}, {1, 1, kDark3D},
                                          {w - 2, h - 2, kLight3D}, {mx, my, kFace}});
    l.custom = true;
    l.back = back;
    l.highlight = lit;
    l.state = N;
    addLook("standard custom normal", l, w, h, {{mx, my, back}});
    l.state = HOT;
    addLook("standard custom hot", l, w, h, {{mx, my, lit}, {0, 0, kLight3D}});
    l.enabled = false;
    addLook("standard custom disabled shows highlight", l, w, h, {{mx, my, lit}, {0, 0, kLight3D}});

    Look t;
    t.style = ButtonLook::Thin;
    addLook("thin normal", t, w, h, {{0, 0, kHilite3D}, {w - 1, h - 1, kShadow}, {w - 1, 0, kShadow}, {1, 1, kFace}});
    t.state = HOT;
    addLook("thin hot", t, w, h, {{0, 0, kHilite3D}, {w - 1, h - 1, kShadow}, {mx, my, kFace}});
    t.state = P;
    addLook("thin pressed", t, w, h, {{0, 0, kShadow}, {w - 1, h - 1, kHilite3D}, {1, 1, kFace}});
    t.custom = true;
    t.back = back;
    t.highlight = lit;
    t.state = N;
    t.enabled = false;
    addLook("thin custom disabled is flat", t, w, h, {{0, 0, back}, {w - 1, h - 1, back}, {w - 2, h - 2, back}, {mx, my, back}});
    t.enabled = true;
    t.state = HOT;
    addLook("thin custom hot", t, w, h, {{mx, my, lit}, {0, 0, kHilite3D}});

    Look f;
    f.style = ButtonLook::Flat;
    addLook("flat normal", f, w, h, {{0, 0, kFace}, {w - 1, h - 1, kFace}, {mx, my, kFace}});
    f.state = HOT;
    addLook("flat hot", f, w, h, {{0, 0, kHilite3D}, {w - 1, h - 1, kShadow}});
    f.state = P;
    addLook("flat pressed", f, w, h, {{0, 0, kShadow}, {w - 1, h - 1, kHilite3D}});
    f.custom = true;
    f.back = back;
    f.highlight = lit;
    f.enabled = false;
    addLook("flat custom disabled", f, w, h, {{0, 0, back}, {mx, my, back}, {w - 1, h - 1, back}});

    Look e;
    e.style = ButtonLook::Etched;
    const OleColor soft = BlendHalf(kWindow, kShadow);
    for (const auto &[state, face, tag] : {std::tuple{N, kFace, "etched normal"},
                                           std::tuple{HOT, BlendHalf(kShadow, kFace), "etched hot"},
                                           std::tuple{P, kShadow, "etched pressed"}}) {
        e.state = state;
        addLook(tag, e, w, h, {{0, 0, kShadow}, {1, 1, kWindow}, {w - 1, 0, face}, {0, h - 1, face}, {1, h - 2, soft},
                               {w - 2, 1, soft}, {w - 2, h - 2, kShadow}, {w - 1, h - 1, kWindow}, {3, 3, kFace},
                               {4, 4, face}, {w - 5, h - 5, face}, {w - 4, h - 4, kFace}});
    }
    e.custom = true;
    e.back = back;
    e.highlight = lit;
    e.state = HOT;
    addLook("etched custom hot", e, w, h, {{4, 4, BlendHalf(lit, back)}, {3, 3, back}, {0, 0, kShadow}});

    Look g;
    g.style = ButtonLook::Highlight;
    addLook("highlight normal", g, w, h, {{0, 0, Lighten(kFace, 32)}, {w - 1, h - 1, Lighten(kFace, 32)}, {mx, my, Lighten(kFace, 32)}});
    g.state = HOT;
    addLook("highlight hot", g, w, h, {{0, 0, kHighlight}, {w - 1, h - 1, kHighlight}, {w - 1, 0, kHighlight},
                                       {1, 1, Lighten(kHighlight, 176)}, {w - 2, h - 2, Lighten(kHighlight, 176)}});
    g.state = P;
    addLook("highlight pressed", g, w, h, {{0, 0, kHighlight}, {mx, my, Lighten(kHighlight, 128)}});
    g.enabled = false;
    addLook("highlight disabled", g, w, h, {{0, 0, Lighten(kFace, 32)}, {mx, my, Lighten(kFace, 32)}});
}

// --- Rounded ----------------------------------------------------------------------------

void TestPaint::roundedLooks(int w, int h)
{
    const int mx = w / 2, my = h / 2;
    const OleColor outline = RGB(0, 60, 116), ring1 = RGB(72, 110, 144), ring2 = RGB(106, 139, 162), ring3 = RGB(191, 199, 202);
    const QList<Probe> frame = {{0, my, outline}, {w - 1, my, outline}, {mx, 0, outline}, {mx, h - 1, outline},
                                {1, 1, ring1}, {w - 2, h - 2, ring1}, {0, 1, ring2}, {1, 0, ring2}, {w - 1, h - 2, ring2},
                                {w - 2, h - 1, ring2}, {0, 0, kFace}, {w - 1, h - 1, kFace}};
    Look r;
    r.style = ButtonLook::Rounded;
    addLook("rounded normal", r, w, h, frame + QList<Probe>{{1, 2, ring3}, {2, 1, ring3}, {w - 2, 2, ring3},
                                                          {mx, 1, RGB(252, 252, 251)}, {mx, 4, RGB(250, 250, 249)},
                                                          {mx, h - 4, RGB(235, 235, 230)}, {mx, h - 2, grad(RGB(235, 235, 230), RGB(214, 208, 197), 2, 3)},
                                                          {w - 2, 3, RGB(245, 244, 242)}, {w - 3, 3, RGB(251, 251, 250)}});
    r.state = HOT;
    const QList<Probe> hot = {{mx, 1, RGB(255, 240, 207)}, {mx, 2, RGB(253, 216, 137)}, {mx, h - 3, RGB(248, 179, 48)},
                              {mx, h - 2, RGB(229, 151, 16)}, {1, 2, RGB(253, 216, 137)}, {w - 3, 2, RGB(253, 216, 137)},
                              {1, h - 3, RGB(248, 179, 48)}, {2, 1, RGB(255, 240, 207)}};
    addLook("rounded hot", r, w, h, frame + hot);
    r.focus = true;
    addLook("rounded hot with focus", r, w, h, frame + hot);
    r.state = N;
    addLook("rounded normal with focus", r, w, h, frame + QList<Probe>{{mx, 1, RGB(206, 231, 255)}, {mx, 2, RGB(188, 212, 246)},
                                                                     {mx, h - 3, RGB(137, 173, 228)}, {mx, h - 2, RGB(105, 130, 238)},
                                                                     {1, 2, RGB(188, 212, 246)}, {w - 2, h - 3, RGB(137, 173, 228)}});
    r.state = P;
    addLook("rounded pressed", r, w, h, frame + QList<Probe>{{mx, 1, RGB(209, 204, 193)}, {mx, 4, RGB(228, 227, 220)},
                                                           {mx, h - 2, grad(RGB(227, 226, 219), RGB(242, 241, 238), 2, 3)}, {1, 3, RGB(218, 216, 206)},
                                                           {2, 4, RGB(218, 216, 206)}, {1, 2, ring3}});
    r.state = N;
    r.focus = false;
    r.enabled = false;
    addLook("rounded disabled", r, w, h, {{mx, my, RGB(245, 244, 234)}, {0, my, RGB(201, 199, 186)}, {0, 0, RGB(201, 199, 186)},
                                          {w - 1, h - 1, RGB(201, 199, 186)}, {1, 1, RGB(216, 213, 199)},
                                          {w - 2, h - 1, RGB(216, 213, 199)}, {w - 1, h - 2, RGB(216, 213, 199)}});
    r.enabled = true;

    // With custom colours every colour derives from BackColor and HighlightColor.
    const OleColor b = RGB(150, 160, 170), a = RGB(40, 120, 200);
    Look c;
    c.style = ButtonLook::Rounded;
    c.custom = true;
    c.back = b;
    c.highlight = a;
    const QList<Probe> customFrame = {{0, my, sh(b, -128)}, {w - 1, my, sh(b, -128)}, {w - 1, 0, sh(b, -128)}, {mx, 0, sh(b, -128)},
                                      {1, 1, sh(b, -128)}, {1, 0, sh(b, -21)}, {w - 1, h - 2, sh(b, -21)}, {0, 0, b}};
    addLook("rounded custom normal", c, w, h, customFrame + QList<Probe>{{mx, 1, sh(b, 5)}, {mx, 2, sh(b, 2)}, {mx, h - 4, sh(b, -16)},
                                                                       {mx, h - 3, sh(b, -24)}, {mx, h - 2, sh(b, -37)},
                                                                       {1, 2, sh(b, 2)}, {1, 3, grad(sh(b, 21), sh(b, -21), 1, h - 5)}, {w - 2, 3, grad(sh(b, -5), sh(b, -32), 1, h - 5)}});
    c.state = HOT;
    c.focus = true;
    addLook("rounded custom hot", c, w, h, customFrame + QList<Probe>{{mx, 1, sh(a, 85)}, {mx, 2, sh(a, 69)}, {mx, h - 3, sh(a, 16)},
                                                                    {mx, h - 2, a}, {1, 2, sh(a, 69)}, {w - 2, h - 3, sh(a, 16)}});
    c.state = P;
    addLook("rounded custom pressed", c, w, h, {{0, my, sh(b, -128)}, {1, 1, sh(b, -96)}, {w - 2, h - 2, sh(b, -96)}, {1, 2, sh(b, -48)},
                                                {2, 1, sh(b, -48)}, {w - 2, h - 3, sh(b, 18)}, {w - 3, h - 2, sh(b, 8)},
                                                {mx, 1, sh(b, -37)}, {mx, h - 2, grad(sh(b, -5), sh(b, 5), 2, 3)}});
    c.state = N;
    c.focus = false;
    c.enabled = false;
    addLook("rounded custom disabled", c, w, h, {{mx, my, b}, {0, my, sh(b, -64)}, {1, 1, sh(b, -53)}, {w - 2, h - 1, sh(b, -53)}});
    c.enabled = true;
    c.back = RGB(100, 100, 100);
    addLook("rounded custom dark outline saturates", c, w, h, {{0, my, RGB(0, 0, 0)}, {mx, 0, RGB(0, 0, 0)}});
}

// --- Gradient ---------------------------------------------------------------------------

void TestPaint::gradientLooks(int w, int h)
{
    const int mx = w / 2, my = h / 2;
    const OleColor b = kFace, a = kHighlight;
    Look g;
    g.style = ButtonLook::Gradient;
    for (const auto &[state, s, corner, tag] : {std::tuple{N, 8, -21, "gradient normal"}, std::tuple{HOT, 24, -21, "gradient hot"},
                                                std::tuple{P, -9, -21, "gradient pressed"}, std::tuple{D, 18, 5, "gradient disabled"}}) {
        g.state = N;
        g.enabled = state != D;
        if (state != D)
            g.state = state;
        const OleColor st = sh(b, s);
        QList<Probe> probes = {{0, my, sh(st, -96)}, {mx, 0, sh(st, -96)}, {w - 1, my, sh(st, -96)}, {mx, h - 1, sh(st, -96)},
                               {1, 1, sh(st, -96)}, {w - 2, h - 2, sh(st, -96)}, {1, 0, sh(b, corner)}, {0, h - 2, sh(b, corner)},
                               {w - 1, 1, sh(b, corner)}, {w - 2, h - 1, sh(b, corner)}};
        if (state == P) {
            probes += {{mx, my, grad(sh(st, -15), st, my - 1, h - 2)}, {1, my, grad(sh(st, -32), sh(st, -5), my - 2, h - 5)},
                       {w - 2, my, grad(sh(st, -21), sh(st, 21), my - 2, h - 5)}, {mx, 1, sh(b, -21)}, {mx, h - 2, sh(b, 8)}};
        } else {
            const int f = state == HOT ? 16 : 15;
            probes += {{mx, my, grad(sh(st, f), sh(st, -f), my - 1, h - 3)}, {1, my, grad(sh(st, 21), sh(st, -21), my - 2, h - 5)},
                       {w - 2, my, grad(sh(st, -5), sh(st, -32), my - 2, h - 5)}, {0, 0, st}};
            if (state == HOT)
                probes += {{mx, 1, sh(a, 21)}, {1, 2, sh(a, 21)}, {w - 2, 2, sh(a, 21)}, {mx, h - 3, sh(a, -5)}, {mx, h - 2, sh(a, -21)}};
            else
                probes += {{mx, 1, sh(b, 21)}, {mx, h - 2, sh(b, -37)}};
        }
        addLook(tag, g, w, h, probes);
    }
    // The worked example: face RGB(236, 233, 216) idle gives S = RGB(244, 241, 224), a face
    // from RGB(255, 255, 239) to RGB(229, 226, 209) and an outline of RGB(148, 145, 128).
    g.enabled = true;
    g.state = P;
    g.focus = true;
    addLook("gradient pressed with focus has no accent", g, w, h, {{mx, 1, sh(b, -21)}, {mx, 2, grad(RGB(212, 209, 192), RGB(227, 224, 207), 1, h - 2)}});
    g.state = N;
    addLook("gradient normal with focus has the accent", g, w, h, {{mx, 1, sh(a, 21)}, {mx, h - 2, sh(a, -21)}, {0, my, RGB(148, 145, 128)}});
    g.focus = false;
    addLook("gradient example", g, w, h, {{0, 0, RGB(244, 241, 224)}, {0, my, RGB(148, 145, 128)},
                                          {mx, 2, grad(RGB(255, 255, 239), RGB(229, 226, 209), 1, h - 3)},
                                          {mx, h - 3, grad(RGB(255, 255, 239), RGB(229, 226, 209), h - 4, h - 3)}});
    g.custom = true;
    g.back = RGB(255, 255, 255);
    addLook("gradient white face saturates", g, w, h, {{0, 0, RGB(255, 255, 255)}, {mx, 2, grad(RGB(255, 255, 255), RGB(240, 240, 240), 1, h - 3)},
                                                       {0, my, RGB(159, 159, 159)}});
}

// --- Soft -------------------------------------------------------------------------------

void TestPaint::softLooks(int w, int h)
{
    const int mx = w / 2, my = h / 2;
    Look s;
    s.style = ButtonLook::Soft;
    struct Case
    {
        const char *tag;
        int state;
        bool focus, enabled;
        OleColor face;
        int outline;
    };
    const OleColor lit = sh(kFace, 15);
    for (const Case &c : {Case{"soft normal", N, false, true, kFace, -48}, Case{"soft normal with focus", N, true, true, kFace, -96},
                          Case{"soft hot", HOT, false, true, lit, -48}, Case{"soft pressed with focus", P, true, true, lit, -48},
                          Case{"soft disabled looks hot", N, false, false, lit, -48}}) {
        s.state = c.state;
        s.focus = c.focus;
        s.enabled = c.enabled;
        const OleColor st = c.face, o = sh(kFace, c.outline), d = sh(o, 21);
        const bool pressed = c.state == P;
        addLook(c.tag, s, w, h, {{0, 0, st}, {mx, 0, o}, {0, my, o}, {mx, h - 2, o}, {w - 2, my, o}, {1, 1, o}, {w - 3, h - 3, o},
                                 {mx, 2, sh(st, pressed ? -15 : 15)}, {mx, h - 4, sh(st, pressed ? 15 : -15)},
                                 {mx, 1, pressed ? st : sh(st, 96)}, {1, my, pressed ? st : sh(st, 96)},
                                 {mx, h - 3, pressed ? sh(st, 96) : st}, {mx, h - 1, d}, {w - 1, my, d},
                                 {w - 4, h - 1, d}, {w - 1, h - 4, d}, {w - 3, h - 1, sh(d, 15)}, {w - 1, h - 3, sh(d, 15)},
                                 {w - 2, h - 2, sh(d, 15)}});
    }
    s.state = N;
    s.focus = false;
    s.enabled = true;
    addLook("soft example", s, w, h, {{mx, 2, RGB(251, 248, 231)}, {mx, h - 4, RGB(221, 218, 201)}, {0, my, RGB(188, 185, 168)},
                                      {mx, h - 1, RGB(209, 206, 189)}});
    s.custom = true;
    s.back = RGB(80, 80, 80);
    s.focus = true;
    addLook("soft dark face with focus", s, w, h, {{0, my, RGB(0, 0, 0)}, {mx, h - 1, RGB(21, 21, 21)}});
}

// --- Shiny ------------------------------------------------------------------------------

void TestPaint::shinyLooks(int w, int h)
{
    const OleColor b = RGB(150, 140, 130), a = RGB(60, 110, 170);
    Look l;
    l.style = ButtonLook::Shiny;
    l.custom = true;
    l.back = b;
    l.highlight = a;
    for (const auto &[state, stateColour, tag] : {std::tuple{N, sh(b, -15), "shiny normal"}, std::tuple{HOT, sh(a, 1), "shiny hot"},
                                                  std::tuple{P, sh(a, 24), "shiny pressed"}, std::tuple{D, sh(b, 15), "shiny disabled"}}) {
        l.enabled = state != D;
        l.state = state == D ? N : state;
        const OleColor st = stateColour;
        const auto S = [st](int k) { return sh(st, k); };
        const int h2 = half(h);
        addLook(tag, l, w, h, {
            // rims and the left bevel columns' upper and lower gradients
            {0, 0, S(128)}, {0, 5, grad(S(128), S(-128), 5, h - 4)}, {w - 2, 0, S(128)},
            {2, 5, grad(st, S(-37), 1, half(h - 14))}, {3, 4, grad(st, S(-53), 1, half(h - 14))},
            {2, half(h - 4) + 1, grad(S(-37), S(-32), 1, half(h - 10))},
            {3, half(h - 6) + 2, grad(S(-53), S(-32), 2, half(h - 6))},
            {5, half(h - 8) - 1, grad(S(37), S(5), half(h - 8) - 3, half(h - 8))},
            {5, half(h - 8) + 2, grad(S(5), S(-5), 2, half(h - 6))},
            // the right rim split at mid-height and the right bevel columns
            {w - 1, 3, grad(S(128), S(-48), 3, h2)}, {w - 1, h2 + 2, grad(S(-64), S(-8), 2, half(h - 8))},
            {w - 4, 5, grad(st, S(-37), 1, half(h - 10))}, {w - 4, h2 + 1, grad(S(-37), S(-21), 1, half(h - 10))},
            {w - 7, h2 + 3, grad(S(-5), S(-37), 3, half(h - 8))},
            // top band and sheen
            {10, 0, S(48)}, {2, 1, S(48)}, {10, 1, st}, {6, 3, S(128)}, {w - 11, 2, S(32)},
            {w - 6, 2, grad(S(32), st, 5, 7)},
            // lower corners and base
            {6, h - 5, grad(S(-53), S(-32), 1, 7)}, {w - 10, h - 4, grad(S(-32), S(-53), 5, 8)},
            {10, h - 1, S(-16)}, {10, h - 2, S(-128)}, {10, h - 3, st}, {1, h - 3, S(-112)}, {w - 3, h - 3, S(-112)},
            {w - 2, h - 3, S(-21)}, {w - 4, h - 1, S(-21)}});
    }
}

// --- Pill -------------------------------------------------------------------------------

void TestPaint::pillLooks(int w, int h)
{
    struct Pattern
    {
        const char *name;
        OleColor face, left1, left2, right2, top0, top11, bottom2, bottom11;
    };
    const Pattern idle{"idle", RGB(232, 231, 234), RGB(160, 160, 160), RGB(153, 153, 153), RGB(156, 156, 156), RGB(106, 105, 103),
                       RGB(233, 235, 232), RGB(84, 84, 84), RGB(233, 235, 232)};
    const Pattern lit{"lit", RGB(106, 166, 226), RGB(158, 160, 176), RGB(19, 46, 113), RGB(152, 155, 171), RGB(8, 6, 69),
                      RGB(118, 172, 230), RGB(64, 93, 99), RGB(118, 172, 230)};
    const Pattern down{"down", RGB(106, 155, 204), RGB(155, 157, 169), RGB(23, 45, 99), RGB(148, 151, 164), RGB(10, 9, 60),
                       RGB(117, 161, 208), RGB(62, 86, 90), RGB(117, 161, 208)};
    struct Case
    {
        const char *tag;
        int state;
        bool focus, enabled, custom;
        const Pattern *pattern;
    };
    for (const Case &c : {Case{"pill normal", N, false, true, false, &idle}, Case{"pill normal with focus", N, true, true, false, &lit},
                          Case{"pill hot", HOT, false, true, true, &lit}, Case{"pill hot with focus", HOT, true, true, false, &lit},
                          Case{"pill pressed", P, true, true, true, &down}, Case{"pill disabled", N, false, false, false, &idle},
                          Case{"pill disabled with focus", N, true, false, false, &lit}}) {
        Look l;
        l.style = ButtonLook::Pill;
        l.state = c.state;
        l.focus = c.focus;
        l.enabled = c.enabled;
        l.custom = c.custom;
        l.back = RGB(1, 200, 3);
        l.highlight = RGB(200, 3, 1);
        const Pattern &p = *c.pattern;
        const int mx = w / 2, my = h / 2;
        addLook(c.tag, l, w, h, {{mx, my, p.face}, {18, my, p.face}, {0, my, RGB(247, 247, 247)}, {1, my, p.left1}, {2, my, p.left2},
                                 {17, my, p.face}, {w - 1, my, RGB(246, 246, 246)}, {w - 2, my, p.right2}, {w - 17, my, p.face},
                                 {mx, 0, p.top0}, {17, 0, p.top0}, {w - 18, 0, p.top0}, {mx, 11, p.top11},
                                 {mx, h - 1, RGB(197, 197, 197)}, {mx, h - 2, p.bottom2}, {mx, h - 11, p.bottom11},
                                 {1, 11, p.left1}, {1, h - 11, p.left1}});
    }
    Look l;
    l.style = ButtonLook::Pill;
    addLook("pill idle top-left corner", l, w, h, {{6, 0, RGB(254, 254, 254)}, {9, 0, RGB(122, 122, 122)}, {13, 0, RGB(111, 111, 113)},
                                                   {5, 1, RGB(239, 239, 239)}, {11, 1, RGB(238, 237, 235)}, {12, 1, RGB(246, 244, 245)}});
}

void TestPaint::looks_data()
{
    QTest::addColumn<Look>("look");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QList<Probe>>("probes");
    for (const QSize size : {QSize(60, 24), QSize(75, 33)}) {
        simpleLooks(size.width(), size.height());
        roundedLooks(size.width(), size.height());
        gradientLooks(size.width(), size.height());
        softLooks(size.width(), size.height());
        pillLooks(size.width(), size.height());
    }
    for (const QSize size : {QSize(60, 30), QSize(61, 33)})
        shinyLooks(size.width(), size.height());
}

void TestPaint::looks()
{
    QFETCH(Look, look);
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QList<Probe>, probes);
    const auto button = paint(look, w, h);
    for (const Probe &p : probes) {
        const QByteArray where = "(" + QByteArray::number(p.x) + "," + QByteArray::number(p.y) + ") ";
        QCOMPARE(where + name(at(*button, p.x, p.y)), where + name(p.colour));
    }
}

// --- Refresh ----------------------------------------------------------------------------

void TestPaint::refreshSettlesTheState_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("designTime");
    QTest::addColumn<bool>("toggleDown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("expected");
    QTest::newRow("run time keeps normal") << int(ButtonLook::Flat) << false << false << true << N;
    QTest::newRow("design time shows hot") << int(ButtonLook::Flat) << true << false << true << HOT;
    QTest::newRow("design time rounded stays normal") << int(ButtonLook::Rounded) << true << false << true << N;
    QTest::newRow("toggle down is pressed") << int(ButtonLook::Pill) << false << true << true << P;
    QTest::newRow("toggle down at design time") << int(ButtonLook::Gradient) << true << true << true << P;
    QTest::newRow("disabled wins") << int(ButtonLook::Soft) << true << true << false << D;
}

void TestPaint::refreshSettlesTheState()
{
    QFETCH(int, style);
    QFETCH(bool, designTime);
    QFETCH(bool, toggleDown);
    QFETCH(bool, enabled);
    QFETCH(int, expected);
    ButtonLook look;
    look.style = style;
    look.userMode = !designTime;
    look.buttonType = toggleDown ? ButtonLook::Toggle : ButtonLook::Push;
    look.value = toggleDown;
    look.enabled = enabled;
    look.state = N;
    QCOMPARE(paint(look, 50, 24)->outcome.state, expected);
}

void TestPaint::captionTakesTheStateColour_data()
{
    QTest::addColumn<Look>("look");
    QTest::addColumn<OleColor>("ink");
    QTest::addColumn<OleColor>("absent");
    const OleColor font = RGB(200, 0, 0), fontHot = RGB(0, 150, 0);
    Look l;
    l.style = ButtonLook::Flat;
    l.caption = QStringLiteral("WWW");
    l.font = font;
    l.fontHighlight = fontHot;
    QTest::newRow("system normal") << l << kText << font;
    l.state = HOT;
    QTest::newRow("system hot") << l << kText << fontHot;
    l.custom = true;
    QTest::newRow("custom hot") << l << fontHot << font;
    l.state = P;
    QTest::newRow("custom pressed") << l << fontHot << font;
    l.state = N;
    QTest::newRow("custom normal") << l << font << fontHot;
    l.enabled = false;
    QTest::newRow("custom disabled is grey") << l << kGrey << font;
}

void TestPaint::captionTakesTheStateColour()
{
    QFETCH(Look, look);
    QFETCH(OleColor, ink);
    QFETCH(OleColor, absent);
    const auto button = paint(look, 80, 30);
    QVERIFY(count(button->image(), ink) > 0);
    QCOMPARE(count(button->image(), absent), 0);
    const QRect box = boxOf(button->image(), ink);
    QVERIFY2(QRect(4, 4, 72, 22).contains(box), "the caption stays in TextRect");
}

void TestPaint::iconPosition_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("state");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("pill right") << int(ButtonLook::Pill) << 2 << N << QSize(100, 30) << QPoint(77, 7);
    QTest::newRow("pill right pressed") << int(ButtonLook::Pill) << 2 << P << QSize(100, 30) << QPoint(78, 8);
    QTest::newRow("centre 101 rounds down to even") << int(ButtonLook::Standard) << 0 << N << QSize(101, 31) << QPoint(42, 8);
    QTest::newRow("centre 103 rounds up to even") << int(ButtonLook::Standard) << 0 << N << QSize(103, 29) << QPoint(44, 6);
    QTest::newRow("left rounded margin 5") << int(ButtonLook::Rounded) << 1 << N << QSize(60, 30) << QPoint(5, 7);
    QTest::newRow("left gradient margin 5") << int(ButtonLook::Gradient) << 1 << N << QSize(60, 30) << QPoint(5, 7);
    QTest::newRow("left shiny margin 7") << int(ButtonLook::Shiny) << 1 << N << QSize(60, 30) << QPoint(7, 7);
    QTest::newRow("left soft margin 4") << int(ButtonLook::Soft) << 1 << N << QSize(60, 30) << QPoint(4, 7);
    QTest::newRow("top") << int(ButtonLook::Flat) << 3 << N << QSize(60, 40) << QPoint(22, 4);
    QTest::newRow("bottom") << int(ButtonLook::Flat) << 4 << N << QSize(60, 40) << QPoint(22, 20);
    QTest::newRow("unknown alignment at origin") << int(ButtonLook::Flat) << 9 << N << QSize(60, 40) << QPoint(0, 0);
}

void TestPaint::iconPosition()
{
    QFETCH(int, style);
    QFETCH(int, align);
    QFETCH(int, state);
    QFETCH(QSize, size);
    QFETCH(QPoint, topLeft);
    ButtonLook look;
    look.style = style;
    look.state = state;
    look.icon = solidIcon(8, QColor(255, 0, 255)); // scaled to IconSize
    look.iconSize = 16;
    look.iconAlign = align;
    QCOMPARE(boxOf(paint(look, size.width(), size.height())->image(), kMagenta), QRect(topLeft, QSize(16, 16)));
}

void TestPaint::highlightCastsAGreyIconShadow()
{
    ButtonLook look;
    look.style = ButtonLook::Highlight;
    look.state = HOT;
    look.icon = solidIcon(16, QColor(255, 0, 255));
    look.iconSize = 16;
    look.iconAlign = 0;
    const auto button = paint(look, 60, 30); // icon box at (22, 7)
    const QImage &image = button->image();
    const OleColor grey = RGB(128, 128, 128), face = Lighten(kHighlight, 176);
    QCOMPARE(boxOf(image, kMagenta), QRect(20, 5, 16, 16)); // drawn again 2 pixels up and left
    QCOMPARE(boxOf(image, grey), QRect(22, 7, 16, 16));
    QCOMPARE(at(image, 38, 23), face); // the (S + 1)-wide box has no icon there
    QCOMPARE(at(image, 21, 21), face);

    button->look.state = N;
    button->repaint();
    QCOMPARE(count(button->image(), grey), 0);
}

void TestPaint::iconDrawnAtTwiceTheResolution_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("align");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("topLeft"); // in surface pixels
    QTest::addColumn<QList<QPoint>>("grey"); // device pixels of the shadow
    QTest::newRow("centred") << int(ButtonLook::Standard) << N << 0 << QSize(60, 30) << QPoint(22, 7) << QList<QPoint>{};
    QTest::newRow("pill right pressed") << int(ButtonLook::Pill) << P << 2 << QSize(100, 30) << QPoint(78, 8)
                                        << QList<QPoint>{};
    // The shadow is cast from the icon as the screen shows it: 2 device pixels wide beside it.
    QTest::newRow("hot highlight with its shadow") << int(ButtonLook::Highlight) << HOT << 0 << QSize(60, 30)
                                                   << QPoint(20, 5) << QList<QPoint>{{72, 20}, {75, 45}, {50, 44}};
}

// At a device pixel ratio of 2 a 16-pixel icon from a 32-pixel picture shows every picture
// pixel, not 2 x 2 blocks of the icon as painted into the surface.
void TestPaint::iconDrawnAtTwiceTheResolution()
{
    QFETCH(int, style);
    QFETCH(int, state);
    QFETCH(int, align);
    QFETCH(QSize, size);
    QFETCH(QPoint, topLeft);
    QFETCH(QList<QPoint>, grey);
    const QColor a(255, 0, 255), b(0, 200, 0);
    QImage checks(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            checks.setPixelColor(x, y, (x + y) % 2 ? b : a);
    ButtonLook look;
    look.style = style;
    look.state = state;
    look.icon = QPixmap::fromImage(checks);
    look.iconSize = 16;
    look.iconAlign = align;
    look.layOut(size.width(), size.height());
    Painted button;
    button.look = look;
    button.surface.resize(size.width(), size.height());
    button.surface.setDeviceScale(2.0);
    button.repaint();
    QCOMPARE(count(button.image(), kMagenta), 0); // not painted into the surface's pixels

    QImage shown(size * 2, QImage::Format_RGB32);
    shown.setDevicePixelRatio(2.0);
    QPainter painter(&shown);
    ShowSurface(painter, button.surface);
    painter.end();
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            QCOMPARE(shown.pixelColor(topLeft.x() * 2 + x, topLeft.y() * 2 + y), checks.pixelColor(x, y));
    for (const QPoint &p : grey)
        QCOMPARE(shown.pixelColor(p), QColor(128, 128, 128));
}

void TestPaint::pillCoversItsWholeShape_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QSize>("size");
    for (const QSize size : {QSize(137, 57), QSize(40, 21), QSize(75, 33)}) {
        QTest::addRow("idle %dx%d", size.width(), size.height()) << N << size;
        QTest::addRow("lit %dx%d", size.width(), size.height()) << HOT << size;
        QTest::addRow("down %dx%d", size.width(), size.height()) << P << size;
    }
}

void TestPaint::pillCoversItsWholeShape()
{
    // The Pill look never sets the background: every pixel of its window shape must come
    // from the pattern (corner blocks included), none from what was there before.
    QFETCH(int, state);
    QFETCH(QSize, size);
    Painted button;
    button.look = lookAt(size.width(), size.height());
    button.look.style = ButtonLook::Pill;
    button.look.state = state;
    button.surface.resize(size.width(), size.height());
    const OleColor sentinel = RGB(1, 254, 3);
    button.surface.setBackColor(sentinel);
    button.repaint();
    for (const QRect &run : RegionForStyle(ButtonLook::Pill, size.width(), size.height()))
        for (int y = run.top(); y <= run.bottom(); ++y)
            for (int x = run.left(); x <= run.right(); ++x)
                QVERIFY2(at(button, x, y) != sentinel, qPrintable(QStringLiteral("(%1,%2)").arg(x).arg(y)));
}

void TestPaint::windowShapeFollowsTheStyle_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QRegion>("expected");
    const int w = 57, h = 23;
    QTest::newRow("standard") << int(ButtonLook::Standard) << QRegion(0, 0, w, h);
    QTest::newRow("themed") << int(ButtonLook::Themed) << QRegion(0, 0, w, h);
    QTest::newRow("rounded") << int(ButtonLook::Rounded) << MakeCutCornerRegion(w, h);
    QTest::newRow("gradient") << int(ButtonLook::Gradient) << MakeCutCornerRegion(w, h);
    QTest::newRow("soft") << int(ButtonLook::Soft) << MakeBevelCornerRegion(w, h);
    QTest::newRow("shiny") << int(ButtonLook::Shiny) << MakeBevelCornerRegion(w, h);
    QTest::newRow("pill") << int(ButtonLook::Pill) << MakeRoundRegion(w, h);
    QTest::newRow("unknown style") << 42 << QRegion(0, 0, w, h);
}

void TestPaint::windowShapeFollowsTheStyle()
{
    QFETCH(int, style);
    QFETCH(QRegion, expected);
    QCOMPARE(RegionForStyle(style, 57, 23), expected);
}

void TestPaint::themedFallsBackWhenNoThemeDraws()
{
    ButtonLook look;
    look.style = ButtonLook::Themed;
    look.nonThemeStyle = ButtonLook::Etched;
    const auto button = paint(look, 50, 24);
    QCOMPARE(button->outcome.style, int(ButtonLook::Themed)); // a theme drew it

    {
        const ScopedThemeAvailable noTheme(false);
        button->repaint();
    }
    QCOMPARE(button->outcome.style, int(ButtonLook::Etched));
    QCOMPARE(count(button->image(), kFace), 50 * 24); // this paint shows the face only
    button->look.style = button->outcome.style;
    button->repaint();
    QCOMPARE(at(*button, 0, 0), kShadow); // the next one the fallback look
    QCOMPARE(at(*button, 1, 1), kWindow);
}

void TestPaint::themedFocusShowsTheDefaultButtonAtRestOnly_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<int>("themeState"); // what the theme is asked to draw
    QTest::newRow("at rest") << int(ButtonLook::Normal) << false << int(PBS_NORMAL);
    QTest::newRow("at rest with the focus") << int(ButtonLook::Normal) << true << int(PBS_DEFAULTED);
    QTest::newRow("hot") << int(ButtonLook::Hot) << false << int(PBS_HOT);
    QTest::newRow("hot with the focus") << int(ButtonLook::Hot) << true << int(PBS_HOT);
    QTest::newRow("pressed with the focus") << int(ButtonLook::Pressed) << true << int(PBS_PRESSED);
}

void TestPaint::themedFocusShowsTheDefaultButtonAtRestOnly()
{
    QFETCH(int, state);
    QFETCH(bool, focus);
    QFETCH(int, themeState);
    Look l;
    l.style = ButtonLook::Themed;
    l.state = state;
    l.focus = focus;
    const auto button = paint(l, 60, 26);
    Surface expected;
    expected.resize(60, 26);
    expected.setBackColor(GetSysColor(COLOR_BTNFACE));
    const RECT &c = button->look.clientRect;
    QVERIFY(DrawThemedBackground(expected, nullptr, QStringLiteral("Button"), 1, themeState,
                                 QRect(c.left, c.top, c.right - c.left, c.bottom - c.top)));
    QCOMPARE(button->image(), expected.image());
}

void TestPaint::captionFormatFollowsCaptionAlign_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<quint32>("format");
    QTest::newRow("centre") << 0 << quint32(37);
    QTest::newRow("left") << 1 << quint32(36);
    QTest::newRow("right") << 2 << quint32(38);
    QTest::newRow("top") << 3 << quint32(33);
    QTest::newRow("bottom") << 4 << quint32(41);
    QTest::newRow("5 keeps the previous") << 5 << quint32(17);
    QTest::newRow("-1 keeps the previous") << -1 << quint32(17);
}

void TestPaint::captionFormatFollowsCaptionAlign()
{
    QFETCH(int, align);
    QFETCH(quint32, format);
    QCOMPARE(CaptionFormatFor(align, 17), format);
}

void TestPaint::badInputNeverCrashes_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("iconSize");
    QTest::addColumn<int>("state");
    for (int style = -1; style <= 11; ++style) {
        QTest::addRow("style %d tiny", style) << style << QSize(1, 1) << 16 << HOT;
        QTest::addRow("style %d at the gradient limit", style) << style << QSize(20, 8) << 16 << N;
        QTest::addRow("style %d odd state", style) << style << QSize(40, 20) << 16 << 0;
        QTest::addRow("style %d huge icon", style) << style << QSize(40, 20) << 32767 << HOT;
        QTest::addRow("style %d negative icon", style) << style << QSize(40, 20) << -32768 << P;
    }
}

void TestPaint::badInputNeverCrashes()
{
    QFETCH(int, style);
    QFETCH(QSize, size);
    QFETCH(int, iconSize);
    QFETCH(int, state);
    Painted button;
    button.look.layOut(size.width(), size.height(), 77); // no such alignment
    button.look.style = style;
    button.look.nonThemeStyle = 99;
    button.look.caption = QStringLiteral("&&&& & x\n y");
    button.look.icon = solidIcon(4, Qt::red);
    button.look.iconSize = iconSize;
    button.look.iconAlign = 2;
    button.look.state = state;
    button.look.useCustomColors = true;
    button.look.backColor = 0x80FFFFFFu; // a system-colour reference that cannot be resolved
    button.look.highlightColor = 0xFFFFFFFFu;
    button.surface.resize(size.width(), size.height());
    button.repaint();
    button.look.style = button.outcome.style;
    button.repaint();
    QCOMPARE(button.surface.width(), size.width());
}

QTEST_MAIN(TestPaint)
#include "tst_paint.moc"
