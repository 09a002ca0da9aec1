// Side composition and pictures: the halftone stretch, the keyed frame, the side file's
// bytes, reduced loading and its accuracy, EXIF orientation, refused and broken pictures.
#include "app_pictures.h"
#include "app_state.h"
#include "composition.h"
#include "jpegpreview.h"
#include "picture.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

// A frame: a `border`-pixel blue border round a pure red centre.
QImage blueBorderRedCentre(int size, int border)
{
    QImage frame = solid(QSize(size, size), Qt::blue);
    for (int y = border; y < size - border; ++y)
        for (int x = border; x < size - border; ++x)
            frame.setPixelColor(x, y, Qt::red);
    return frame;
}

double meanAbsoluteDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row), *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i)
            sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (double(x.width()) * x.height() * 3);
}
QByteArray jpegBytes(const QImage &image, int quality = 90, bool progressive = false)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return jpeg;
}
} // namespace

class tst_Compose : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetAppState(); }

    void widePictureIsSqueezedToHalfWidth();
    void reductionAveragesTheArea();
    void frameBorderShowsRoundThePicture_data();
    void frameBorderShowsRoundThePicture();
    void onlyTheExactKeyLetsThePictureThrough_data();
    void onlyTheExactKeyLetsThePictureThrough();
    void missingFramePictureLaysNothing();
    void transparentPngComposesAsTransparentGif_data();
    void transparentPngComposesAsTransparentGif();
    void emptySlotsGetNumberedFacesOfTheirOwnColour();
    void sideFileHasTheExactLayout();
    void sideFileThatCannotBeWrittenKeepsTheOldOne();
    void sideFileReplacesALinkInItsPlace_data();
    void sideFileReplacesALinkInItsPlace();
    void folderInASideFilesPlaceIsAFailure_data();
    void folderInASideFilesPlaceIsAFailure();
    void reducedJpegStaysCloseToTheFullAverage();
    void reducedPicturesAreSmall_data();
    void reducedPicturesAreSmall();
    void exifOrientationIsApplied_data();
    void exifOrientationIsApplied();
    void hugeOrBrokenPicturesAreRefused_data();
    void hugeOrBrokenPicturesAreRefused();
    void eighthJpegMatchesTheReader_data();
    void eighthJpegMatchesTheReader();
    void damagedJpegsAreLeftToTheReader_data();
    void damagedJpegsAreLeftToTheReader();
    void everyCutOfAJpegIsSafe();
    void hostileFilesAreRefusedBeforeDecoding_data();
    void hostileFilesAreRefusedBeforeDecoding();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void metadataNeverReachesTheReader_data();
    void metadataNeverReachesTheReader();
    void topDownBmpsLoadUpright_data();
    void topDownBmpsLoadUpright();
    void sidesComposedTogetherMatchOneByOne();
    void picturesOfAnyShapeLoadSmall_data();
    void picturesOfAnyShapeLoadSmall();
};

void tst_Compose::widePictureIsSqueezedToHalfWidth()
{
    // 512 x 256: left half red, right half blue; a 256-wide stripe pattern would alias.
    QImage wide = solid(QSize(512, 256), Qt::red);
    for (int y = 0; y < 256; ++y)
        for (int x = 256; x < 512; ++x)
            wide.setPixelColor(x, y, Qt::blue);
    const QImage side = app::composeSide(wide, 1, nullptr, 255);
    QCOMPARE(side.size(), QSize(256, 256));
    for (int y : {0, 128, 255}) {
        QCOMPARE(at(side, 0, y), QColor(Qt::red));
        QCOMPARE(at(side, 127, y), QColor(Qt::red));
        QCOMPARE(at(side, 128, y), QColor(Qt::blue));
        QCOMPARE(at(side, 255, y), QColor(Qt::blue));
    }
}

void tst_Compose::reductionAveragesTheArea()
{
    // One-pixel black and white columns average to grey, not to one or the other.
    QImage stripes(512, 512, QImage::Format_RGB888);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            stripes.setPixelColor(x, y, x % 2 ? Qt::white : Qt::black);
    const QImage side = host::stretchAreaAverage(stripes, QSize(256, 256));
    for (int x : {0, 100, 255})
        QCOMPARE(at(side, x, 40), QColor(128, 128, 128));
    // A non-integral reduction keeps a uniform colour exactly.
    const QImage odd = host::stretchAreaAverage(solid(QSize(1000, 777), QColor(10, 200, 90)), QSize(256, 256));
    QCOMPARE(at(odd, 0, 0), QColor(10, 200, 90));
    QCOMPARE(at(odd, 255, 255), QColor(10, 200, 90));
    QCOMPARE(at(odd, 131, 77), QColor(10, 200, 90));
}

void tst_Compose::frameBorderShowsRoundThePicture_data()
{
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<int>("border");
    QTest::newRow("frame of the side's size") << 256 << 20;
    QTest::newRow("small frame, stretched") << 64 << 5;
    QTest::newRow("large frame, reduced") << 1024 << 80;
    QTest::newRow("odd size") << 97 << 7;
}

