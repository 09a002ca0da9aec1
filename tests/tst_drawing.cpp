// The drawing layer: colour arithmetic, end-exclusive lines, fills, system edges, the
// gradients' steps and rounding, the etched frame, text, regions and the theme seam. Every
// expected colour is computed from the drawing rules, on small images.
#include "paint_scheme.h"

#include "drawing.h"
#include "gradientsteps.h"
#include "regions.h"
#include "theme.h"
#include "windows_state.h"

#include <QApplication>
#include <QPainter>
#include <QtTest>
#include <cmath>

using namespace host;
using namespace painttest;

Q_DECLARE_METATYPE(host::OleColor)

namespace {
QImage blank(int w, int h, OleColor c = RGB(1, 2, 3))
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(toQColor(c));
    return image;
}

Surface surfaceOf(int w, int h)
{
    Surface s;
    s.resize(w, h);
    s.setBackColor(RGB(1, 2, 3));
    return s;
}
} // namespace

class TestDrawing : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        host::resetWindowsState();
        pinScheme();
    }
    void cleanupTestCase() { host::resetWindowsState(); }

    void colourArithmetic_data();
    void colourArithmetic();
    void translateColorResolvesOrFails_data();
    void translateColorResolvesOrFails();

    void linesLeaveOutTheirEndPoint_data();
    void linesLeaveOutTheirEndPoint();
    void fillsAndFrames();
    void linesFarOutsideTheImageAreClipped();

    void edgesFollowTheSystemRules_data();
    void edgesFollowTheSystemRules();

    void gradientRowsExample();
    void gradientColumnsExample();
    void gradientStepsFollowTheWrittenRule();
    void fastAndPlainGradientsAgree_data();
    void fastAndPlainGradientsAgree();
    void gradientStepCounts_data();
    void gradientStepCounts();

    void etchedFrame();
    void textIsDrawnWithoutAntialiasing_data();
    void textIsDrawnWithoutAntialiasing();

    void repeatedTextMatchesAFreshLayout();
    void surfaceShownAtTwiceTheResolution();

    void regionShapes_data();
    void regionShapes();
    void themeSeamSwitchesTheThemeOff();
};

// --- colour arithmetic ------------------------------------------------------------------

void TestDrawing::colourArithmetic_data()
{
    QTest::addColumn<OleColor>("result");
    QTest::addColumn<OleColor>("expected");
    QTest::newRow("lighten 32") << Lighten(RGB(70, 80, 90), 32) << RGB(93, 101, 110);
    QTest::newRow("lighten 0 keeps") << Lighten(RGB(70, 80, 90), 0) << RGB(70, 80, 90);
    QTest::newRow("lighten 255 is white") << Lighten(RGB(3, 150, 77), 255) << RGB(255, 255, 255);
    QTest::newRow("lighten above 255 saturates") << Lighten(RGB(255, 0, 10), 300) << RGB(255, 255, 255);
    QTest::newRow("shift down clamps to black") << ShiftColor(RGB(120, 100, 110), -128) << RGB(0, 0, 0);
    QTest::newRow("shift up clamps to white") << ShiftColor(RGB(200, 180, 190), 96) << RGB(255, 255, 255);
    QTest::newRow("shift clamps per channel") << ShiftColor(RGB(250, 10, 128), 10) << RGB(255, 20, 138);
    QTest::newRow("shift ignores the high byte") << ShiftColor(0xFF000000u | RGB(1, 2, 3), 1) << RGB(2, 3, 4);
    QTest::newRow("blend ties to even") << BlendHalf(RGB(1, 2, 3), RGB(2, 3, 4)) << RGB(2, 2, 4);
    QTest::newRow("blend exact") << BlendHalf(RGB(0, 100, 255), RGB(255, 50, 255)) << RGB(128, 75, 255);
    QTest::newRow("blend is symmetric") << BlendHalf(RGB(2, 3, 4), RGB(1, 2, 3)) << RGB(2, 2, 4);
}

