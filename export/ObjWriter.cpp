#include "ObjWriter.h"

#include "StepProgress.h"
#include "TextLines.h"
#include "TextNumbers.h"
#include "Utils.h"

#include <cstring>

namespace {

// Decimals: positions to a tenth of a millimetre, texture coordinates to
// well below a texel of the largest texture, normals to 1e-5.
constexpr int PositionDecimals = 4, TexCoordDecimals = 7, NormalDecimals = 5;

template <int Decimals, size_t N>
char *PutTriple(char *at, const char (&tag)[N], const TVertex3f &v)
{
    at = PutText(at, tag);
    at = PutFixed<Decimals>(at, v.X);
    *at++ = ' ';
    at = PutFixed<Decimals>(at, v.Y);
    *at++ = ' ';
    at = PutFixed<Decimals>(at, v.Z);
    *at++ = '\n';
    return at;
}


// An OBJ line element lists its points on one text line: long lines go out
// in elements of this many points, each starting where the last one ended.
constexpr size_t LineElementPoints = 32;

std::string LineMaterial(size_t strip)
{
    return "line" + std::to_string(strip + 1);
}

// The draped lines after the surface: their points numbered on from the
// surface's, one material a line.
void WriteLines(TOutFile &out, const TDrapedLines &lines, size_t surfacePoints)
{
    if (lines.Strips.empty())
        return;
    out.Write("o lines\n");
    const auto write = [&out](const char *text, size_t size) { out.Write(text, size); };
    FormatLines(lines.Points.size(), 3 * MaxNumberChars + 8,
                [&lines](size_t i, char *at) { return PutTriple<PositionDecimals>(at, "v ", lines.Points[i]); }, write);
    for (size_t k = 0; k < lines.Strips.size(); ++k) {
        const TDrapedLines::TStrip &strip = lines.Strips[k];
        out.Write("usemtl " + LineMaterial(k) + "\n");
        for (size_t first = 0; first + 1 < strip.Count; first += LineElementPoints - 1) {
            std::string element = "l";
            for (size_t i = first; i < std::min(strip.Count, first + LineElementPoints); ++i)
                element += " " + std::to_string(surfacePoints + strip.First + i + 1);
            out.Write(element + "\n");
        }
    }
}

} // namespace

void WriteObj(TOutFile &out, const TSurfaceMesh &surface, const std::vector<TVertex3f> &normals,
              const std::string &materialFile, const TDrapedLines &lines, const std::function<void(float)> &progress)
{
    const auto &p = surface.Positions;
    const auto &t = surface.TexCoords;
    const auto &f = surface.Triangles;
    const size_t n = p.size(), faces = f.size() / 3;
    TStepProgress step(progress, 3 * n + faces);
    size_t before = 0;  // lines of the sections already written
    const auto write = [&out](const char *text, size_t size) { out.Write(text, size); };
    const auto done = [&step, &before](size_t written) { step.At(before + written); };
    constexpr size_t LineChars = 3 * MaxNumberChars + 8;
    constexpr size_t FaceChars = 3 * (3 * 10 + 3) + 2;  // indices have at most 10 digits

    out.Write("# Orolith terrain in metres: X east, Y up, -Z north\n");
    out.Write("mtllib " + materialFile + "\no terrain\n");
    FormatLines(n, LineChars, [&p](size_t i, char *at) { return PutTriple<PositionDecimals>(at, "v ", p[i]); }, write, done);
    before += n;
    FormatLines(n, LineChars, [&t](size_t i, char *at) {
        at = PutText(at, "vt ");
        at = PutFixed<TexCoordDecimals>(at, t[i].S);
        *at++ = ' ';
        at = PutFixed<TexCoordDecimals>(at, t[i].T);
        *at++ = '\n';
        return at;
    }, write, done);
    before += n;
    FormatLines(n, LineChars, [&normals](size_t i, char *at) { return PutTriple<NormalDecimals>(at, "vn ", normals[i]); },
                write, done);
    before += n;
    out.Write("usemtl terrain\ns 1\n");
    // Indices count from 1; every vertex has its own texture coordinate and
    // normal under the same number.
    FormatLines(faces, FaceChars, [&f](size_t face, char *at) {
        *at++ = 'f';
        for (size_t k = 0; k < 3; ++k) {
            // " i/i/i": the number once, copied twice.
            *at++ = ' ';
            char *number = at;
            at = PutNumber(at, uint64_t(f[3 * face + k]) + 1);
            const auto length = size_t(at - number);
            for (int copy = 0; copy < 2; ++copy) {
                *at++ = '/';
                std::memcpy(at, number, length);
                at += length;
            }
        }
        *at++ = '\n';
        return at;
    }, write, done);
    WriteLines(out, lines, n);
}

void WriteMtl(TOutFile &out, const std::string &textureFile, const TDrapedLines &lines)
{
    out.Write("newmtl terrain\nKa 0 0 0\nKd 1 1 1\nKs 0 0 0\nd 1\nillum 1\n");
    if (!textureFile.empty())
        out.Write("map_Kd " + textureFile + "\n");
    for (size_t k = 0; k < lines.Strips.size(); ++k) {
        const TOverlayColor &c = lines.Strips[k].Color;
        out.Write("newmtl " + LineMaterial(k) + "\nKd " + FloatToStrN(c.R) + " " + FloatToStrN(c.G) + " " +
                  FloatToStrN(c.B) + "\nillum 0\n");
    }
}
