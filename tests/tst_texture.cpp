// The texture loader: the three readers on file bytes (no GL), and cTexture's failures,
// messages and filter handling.
#include "cube_files.h"
#include "ctexture.h"
#include "cube_state.h"
#include "msgbox.h"
#include "texturereaders.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace cubetest;

namespace {
enum Reader { Bmp = 0, Tga = 1, RawFile = 2 };

texture::ReadResult readAny(const QByteArray &bytes, int reader, int width, int height)
{
    texture::MemorySource source(bytes);
    switch (reader) {
    case Bmp:
        return texture::readBitmap(source);
    case Tga:
        return texture::readTarga(source);
    default:
        return texture::readRaw(source, width, height);
    }
}

QByteArray rawFile(int width, int height)
{
    QByteArray bytes(width * height * 4, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c)
                bytes[(y * width + x) * 4 + c] = static_cast<char>(testChannel(x, y, c));
    return bytes;
}
// bitmapFile(3, 2, 32) with bit-field masks after its 40-byte header.
QByteArray bitmapWithMasks(quint32 red, quint32 green, quint32 blue)
{
    QByteArray bytes = bitmapFile(3, 2, 32);
    QByteArray masks(12, '\0');
    putLe32(masks, 0, red);
    putLe32(masks, 4, green);
    putLe32(masks, 8, blue);
    bytes.insert(54, masks);
    putLe32(bytes, 2, static_cast<quint32>(bytes.size()));
    putLe32(bytes, 10, 54 + 12);
    putLe32(bytes, 30, 3);
    return bytes;
}
} // namespace

class TextureTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        resetCubeState();
        m_messages.clear();
        host::setMsgBoxHandler([this](const QString &text) { m_messages << text; });
    }
    void cleanup() { resetCubeState(); }

    void readerGivesAlignedBottomUpPixels_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("reader");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bytesPerPixel");
        QTest::addColumn<bool>("hasAlpha");
        QTest::newRow("side bitmap 256x256x24") << bitmapFile(256, 256) << int(Bmp) << 256 << 256 << 3 << false;
        QTest::newRow("bitmap of odd width (padded rows)") << bitmapFile(3, 2) << int(Bmp) << 3 << 2 << 3 << false;
        QTest::newRow("bitmap 32 bits") << bitmapFile(5, 3, 32) << int(Bmp) << 5 << 3 << 4 << false;
        // Pixels where the header's offset says, not always right after 54 bytes.
        QTest::newRow("bitmap with a version 5 header") << bitmapLaidOut(3, 2, 124, 0) << int(Bmp) << 3 << 2 << 3 << false;
        QTest::newRow("bitmap with a version 4 header") << bitmapLaidOut(4, 3, 108, 0) << int(Bmp) << 4 << 3 << 3 << false;
        QTest::newRow("24-bit bitmap after a colour table") << bitmapLaidOut(3, 3, 40, 16 * 4) << int(Bmp) << 3 << 3 << 3 << false;
        QTest::newRow("32-bit bitmap with the usual masks") << bitmapWithMasks(0xff0000, 0xff00, 0xff) << int(Bmp) << 3 << 2 << 4 << false;
        QTest::newRow("top-down bitmap") << bitmapLaidOut(3, 4, 40, 0, true) << int(Bmp) << 3 << 4 << 3 << false;
        QTest::newRow("targa 24 bits, odd width") << targaFile(5, 3) << int(Tga) << 5 << 3 << 3 << false;
        QTest::newRow("targa 32 bits") << targaFile(3, 4, 32) << int(Tga) << 3 << 4 << 4 << true;
        QTest::newRow("raw 3x2") << rawFile(3, 2) << int(RawFile) << 3 << 2 << 4 << true;
    }
    void readerGivesAlignedBottomUpPixels()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, reader);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bytesPerPixel);
        QFETCH(bool, hasAlpha);
        const texture::ReadResult result = readAny(file, reader, width, height);
        QCOMPARE(result.status, texture::ReadStatus::Ok);
        const texture::PixelBlock &block = result.block;
        QCOMPARE(block.width, width);
        QCOMPARE(block.height, height);
        QCOMPARE(block.bytesPerPixel, bytesPerPixel);
        QCOMPARE(block.hasAlpha, hasAlpha);
        // Everything the upload reads with 4-byte row alignment lies inside the block.
        QCOMPARE(block.stride() % 4, 0);
        QVERIFY(block.bytes.size() >= block.stride() * height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (int c = 0; c < bytesPerPixel; ++c) {
                    const auto got = static_cast<quint8>(block.bytes[int(y * block.stride() + x * bytesPerPixel + c)]);
                    QCOMPARE(got, testChannel(x, y, c));
                }
            }
        }
    }

    void badFilesAreRefusedOrReported_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("reader");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        // "ok-empty", "bad tga", "bitdepth" or "error"
        QTest::addColumn<QString>("outcome");

        QTest::newRow("empty file as bitmap") << QByteArray() << int(Bmp) << 0 << 0 << "ok-empty";
        QTest::newRow("empty file as targa") << QByteArray() << int(Tga) << 0 << 0 << "ok-empty";
        QTest::newRow("run-length targa") << targaFile(2, 2, 24, 10) << int(Tga) << 0 << 0 << "bad tga";
        QTest::newRow("colour-mapped targa") << targaFile(2, 2, 24, 2, 1) << int(Tga) << 0 << 0 << "bad tga";
        QTest::newRow("16-bit targa") << targaFile(2, 2, 16) << int(Tga) << 0 << 0 << "bitdepth";
        QTest::newRow("8-bit bitmap") << bitmapFile(4, 4, 8) << int(Bmp) << 0 << 0 << "bitdepth";
        // Their bytes are not blue, green, red: read as such they would give wrong colours.
        QTest::newRow("bitmap masks of another byte order") << bitmapWithMasks(0xff000000, 0xff00, 0xff) << int(Bmp) << 0 << 0 << "bitdepth";
        QTest::newRow("bitmap blue mask in the alpha byte") << bitmapWithMasks(0xff0000, 0xff00, 0xff000000) << int(Bmp) << 0 << 0 << "bitdepth";
        QTest::newRow("bitmap masks of 11, 11, 10 bits") << bitmapWithMasks(0xffe00000, 0x1ffc00, 0x3ff) << int(Bmp) << 0 << 0 << "bitdepth";
        QTest::newRow("bitmap masks cut off") << bitmapWithMasks(0xff0000, 0xff00, 0xff).left(58) << int(Bmp) << 0 << 0 << "bitdepth";
        QTest::newRow("short bitmap") << bitmapFile(256, 256).left(1000) << int(Bmp) << 0 << 0 << "error";
        QTest::newRow("bitmap header cut") << bitmapFile(2, 2).left(30) << int(Bmp) << 0 << 0 << "error";
        QTest::newRow("short targa") << targaFile(64, 64).left(500) << int(Tga) << 0 << 0 << "error";
        QTest::newRow("short raw") << rawFile(4, 4).left(20) << int(RawFile) << 4 << 4 << "error";
        QTest::newRow("missing raw") << QByteArray() << int(RawFile) << 256 << 256 << "error";
        QTest::newRow("negative width") << bitmapFile(-4, 4) << int(Bmp) << 0 << 0 << "error";
        QByteArray overlapping = bitmapFile(2, 2);
        putLe32(overlapping, 10, 20);
        QTest::newRow("pixel offset inside the header") << overlapping << int(Bmp) << 0 << 0 << "error";
        QTest::newRow("pixel offset past the end") << bitmapLaidOut(2, 2, 124, 0).left(140) << int(Bmp) << 0 << 0 << "error";
        QTest::newRow("negative height") << bitmapFile(4, -4) << int(Bmp) << 0 << 0 << "error";
        QTest::newRow("product overflows 32 bits") << bitmapFile(0x7fffffff, 0x7fffffff, 24, false) << int(Bmp) << 0 << 0 << "error";
        QTest::newRow("beyond 64 MiB of pixels") << bitmapFile(8192, 8192, 24, false) << int(Bmp) << 0 << 0 << "error";
        QTest::newRow("raw negative size") << QByteArray() << int(RawFile) << -1 << 5 << "error";
        QTest::newRow("raw product overflows") << QByteArray() << int(RawFile) << 0x10000 << 0x10000 << "error";
    }
    void badFilesAreRefusedOrReported()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, reader);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, outcome);
        if (outcome == "error") {
            QVERIFY_THROWS_EXCEPTION(texture::TextureError, readAny(file, reader, width, height));
            return;
        }
        const texture::ReadResult result = readAny(file, reader, width, height);
        if (outcome == "bad tga")
            QCOMPARE(result.status, texture::ReadStatus::BadTgaType);
        else if (outcome == "bitdepth")
            QCOMPARE(result.status, texture::ReadStatus::UnsupportedDepth);
        else {
            QCOMPARE(result.status, texture::ReadStatus::Ok);
            QCOMPARE(result.block.width * result.block.height, 0);
        }
    }

    void hugeTargaSizesAreRefused_data()
    {
        // 32767 x 32767 x 4 bytes is far beyond 64 MiB; above 32767 the size is not a
        // 16-bit number at all, even with every pixel of it in the file.
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("largest square") << 32767 << 32767;
        QTest::newRow("width past 16 bits") << 40000 << 1;
        QTest::newRow("height past 16 bits") << 1 << 40000;
    }
    void hugeTargaSizesAreRefused()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QByteArray big = targaFile(0, 0, 32);
        putLe16(big, 12, width);
        putLe16(big, 14, height);
        if (qint64(width) * height < 100000)
            big.append(QByteArray(width * height * 4, '\x40'));
        QVERIFY_THROWS_EXCEPTION(texture::TextureError, readAny(big, Tga, 0, 0));
    }

    void darkestPixelFindsBlackTexels()
    {
        QByteArray file = bitmapFile(4, 4);
        QCOMPARE(readAny(file, Bmp, 0, 0).block.darkestPixel(), 10 + 70 + 130);
        file[54 + 12 + 3] = file[54 + 12 + 4] = file[54 + 12 + 5] = 0; // pixel (1, 1)
        QCOMPARE(readAny(file, Bmp, 0, 0).block.darkestPixel(), 0);
        // In the last row and column too.
        QByteArray corner = bitmapFile(4, 4);
        corner[54 + 36 + 9] = corner[54 + 36 + 10] = corner[54 + 36 + 11] = 0; // pixel (3, 3)
        QCOMPARE(readAny(corner, Bmp, 0, 0).block.darkestPixel(), 0);
        QCOMPARE(texture::PixelBlock().darkestPixel(), 765);
    }

    void loaderMessagesAndErrorsNameTheFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("fileType");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("throws");
        QTest::newRow("run-length targa") << targaFile(2, 2, 24, 10) << 1 << "Bad TGA Image Type" << false;
        QTest::newRow("16-bit targa") << targaFile(2, 2, 16) << 1 << "Unsupported bitdepth" << false;
        QTest::newRow("truncated bitmap") << bitmapFile(64, 64).left(300) << 0 << "" << true;
        QTest::newRow("unknown file type") << QByteArray("anything") << 5 << "" << false;
    }
    void loaderMessagesAndErrorsNameTheFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, fileType);
        QFETCH(QString, message);
        QFETCH(bool, throws);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Side 3.bmp"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();

        cTexture texture;
        texture.setFilter(2);
        try {
            const QString refusal = texture.loadTexture(path, fileType);
            if (!refusal.isEmpty())
                m_messages << refusal; // shown by the form that loads it
            QVERIFY(!throws);
            QCOMPARE(texture.getFilter(), 0);
        } catch (const texture::TextureError &error) {
            QVERIFY(throws);
            QVERIFY2(QString::fromStdString(error.what()).contains(QStringLiteral("Side 3.bmp")), error.what());
        }
        QCOMPARE(m_messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(texture.names()[0], 0u);
    }

    void missingFileIsCreatedEmptyAndGivesBlankFace()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Side 1.bmp"));
        cTexture texture;
        QVERIFY(texture.loadTexture(path, cTexture::Bitmap).isEmpty());
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFile(path).size(), 0);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(texture.getFilter(), 0);
    }

    void unreadablePathIsAnErrorNamingIt()
    {
        cTexture texture;
        const QString path = QStringLiteral("/nonexistent-folder/Side 2.bmp");
        try {
            (void)texture.loadTexture(path, cTexture::Bitmap);
            QFAIL("no error for a path that cannot be created");
        } catch (const texture::TextureError &error) {
            QVERIFY(QString::fromStdString(error.what()).contains(path));
        }
    }

    void filterIsStoredUncheckedButUsedInRange_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("outcome"); // "binds", "out of range", "overflow"
        QTest::newRow("0") << 0 << "binds";
        QTest::newRow("3 binds no picture") << 3 << "binds";
        QTest::newRow("4 stored, fails on use") << 4 << "out of range";
        QTest::newRow("-1 stored, fails on use") << -1 << "out of range";
        QTest::newRow("40000 overflows 16 bits") << 40000 << "overflow";
    }
    void filterIsStoredUncheckedButUsedInRange()
    {
        QFETCH(int, filter);
        QFETCH(QString, outcome);
        cTexture texture;
        if (outcome == "overflow") {
            QVERIFY_THROWS_EXCEPTION(std::overflow_error, texture.setFilter(filter));
            QCOMPARE(texture.getFilter(), 0);
            return;
        }
        texture.setFilter(filter);
        QCOMPARE(texture.getFilter(), filter);
        if (outcome == "out of range")
            QVERIFY_THROWS_EXCEPTION(std::out_of_range, texture.useTexture());
    }

    void unloadWithoutContextIsSkipped()
    {
        cTexture texture;
        texture.unloadTexture(); // no context: must not call into GL
        QCOMPARE(texture.names()[0], 0u);
    }

private:
    QStringList m_messages;
};

QTEST_MAIN(TextureTest)
#include "tst_texture.moc"