void TestDrawing::colourArithmetic()
{
    QFETCH(OleColor, result);
    QFETCH(OleColor, expected);
    QCOMPARE(name(result), name(expected));
}

void TestDrawing::translateColorResolvesOrFails_data()
{
    QTest::addColumn<OleColor>("value");
    QTest::addColumn<OleColor>("expected");
    QTest::newRow("plain RGB unchanged") << RGB(12, 34, 56) << RGB(12, 34, 56);
    QTest::newRow("button face") << systemColourRef(COLOR_BTNFACE) << kFace;
    QTest::newRow("highlight") << systemColourRef(COLOR_HIGHLIGHT) << kHighlight;
    QTest::newRow("unknown index") << systemColourRef(200) << kTranslateFailed;
    QTest::newRow("junk in the middle bytes") << OleColor(0x8012000Fu) << kTranslateFailed;
    QTest::newRow("minus one") << OleColor(0xFFFFFFFFu) << kTranslateFailed;
}

void TestDrawing::translateColorResolvesOrFails()
{
    QFETCH(OleColor, value);
    QFETCH(OleColor, expected);
    QCOMPARE(TranslateColor(value), expected);
}

// --- lines and fills --------------------------------------------------------------------

void TestDrawing::linesLeaveOutTheirEndPoint_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("length");
    QTest::newRow("rightwards") << QPoint(2, 3) << QPoint(8, 3) << 6;
    QTest::newRow("leftwards") << QPoint(8, 3) << QPoint(2, 3) << 6;
    QTest::newRow("downwards") << QPoint(4, 1) << QPoint(4, 9) << 8;
    QTest::newRow("upwards") << QPoint(4, 9) << QPoint(4, 1) << 8;
    QTest::newRow("diagonal up-right") << QPoint(2, 9) << QPoint(6, 5) << 4;
    QTest::newRow("diagonal down-left") << QPoint(9, 1) << QPoint(5, 5) << 4;
    QTest::newRow("single point") << QPoint(3, 3) << QPoint(3, 3) << 0;
}

void TestDrawing::linesLeaveOutTheirEndPoint()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, length);
    QImage dc = blank(12, 12);
    const OleColor ink = RGB(200, 10, 20);
    DrawLineOn(dc, from.x(), from.y(), to.x(), to.y(), ink);
    int painted = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            painted += at(dc, x, y) == ink;
    QCOMPARE(painted, length);
    if (length > 0)
        QCOMPARE(at(dc, from.x(), from.y()), ink);
    QCOMPARE(at(dc, to.x(), to.y()), RGB(1, 2, 3));
}

void TestDrawing::fillsAndFrames()
{
    QImage dc = blank(10, 10);
    const OleColor ink = RGB(9, 99, 199);
    FillBox(dc, 2, 2, 0, 5, ink);
    FillBox(dc, 2, 2, 5, 0, ink);
    FillBox(dc, 2, 2, -3, -3, ink);
    QCOMPARE(dc, blank(10, 10)); // empty boxes fill nothing

    FillBox(dc, 1, 2, 3, 4, ink); // x 1..3, y 2..5
    QCOMPARE(at(dc, 1, 2), ink);
    QCOMPARE(at(dc, 3, 5), ink);
    QCOMPARE(at(dc, 4, 5), RGB(1, 2, 3));
    QCOMPARE(at(dc, 3, 6), RGB(1, 2, 3));

    QImage frame = blank(10, 10);
    FrameBox(frame, 1, 1, 5, 4, ink); // outline through (1,1) (6,1) (6,5) (1,5)
    for (const QPoint p : {QPoint(1, 1), QPoint(6, 1), QPoint(6, 5), QPoint(1, 5), QPoint(3, 1), QPoint(6, 3)})
        QCOMPARE(at(frame, p.x(), p.y()), ink);
    QCOMPARE(at(frame, 3, 3), RGB(1, 2, 3));
    QCOMPARE(at(frame, 7, 1), RGB(1, 2, 3));
    QCOMPARE(at(frame, 1, 6), RGB(1, 2, 3));
}

