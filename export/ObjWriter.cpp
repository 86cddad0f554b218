#include "ObjWriter.h"

#include "StepProgress.h"
#include "TextNumbers.h"

#include <cstring>

namespace {

// Decimals: positions to a tenth of a millimetre, texture coordinates to
// well below a texel of the largest texture, normals to 1e-5.
constexpr int PositionDecimals = 4, TexCoordDecimals = 7, NormalDecimals = 5;

template <size_t N>
char *PutTriple(char *at, const char (&tag)[N], const TVertex3f &v, int decimals)
{
    at = PutText(at, tag);
    at = PutFixed(at, v.X, decimals);
    *at++ = ' ';
    at = PutFixed(at, v.Y, decimals);
    *at++ = ' ';
    at = PutFixed(at, v.Z, decimals);
    *at++ = '\n';
    return at;
}

} // namespace

void WriteObj(TOutFile &out, const TSurfaceMesh &surface, const std::vector<TVertex3f> &normals,
              const std::string &materialFile, const std::function<void(float)> &progress)
{
    const auto &p = surface.Positions;
    const auto &t = surface.TexCoords;
    const auto &f = surface.Triangles;
    TStepProgress step(progress, 3 * p.size() + f.size() / 3);
    size_t line = 0;
    out.Write("# Orolith terrain in metres: X east, Y up, -Z north\n");
    out.Write("mtllib " + materialFile + "\no terrain\n");
    constexpr size_t LineChars = 3 * MaxNumberChars + 8;
    for (const TVertex3f &v : p) {
        out.Filled(PutTriple(out.Room(LineChars), "v ", v, PositionDecimals));
        step.At(line++);
    }
    for (const TTexCoord2f &c : t) {
        char *at = PutText(out.Room(LineChars), "vt ");
        at = PutFixed(at, c.S, TexCoordDecimals);
        *at++ = ' ';
        at = PutFixed(at, c.T, TexCoordDecimals);
        *at++ = '\n';
        out.Filled(at);
        step.At(line++);
    }
    for (const TVertex3f &n : normals) {
        out.Filled(PutTriple(out.Room(LineChars), "vn ", n, NormalDecimals));
        step.At(line++);
    }
    out.Write("usemtl terrain\ns 1\n");
    // Indices count from 1; every vertex has its own texture coordinate and
    // normal under the same number.
    for (size_t i = 0; i + 2 < f.size(); i += 3) {
        char *at = out.Room(3 * (3 * MaxNumberChars + 3) + 4);
        *at++ = 'f';
        for (size_t k = 0; k < 3; ++k) {
            // " i/i/i": the number once, copied twice.
            *at++ = ' ';
            char *number = at;
            at = PutNumber(at, uint64_t(f[i + k]) + 1);
            const auto length = size_t(at - number);
            for (int copy = 0; copy < 2; ++copy) {
                *at++ = '/';
                std::memcpy(at, number, length);
                at += length;
            }
        }
        *at++ = '\n';
        out.Filled(at);
        step.At(line++);
    }
}

void WriteMtl(TOutFile &out, const std::string &textureFile)
{
    out.Write("newmtl terrain\nKa 0 0 0\nKd 1 1 1\nKs 0 0 0\nd 1\nillum 1\n");
    if (!textureFile.empty())
        out.Write("map_Kd " + textureFile + "\n");
}
