#include "ZipExtract.h"

#include "Terrain.h"
#include "RegularFile.h"
#include "TerrainError.h"
#include "TilePos.h"
#include "Utils.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return std::tolower(ch); });
    return s;
}

std::string BareName(const std::string &name)
{
    const size_t cut = name.find_last_of("/\\");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

bool IsHgtName(const std::string &bare)
{
    return bare.size() > 4 && Lower(bare.substr(bare.size() - 4)) == ".hgt";
}

uint64_t Little(const uint8_t *p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

// Reads `n` bytes at `offset`; false when the file has fewer.
bool ReadAt(int fd, uint8_t *to, size_t n, uint64_t offset)
{
    return ::pread(fd, to, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
}

// The entry count the archive's end record states, read from the file's
// last 64 KB without looking at a single entry (libzip's open reads the whole
// directory first); 0 when there is no end record, which libzip then reports.
uint64_t EntriesStated(int fd, uint64_t fileSize)
{
    constexpr size_t EndRecord = 22, Locator = 20;
    const size_t tail = static_cast<size_t>(std::min<uint64_t>(fileSize, EndRecord + 0xFFFF + Locator));
    std::vector<uint8_t> bytes(tail);
    if (tail < EndRecord || !ReadAt(fd, bytes.data(), tail, fileSize - tail))
        return 0;
    // The end record is the last "PK\5\6" that leaves room for its 22 bytes.
    for (size_t at = tail - EndRecord + 1; at-- > 0;) {
        const uint8_t *end = bytes.data() + at;
        if (Little(end, 4) != 0x06054b50)
            continue;
        const uint64_t count = Little(end + 10, 2);
        // A ZIP64 archive states 0xFFFF here and the real count in its own
        // record, which the locator just before this one points at.
        uint8_t record[40];
        if (count == 0xFFFF && at >= Locator && Little(end - Locator, 4) == 0x07064b50 &&
            ReadAt(fd, record, sizeof record, Little(end - Locator + 8, 8)) && Little(record, 4) == 0x06064b50)
            return Little(record + 32, 8);
        return count;
    }
    return 0;
}

uint64_t EntriesStated(const std::string &path, uint64_t fileSize)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return 0;
    const uint64_t count = EntriesStated(fd, fileSize);
    ::close(fd);
    return count;
}

struct TMember {
    zip_uint64_t index;
    std::string bareName;
    zip_uint64_t size;
    std::string name;  // as in the directory
};

class TZipArchive {
public:
    explicit TZipArchive(const std::string &path) : path_(path)
    {
        const uint64_t size = RequireRegularFile(path, "a ZIP archive");
        if (const uint64_t stated = EntriesStated(path, size); stated > MaxZipEntries)
            throw TooManyEntries(stated);
        int code = 0;
        zip_ = zip_open(path.c_str(), ZIP_RDONLY, &code);
        if (!zip_) {
            if (code == ZIP_ER_NOZIP)
                throw ETerrainError("is not a ZIP archive", path);
            zip_error_t error;
            zip_error_init_with_code(&error, code);
            const std::string text = zip_error_strerror(&error);
            zip_error_fini(&error);
            throw ETerrainError("cannot open the archive: " + text, path);
        }
        // libzip may have found a directory the end record does not describe.
        if (const zip_int64_t count = zip_get_num_entries(zip_, 0); count > MaxZipEntries) {
            zip_discard(zip_);
            throw TooManyEntries(static_cast<uint64_t>(count));
        }
    }
    ~TZipArchive() { zip_discard(zip_); }
    TZipArchive(const TZipArchive &) = delete;
    TZipArchive &operator=(const TZipArchive &) = delete;

    // The member the archive stands for (see ZipExtract.h).
    TMember TileMember() const
    {
        const std::vector<TMember> members = HgtMembers();
        const std::string tile = TileName();
        const auto named = NamedLikeTheArchive(members);
        if (named != members.end())
            return *named;
        if (members.size() > 1)
            throw ETerrainError("the archive holds " + std::to_string(members.size()) + " .hgt files and none named " +
                                    tile,
                                path_);
        // A lone member named after another tile would put its heights in the wrong place.
        const TMember &only = members.front();
        if (IsTileName(only.bareName) && IsTileName(tile))
            throw ETerrainError("the archive holds " + only.bareName + ", another tile than " + tile, path_);
        return only;
    }

    std::vector<TMember> SheetMembers() const
    {
        std::vector<TMember> members = HgtMembers();
        const bool tiles = std::all_of(members.begin(), members.end(),
                                       [](const TMember &m) { return IsTileName(m.bareName); });
        // A lone tile in a "*.hgt.zip" is that archive's tile, wherever its name puts it.
        const bool tileArchive = IsTileName(TileName()) || Lower(TileName()).ends_with(".hgt");
        if (!tiles || NamedLikeTheArchive(members) != members.end() || (members.size() == 1 && tileArchive))
            return {};
        return members;
    }

    TMember Member(const std::string &name) const
    {
        for (const TMember &m : HgtMembers())
            if (m.name == name)
                return m;
        throw ETerrainError("the archive holds no " + name, path_);
    }

    // The whole member in memory, in one pass with no copy.
    THgtBytes Read(const TMember &member) const
    {
        std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> in(zip_fopen_index(zip_, member.index, 0), zip_fclose);
        if (!in)
            throw ETerrainError("cannot read " + member.bareName + " from the archive: " + zip_strerror(zip_), path_);
        // One byte to spare, so data longer than recorded is noticed: the
        // directory's size is only a claim, the data must keep to it.
        THgtBytes bytes(static_cast<size_t>(member.size) + 1);
        size_t got = 0;
        for (;;) {
            const zip_int64_t n = zip_fread(in.get(), bytes.data() + got, bytes.size() - got);
            if (n < 0)
                throw ETerrainError("the archive is damaged: " + std::string(zip_file_strerror(in.get())), path_);
            if (n == 0)
                break;
            got += static_cast<size_t>(n);
            if (got > member.size)
                throw ETerrainError("the archive is damaged: " + member.bareName + " is longer than recorded",
                                    path_);
        }
        if (got != member.size)
            throw ETerrainError("the archive is damaged: " + member.bareName + " is shorter than recorded", path_);
        bytes.resize(got);
        return bytes;
    }

private:
    // The archive's name without ".zip": the tile it stands for.
    std::string TileName() const
    {
        std::string tile = BareName(path_);
        if (Lower(tile).ends_with(".zip"))
            tile.erase(tile.size() - 4);
        return tile;
    }

    std::vector<TMember>::const_iterator NamedLikeTheArchive(const std::vector<TMember> &members) const
    {
        const std::string tile = Lower(TileName());
        return std::find_if(members.begin(), members.end(), [&](const TMember &m) { return Lower(m.bareName) == tile; });
    }

    ETerrainError TooManyEntries(uint64_t count) const
    {
        return ETerrainError("the archive holds " + std::to_string(count) + " entries; a tile archive holds at most " +
                                 std::to_string(MaxZipEntries),
                             path_);
    }

    // The ".hgt" members, checked as a whole from the directory.
    std::vector<TMember> HgtMembers() const
    {
        std::vector<TMember> members;
        const zip_int64_t count = zip_get_num_entries(zip_, 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            zip_stat_t st;
            zip_stat_init(&st);
            if (zip_stat_index(zip_, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
                continue;
            const std::string bare = BareName(st.name);
            if (!IsHgtName(bare))
                continue;
            if (!(st.valid & ZIP_STAT_SIZE) || st.size > static_cast<zip_uint64_t>(TTerrain::HgtSize3601))
                throw ETerrainError("Wrong Size of hgt File", path_);
            for (const TMember &m : members)
                if (Lower(m.bareName) == Lower(bare))
                    throw ETerrainError("the archive holds two members named " + bare, path_);
            members.push_back({static_cast<zip_uint64_t>(i), bare, st.size, st.name});
        }
        if (members.empty())
            throw ETerrainError("the archive holds no .hgt file", path_);
        return members;
    }

    std::string path_;
    zip_t *zip_ = nullptr;
};

}  // namespace

THgtBytes ReadTileFromZip(const std::string &archive, std::string &member)
{
    const TZipArchive zip(archive);
    const TMember chosen = zip.TileMember();
    member = chosen.bareName;
    return zip.Read(chosen);
}

uint64_t TileSizeInZip(const std::string &archive)
{
    return TZipArchive(archive).TileMember().size;
}

std::string TileMemberInZip(const std::string &archive)
{
    return TZipArchive(archive).TileMember().name;
}

std::vector<TZipTile> SheetTiles(const std::string &archive)
{
    std::vector<TZipTile> tiles;
    for (const TMember &m : TZipArchive(archive).SheetMembers())
        tiles.push_back({m.name, m.size});
    return tiles;
}

THgtBytes ReadZipMember(const std::string &archive, const std::string &name)
{
    const TZipArchive zip(archive);
    return zip.Read(zip.Member(name));
}