void tst_Compose::frameBorderShowsRoundThePicture()
{
    QFETCH(int, frameSize);
    QFETCH(int, border);
    const QImage frame = blueBorderRedCentre(frameSize, border);
    const QImage side = app::composeSide(solid(QSize(300, 200), Qt::green), 2, &frame, 255);
    const int inner = border * 256 / frameSize;
    QCOMPARE(at(side, 0, 0), QColor(Qt::blue));
    QCOMPARE(at(side, 255, 255), QColor(Qt::blue));
    QCOMPARE(at(side, 128, inner / 2), QColor(Qt::blue));
    QCOMPARE(at(side, 128, 128), QColor(Qt::green));
    QCOMPARE(at(side, inner + 2, inner + 2), QColor(Qt::green));
    // No blending anywhere: every pixel is the border or the picture.
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const QColor c = at(side, x, y);
            if (c != QColor(Qt::blue) && c != QColor(Qt::green))
                QFAIL(qPrintable(QStringLiteral("blended pixel at %1,%2").arg(x).arg(y)));
        }
}

void tst_Compose::onlyTheExactKeyLetsThePictureThrough_data()
{
    QTest::addColumn<QColor>("framePixel");
    QTest::addColumn<uint>("key");
    QTest::addColumn<bool>("pictureShows");
    QTest::newRow("exact red key") << QColor(255, 0, 0) << 255u << true;
    QTest::newRow("red one below") << QColor(254, 0, 0) << 255u << false;
    QTest::newRow("green one above") << QColor(255, 1, 0) << 255u << false;
    QTest::newRow("blue one above") << QColor(255, 0, 1) << 255u << false;
    QTest::newRow("picked colour key") << QColor(0x56, 0x34, 0x12) << 0x123456u << true;
    QTest::newRow("picked colour, red channel off") << QColor(0x57, 0x34, 0x12) << 0x123456u << false;
    QTest::newRow("black key") << QColor(0, 0, 0) << 0u << true;
}

void tst_Compose::onlyTheExactKeyLetsThePictureThrough()
{
    QFETCH(QColor, framePixel);
    QFETCH(uint, key);
    QFETCH(bool, pictureShows);
    const QImage frame = solid(QSize(256, 256), framePixel);
    const QImage side = app::composeSide(solid(QSize(256, 256), Qt::green), 3, &frame, key);
    QCOMPARE(at(side, 77, 190), pictureShows ? QColor(Qt::green) : framePixel);
}

void tst_Compose::missingFramePictureLaysNothing()
{
    const QImage picture = apptest::photoLike(300, 300);
    const QImage none;
    QCOMPARE(app::composeSide(picture, 4, &none, 255), app::composeSide(picture, 4, nullptr, 255));
}

void tst_Compose::transparentPngComposesAsTransparentGif_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("kept at its size") << QSize(64, 64);
    QTest::newRow("reduced while loading") << QSize(1024, 1024);
}

// A transparent GIF pixel is seen on white in a side and on the frame holder's red in a
// frame; a PNG's transparent pixels, whatever colour they carry, are seen the same way.
void tst_Compose::transparentPngComposesAsTransparentGif()
{
    QFETCH(QSize, size);
    QImage png(size, QImage::Format_ARGB32);
    png.fill(qRgba(0, 255, 0, 0));
    const QRect opaque(0, 0, size.width() / 2, size.height());
    for (int y = opaque.top(); y <= opaque.bottom(); ++y)
        for (int x = opaque.left(); x <= opaque.right(); ++x)
            png.setPixel(x, y, qRgb(0, 0, 255));
    QTemporaryDir dir;
    QVERIFY(png.save(dir.filePath("a.png")));
    const QImage loaded = host::loadPicture(dir.filePath("a.png"), QSize(256, 256)).image;
    QVERIFY(loaded.hasAlphaChannel());
    const QImage side = app::composeSide(loaded, 2, nullptr, 255);
    const QImage frame = app::laidFrame(loaded, QSize(256, 256));
    QCOMPARE(at(side, 64, 128), QColor(Qt::blue));
    QCOMPARE(at(side, 192, 128), QColor(Qt::white));
    QCOMPARE(at(frame, 64, 128), QColor(Qt::blue));
    QCOMPARE(at(frame, 192, 128), QColor(Qt::red));
}

void tst_Compose::emptySlotsGetNumberedFacesOfTheirOwnColour()
{
    std::set<QRgb> corners;
    for (int side = 1; side <= 6; ++side) {
        const QImage face = app::composeSide(QImage(), side, nullptr, 255);
        QCOMPARE(face.size(), QSize(256, 256));
        const QColor corner = at(face, 2, 2);
        // Black would be keyed out by the cube window.
        QVERIFY(corner.red() + corner.green() + corner.blue() > 150);
        corners.insert(corner.rgb());
        // The number is drawn in the middle in white.
        int white = 0;
        for (int y = 64; y < 192; ++y)
            for (int x = 64; x < 192; ++x)
                white += at(face, x, y) == QColor(Qt::white);
        QVERIFY2(white > 1000, qPrintable(QString::number(white)));
    }
    QCOMPARE(corners.size(), size_t(6));
}

