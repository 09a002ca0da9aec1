#include "ctexture.h"

#include "binaryfile.h"

#include <QDir>
#include <QOpenGLContext>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <limits>
#include <stdexcept>

namespace {
// A picture file opened through the program's binary files (a missing one is created).
class FileSource : public texture::ByteSource
{
public:
    explicit FileSource(const QString &path) : m_file(path) {}
    bool isOpen() const { return m_file.isOpen(); }
    void readInto(char *dest, qint64 count) override { m_file.readInto(dest, count); }
    void seek(qint64 position) override { m_file.seek(position); }
    qint64 size() const override { return m_file.size(); }
    void close() { m_file.close(); }

private:
    host::BinaryFile m_file;
};

[[noreturn]] void fail(const QString &filename, const QString &reason)
{
    throw texture::TextureError(
        QStringLiteral("Could not load the picture \"%1\": %2.")
            .arg(QDir::toNativeSeparators(filename), reason)
            .toStdString());
}

template <typename Read>
texture::ReadResult readFile(const QString &filename, Read read)
{
    FileSource source(filename);
    if (!source.isOpen())
        fail(filename, QStringLiteral("the file cannot be opened"));
    try {
        texture::ReadResult result = read(source);
        source.close();
        return result;
    } catch (const texture::TextureError &error) {
        fail(filename, QString::fromStdString(error.what()));
    } catch (const std::bad_alloc &) {
        fail(filename, QStringLiteral("there is not enough memory for it"));
    }
}
} // namespace

cTexture::~cTexture()
{
    unloadTexture();
}

void cTexture::useTexture() const
{
    if (filter < 0 || filter > 3)
        throw std::out_of_range("texture filter out of range");
    glBindTexture(GL_TEXTURE_2D, textureNames[static_cast<size_t>(filter)]);
}

QString cTexture::loadTexture(const QString &Filename, std::int32_t FileType, std::int32_t Width,
                              std::int32_t Height)
{
    QString message;
    switch (FileType) {
    case Bitmap:
        message = loadBitmapFile(Filename);
        break;
    case Targa:
        message = loadTargaFile(Filename);
        break;
    case Raw:
        message = loadRawFile(Filename, Width, Height);
        break;
    default:
        break;
    }
    setFilter(0);
    return message;
}

void cTexture::setFilter(std::int32_t Filter)
{
    if (Filter < std::numeric_limits<std::int16_t>::min()
        || Filter > std::numeric_limits<std::int16_t>::max())
        throw std::overflow_error("texture filter overflows");
    filter = static_cast<std::int16_t>(Filter);
}

void cTexture::unloadTexture()
{
    // The names belong to the context that made them; once it is gone (the cube window
    // releases it before its textures go) or another is current, there is nothing of
    // ours to delete, and deleting would hit someone else's textures.
    if (!m_context || QOpenGLContext::currentContext() != m_context)
        return;
    glDeleteTextures(3, textureNames.data());
    // Cleared, so a second unload (the destructor after an explicit one) cannot delete
    // names handed out again in the meantime.
    textureNames = {};
}

QString cTexture::loadBitmapFile(const QString &Filename)
{
    return build(readFile(Filename, [](texture::ByteSource &s) { return texture::readBitmap(s); }));
}

QString cTexture::loadTargaFile(const QString &Filename)
{
    return build(readFile(Filename, [](texture::ByteSource &s) { return texture::readTarga(s); }));
}

QString cTexture::loadRawFile(const QString &Filename, std::int32_t Width, std::int32_t Height)
{
    return build(readFile(Filename, [Width, Height](texture::ByteSource &s) {
              return texture::readRaw(s, Width, Height);
          }));
}

QString cTexture::build(const texture::ReadResult &result)
{
    switch (result.status) {
    case texture::ReadStatus::BadTgaType:
        return QStringLiteral("Bad TGA Image Type");
    case texture::ReadStatus::UnsupportedDepth:
        return QStringLiteral("Unsupported bitdepth");
    case texture::ReadStatus::Ok:
        break;
    }
    createTextures(result.block);
    return QString();
}

void cTexture::createTextures(const texture::PixelBlock &block)
{
    m_darkest = block.darkestPixel();
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (!context)
        return;
    // A second load replaces the first picture: its textures would otherwise stay behind.
    unloadTexture();
    m_context = context;

    const GLint components = block.hasAlpha ? 4 : 3;
    const GLenum format = block.bytesPerPixel == 4 ? GL_BGRA_EXT : GL_BGR_EXT;
    const void *pixels = block.bytes.isEmpty() ? nullptr : block.bytes.constData();
    // Every row of the block starts on a 4-byte boundary: the default alignment fits.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glGenTextures(3, textureNames.data());
    struct Filter
    {
        GLint mag;
        GLint min;
    };
    constexpr Filter filters[3] = {
        {GL_NEAREST, GL_NEAREST},
        {GL_LINEAR, GL_LINEAR},
        {GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST},
    };
    for (int i = 0; i < 3; ++i) {
        glBindTexture(GL_TEXTURE_2D, textureNames[static_cast<size_t>(i)]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filters[i].mag);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filters[i].min);
        if (i < 2) {
            glTexImage2D(GL_TEXTURE_2D, 0, components, block.width, block.height, 0, format,
                         GL_UNSIGNED_BYTE, pixels);
        } else if (block.width > 0 && block.height > 0) {
            gluBuild2DMipmaps(GL_TEXTURE_2D, components, block.width, block.height, format,
                              GL_UNSIGNED_BYTE, pixels);
        }
    }
}
