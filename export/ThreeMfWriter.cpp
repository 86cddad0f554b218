#include "ThreeMfWriter.h"

#include "StepProgress.h"
#include "TerrainError.h"
#include "TextLines.h"
#include "TextNumbers.h"

#include <zlib.h>

#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view ContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"model\" ContentType=\"application/vnd.ms-package.3dmanufacturing-3dmodel+xml\"/>"
    "</Types>\n";

constexpr std::string_view Relationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Target=\"/3D/3dmodel.model\" Id=\"rel0\" "
    "Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\"/>"
    "</Relationships>\n";

constexpr std::string_view ModelStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<model unit=\"millimeter\" xml:lang=\"en-US\" "
    "xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">\n"
    "<resources>\n<object id=\"1\" name=\"terrain\" type=\"model\">\n<mesh>\n<vertices>\n";
constexpr std::string_view ModelMiddle = "</vertices>\n<triangles>\n";
constexpr std::string_view ModelEnd =
    "</triangles>\n</mesh>\n</object>\n</resources>\n<build>\n<item objectid=\"1\"/>\n</build>\n</model>\n";

// A stored ZIP package written front to back; each entry's local header
// gets its checksum and sizes once the entry is complete.
class TZipWriter {
public:
    explicit TZipWriter(TOutFile &out) : out_(out) {}

    void Begin(const std::string &name)
    {
        entries_.push_back({name, out_.Offset(), crc32(0, nullptr, 0), 0});
        Header(0x04034b50, entries_.back(), false);
    }
    void Put(std::string_view text)
    {
        TEntry &e = entries_.back();
        e.crc = crc32_z(e.crc, reinterpret_cast<const Bytef *>(text.data()), text.size());
        e.size += text.size();
        out_.Write(text.data(), text.size());
    }
    void End()
    {
        const TEntry &e = entries_.back();
        Fits(e.size);
        unsigned char figures[12];
        Put32(figures, uint32_t(e.crc));
        Put32(figures + 4, uint32_t(e.size));
        Put32(figures + 8, uint32_t(e.size));
        out_.Patch(e.offset + 14, figures, sizeof figures);
    }
    void Finish()
    {
        const uint64_t directory = out_.Offset();
        for (const TEntry &e : entries_)
            Header(0x02014b50, e, true);
        const uint64_t directorySize = out_.Offset() - directory;
        Fits(out_.Offset());
        unsigned char end[22] = {};
        Put32(end, 0x06054b50);
        Put16(end + 8, uint16_t(entries_.size()));
        Put16(end + 10, uint16_t(entries_.size()));
        Put32(end + 12, uint32_t(directorySize));
        Put32(end + 16, uint32_t(directory));
        out_.Write(end, sizeof end);
    }

private:
    struct TEntry {
        std::string name;
        uint64_t offset;
        uLong crc;
        uint64_t size;
    };

    static void Put16(unsigned char *at, uint16_t v)
    {
        at[0] = uint8_t(v);
        at[1] = uint8_t(v >> 8);
    }
    static void Put32(unsigned char *at, uint32_t v)
    {
        Put16(at, uint16_t(v));
        Put16(at + 2, uint16_t(v >> 16));
    }

    void Fits(uint64_t bytes) const
    {
        if (bytes > std::numeric_limits<uint32_t>::max())
            throw ETerrainError("the model is too large for a 3MF file (over 4 GiB): choose a lower resolution or .stl",
                                out_.Name());
    }

    // A local header, or the central directory's record of the entry.
    void Header(uint32_t signature, const TEntry &e, bool central)
    {
        unsigned char h[46] = {};
        unsigned char *at = h;
        Put32(at, signature);
        at += 4;
        if (central) {
            Put16(at, 20);  // made by: ZIP 2.0
            at += 2;
        }
        Put16(at, 20);      // needed: ZIP 2.0
        Put16(at + 4, 0);   // stored
        Put16(at + 8, 0x21);  // 1 January 1980, the earliest date ZIP has
        Put32(at + 10, uint32_t(e.crc));
        Put32(at + 14, uint32_t(e.size));
        Put32(at + 18, uint32_t(e.size));
        Put16(at + 22, uint16_t(e.name.size()));
        at += 26;
        if (central) {
            at += 10;  // comment length, disk, attributes
            Put32(at, uint32_t(e.offset));
            at += 4;
        }
        out_.Write(h, size_t(at - h));
        out_.Write(e.name);
    }

    TOutFile &out_;
    std::vector<TEntry> entries_;
};

template <size_t N>
char *PutAttribute(char *at, const char (&name)[N], uint64_t value)
{
    at = PutText(at, name);
    at = PutNumber(at, value);
    *at++ = '"';
    return at;
}

// Millimetres to a tenth of a micrometre.
template <size_t N>
char *PutAttribute(char *at, const char (&name)[N], float value)
{
    at = PutText(at, name);
    at = PutFixed<4>(at, value);
    *at++ = '"';
    return at;
}

} // namespace

void Write3mf(TOutFile &out, const TSolidMesh &solid, const std::function<void(float)> &progress)
{
    TZipWriter zip(out);
    zip.Begin("[Content_Types].xml");
    zip.Put(ContentTypes);
    zip.End();
    zip.Begin("_rels/.rels");
    zip.Put(Relationships);
    zip.End();

    zip.Begin("3D/3dmodel.model");
    zip.Put(ModelStart);
    const auto &p = solid.Points;
    const auto &t = solid.Triangles;
    TStepProgress step(progress, p.size() + t.size() / 3);
    const auto add = [&zip](const char *text, size_t size) { zip.Put(std::string_view(text, size)); };
    constexpr size_t LineChars = 3 * MaxNumberChars + 40;
    FormatLines(p.size(), LineChars, [&p](size_t i, char *at) {
        at = PutText(at, "<vertex");
        at = PutAttribute(at, " x=\"", p[i].X);
        at = PutAttribute(at, " y=\"", p[i].Y);
        at = PutAttribute(at, " z=\"", p[i].Z);
        return PutText(at, "/>\n");
    }, add, [&step](size_t done) { step.At(done); });
    zip.Put(ModelMiddle);
    FormatLines(t.size() / 3, LineChars, [&t](size_t i, char *at) {
        at = PutText(at, "<triangle");
        at = PutAttribute(at, " v1=\"", uint64_t(t[3 * i]));
        at = PutAttribute(at, " v2=\"", uint64_t(t[3 * i + 1]));
        at = PutAttribute(at, " v3=\"", uint64_t(t[3 * i + 2]));
        return PutText(at, "/>\n");
    }, add, [&step, &p](size_t done) { step.At(p.size() + done); });
    zip.Put(ModelEnd);
    zip.End();
    zip.Finish();
}
