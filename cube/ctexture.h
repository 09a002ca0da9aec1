// cTexture: one picture file read into three OpenGL textures that differ only in their
// filtering (0 nearest, 1 linear, 2 linear with mipmaps); the filter index picks the one
// that useTexture binds.
#pragma once

#include "texturereaders.h"

#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>

class QOpenGLContext;

class cTexture
{
public:
    // File types of loadTexture.
    enum FileType : std::int32_t { Bitmap = 0, Targa = 1, Raw = 2 };

    cTexture() = default;
    ~cTexture();
    cTexture(const cTexture &) = delete;
    cTexture &operator=(const cTexture &) = delete;

    // Binds the texture of the current filter; filter 3 binds name 0 (no picture).
    // Throws std::out_of_range for a filter outside 0 ... 3.
    void useTexture() const;
    // Reads the file and builds the three textures (with a current context), then
    // resets the filter to 0. A TGA of the wrong type or depth builds nothing and returns
    // the message to show ("Bad TGA Image Type", "Unsupported bitdepth"); otherwise the
    // result is empty. Throws texture::TextureError, its text naming the file, for a file
    // that cannot be opened or read as a picture.
    [[nodiscard]] QString loadTexture(const QString &Filename, std::int32_t FileType, std::int32_t Width = 0,
                     std::int32_t Height = 0);
    // Stores the filter; throws std::overflow_error outside the 16-bit range.
    void setFilter(std::int32_t Filter);
    std::int32_t getFilter() const { return filter; }
    // Deletes the three textures, when the context that made them is current.
    void unloadTexture();

    const std::array<std::uint32_t, 4> &names() const { return textureNames; }
    // Blue + green + red of the darkest pixel of the picture loaded (765 with none).
    int darkestPixel() const { return m_darkest; }

private:
    QString loadBitmapFile(const QString &Filename);
    QString loadTargaFile(const QString &Filename);
    QString loadRawFile(const QString &Filename, std::int32_t Width, std::int32_t Height);
    QString build(const texture::ReadResult &result);
    void createTextures(const texture::PixelBlock &block);

    std::array<std::uint32_t, 4> textureNames{};
    std::int16_t filter = 0;
    int m_darkest = 765;
    // The context the names belong to: names mean nothing in any other.
    QPointer<QOpenGLContext> m_context;
};
