// stylebutton-render: paints one StyleButton to a PNG, or a gallery of every look.
//
//   stylebutton-render [--style N] [--state normal|hot|pressed|disabled] [--focus]
//       [--size WxH] [--caption TEXT] [--custom-colors] [--back-color C]
//       [--highlight-color C] [--font-color C] [--font-highlight-color C]
//       [--system-color INDEX=C]... [--design-mode] [--toggle --value]
//       [--icon FILE [--icon-align N] [--icon-size N]] [--scale S] OUT.png
//   stylebutton-render --gallery OUT.png
//
// Colours are 0x00BBGGRR in hex. The PNG holds the control's W x H surface exactly as
// painted (pixels outside the window shape are left as painted); with --scale, as a screen
// of that device pixel ratio shows it.
#include "look.h"

#include "drawing.h"
#include "syscolours.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace host;

namespace {

struct Options
{
    int style = ButtonLook::Standard;
    int state = ButtonLook::Normal;
    bool disabled = false;
    bool focus = false;
    int width = 137, height = 57;
    QString caption = QStringLiteral("StyleButton");
    bool customColors = false;
    std::optional<OleColor> back, highlight, font, fontHighlight;
    bool designMode = false;
    bool toggle = false, value = false;
    QString icon;
    int iconAlign = 0, iconSize = 16;
    double scale = 1.0;
    QString gallery;
    QString out;
};

int usage(const char *why)
{
    std::fprintf(stderr, "stylebutton-render: %s\n"
                         "usage: stylebutton-render [--style N] [--state normal|hot|pressed|disabled] [--focus]\n"
                         "       [--size WxH] [--caption TEXT] [--custom-colors] [--back-color C]\n"
                         "       [--highlight-color C] [--font-color C] [--font-highlight-color C]\n"
                         "       [--system-color INDEX=C]... [--design-mode] [--toggle --value]\n"
                         "       [--icon FILE [--icon-align N] [--icon-size N]] [--scale S] OUT.png\n"
                         "       stylebutton-render --gallery OUT.png\n", why);
    return 2;
}

bool parseColour(const QString &text, OleColor &out)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t = t.mid(2);
    bool ok = false;
    const qulonglong v = t.toULongLong(&ok, 16);
    if (!ok || v > 0xFFFFFFFFull)
        return false;
    out = static_cast<OleColor>(v);
    return true;
}

// Parses the command line; returns an error text, or nothing on success.
std::optional<QString> parse(const QStringList &args, Options &o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto next = [&](QString &value) {
            if (i + 1 >= args.size())
                return false;
            value = args[++i];
            return true;
        };
        QString v;
        OleColor c = 0;
        if (a == QLatin1String("--style")) {
            bool ok = false;
            if (!next(v) || (o.style = v.toInt(&ok), !ok))
                return QStringLiteral("--style needs a number");
        } else if (a == QLatin1String("--state")) {
            if (!next(v))
                return QStringLiteral("--state needs a value");
            if (v == QLatin1String("normal")) o.state = ButtonLook::Normal;
            else if (v == QLatin1String("hot")) o.state = ButtonLook::Hot;
            else if (v == QLatin1String("pressed")) o.state = ButtonLook::Pressed;
            else if (v == QLatin1String("disabled")) o.disabled = true;
            else return QStringLiteral("unknown state ") + v;
        } else if (a == QLatin1String("--focus")) {
            o.focus = true;
        } else if (a == QLatin1String("--size")) {
            const QStringList wh = next(v) ? v.split(QLatin1Char('x')) : QStringList();
            bool okW = false, okH = false;
            if (wh.size() == 2) {
                o.width = wh[0].toInt(&okW);
                o.height = wh[1].toInt(&okH);
            }
            if (!okW || !okH || o.width <= 0 || o.height <= 0 || o.width > 4096 || o.height > 4096)
                return QStringLiteral("--size needs WxH, each 1..4096");
        } else if (a == QLatin1String("--caption")) {
            if (!next(o.caption))
                return QStringLiteral("--caption needs a text");
        } else if (a == QLatin1String("--custom-colors")) {
            o.customColors = true;
        } else if (a == QLatin1String("--back-color") || a == QLatin1String("--highlight-color")
                   || a == QLatin1String("--font-color") || a == QLatin1String("--font-highlight-color")) {
            if (!next(v) || !parseColour(v, c))
                return a + QStringLiteral(" needs a colour 0x00BBGGRR");
            if (a == QLatin1String("--back-color")) o.back = c;
            else if (a == QLatin1String("--highlight-color")) o.highlight = c;
            else if (a == QLatin1String("--font-color")) o.font = c;
            else o.fontHighlight = c;
        } else if (a == QLatin1String("--system-color")) {
            const QStringList kv = next(v) ? v.split(QLatin1Char('=')) : QStringList();
            bool ok = false;
            const int index = kv.size() == 2 ? kv[0].toInt(&ok) : -1;
            if (!ok || index < 0 || index > 255 || !parseColour(kv[1], c))
                return QStringLiteral("--system-color needs INDEX=C");
            setSysColorOverride(index, c);
        } else if (a == QLatin1String("--design-mode")) {
            o.designMode = true;
        } else if (a == QLatin1String("--toggle")) {
            o.toggle = true;
        } else if (a == QLatin1String("--value")) {
            o.value = true;
        } else if (a == QLatin1String("--icon")) {
            if (!next(o.icon))
                return QStringLiteral("--icon needs a picture file");
        } else if (a == QLatin1String("--icon-align") || a == QLatin1String("--icon-size")) {
            bool ok = false;
            const int n = next(v) ? v.toInt(&ok) : 0;
            if (!ok || n < 0 || n > 4096)
                return a + QStringLiteral(" needs a number 0..4096");
            (a == QLatin1String("--icon-align") ? o.iconAlign : o.iconSize) = n;
        } else if (a == QLatin1String("--scale")) {
            bool ok = false;
            o.scale = next(v) ? v.toDouble(&ok) : 0.0;
            if (!ok || !(o.scale >= 1.0 && o.scale <= 8.0))
                return QStringLiteral("--scale needs a ratio 1..8");
        } else if (a == QLatin1String("--gallery")) {
            if (!next(o.gallery))
                return QStringLiteral("--gallery needs OUT.png");
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown option ") + a;
        } else if (o.out.isEmpty()) {
            o.out = a;
        } else {
            return QStringLiteral("more than one output file");
        }
    }
    if (o.gallery.isEmpty() && o.out.isEmpty())
        return QStringLiteral("no output file");
    return std::nullopt;
}