void TestDrawing::linesFarOutsideTheImageAreClipped()
{
    QImage dc = blank(8, 8);
    DrawLineOn(dc, -2000000000, 3, 2000000000, 3, RGB(5, 5, 5));
    DrawLineOn(dc, 3, 2000000000, 3, -2000000000, RGB(6, 6, 6));
    DrawLineOn(dc, -2000000000, -2000000000, 2000000000, 1999999999, RGB(7, 7, 7));
    FillBox(dc, 2147483000, 0, 2147483000, 5, RGB(8, 8, 8));
    SetPixel(dc, -1, 0, RGB(9, 9, 9));
    QCOMPARE(at(dc, 0, 3), RGB(5, 5, 5));
    QCOMPARE(at(dc, 7, 3), RGB(5, 5, 5));
    QCOMPARE(at(dc, 3, 0), RGB(6, 6, 6));
    QCOMPARE(GetPixel(dc, 8, 0), kNoPixel);

    // Gradients that start far before the image and run into it: only the steps on the
    // image are drawn (the last step of each is its end colour).
    QImage rows = blank(8, 8);
    GradientRowsOn(rows, RGB(0, 0, 0), RGB(40, 40, 40), 0, -2147483647, 8, 2147483647);
    QCOMPARE(at(rows, 0, 0), RGB(40, 40, 40));
    QCOMPARE(at(rows, 0, 1), RGB(1, 2, 3));
    Surface columns = surfaceOf(8, 8);
    GradientColumns(columns, RGB(0, 0, 0), RGB(50, 50, 50), -2147483647, 2, 0, 3);
    QCOMPARE(at(columns.image(), 0, 2), RGB(50, 50, 50));
    QCOMPARE(at(columns.image(), 1, 2), RGB(1, 2, 3));
}

// --- system edges -----------------------------------------------------------------------

void TestDrawing::edgesFollowTheSystemRules_data()
{
    // Pixels of a 10 x 8 box: outer top-left, outer far corners (taken by the bottom-right
    // lines), outer bottom-right, inner top-left, inner bottom-right, face.
    QTest::addColumn<int>("edge");
    QTest::addColumn<OleColor>("outerTopLeft");
    QTest::addColumn<OleColor>("outerBottomRight");
    QTest::addColumn<OleColor>("innerTopLeft");
    QTest::addColumn<OleColor>("innerBottomRight");
    QTest::newRow("raised") << int(EDGE_RAISED) << kLight3D << kDark3D << kHilite3D << kShadow;
    QTest::newRow("sunken") << int(EDGE_SUNKEN) << kShadow << kHilite3D << kDark3D << kLight3D;
    QTest::newRow("raised inner alone") << int(BDR_RAISEDINNER) << kHilite3D << kShadow << RGB(1, 2, 3) << RGB(1, 2, 3);
    QTest::newRow("sunken outer alone") << int(BDR_SUNKENOUTER) << kShadow << kHilite3D << RGB(1, 2, 3) << RGB(1, 2, 3);
}

void TestDrawing::edgesFollowTheSystemRules()
{
    QFETCH(int, edge);
    QFETCH(OleColor, outerTopLeft);
    QFETCH(OleColor, outerBottomRight);
    QFETCH(OleColor, innerTopLeft);
    QFETCH(OleColor, innerBottomRight);
    QImage dc = blank(12, 10);
    DrawEdgeBox(dc, 0.f, 0.f, 10.f, 8.f, edge, BF_RECT);
    QCOMPARE(name(at(dc, 0, 0)), name(outerTopLeft));
    QCOMPARE(name(at(dc, 4, 0)), name(outerTopLeft));
    QCOMPARE(name(at(dc, 0, 4)), name(outerTopLeft));
    QCOMPARE(name(at(dc, 9, 0)), name(outerBottomRight)); // top-right corner
    QCOMPARE(name(at(dc, 0, 7)), name(outerBottomRight)); // bottom-left corner
    QCOMPARE(name(at(dc, 9, 7)), name(outerBottomRight));
    QCOMPARE(name(at(dc, 4, 7)), name(outerBottomRight));
    QCOMPARE(name(at(dc, 1, 1)), name(innerTopLeft));
    QCOMPARE(name(at(dc, 8, 6)), name(innerBottomRight));
    QCOMPARE(name(at(dc, 8, 1)), name(innerBottomRight));
    QCOMPARE(name(at(dc, 1, 6)), name(innerBottomRight));
    QCOMPARE(name(at(dc, 4, 4)), name(RGB(1, 2, 3)));
    QCOMPARE(name(at(dc, 10, 0)), name(RGB(1, 2, 3)));
}

