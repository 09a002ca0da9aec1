#include "cubefaces.h"

#include <GL/gl.h>

// clang-format off
const std::array<CubeFace, 6> kCubeFaces = {{
    // 1 front
    {0, 0, 1,  {{{0, 0, -1, -1,  1}, {1, 0,  1, -1,  1}, {1, 1,  1,  1,  1}, {0, 1, -1,  1,  1}}}},
    // 2 back
    {0, 0, -1, {{{1, 0, -1, -1, -1}, {1, 1, -1,  1, -1}, {0, 1,  1,  1, -1}, {0, 0,  1, -1, -1}}}},
    // 3 top
    {0, 1, 0,  {{{0, 1, -1,  1, -1}, {0, 0, -1,  1,  1}, {1, 0,  1,  1,  1}, {1, 1,  1,  1, -1}}}},
    // 4 bottom
    {0, -1, 0, {{{1, 1, -1, -1, -1}, {0, 1,  1, -1, -1}, {0, 0,  1, -1,  1}, {1, 0, -1, -1,  1}}}},
    // 5 right
    {1, 0, 0,  {{{1, 0,  1, -1, -1}, {1, 1,  1,  1, -1}, {0, 1,  1,  1,  1}, {0, 0,  1, -1,  1}}}},
    // 6 left
    {-1, 0, 0, {{{0, 0, -1, -1, -1}, {1, 0, -1, -1,  1}, {1, 1, -1,  1,  1}, {0, 1, -1,  1, -1}}}},
}};
// clang-format on

void drawCubeFace(const CubeFace &face)
{
    glBegin(GL_QUADS);
    glNormal3f(face.nx, face.ny, face.nz);
    for (const FaceCorner &c : face.corners) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x, c.y, c.z);
    }
    glEnd();
}
