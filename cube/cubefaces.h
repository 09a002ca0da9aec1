// The cube's geometry as data: six quads with their normals and, per corner, the texture
// coordinate and the vertex. Texture coordinate (0, 0) is a picture's lower left corner.
#pragma once

#include <array>

struct FaceCorner
{
    float s, t;    // texture coordinate
    float x, y, z; // vertex
};

struct CubeFace
{
    float nx, ny, nz;
    std::array<FaceCorner, 4> corners; // in drawing order
};

// Faces 1 ... 6 (front, back, top, bottom, right, left), drawn with Img1 ... Img6.
extern const std::array<CubeFace, 6> kCubeFaces;

// Draws one face as a quad; the face's texture is bound already.
void drawCubeFace(const CubeFace &face);
