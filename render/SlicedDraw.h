// Drawing a long vertex array in slices. Mesa's software renderer allocates
// working memory for every vertex of a draw call (about 50 bytes each) until
// the call ends: one call for a 2.35-million-vertex mesh costs more than the
// mesh itself. Slices bound that memory; the picture is the same, since the
// primitives and their order are.
#pragma once

#include <qopengl.h>

#include <algorithm>

// Vertices per slice: whole quads and whole triangles (a multiple of 12).
constexpr GLsizei DrawSliceVertices = 12 * 4096;

inline void DrawArraysInSlices(GLenum primitive, GLsizei count)
{
    for (GLsizei first = 0; first < count; first += DrawSliceVertices)
        glDrawArrays(primitive, first, std::min(DrawSliceVertices, count - first));
}