// Paints one button as the options say and returns its surface.
QImage render(const Options &o)
{
    ButtonLook look;
    look.caption = o.caption;
    look.style = o.style;
    look.nonThemeStyle = ButtonLook::Standard;
    look.useCustomColors = o.customColors;
    // A fresh control's colours: the system ones, resolved when it is made.
    look.backColor = o.back.value_or(TranslateColor(systemColourRef(COLOR_BTNFACE)));
    look.highlightColor = o.highlight.value_or(TranslateColor(systemColourRef(COLOR_HIGHLIGHT)));
    look.fontColor = o.font.value_or(TranslateColor(systemColourRef(COLOR_BTNTEXT)));
    look.fontHighlightColor = o.fontHighlight.value_or(TranslateColor(systemColourRef(COLOR_BTNTEXT)));
    look.buttonType = o.toggle ? ButtonLook::Toggle : ButtonLook::Push;
    look.value = o.value;
    look.enabled = !o.disabled;
    look.state = o.state;
    look.hasFocus = o.focus;
    look.userMode = !o.designMode;
    if (!o.icon.isEmpty() && !look.icon.load(o.icon))
        std::fprintf(stderr, "stylebutton-render: cannot read %s; no icon\n", qPrintable(o.icon));
    look.iconAlign = o.iconAlign;
    look.iconSize = o.iconSize;
    look.layOut(o.width, o.height);
    Surface surface;
    surface.resize(o.width, o.height);
    surface.setDeviceScale(o.scale);
    paintButton(surface, look);
    if (o.scale == 1.0)
        return surface.image();
    QImage shown(int(std::ceil(o.width * o.scale)), int(std::ceil(o.height * o.scale)), QImage::Format_RGB32);
    shown.setDevicePixelRatio(o.scale);
    shown.fill(Qt::white);
    QPainter painter(&shown);
    ShowSurface(painter, surface);
    return shown;
}

const char *const kStyleNames[] = {"Standard", "Thin", "Flat", "Etched", "Highlight", "Rounded",
                                   "Themed", "Gradient", "Soft", "Shiny", "Pill"};

// Every style in every state, without and with the focus, each cut to its window shape.
QImage gallery()
{
    const int cellW = 137, cellH = 57, gap = 10, labelW = 90, headerH = 24;
    const char *const states[] = {"normal", "hot", "pressed", "disabled"};
    const int cols = 8;
    QImage sheet(labelW + cols * (cellW + gap) + gap, headerH + 11 * (cellH + gap) + gap, QImage::Format_RGB32);
    sheet.fill(QColor(255, 255, 255));
    QPainter p(&sheet);
    p.setPen(Qt::black);
    for (int c = 0; c < cols; ++c) {
        const QString title = QString::fromLatin1(states[c % 4]) + (c >= 4 ? QStringLiteral(" + focus") : QString());
        p.drawText(QRect(labelW + gap + c * (cellW + gap), 0, cellW, headerH), Qt::AlignCenter, title);
    }
    for (int style = 0; style <= 10; ++style) {
        const int y = headerH + style * (cellH + gap);
        p.drawText(QRect(4, y, labelW - 8, cellH), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("%1 %2").arg(style).arg(QLatin1String(kStyleNames[style])));
        for (int c = 0; c < cols; ++c) {
            Options o;
            o.style = style;
            o.state = c % 4 == 3 ? ButtonLook::Normal : c % 4 + 1;
            o.disabled = c % 4 == 3;
            o.focus = c >= 4;
            o.caption = QStringLiteral("&Show Cube");
            // As on screen: only the window shape of the look shows.
            const QPoint at(labelW + gap + c * (cellW + gap), y);
            const QImage cell = render(o);
            for (const QRect &run : RegionForStyle(style, cellW, cellH))
                p.drawImage(run.translated(at), cell, run);
        }
    }
    return sheet;
}

} // namespace

int main(int argc, char **argv)
{
    // Paints without a screen when none is there.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Our own options first: Qt would take "--style" for its widget style.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    Options o;
    if (const auto error = parse(args, o))
        return usage(error->toLocal8Bit().constData());
    if (!o.gallery.isEmpty()) {
        if (!gallery().save(o.gallery, "PNG")) {
            std::fprintf(stderr, "stylebutton-render: cannot write %s\n", qPrintable(o.gallery));
            return 1;
        }
        return 0;
    }
    if (!render(o).save(o.out, "PNG")) {
        std::fprintf(stderr, "stylebutton-render: cannot write %s\n", qPrintable(o.out));
        return 1;
    }
    return 0;
}
