// bench_compose: start-up with seven 12-megapixel JPEGs stored in the slots, then the
// composition of the six side files, timed; in the same run the same reduction by
// ImageMagick's convert as the peer, decoding at the same eighth scale. Prints `name value unit` lines, the ratio last.
//
// The pictures are made by a child run of this program, so that making them does not count
// in this process's peak resident memory.
#include "appsettings.h"
#include "form1.h"
#include "frmmain.h"
#include "hostapp.h"
#include "imagecontrol.h"
#include "settingsstore.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000; // 12 megapixels
// Each road is run this many times and the fastest run counts, on both sides: the machine
// is shared, and the fastest run is the one least disturbed by others.
constexpr int kRuns = 5;

// A photograph-like picture: gradients, waves of several sizes and grain.
bool makePicture(const QString &path, int seed)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QRandomGenerator rng{quint32(seed)};
    for (int y = 0; y < kHeight; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const double u = double(x) / kWidth, v = double(y) / kHeight;
            const int wave = int(50 * std::sin(x * 0.004 * (seed + 1)) * std::cos(y * 0.02));
            const int grain = int(rng.bounded(13)) - 6;
            line[x] = qRgb(std::clamp(int(255 * u) + wave + grain, 0, 255),
                           std::clamp(int(255 * v) - wave + grain, 0, 255),
                           std::clamp(int(128 + 110 * std::sin(5 * u + 3 * v + seed)) + grain, 0, 255));
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    return writer.write(image);
}

double peakResidentMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

double fastest(const std::vector<double> &v)
{
    return *std::min_element(v.begin(), v.end());
}

// Stands in for the cube window: the benchmark times the road up to the cube, not the cube.
class NoCube : public host::HostForm
{
protected:
    void Form_Load() override { cubeClosed = true; }
    void createNativeWindow() override {}
    void destroyNativeWindow() override {}
    void setNativeVisible(bool) override {}
    bool nativeVisible() const override { return false; }
};

void print(const char *name, double value, const char *unit)
{
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--make-pictures") {
        for (int i = 0; i < app::kSlotCount; ++i)
            if (!makePicture(QDir(QString::fromLocal8Bit(argv[2])).filePath(QStringLiteral("photo%1.jpg").arg(i)), i))
                return 1;
        return 0;
    }

    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    const QString pictures = work.filePath(QStringLiteral("pictures"));
    const QString sides = work.filePath(QStringLiteral("sides"));
    const QString peerOut = work.filePath(QStringLiteral("peer"));
    QDir().mkpath(pictures);
    QDir().mkpath(sides);
    QDir().mkpath(peerOut);
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toUtf8());

    if (QProcess::execute(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--make-pictures"), pictures}) != 0) {
        std::fprintf(stderr, "could not make the test pictures\n");
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setOrganizationName(QStringLiteral("Vexorin"));
    host::setEndHandler([] {});
    frmMain::setSideFolder(sides);
    Form1::setCubeFactory([] { return std::make_unique<NoCube>(); });
    for (int i = 0; i < app::kSlotCount; ++i)
        app::writeEntry(app::imageEntry(i), QDir(pictures).filePath(QStringLiteral("photo%1.jpg").arg(i)));
    app::writeEntry(app::Entry::UseFrame, QStringLiteral("1"));

    std::vector<double> startup, compose, total, peer;
    double slotMB = 0;
    for (int run = 0; run < kRuns; ++run) {
        host::SettingsStore::reset();
        QElapsedTimer clock;
        clock.start();
        Form1 picker;
        picker.Load();
        const double loaded = clock.nsecsElapsed() / 1e9;
        picker.BuildAndShowCube();
        const double all = clock.nsecsElapsed() / 1e9;
        startup.push_back(loaded);
        compose.push_back(all - loaded);
        total.push_back(all);
        slotMB = 0;
        for (const host::ImageControl *slot : picker.Image1)
            slotMB += slot->picture().sizeInBytes() / (1024.0 * 1024.0);
        for (int side = 1; side <= 6; ++side)
            if (QFileInfo(QDir(sides).filePath(QStringLiteral("Side %1.bmp").arg(side))).size() != 196662) {
                std::fprintf(stderr, "side %d was not written\n", side);
                return 1;
            }
    }

    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    for (int run = 0; run < kRuns && !convert.isEmpty(); ++run) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < app::kSideCount; ++i) {
            // The size hint lets the JPEG library decode at the smallest scale that is at least
            // this large: an eighth of a 4000 x 3000 picture (500 x 375), the pixels our own
            // road decodes.
            QProcess::execute(convert, {QStringLiteral("-define"), QStringLiteral("jpeg:size=256x256"),
                                        QDir(pictures).filePath(QStringLiteral("photo%1.jpg").arg(i)),
                                        QStringLiteral("-resize"), QStringLiteral("256x256!"),
                                        QStringLiteral("BMP3:") + QDir(peerOut).filePath(QStringLiteral("Side %1.bmp").arg(i + 1))});
        }
        peer.push_back(clock.nsecsElapsed() / 1e9);
    }

    print("startup_seven_12mp_slots", fastest(startup), "s");
    print("compose_six_sides", fastest(compose), "s");
    print("our_total", fastest(total), "s");
    print("slot_pixels", slotMB, "MB");
    print("peak_resident", peakResidentMB(), "MB");
    if (peer.empty()) {
        std::printf("peer_convert_six unavailable s\n");
        return 0;
    }
    print("peer_convert_six", fastest(peer), "s");
    print("ratio_to_peer", fastest(total) / fastest(peer), "x");
    return 0;
}