// --- gradients --------------------------------------------------------------------------

void TestDrawing::gradientRowsExample()
{
    Surface s = surfaceOf(45, 20);
    GradientRows(s, RGB(48, 32, 16), RGB(96, 80, 64), 2, 10, 40, 4);
    const OleColor rows[] = {RGB(48, 32, 16), RGB(60, 44, 28), RGB(72, 56, 40), RGB(84, 68, 52), RGB(96, 80, 64)};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(name(at(s.image(), 2, 10 + i)), name(rows[i]));
        QCOMPARE(name(at(s.image(), 39, 10 + i)), name(rows[i]));
        QCOMPARE(at(s.image(), 1, 10 + i), RGB(1, 2, 3));
        QCOMPARE(at(s.image(), 40, 10 + i), RGB(1, 2, 3));
    }
    QCOMPARE(at(s.image(), 5, 9), RGB(1, 2, 3));
    QCOMPARE(at(s.image(), 5, 15), RGB(1, 2, 3));
}

void TestDrawing::gradientColumnsExample()
{
    Surface s = surfaceOf(16, 6);
    GradientColumns(s, RGB(48, 32, 16), RGB(96, 80, 64), 5, 2, 12, 3);
    const int reds[] = {48, 55, 62, 69, 75, 82, 89, 96};
    for (int i = 0; i < 8; ++i) {
        const OleColor c = at(s.image(), 5 + i, 2);
        QCOMPARE(redOf(c), reds[i]);
        QCOMPARE(greenOf(c), reds[i] - 16);
        QCOMPARE(blueOf(c), reds[i] - 32);
        QCOMPARE(at(s.image(), 5 + i, 3), RGB(1, 2, 3)); // y2 is the left-out end point
    }
    QCOMPARE(at(s.image(), 4, 2), RGB(1, 2, 3));
    QCOMPARE(at(s.image(), 13, 2), RGB(1, 2, 3));
}

void TestDrawing::gradientStepsFollowTheWrittenRule()
{
    // Every step of many gradients against the rule worked out plainly: 32-bit float step
    // (end - start) / n, value start + step * i, rounded half to even, per channel.
    const auto plain = [](int a, int b, int i, int n) {
        const float step = (float(b) - float(a)) / float(n);
        return int(std::nearbyint(float(a) + step * float(i)));
    };
    quint32 seed = 12345;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int round = 0; round < 2000; ++round) {
        const OleColor from = next() & 0xFFFFFF, to = next() & 0xFFFFFF;
        const int n = 1 + int(next() % 200);
        for (int i = 0; i <= n; ++i) {
            const OleColor got = GradientStep(from, to, i, n);
            const OleColor want = RGB(plain(redOf(from), redOf(to), i, n), plain(greenOf(from), greenOf(to), i, n),
                                      plain(blueOf(from), blueOf(to), i, n));
            if (got != want)
                QFAIL(qPrintable(QStringLiteral("step %1 of %2: %3 instead of %4").arg(i).arg(n)
                                     .arg(QString::fromLatin1(name(got)), QString::fromLatin1(name(want)))));
        }
    }
    QVERIFY_THROWS_EXCEPTION(DivisionByZero, GradientStep(RGB(1, 2, 3), RGB(4, 5, 6), 0, 0));
}