void tst_Compose::sideFileHasTheExactLayout()
{
    QTemporaryDir dir;
    QImage side = solid(QSize(256, 256), QColor(1, 2, 3));
    side.setPixelColor(0, 0, QColor(10, 20, 30));     // top left
    side.setPixelColor(0, 255, QColor(40, 50, 60));   // bottom left
    side.setPixelColor(255, 255, QColor(70, 80, 90)); // bottom right
    const QString name = app::sideFileName(dir.path(), 3);
    QVERIFY(name.endsWith("/Side 3.bmp"));
    QString reason;
    QVERIFY2(app::writeSideFile(name, side, &reason), qPrintable(reason));
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray b = file.readAll();
    QCOMPARE(b.size(), 196662);
    auto u32 = [&b](int at) { return qFromLittleEndian<quint32>(b.constData() + at); };
    auto u16 = [&b](int at) { return qFromLittleEndian<quint16>(b.constData() + at); };
    QCOMPARE(b.left(2), QByteArray("BM"));
    QCOMPARE(u32(2), 196662u);
    QCOMPARE(u16(6), quint16(0));
    QCOMPARE(u16(8), quint16(0));
    QCOMPARE(u32(10), 54u);
    QCOMPARE(u32(14), 40u);
    QCOMPARE(u32(18), 256u);
    QCOMPARE(u32(22), 256u);
    QCOMPARE(u16(26), quint16(1));
    QCOMPARE(u16(28), quint16(24));
    QCOMPARE(u32(30), 0u);
    QCOMPARE(u32(34), 196608u);
    QCOMPARE(u32(46), 0u);
    QCOMPARE(u32(50), 0u);
    // Bottom row first, blue-green-red, 768 bytes a row.
    QCOMPARE(b.mid(54, 3), QByteArray("\x3C\x32\x28", 3));
    QCOMPARE(b.mid(54 + 255 * 3, 3), QByteArray("\x5A\x50\x46", 3));
    QCOMPARE(b.mid(54 + 255 * 768, 3), QByteArray("\x1E\x14\x0A", 3));
    QCOMPARE(b.mid(54 + 768 + 3, 3), QByteArray("\x03\x02\x01", 3));
    // Nothing is left under a temporary name.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Side 3.bmp"});
}

void tst_Compose::sideFileThatCannotBeWrittenKeepsTheOldOne()
{
    QTemporaryDir dir;
    const QString name = app::sideFileName(dir.path(), 1);
    QString reason;
    QVERIFY(app::writeSideFile(name, solid(QSize(256, 256), Qt::red), &reason));
    QFile old(name);
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();
    // A write into a folder that does not exist fails with a reason.
    QVERIFY(!app::writeSideFile(dir.filePath("gone/Side 1.bmp"), solid(QSize(256, 256), Qt::blue), &reason));
    QVERIFY(!reason.isEmpty());
    // A null picture cannot be encoded: the old file stays whole.
    reason.clear();
    QVERIFY(!app::writeSideFile(name, QImage(), &reason));
    QVERIFY(!reason.isEmpty());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), before);
    old.close();
    // A write the system stops part way (here a file size limit, as a full disk would)
    // gives the system's own reason, and the old file stays whole.
    rlimit limit{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit small{100000, limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const bool written = app::writeSideFile(name, solid(QSize(256, 256), Qt::blue), &reason);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(!written);
    QCOMPARE(reason, QString::fromLocal8Bit(std::strerror(EFBIG)));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), before);
}

void tst_Compose::sideFileReplacesALinkInItsPlace_data()
{
    QTest::addColumn<QString>("pointsAt");
    QTest::newRow("a file of someone's") << "file";
    QTest::newRow("a file not yet there") << "missing";
    QTest::newRow("a folder") << "folder";
}

// Someone who could write in the side files' folder leaves a link where a side file goes:
// the side replaces the link, and what it pointed at is left as it was.
void tst_Compose::sideFileReplacesALinkInItsPlace()
{
    QFETCH(QString, pointsAt);
    QTemporaryDir sides;
    QTemporaryDir victim;
    const QString target = victim.filePath("target");
    if (pointsAt == "file")
        QVERIFY(apptest::writeBytes(target, "the victim's own"));
    else if (pointsAt == "folder")
        QVERIFY(QDir().mkpath(target));
    const QString name = app::sideFileName(sides.path(), 1);
    QVERIFY(QFile::link(target, name));
    QString reason;
    QVERIFY2(app::writeSideFile(name, solid(QSize(256, 256), Qt::green), &reason), qPrintable(reason));
    const QFileInfo side(name);
    QVERIFY(!side.isSymLink());
    QCOMPARE(side.size(), qint64(196662));
    if (pointsAt == "file") {
        QFile kept(target);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("the victim's own"));
    }
    QCOMPARE(QFileInfo(target).exists(), pointsAt != "missing");
    QCOMPARE(QDir(victim.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             pointsAt == "missing" ? QStringList() : QStringList{"target"});
    if (pointsAt == "folder")
        QVERIFY(QDir(target).isEmpty());
}

void tst_Compose::folderInASideFilesPlaceIsAFailure_data()
{
    QTest::addColumn<bool>("empty");
    QTest::newRow("an empty folder") << true;
    QTest::newRow("a folder with a file in it") << false;
}

// The new side is written in full beside its place, and only the last step, putting it
// in place, is refused: that is a failure with the system's reason, and nothing is left.
void tst_Compose::folderInASideFilesPlaceIsAFailure()
{
    QFETCH(bool, empty);
    QTemporaryDir sides;
    const QString name = app::sideFileName(sides.path(), 2);
    QVERIFY(QDir().mkpath(name));
    if (!empty)
        QVERIFY(apptest::writeBytes(name + QStringLiteral("/kept.txt"), "mine"));
    QString reason;
    QVERIFY(!app::writeSideFile(name, solid(QSize(256, 256), Qt::green), &reason));
    QVERIFY(!reason.isEmpty());
    QVERIFY(QFileInfo(name).isDir());
    QCOMPARE(QDir(sides.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"Side 2.bmp"});
    QCOMPARE(QDir(name).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             empty ? QStringList() : QStringList{"kept.txt"});
}

