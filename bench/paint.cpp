// Time of one StyleButton paint per style (paintButton, the work of Refresh) at 137 x 57, the
// "Show Cube" button's size, against Qt's own QPushButton painting itself at that size with
// the Fusion style.
// Prints `name value unit` lines; the last is the worst ratio of a style to the peer.
// Usage: bench_paint [rounds], default 2000 paints per figure.
#include "look.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QStyleFactory>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kWidth = 137, kHeight = 57;

// Median time of one call, in microseconds, over batches of calls (the median keeps a
// stray scheduler hiccup out of the figure).
double medianMicros(const std::function<void()> &paint, int rounds)
{
    for (int i = 0; i < 50; ++i)
        paint(); // warm caches, fonts and glyphs
    constexpr int kBatch = 20;
    std::vector<double> batches;
    for (int done = 0; done < rounds; done += kBatch) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kBatch; ++i)
            paint();
        batches.push_back(timer.nsecsElapsed() / 1000.0 / kBatch);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

const char *const kNames[] = {"Standard", "Thin", "Flat", "Etched", "Highlight", "Rounded",
                              "Themed", "Gradient", "Soft", "Shiny", "Pill"};

} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::max(20, std::atoi(argv[1])) : 2000;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    // The peer: a push button painting itself into an image of its size.
    QPushButton peer(QStringLiteral("&Show Cube"));
    peer.resize(kWidth, kHeight);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    const double peerMicros = medianMicros([&] { peer.render(&target); }, rounds);
    std::printf("QPushButton_Fusion %.2f us\n", peerMicros);

    double worst = 0;
    for (int style = ButtonLook::Standard; style <= ButtonLook::Pill; ++style) {
        ButtonLook look;
        look.style = style;
        look.caption = QStringLiteral("&Show Cube");
        look.layOut(kWidth, kHeight);
        host::Surface surface;
        surface.resize(kWidth, kHeight);
        const double micros = medianMicros([&] { paintButton(surface, look); }, rounds);
        worst = std::max(worst, micros / peerMicros);
        std::printf("paintButton_%s %.2f us\n", kNames[style], micros);
    }
    std::printf("worst_ratio_to_peer %.2f x\n", worst);
    return 0;
}