void TestDrawing::fastAndPlainGradientsAgree_data()
{
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<int>("beyond"); // steps checked past each end of 0..n
    QTest::newRow("short runs, every channel pair") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8} << 0;
    QTest::newRow("button sizes, every channel pair") << QList<int>{19, 41, 57, 105, 137} << 0;
    QTest::newRow("far beyond the run's ends") << QList<int>{2, 255} << 100000;
}

// The SSE2 build of the gradient steps against the plain one, pixel for pixel: start and
// end run through every pair of channel values (a different pairing in each channel).
void TestDrawing::fastAndPlainGradientsAgree()
{
#if defined(__SSE2__)
    QFETCH(QList<int>, counts);
    QFETCH(int, beyond);
    for (const int n : counts) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; b += beyond ? 15 : 1) {
                const OleColor from = RGB(a, b, 255 - a), to = RGB(b, a, a ^ b);
                const PlainGradientSteps plain(from, to, n);
                const Sse2GradientSteps fast(from, to, n);
                QString fault;
                const auto agree = [&](long long i) {
                    if (plain.at(i) == fast.at(i))
                        return true;
                    fault = QStringLiteral("%1 to %2, step %3 of %4: %5 plain, %6 fast")
                                .arg(from, 6, 16, QLatin1Char('0')).arg(to, 6, 16, QLatin1Char('0'))
                                .arg(i).arg(n).arg(plain.at(i), 8, 16).arg(fast.at(i), 8, 16);
                    return false;
                };
                bool same = true;
                for (long long i = -beyond; same && i <= n + beyond; i += beyond ? 997 : 1)
                    same = agree(i);
                for (const long long far : {-(1LL << 40), -(1LL << 31), 1LL << 31, 1LL << 40})
                    same = same && agree(far);
                if (!same)
                    QFAIL(qPrintable(fault));
            }
        }
    }
#else
    QSKIP("no SSE2 on this machine: only the plain steps are built");
#endif
}

void TestDrawing::gradientStepCounts_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("rowsDrawn");
    QTest::addColumn<bool>("raises");
    QTest::newRow("n = 1 draws start and end") << 1 << 2 << false;
    QTest::newRow("n = 3") << 3 << 4 << false;
    QTest::newRow("n < 0 draws nothing") << -1 << 0 << false;
    QTest::newRow("n = 0 is a division error") << 0 << 0 << true;
}

void TestDrawing::gradientStepCounts()
{
    QFETCH(int, n);
    QFETCH(int, rowsDrawn);
    QFETCH(bool, raises);
    Surface s = surfaceOf(6, 8);
    bool raised = false;
    try {
        GradientRows(s, RGB(10, 10, 10), RGB(20, 20, 20), 1, 1, 4, n);
    } catch (const DivisionByZero &) {
        raised = true;
    }
    QCOMPARE(raised, raises);
    int rows = 0;
    for (int y = 0; y < 8; ++y)
        rows += at(s.image(), 1, y) != RGB(1, 2, 3);
    QCOMPARE(rows, rowsDrawn);
    if (rowsDrawn > 0) {
        QCOMPARE(at(s.image(), 1, 1), RGB(10, 10, 10));
        QCOMPARE(at(s.image(), 1, rowsDrawn), RGB(20, 20, 20));
    }
}

// --- etched frame and text --------------------------------------------------------------

void TestDrawing::etchedFrame()
{
    Surface s = surfaceOf(12, 10);
    const OleColor outer = RGB(100, 100, 100), inner = RGB(250, 250, 250), corner = RGB(7, 8, 9);
    DrawEtchedFrame(s, 0, 0, 9, 7, outer, inner, corner);
    const QImage &dc = s.image();
    QCOMPARE(at(dc, 0, 0), outer);
    QCOMPARE(at(dc, 9, 0), corner);   // (left + width, top)
    QCOMPARE(at(dc, 0, 7), corner);   // (left, top + height)
    QCOMPARE(at(dc, 1, 6), BlendHalf(inner, outer));
    QCOMPARE(at(dc, 8, 1), BlendHalf(inner, outer));
    QCOMPARE(at(dc, 1, 1), inner);
    QCOMPARE(at(dc, 9, 7), inner);    // inner frame's far corner
    QCOMPARE(at(dc, 4, 6), outer);
    QCOMPARE(at(dc, 8, 6), outer);
    QCOMPARE(at(dc, 4, 7), inner);
    QCOMPARE(at(dc, 4, 3), RGB(1, 2, 3));
}