void tst_Compose::reducedJpegStaysCloseToTheFullAverage()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    QVERIFY(apptest::saveJpeg(apptest::photoLike(4000, 3000), path));
    const host::LoadedPicture kept = host::loadPicture(path, QSize(256, 256));
    QVERIFY2(!kept.image.isNull(), qPrintable(kept.error));
    QCOMPARE(kept.naturalSize, QSize(4000, 3000));
    QVERIFY(kept.image.width() >= 256 && kept.image.height() >= 256);
    QVERIFY(qint64(kept.image.width()) * kept.image.height() <= 600 * 400);
    const QImage reference = host::stretchAreaAverage(QImage(path), QSize(256, 256));
    const double mad = meanAbsoluteDifference(app::composeSide(kept.image, 1, nullptr, 255), reference);
    QVERIFY2(mad < 2.0, qPrintable(QString::number(mad)));
}

void tst_Compose::reducedPicturesAreSmall_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("kept");
    QTest::newRow("jpeg, eighth scale") << "jpg" << QSize(2048, 4096) << QSize(256, 512);
    QTest::newRow("jpeg, quarter scale") << "jpg" << QSize(1200, 1200) << QSize(300, 300);
    QTest::newRow("jpeg, half scale") << "jpg" << QSize(700, 600) << QSize(350, 300);
    QTest::newRow("jpeg, already small") << "jpg" << QSize(300, 100) << QSize(300, 100);
    QTest::newRow("bmp reduced by averaging") << "bmp" << QSize(1024, 2048) << QSize(256, 512);
    QTest::newRow("bmp less than twice as large kept") << "bmp" << QSize(500, 300) << QSize(500, 300);
    QTest::newRow("bmp at twice the size reduced") << "bmp" << QSize(800, 600) << QSize(342, 256);
    QTest::newRow("small bmp never enlarged") << "bmp" << QSize(40, 30) << QSize(40, 30);
}

void tst_Compose::reducedPicturesAreSmall()
{
    QFETCH(QString, format);
    QFETCH(QSize, size);
    QFETCH(QSize, kept);
    QTemporaryDir dir;
    const QString path = dir.filePath("picture." + format);
    QVERIFY(apptest::photoLike(size.width(), size.height()).save(path));
    const host::LoadedPicture loaded = host::loadPicture(path, QSize(256, 256));
    QVERIFY2(!loaded.image.isNull(), qPrintable(loaded.error));
    QCOMPARE(loaded.image.size(), kept);
    QCOMPARE(loaded.naturalSize, size);
}

void tst_Compose::exifOrientationIsApplied_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<QSize>("needed");
    QTest::addColumn<QSize>("kept");
    QTest::newRow("as stored") << 1 << QSize(600, 300) << QSize() << QSize(600, 300);
    QTest::newRow("turned 90 degrees") << 6 << QSize(300, 600) << QSize() << QSize(300, 600);
    QTest::newRow("turned 270 degrees") << 8 << QSize(300, 600) << QSize() << QSize(300, 600);
    QTest::newRow("upside down") << 3 << QSize(600, 300) << QSize() << QSize(600, 300);
    // Read at an eighth, by the DC decoder: every orientation, mirrored ones too.
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const bool turned = orientation >= 5;
        QTest::addRow("eighth, orientation %d", orientation)
            << orientation << (turned ? QSize(600, 1200) : QSize(1200, 600)) << QSize(64, 64)
            << (turned ? QSize(75, 150) : QSize(150, 75));
    }
}

void tst_Compose::exifOrientationIsApplied()
{
    QFETCH(int, orientation);
    QFETCH(QSize, upright);
    QFETCH(QSize, needed);
    QFETCH(QSize, kept);
    // Stored landscape, left half red and right half blue.
    const QSize size = orientation >= 5 ? upright.transposed() : upright;
    QImage stored = solid(size, Qt::red).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = size.width() / 2; x < size.width(); ++x)
            stored.setPixelColor(x, y, Qt::blue);
    QTemporaryDir dir;
    const QString path = dir.filePath("phone.jpg");
    QVERIFY(apptest::writeBytes(path, apptest::jpegWithOrientation(stored, quint16(orientation))));
    const host::LoadedPicture loaded = host::loadPicture(path, needed);
    QVERIFY2(!loaded.image.isNull(), qPrintable(loaded.error));
    QCOMPARE(loaded.image.size(), kept);
    QCOMPARE(loaded.naturalSize, upright);
    // Turned 90 degrees clockwise the left (red) half ends on top; transposed (5) too, and
    // mirrored as well (7) the right one.
    const QColor topLeft = loaded.image.pixelColor(2, 2);
    const bool redFirst = orientation == 1 || orientation == 4 || orientation == 5 || orientation == 6;
    QVERIFY2(redFirst ? topLeft.red() > 200 && topLeft.blue() < 60 : topLeft.blue() > 200 && topLeft.red() < 60,
             qPrintable(topLeft.name()));
}

void tst_Compose::hugeOrBrokenPicturesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::newRow("bmp claiming 30000 x 30000") << apptest::bmpHeaderClaiming(30000, 30000) << "huge.bmp";
    QTest::newRow("bmp claiming negative width") << apptest::bmpHeaderClaiming(-5, 10) << "odd.bmp";
    QTest::newRow("gif claiming 65535 x 65535") << apptest::gifClaiming(65535, 65535) << "bomb.gif";
    // Tiny files whose decoding alone would take gigabytes or hundreds of megabytes.
    QTest::newRow("progressive jpeg claiming 30000 x 30000") << apptest::progressiveJpegClaiming(30000, 30000) << "bomb.jpg";
    QTest::newRow("progressive jpeg claiming 20000 x 20000") << apptest::progressiveJpegClaiming(20000, 20000) << "bomb2.jpg";
    QTest::newRow("gif canvas 6900 x 6900, frame 1 x 1") << apptest::gifCanvasOnly(6900, 6900) << "canvas.gif";
    // 20 megapixels, under the pixel limit, but eight bytes each and a copy for transparency.
    QTest::newRow("16-bit png claiming 4500 x 4500") << apptest::pngClaiming(4500, 4500) << "deep.png";
    QTest::newRow("text named jpg") << QByteArray("not a picture at all") << "text.jpg";
    QTest::newRow("empty file") << QByteArray() << "empty.gif";
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    apptest::photoLike(64, 64).save(&buffer, "JPEG");
    QTest::newRow("truncated jpeg") << jpeg.left(200) << "cut.jpg";
    // Qt would fill the missing rows with black and call it a success.
    QTest::newRow("bmp cut short") << cubetest::bitmapFile(64, 64).left(5000) << "cut.bmp";
    QByteArray topDown = cubetest::bitmapFile(64, 64).left(5000);
    cubetest::putLe32(topDown, 22, quint32(-64));
    QTest::newRow("top-down bmp cut short") << topDown << "cut.bmp";
    QTest::newRow("bmp one byte short") << cubetest::bitmapFile(3, 2).chopped(4) << "cut.bmp";
}

void tst_Compose::hugeOrBrokenPicturesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(!bytes.isEmpty() || name == "empty.gif");
    QVERIFY(apptest::writeBytes(path, bytes));
    const host::LoadedPicture loaded = host::loadPicture(path, QSize(256, 256));
    if (name == "canvas.gif" || name == "deep.png" || QByteArray(QTest::currentDataTag()).startsWith("progressive"))
        QVERIFY2(loaded.error.contains("too large"), qPrintable(loaded.error)); // judged before decoding
    if (name == "cut.bmp")
        QVERIFY2(loaded.image.isNull() && loaded.error.contains("truncated"), qPrintable(loaded.error));
    // Refused (a truncated JPEG too), never a huge image.
    if (loaded.image.isNull())
        QVERIFY(!loaded.error.isEmpty());
    else
        QVERIFY(qint64(loaded.image.width()) * loaded.image.height() <= host::kMaxDecodedPixels);
    QCOMPARE(host::loadPicture(dir.filePath("missing.jpg"), QSize(256, 256)).image.isNull(), true);
}

void tst_Compose::eighthJpegMatchesTheReader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("maxDifference");
    QTest::addColumn<double>("meanDifference");
    // Flat blocks: every sampling agrees exactly, whatever the reader's chroma scaling.
    QTest::newRow("flat grey, restart every 7") << apptest::flatBlockJpeg(203, 101, {0x11}, 7) << 0 << 0.0;
    QTest::newRow("flat grey sampled 2 x 2") << apptest::flatBlockJpeg(77, 90, {0x22}, 2) << 0 << 0.0;
    QTest::newRow("flat 4:4:4") << apptest::flatBlockJpeg(130, 75, {0x11, 0x11, 0x11}, 0) << 0 << 0.0;
    QTest::newRow("flat 4:2:0, restart every 3") << apptest::flatBlockJpeg(250, 131, {0x22, 0x11, 0x11}, 3) << 0 << 0.0;
    QTest::newRow("flat 4:2:2, restart every 5") << apptest::flatBlockJpeg(161, 97, {0x21, 0x11, 0x11}, 5) << 0 << 0.0;
    QTest::newRow("flat 4:4:0") << apptest::flatBlockJpeg(100, 99, {0x12, 0x11, 0x11}, 0) << 0 << 0.0;
    QTest::newRow("flat 4:2:0, one unit per interval") << apptest::flatBlockJpeg(48, 40, {0x22, 0x11, 0x11}, 1) << 0 << 0.0;
    // Real AC data to skip (for grey and luma) or to decode (4:2:0 chroma, which the reader
    // scales to 2 x 2 pixels a block): exact in every case.
    QTest::newRow("photo grey 1001 x 777")
        << jpegBytes(apptest::photoLike(1001, 777).convertToFormat(QImage::Format_Grayscale8)) << 0 << 0.0;
    QTest::newRow("photo 4:2:0 1200 x 900") << jpegBytes(apptest::photoLike(1200, 900)) << 0 << 0.0;
    QTest::newRow("photo 4:2:0 999 x 1333, quality 75") << jpegBytes(apptest::photoLike(999, 1333, 5), 75) << 0 << 0.0;
    // Colour that changes every 8 pixels: one chroma value per 16 x 16 pixels would be off
    // by up to 246 levels here.
    QTest::newRow("8-pixel colour blocks 4:2:0") << jpegBytes(apptest::colourBlocks(1024, 768, 8)) << 0 << 0.0;
    QTest::newRow("8-pixel colour blocks 4:2:0, odd size, quality 60")
        << jpegBytes(apptest::colourBlocks(1001, 777, 8, 9), 60) << 0 << 0.0;
}

