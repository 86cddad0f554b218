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
    uint64_t positions = 0, normals = 0, texCoords = 0, indices = 0, image = 0, end = 0;
};

std::string View(uint64_t offset, uint64_t length, int target)
{
    std::string view = "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                       ",\"byteLength\":" + std::to_string(length);
    if (target)
        view += ",\"target\":" + std::to_string(target);
    return view + "}";
}

std::string Json(const TSurfaceMesh &surface, const TLayout &at, bool textured)
{
    constexpr int VertexData = 34962, IndexData = 34963, Float = 5126, UnsignedInt = 5125;
    const size_t n = surface.Positions.size();
    TVertex3f low{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    TVertex3f high{-low.X, -low.Y, -low.Z};
    for (const TVertex3f &p : surface.Positions) {
        low = {std::min(low.X, p.X), std::min(low.Y, p.Y), std::min(low.Z, p.Z)};
        high = {std::max(high.X, p.X), std::max(high.Y, p.Y), std::max(high.Z, p.Z)};
    }
    const std::string count = std::to_string(n);
    std::string views = View(at.positions, at.normals - at.positions, VertexData) + "," +
                        View(at.normals, at.texCoords - at.normals, VertexData);
    std::string accessors =
        "{\"bufferView\":0,\"componentType\":" + std::to_string(Float) + ",\"count\":" + count +
        ",\"type\":\"VEC3\",\"min\":" + Triple(low.X, low.Y, low.Z) + ",\"max\":" + Triple(high.X, high.Y, high.Z) +
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
    const std::string indexAccessor = std::to_string(view);
    accessors += ",{\"bufferView\":" + indexAccessor + ",\"componentType\":" + std::to_string(UnsignedInt) +
                 ",\"count\":" + std::to_string(surface.Triangles.size()) + ",\"type\":\"SCALAR\"}";

    // Matt: glTF viewers draw a material without these as polished metal.
    std::string material = "{\"name\":\"terrain\",\"pbrMetallicRoughness\":{";
    std::string texture;
    if (textured) {
        views += "," + View(at.image, at.end - at.image, 0);
        material += "\"baseColorTexture\":{\"index\":0},";
        // The texture covers the terrain once: clamped, not repeated.
        texture = ",\"images\":[{\"bufferView\":" + std::to_string(view + 1) +
                  ",\"mimeType\":\"image/jpeg\"}],\"samplers\":[{\"magFilter\":9729,"
                  "\"wrapS\":33071,\"wrapT\":33071}],\"textures\":[{\"sampler\":0,\"source\":0}]";
    }
    material += "\"metallicFactor\":0,\"roughnessFactor\":1}}";
    return "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Orolith\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
           "\"nodes\":[{\"name\":\"terrain\",\"mesh\":0}],\"meshes\":[{\"name\":\"terrain\",\"primitives\":[{"
           "\"attributes\":{" + attributes + "},\"indices\":" + indexAccessor + ",\"material\":0,\"mode\":4}]}],"
           "\"materials\":[" + material + "]" + texture + ",\"accessors\":[" + accessors + "],\"bufferViews\":[" +
           views + "],\"buffers\":[{\"byteLength\":" + std::to_string(at.end) + "}]}";
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
              const QByteArray &jpeg, const std::function<void(float)> &progress)
{
    const bool textured = !jpeg.isEmpty();
    const uint64_t n = surface.Positions.size();
    TLayout at;
    at.normals = at.positions + 12 * n;
    at.texCoords = at.normals + 12 * n;
    at.indices = at.texCoords + (textured ? 8 * n : 0);
    at.image = at.indices + 4 * uint64_t(surface.Triangles.size());
    at.end = at.image + uint64_t(jpeg.size());
    const std::string json = Json(surface, at, textured);
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
    progressed();
    out.Write(jpeg.constData(), size_t(jpeg.size()));
    Pad(out, at.end, '\0');
}