void TestDrawing::textIsDrawnWithoutAntialiasing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<unsigned>("format");
    QTest::newRow("centred single line") << QStringLiteral("Show Cube") << unsigned(DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    QTest::newRow("mnemonic") << QStringLiteral("&Exit") << unsigned(DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    QTest::newRow("no prefix") << QStringLiteral("A&B") << unsigned(DT_SINGLELINE | DT_BOTTOM | DT_RIGHT | DT_NOPREFIX);
    QTest::newRow("word break") << QStringLiteral("two words") << unsigned(DT_CENTER | DT_WORDBREAK);
}

void TestDrawing::textIsDrawnWithoutAntialiasing()
{
    QFETCH(QString, text);
    QFETCH(unsigned, format);
    Surface s = surfaceOf(120, 40);
    s.setBackColor(RGB(255, 255, 255));
    s.setForeColor(RGB(0, 0, 128));
    DrawText(s, text, 4, 4, 116, 36, format);
    int ink = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const OleColor c = at(s.image(), x, y);
            QVERIFY2(c == RGB(255, 255, 255) || c == RGB(0, 0, 128), name(c).constData());
            ink += c == RGB(0, 0, 128);
        }
    }
    QVERIFY(ink > 0);
    QCOMPARE(s.foreColor(), RGB(0, 0, 128));
}

void TestDrawing::repeatedTextMatchesAFreshLayout()
{
    // A caption drawn again comes from the kept layout; it must be the same pixels as Qt
    // setting the text afresh, in whatever colour is current.
    Surface first = surfaceOf(90, 30), again = surfaceOf(90, 30);
    QImage fresh = first.image().copy();
    first.setForeColor(RGB(0, 0, 0));
    again.setForeColor(RGB(200, 0, 100));
    const unsigned format = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    DrawText(first, QStringLiteral("&Kept text"), 4, 4, 86, 26, format);
    DrawText(again, QStringLiteral("&Kept text"), 4, 4, 86, 26, format);
    DrawText(again, QStringLiteral("&Kept text"), 4, 4, 86, 26, format);

    QPainter painter(&fresh);
    QFont font = first.font();
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(QColor(200, 0, 100));
    painter.drawText(QRect(4, 4, 82, 22), Qt::AlignCenter | Qt::TextShowMnemonic, QStringLiteral("&Kept text"));
    painter.end();
    QCOMPARE(again.image(), fresh);
    QCOMPARE(count(first.image(), RGB(0, 0, 0)), count(fresh, RGB(200, 0, 100)));
}

void TestDrawing::surfaceShownAtTwiceTheResolution()
{
    // At a device pixel ratio of 2 every surface pixel is a 2 x 2 block, and the caption is
    // drawn at the device's resolution over the blocks instead of into the surface.
    Surface surface = surfaceOf(90, 30);
    surface.setDeviceScale(2.0);
    const QImage before = surface.image().copy();
    FillBox(surface.image(), 3, 5, 1, 1, RGB(0, 0, 255));
    surface.setForeColor(RGB(200, 0, 100));
    DrawText(surface, QStringLiteral("&Kept text"), 4, 4, 86, 26, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    QCOMPARE(count(surface.image(), RGB(200, 0, 100)), 0);

    QImage shown(180, 60, QImage::Format_RGB32);
    shown.setDevicePixelRatio(2.0);
    QPainter painter(&shown);
    ShowSurface(painter, surface);
    painter.end();
    for (const QPoint &p : {QPoint(6, 10), QPoint(7, 10), QPoint(6, 11), QPoint(7, 11)})
        QCOMPARE(shown.pixelColor(p), QColor(0, 0, 255));
    QCOMPARE(shown.pixelColor(8, 10), before.pixelColor(4, 5));
    // Text rows at device resolution: some caption pixel lies in an odd device row, which
    // a caption blown up from the surface would never start on alone.
    bool oddRowAlone = false;
    for (int y = 1; y < shown.height(); y += 2) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixelColor(x, y) == QColor(200, 0, 100) && shown.pixelColor(x, y - 1) != QColor(200, 0, 100))
                oddRowAlone = true;
        }
    }
    QVERIFY(oddRowAlone);
    // Cleared for the next paint.
    surface.clear();
    QVERIFY(surface.kept().empty());
}