// At an eighth the DC decoder gives the reader's picture (with its fast settings).
void tst_Compose::eighthJpegMatchesTheReader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, maxDifference);
    QFETCH(double, meanDifference);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "jpeg");
    const QSize raw = reader.size();
    reader.setScaledSize(QSize(raw.width() / 8, raw.height() / 8));
    reader.setQuality(49);
    const QImage expected = reader.read();
    QVERIFY2(!expected.isNull(), qPrintable(reader.errorString()));
    QImage eighth = host::decodeJpegEighth(bytes);
    QVERIFY(!eighth.isNull());
    QCOMPARE(eighth.size(), QSize((raw.width() + 7) / 8, (raw.height() + 7) / 8));
    QCOMPARE(eighth.format(), expected.format());
    eighth = eighth.scaled(expected.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    int largest = 0;
    double sum = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = eighth.pixel(x, y), b = expected.pixel(x, y);
            for (int d : {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) {
                largest = std::max(largest, std::abs(d));
                sum += std::abs(d);
            }
        }
    }
    const double mean = sum / (3.0 * expected.width() * expected.height());
    QVERIFY2(largest <= maxDifference && mean <= meanDifference,
             qPrintable(QStringLiteral("largest %1, mean %2").arg(largest).arg(mean)));
}

void tst_Compose::damagedJpegsAreLeftToTheReader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("handled");
    const QByteArray photo = jpegBytes(apptest::photoLike(640, 480));
    const QByteArray flat = apptest::flatBlockJpeg(160, 120, {0x22, 0x11, 0x11}, 4);
    const qsizetype scan = photo.indexOf(QByteArray("\xFF\xDA", 2));
    QTest::newRow("whole") << photo << true;
    QTest::newRow("end marker missing") << photo.chopped(2) << false;
    QTest::newRow("cut in the header") << photo.left(scan - 100) << false;
    QTest::newRow("cut at a third") << photo.left(photo.size() / 3) << false;
    QTest::newRow("cut near the end") << photo.chopped(40) << false;
    QByteArray overfull = photo;
    overfull[photo.indexOf(QByteArray("\xFF\xC4", 2)) + 5] = char(3); // three one-bit codes
    QTest::newRow("Huffman codes overflowing their length") << overfull << false;
    QTest::newRow("reserved marker before the frame") << photo.left(2) + QByteArray("\xFF\xC8\0\x02", 4) + photo.mid(2) << false;
    const qsizetype middle = scan + (photo.size() - scan) / 2;
    QTest::newRow("stray marker in the data") << photo.left(middle) + QByteArray("\xFF\x99", 2) + photo.mid(middle) << false;
    QByteArray misnumbered = flat;
    misnumbered[misnumbered.indexOf(QByteArray("\xFF\xD0", 2)) + 1] = char(0xD5);
    QTest::newRow("restart marker out of turn") << misnumbered << false;
    QTest::newRow("progressive") << jpegBytes(apptest::photoLike(320, 240), 90, true) << false;
}

// A file the DC decoder does not take whole is the reader's, which decodes it or gives a
// reason: never a crash, never a picture half made by the fast decoder.
void tst_Compose::damagedJpegsAreLeftToTheReader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, handled);
    QCOMPARE(!host::decodeJpegEighth(bytes).isNull(), handled);
    QTemporaryDir dir;
    const QString path = dir.filePath("damaged.jpg");
    QVERIFY(apptest::writeBytes(path, bytes));
    const host::LoadedPicture loaded = host::loadPicture(path, QSize(16, 12));
    QVERIFY(!loaded.image.isNull() || !loaded.error.isEmpty());
}

// A file cut anywhere, even just before its end-of-image marker, is refused.
void tst_Compose::everyCutOfAJpegIsSafe()
{
    for (const QByteArray &whole : {apptest::flatBlockJpeg(40, 24, {0x22, 0x11, 0x11}, 2),
                                    jpegBytes(apptest::photoLike(48, 40), 75)}) {
        for (qsizetype n = 0; n <= whole.size(); ++n) {
            const QByteArray cut = whole.left(n); // a copy: reads past it are caught
            QCOMPARE(!host::decodeJpegEighth(cut).isNull(), n == whole.size());
        }
    }
}

