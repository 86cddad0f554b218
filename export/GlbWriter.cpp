#include "GlbWriter.h"

#include "StepProgress.h"
#include "TerrainError.h"
#include "TextNumbers.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr uint32_t Magic = 0x46546C67;      // "glTF"
constexpr uint32_t JsonChunk = 0x4E4F534A;  // "JSON"
constexpr uint32_t BinChunk = 0x004E4942;   // "BIN\0"

uint64_t Padded(uint64_t bytes)
{
    return (bytes + 3) & ~uint64_t(3);
}

// The shortest text that reads back as the same float: the validator
// compares the bounds with the data exactly.
std::string Number(float value)
{
    char text[MaxNumberChars];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string Triple(float x, float y, float z)
{
    return "[" + Number(x) + "," + Number(y) + "," + Number(z) + "]";
}

// Where each part lies in the binary chunk.
struct TLayout {
    uint64_t positions = 0, normals = 0, texCoords = 0, indices = 0, lines = 0, image = 0, end = 0;
};

std::string View(uint64_t offset, uint64_t length, int target, int stride = 0)
{
    std::string view = "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                       ",\"byteLength\":" + std::to_string(length);
    if (stride)
        view += ",\"byteStride\":" + std::to_string(stride);
    if (target)
        view += ",\"target\":" + std::to_string(target);
    return view + "}";
}

constexpr int VertexData = 34962, IndexData = 34963, Float = 5126, UnsignedInt = 5125;

// "min" and "max" of positions, which the format requires.
std::string Bounds(const TVertex3f *points, size_t count)
{
    TVertex3f low{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    TVertex3f high{-low.X, -low.Y, -low.Z};
    for (const TVertex3f *p = points; p != points + count; ++p) {
        low = {std::min(low.X, p->X), std::min(low.Y, p->Y), std::min(low.Z, p->Z)};
        high = {std::max(high.X, p->X), std::max(high.Y, p->Y), std::max(high.Z, p->Z)};
    }
    return "\"min\":" + Triple(low.X, low.Y, low.Z) + ",\"max\":" + Triple(high.X, high.Y, high.Z);
}

// The draped lines as a second mesh: one line strip a line, each in a matt
// material of its colour. Appends to the JSON's lists; `view` and
// `accessor` are the next free numbers.
struct TLineParts {
    std::string Views, Accessors, Materials, Mesh;
};
TLineParts LineJson(const TDrapedLines &lines, const TLayout &at, int view, int accessor, int material)
{
    TLineParts parts;
    // Every strip's accessor reads this one view, which the format allows
    // only when the view states its stride.
    parts.Views = "," + View(at.lines, at.image - at.lines, VertexData, 12);
    std::string primitives;
    for (const TDrapedLines::TStrip &strip : lines.Strips) {
        parts.Accessors += ",{\"bufferView\":" + std::to_string(view) + ",\"byteOffset\":" +
                           std::to_string(12 * uint64_t(strip.First)) + ",\"componentType\":" + std::to_string(Float) +
                           ",\"count\":" + std::to_string(strip.Count) + ",\"type\":\"VEC3\"," +
                           Bounds(lines.Points.data() + strip.First, strip.Count) + "}";
        parts.Materials += ",{\"name\":\"line\",\"pbrMetallicRoughness\":{\"baseColorFactor\":[" +
                           Number(strip.Color.R) + "," + Number(strip.Color.G) + "," + Number(strip.Color.B) +
                           ",1],\"metallicFactor\":0,\"roughnessFactor\":1}}";
        primitives += std::string(primitives.empty() ? "" : ",") + "{\"attributes\":{\"POSITION\":" +
                      std::to_string(accessor++) + "},\"material\":" + std::to_string(material++) + ",\"mode\":3}";
    }
    parts.Mesh = ",{\"name\":\"lines\",\"primitives\":[" + primitives + "]}";
    return parts;
}

std::string Json(const TSurfaceMesh &surface, const TDrapedLines &lines, const TLayout &at, bool textured)
{
    const size_t n = surface.Positions.size();
    const std::string count = std::to_string(n);
    std::string views = View(at.positions, at.normals - at.positions, VertexData) + "," +
                        View(at.normals, at.texCoords - at.normals, VertexData);
    std::string accessors =
        "{\"bufferView\":0,\"componentType\":" + std::to_string(Float) + ",\"count\":" + count +
        ",\"type\":\"VEC3\"," + Bounds(surface.Positions.data(), n) +
        "},{\"bufferView\":1,\"componentType\":" + std::to_string(Float) + ",\"count\":" + count + ",\"type\":\"VEC3\"}";
    std::string attributes = "\"POSITION\":0,\"NORMAL\":1";
    int view = 2;
    if (textured) {
        views += "," + View(at.texCoords, at.indices - at.texCoords, VertexData);
        accessors += ",{\"bufferView\":2,\"componentType\":" + std::to_string(Float) + ",\"count\":" + count +
                     ",\"type\":\"VEC2\"}";
        attributes += ",\"TEXCOORD_0\":2";
        view = 3;
    }
    views += "," + View(at.indices, 4 * uint64_t(surface.Triangles.size()), IndexData);
    const int indexAccessor = view;  // one accessor a view so far
    accessors += ",{\"bufferView\":" + std::to_string(indexAccessor) + ",\"componentType\":" + std::to_string(UnsignedInt) +
                 ",\"count\":" + std::to_string(surface.Triangles.size()) + ",\"type\":\"SCALAR\"}";
    ++view;
    TLineParts lineParts;
    if (!lines.Strips.empty()) {
        lineParts = LineJson(lines, at, view, indexAccessor + 1, 1);
        views += lineParts.Views;
        ++view;
    }

    // Matt: glTF viewers draw a material without these as polished metal.
    std::string material = "{\"name\":\"terrain\",\"pbrMetallicRoughness\":{";
    std::string texture;
    if (textured) {
        views += "," + View(at.image, at.end - at.image, 0);
        material += "\"baseColorTexture\":{\"index\":0},";
        // The texture covers the terrain once: clamped, not repeated.
        texture = ",\"images\":[{\"bufferView\":" + std::to_string(view) +
                  ",\"mimeType\":\"image/jpeg\"}],\"samplers\":[{\"magFilter\":9729,"
                  "\"wrapS\":33071,\"wrapT\":33071}],\"textures\":[{\"sampler\":0,\"source\":0}]";
    }
    material += "\"metallicFactor\":0,\"roughnessFactor\":1}}";
    const bool withLines = !lineParts.Mesh.empty();
    return "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Orolith\"},\"scene\":0,\"scenes\":[{\"nodes\":[" +
           std::string(withLines ? "0,1" : "0") + "]}],\"nodes\":[{\"name\":\"terrain\",\"mesh\":0}" +
           (withLines ? ",{\"name\":\"lines\",\"mesh\":1}" : "") +
           "],\"meshes\":[{\"name\":\"terrain\",\"primitives\":[{"
           "\"attributes\":{" + attributes + "},\"indices\":" + std::to_string(indexAccessor) + ",\"material\":0,\"mode\":4}]}" +
           lineParts.Mesh + "],\"materials\":[" + material + lineParts.Materials + "]" + texture +
           ",\"accessors\":[" + accessors + lineParts.Accessors + "],\"bufferViews\":[" + views +
           "],\"buffers\":[{\"byteLength\":" + std::to_string(at.end) + "}]}";
}

void PutWord(TOutFile &out, uint32_t value)
{
    out.Write(&value, 4);  // little-endian, as the format and this machine have it
}

void Pad(TOutFile &out, uint64_t bytes, char with)
{
    const char padding[3] = {with, with, with};
    out.Write(padding, size_t(Padded(bytes) - bytes));
}

} // namespace

void WriteGlb(TOutFile &out, const TSurfaceMesh &surface, const std::vector<TVertex3f> &normals,
              const QByteArray &jpeg, const TDrapedLines &lines, const std::function<void(float)> &progress)
{
    const bool textured = !jpeg.isEmpty();
    const uint64_t n = surface.Positions.size();
    TLayout at;
    at.normals = at.positions + 12 * n;
    at.texCoords = at.normals + 12 * n;
    at.indices = at.texCoords + (textured ? 8 * n : 0);
    at.lines = at.indices + 4 * uint64_t(surface.Triangles.size());
    at.image = at.lines + 12 * uint64_t(lines.Points.size());
    at.end = at.image + uint64_t(jpeg.size());
    const std::string json = Json(surface, lines, at, textured);
    const uint64_t total = 12 + 8 + Padded(json.size()) + 8 + Padded(at.end);
    if (total > std::numeric_limits<uint32_t>::max())
        throw ETerrainError("the model is too large for a glTF binary file (" + std::to_string(total >> 20) +
                                " MiB, at most 4096): choose a lower resolution or .obj",
                            out.Name());

    TStepProgress step(progress, size_t(at.end / TOutFile::BufferBytes) + 1);
    PutWord(out, Magic);
    PutWord(out, 2);
    PutWord(out, uint32_t(total));
    PutWord(out, uint32_t(Padded(json.size())));
    PutWord(out, JsonChunk);
    out.Write(json);
    Pad(out, json.size(), ' ');
    PutWord(out, uint32_t(Padded(at.end)));
    PutWord(out, BinChunk);
    const uint64_t binStart = out.Offset();
    auto progressed = [&] { step.At(size_t((out.Offset() - binStart) / TOutFile::BufferBytes)); };

    out.Write(surface.Positions.data(), 12 * n);
    progressed();
    out.Write(normals.data(), 12 * n);
    progressed();
    if (textured) {
        // glTF puts V = 0 at the picture's top edge; the surface has it at the bottom.
        constexpr size_t Block = 4096;
        for (size_t first = 0; first < n; first += Block) {
            const size_t count = std::min<size_t>(Block, n - first);
            char *to = out.Room(count * 8);
            for (size_t i = 0; i < count; ++i, to += 8) {
                const float uv[2] = {surface.TexCoords[first + i].S, 1 - surface.TexCoords[first + i].T};
                std::memcpy(to, uv, 8);
            }
            out.Filled(to);
        }
        progressed();
    }
    out.Write(surface.Triangles.data(), 4 * surface.Triangles.size());
    out.Write(lines.Points.data(), 12 * lines.Points.size());
    progressed();
    out.Write(jpeg.constData(), size_t(jpeg.size()));
    Pad(out, at.end, '\0');
}