// --- regions and theme ------------------------------------------------------------------

void TestDrawing::regionShapes_data()
{
    QTest::addColumn<QRegion>("region");
    QTest::addColumn<QList<QPoint>>("inside");
    QTest::addColumn<QList<QPoint>>("outside");
    // W = 41, H = 23
    QTest::newRow("cut corners") << MakeCutCornerRegion(41, 23)
                                 << QList<QPoint>{{1, 0}, {0, 1}, {39, 0}, {40, 1}, {40, 20}, {2, 22}, {38, 22}, {20, 11}}
                                 << QList<QPoint>{{0, 0}, {40, 0}, {40, 22}, {0, 22}, {41, 5}, {5, 23}};
    QTest::newRow("bevel corners") << MakeBevelCornerRegion(41, 23)
                                   << QList<QPoint>{{2, 0}, {0, 2}, {37, 0}, {40, 3}, {40, 19}, {4, 22}, {37, 22}, {20, 11}}
                                   << QList<QPoint>{{0, 0}, {1, 0}, {0, 1}, {39, 0}, {40, 1}, {40, 22}, {0, 22}, {0, 20}};
    QTest::newRow("round 18") << MakeRoundRegion(41, 23)
                              << QList<QPoint>{{0, 11}, {40, 11}, {20, 0}, {20, 22}, {9, 0}, {3, 3}}
                              << QList<QPoint>{{0, 0}, {40, 0}, {0, 22}, {40, 22}, {2, 0}, {41, 11}, {20, 23}, {1, 2}};
}

void TestDrawing::regionShapes()
{
    QFETCH(QRegion, region);
    QFETCH(QList<QPoint>, inside);
    QFETCH(QList<QPoint>, outside);
    for (const QPoint &p : inside)
        QVERIFY2(region.contains(p), qPrintable(QStringLiteral("(%1,%2) inside").arg(p.x()).arg(p.y())));
    for (const QPoint &p : outside)
        QVERIFY2(!region.contains(p), qPrintable(QStringLiteral("(%1,%2) outside").arg(p.x()).arg(p.y())));
    QVERIFY(region.boundingRect().right() <= 40);
    QVERIFY(region.boundingRect().bottom() <= 22);
}

void TestDrawing::themeSeamSwitchesTheThemeOff()
{
    Surface s = surfaceOf(60, 24);
    const QRect all(0, 0, 60, 24);
    QVERIFY(DrawThemedBackground(s, nullptr, QStringLiteral("Button"), 1, PBS_HOT, all));
    QVERIFY(!DrawThemedBackground(s, nullptr, QStringLiteral("Scrollbar"), 1, PBS_HOT, all));
    QVERIFY(!DrawThemedBackground(s, nullptr, QStringLiteral("Button"), 1, 0, all));
    Surface untouched = surfaceOf(60, 24);
    {
        const ScopedThemeAvailable noTheme(false);
        QVERIFY(!DrawThemedBackground(untouched, nullptr, QStringLiteral("Button"), 1, PBS_NORMAL, all));
    }
    QVERIFY(themeAvailable());
    QCOMPARE(untouched.image(), surfaceOf(60, 24).image());
}

QTEST_MAIN(TestDrawing)
#include "tst_drawing.moc"