void tst_Compose::hostileFilesAreRefusedBeforeDecoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size"); // the file's size when larger than its bytes (sparse)
    QTest::addColumn<QString>("reason");
    const QByteArray progressive = jpegBytes(apptest::photoLike(64, 64), 90, true);
    QTest::newRow("progressive jpeg, last scan 300 times more")
        << apptest::withLastScanRepeated(progressive, 300) << "scans.jpg" << qint64(0) << "more scans";
    // Few bytes, but every scan passes every block of the 4000 x 4000 claimed.
    QTest::newRow("progressive jpeg 4000 x 4000, last scan 150 times more")
        << apptest::withLastScanRepeated(apptest::progressiveJpegClaiming(4000, 4000), 150) << "work.jpg" << qint64(0)
        << "too long";
    const QByteArray a = jpegBytes(apptest::photoLike(240, 160)), b = jpegBytes(apptest::photoLike(160, 120));
    QTest::newRow("jpeg, a second frame after its scan") << apptest::withSecondFrame(a, b) << "two.jpg" << qint64(0)
                                                         << "two frame headers";
    QTest::newRow("jpeg start, then 4 GB of nothing")
        << QByteArray("\xFF\xD8", 2) << "sparse.jpg" << (qint64(4) << 30) << "no marker";
    // One rule for every format: a file that ends before its pixels do is refused.
    QTest::newRow("jpeg cut in half") << a.left(a.size() / 2) << "cut.jpg" << qint64(0) << "truncated";
    QTest::newRow("jpeg without its end marker") << a.chopped(2) << "cut.jpg" << qint64(0) << "truncated";
    QTest::newRow("progressive jpeg cut in half") << progressive.left(progressive.size() / 2) << "cut.jpg" << qint64(0)
                                                  << "truncated";
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    apptest::photoLike(64, 64).save(&buffer, "PNG");
    QTest::newRow("png cut in half") << png.left(png.size() / 2) << "cut.png" << qint64(0) << "truncated";
    QTest::newRow("png without its end chunk") << png.chopped(12) << "cut.png" << qint64(0) << "truncated";
    QTest::newRow("gif cut in its picture") << apptest::gifClaiming(8, 8).chopped(3) << "cut.gif" << qint64(0)
                                            << "truncated";
    QTest::newRow("gif without a picture") << apptest::gifClaiming(8, 8).left(6 + 7 + 6) + ';' << "none.gif"
                                           << qint64(0) << "no picture";
    QTest::newRow("bmp cut in half") << cubetest::bitmapFile(64, 64).left(64 * 64 * 3 / 2) << "cut.bmp" << qint64(0)
                                     << "truncated";
}

// Files made to cost time or to end early are refused from their structure alone, with
// the reason, by both JPEG decoders alike.
void tst_Compose::hostileFilesAreRefusedBeforeDecoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(apptest::writeBytes(path, bytes));
    if (size)
        QVERIFY(QFile::resize(path, size));
    const host::LoadedPicture loaded = host::loadPicture(path, QSize(16, 16));
    QVERIFY(loaded.image.isNull());
    QVERIFY2(loaded.error.contains(reason), qPrintable(loaded.error));
    if (name.endsWith(".jpg"))
        QVERIFY(host::decodeJpegEighth(bytes).isNull());
}

void tst_Compose::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("pipe with no writer") << "fifo";
    QTest::newRow("link to a pipe") << "link";
    QTest::newRow("device") << "device";
    QTest::newRow("folder") << "folder";
}

// Reading a pipe nobody writes would wait for ever, a device may never end: only regular
// files are opened, and a link is judged by what it leads to.
void tst_Compose::onlyRegularFilesAreRead()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath("special.jpg");
    if (kind == "fifo" || kind == "link")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (kind == "link") {
        QVERIFY(QFile::link(path, dir.filePath("link.jpg")));
        path = dir.filePath("link.jpg");
    } else if (kind == "device") {
        path = "/dev/zero";
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    }
    const host::LoadedPicture loaded = host::loadPicture(path, QSize(256, 256));
    QVERIFY(loaded.image.isNull());
    QCOMPARE(loaded.error, QString("it is not a regular file"));
}

void tst_Compose::metadataNeverReachesTheReader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("natural");
    const QImage photo = apptest::photoLike(120, 80);
    const QByteArray jpeg = jpegBytes(photo);
    QTest::newRow("jpeg with 200 comments of 60 KB") << apptest::withJpegSegments(jpeg, 0xFE, 200, 60000) << "c.jpg"
                                                      << QSize(120, 80);
    QTest::newRow("jpeg with XMP and a profile")
        << apptest::withJpegSegments(apptest::withJpegSegments(jpeg, 0xE1, 3, 50000, "http://ns.adobe.com/xap/1.0/"),
                                     0xE2, 3, 50000, "ICC_PROFILE")
        << "x.jpg" << QSize(120, 80);
    // The EXIF block stays: it turns the picture.
    QTest::newRow("turned jpeg with comments")
        << apptest::withJpegSegments(apptest::jpegWithOrientation(photo, 6), 0xFE, 50, 60000) << "t.jpg"
        << QSize(80, 120);
    QTest::newRow("progressive jpeg with comments")
        << apptest::withJpegSegments(jpegBytes(photo, 90, true), 0xFE, 50, 60000) << "p.jpg" << QSize(120, 80);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "PNG");
    const QByteArray text = apptest::pngChunk("tEXt", "Comment" + QByteArray(1, 0) + QByteArray(5 << 20, 'y'));
    const QByteArray compressed = apptest::pngChunk("zTXt", "Title" + QByteArray(2, 0) + qCompress(QByteArray(5 << 20, 'z')).mid(4));
    QTest::newRow("png with 5 MB of text, plain and compressed") << png.left(33) + text + compressed + png.mid(33)
                                                                 << "t.png" << QSize(120, 80);
}

// Comments, text and profiles are left out of what the reader sees, so that it never holds
// them in memory: the picture loads, with no text, and EXIF still turns it.
void tst_Compose::metadataNeverReachesTheReader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QSize, natural);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(apptest::writeBytes(path, bytes));
    // Read by the reader: the picture is kept whole.
    const host::LoadedPicture loaded = host::loadPicture(path, QSize());
    QVERIFY2(!loaded.image.isNull(), qPrintable(loaded.error));
    QCOMPARE(loaded.naturalSize, natural);
    QCOMPARE(loaded.image.size(), natural);
    QCOMPARE(loaded.image.textKeys(), QStringList());
    if (name != "x.jpg") // Qt keeps no text of XMP and profiles, only their bytes
        QCOMPARE(QImage(path).textKeys().isEmpty(), false); // the reader alone would keep them
}

void tst_Compose::topDownBmpsLoadUpright_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("8 bits, palette") << int(QImage::Format_Indexed8);
    QTest::newRow("24 bits") << int(QImage::Format_RGB888);
    QTest::newRow("32 bits") << int(QImage::Format_RGB32);
}

// A BMP stored top row first (negative height) gives the picture the usual bottom-up one
// of the same pixels gives.
void tst_Compose::topDownBmpsLoadUpright()
{
    QFETCH(int, format);
    const QImage picture = apptest::photoLike(7, 5).convertToFormat(QImage::Format(format));
    QByteArray bottomUp;
    QBuffer buffer(&bottomUp);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(picture.save(&buffer, "BMP"));
    const qint64 offset = qFromLittleEndian<quint32>(bottomUp.constData() + 10);
    const qint64 height = qFromLittleEndian<qint32>(bottomUp.constData() + 22);
    const qint64 stride = (bottomUp.size() - offset) / height;
    QByteArray topDown = bottomUp.left(offset);
    for (qint64 row = height - 1; row >= 0; --row)
        topDown += bottomUp.mid(offset + row * stride, stride);
    cubetest::putLe32(topDown, 22, quint32(-height));
    QTemporaryDir dir;
    QVERIFY(apptest::writeBytes(dir.filePath("up.bmp"), bottomUp));
    QVERIFY(apptest::writeBytes(dir.filePath("down.bmp"), topDown));
    const host::LoadedPicture up = host::loadPicture(dir.filePath("up.bmp"), QSize());
    const host::LoadedPicture down = host::loadPicture(dir.filePath("down.bmp"), QSize());
    QVERIFY2(!down.image.isNull(), qPrintable(down.error));
    QCOMPARE(down.naturalSize, QSize(7, 5));
    QCOMPARE(down.image.convertToFormat(QImage::Format_RGB32), up.image.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(down.image.convertToFormat(QImage::Format_RGB32), picture.convertToFormat(QImage::Format_RGB32));
}

// The six sides composed in parallel are the ones composed one at a time, in side order.
void tst_Compose::sidesComposedTogetherMatchOneByOne()
{
    std::array<QImage, 6> pictures;
    for (int i = 0; i < 6; ++i)
        if (i != 2 && i != 5)
            pictures[size_t(i)] = apptest::photoLike(300 + 50 * i, 280, quint32(i));
    const QImage frame = blueBorderRedCentre(64, 6);
    for (const QImage *f : {static_cast<const QImage *>(nullptr), &frame}) {
        const std::array<QImage, 6> together = app::composeSides(pictures, f, 255);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(together[size_t(i)], app::composeSide(pictures[size_t(i)], i + 1, f, 255));
    }
}

void tst_Compose::picturesOfAnyShapeLoadSmall_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("kept");
    QTest::newRow("bmp 1 x 3,000,000") << cubetest::bitmapFile(1, 3000000) << QSize(1, 3000000) << QSize(1, 256);
    QTest::newRow("bmp 3,000,000 x 1") << cubetest::bitmapFile(3000000, 1) << QSize(3000000, 1) << QSize(256, 1);
    QTest::newRow("bmp 20 x 900") << cubetest::bitmapFile(20, 900) << QSize(20, 900) << QSize(20, 256);
    QByteArray topDown = cubetest::bitmapFile(4, 3);
    cubetest::putLe32(topDown, 22, quint32(-3));
    QTest::newRow("top-down bmp") << topDown << QSize(4, 3) << QSize(4, 3);
    QTest::newRow("bmp without its last row's padding") << cubetest::bitmapFile(3, 2).chopped(3) << QSize(3, 2) << QSize(3, 2);
}

// Any shape loads with memory bounded by what is kept, and composes at once; a top-down
// bitmap (negative height) is as valid as a bottom-up one.
void tst_Compose::picturesOfAnyShapeLoadSmall()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, natural);
    QFETCH(QSize, kept);
    QTemporaryDir dir;
    const QString path = dir.filePath("shape.bmp");
    QVERIFY(apptest::writeBytes(path, bytes));
    const host::LoadedPicture loaded = host::loadPicture(path, QSize(256, 256));
    QVERIFY2(!loaded.image.isNull(), qPrintable(loaded.error));
    QCOMPARE(loaded.naturalSize, natural);
    QCOMPARE(loaded.image.size(), kept);
    const QImage side = app::composeSide(loaded.image, 1, nullptr, 255);
    QCOMPARE(side.size(), QSize(256, 256));
    if (natural == QSize(4, 3)) {
        // Stored top row first: the file's first row (y 0 counted from the bottom by the
        // builder) is the top of the picture.
        const QColor top = loaded.image.pixelColor(0, 0);
        QCOMPARE(top, QColor(cubetest::testChannel(0, 0, 2), cubetest::testChannel(0, 0, 1), cubetest::testChannel(0, 0, 0)));
    }
}

QTEST_MAIN(tst_Compose)
#include "tst_compose.moc"
