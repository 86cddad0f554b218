#include "ZipExtract.h"

#include "Terrain.h"
#include "TerrainError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace {

// A real archive holds one tile; more members than this are not a tile archive
// but could fill the disk 25 MB at a time.
constexpr size_t MaxHgtMembers = 16;

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

struct TMember {
    zip_uint64_t index;
    std::string bareName;
    zip_uint64_t size;
};

class TZipArchive {
public:
    explicit TZipArchive(const std::string &path) : path_(path)
    {
        const QFileInfo info(QString::fromStdString(path));
        if (info.isDir())
            throw ETerrainError("is a folder, not a ZIP archive", path);
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
    }
    ~TZipArchive() { zip_discard(zip_); }
    TZipArchive(const TZipArchive &) = delete;
    TZipArchive &operator=(const TZipArchive &) = delete;

    // The ".hgt" members, checked as a whole before any is written.
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
            members.push_back({static_cast<zip_uint64_t>(i), bare, st.size});
        }
        if (members.empty())
            throw ETerrainError("the archive holds no .hgt file", path_);
        if (members.size() > MaxHgtMembers)
            throw ETerrainError("the archive holds more than " + std::to_string(MaxHgtMembers) + " .hgt files",
                                path_);
        return members;
    }

    // Writes one member to folder/bareName through a temporary file that only
    // takes the final name once every byte has been read and checked.
    std::string Extract(const TMember &member, const std::string &folder) const
    {
        const QString target = QDir(QString::fromStdString(folder)).filePath(QString::fromStdString(member.bareName));
        QSaveFile out(target);
        const auto cannotWrite = [&] {
            return ETerrainError("cannot write " + target.toStdString() + ": " + out.errorString().toStdString(), path_);
        };
        if (!out.open(QIODevice::WriteOnly))
            throw cannotWrite();
        std::vector<uint8_t> buffer(1 << 20);
        ReadMember(member, [&] { return TWindow{buffer.data(), buffer.size()}; }, [&](zip_int64_t n) {
            if (out.write(reinterpret_cast<const char *>(buffer.data()), n) != n)
                throw cannotWrite();
        });
        if (!out.commit())
            throw cannotWrite();
        return target.toStdString();
    }

    // The whole member in memory, in one pass with no copy.
    THgtBytes Read(const TMember &member) const
    {
        // One byte to spare, so data longer than recorded is noticed.
        THgtBytes bytes(static_cast<size_t>(member.size) + 1);
        size_t got = 0;
        ReadMember(member, [&] { return TWindow{bytes.data() + got, bytes.size() - got}; },
                   [&](zip_int64_t n) { got += static_cast<size_t>(n); });
        bytes.resize(got);
        return bytes;
    }

    struct TWindow {
        uint8_t *at;
        size_t room;
    };

    // Decompresses the member piece by piece: each piece goes into the
    // window `where()` gives, and its length to `took`. The data is checked
    // against the length the directory claims.
    template <class W, class T>
    void ReadMember(const TMember &member, W &&where, T &&took) const
    {
        std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> in(zip_fopen_index(zip_, member.index, 0), zip_fclose);
        if (!in)
            throw ETerrainError("cannot read " + member.bareName + " from the archive: " + zip_strerror(zip_), path_);
        zip_uint64_t total = 0;
        for (;;) {
            const TWindow window = where();
            const zip_int64_t n = zip_fread(in.get(), window.at, window.room);
            if (n < 0)
                throw ETerrainError("the archive is damaged: " + std::string(zip_file_strerror(in.get())), path_);
            if (n == 0)
                break;
            total += static_cast<zip_uint64_t>(n);
            // The directory's size is only a claim; the data must keep to it.
            if (total > member.size)
                throw ETerrainError("the archive is damaged: " + member.bareName + " is longer than recorded",
                                    path_);
            took(n);
        }
        if (total != member.size)
            throw ETerrainError("the archive is damaged: " + member.bareName + " is shorter than recorded", path_);
    }

    // The member of exactly this bare name; refused when there is none.
    TMember MemberNamed(const std::string &bare) const
    {
        const std::vector<TMember> members = HgtMembers();
        auto it = std::find_if(members.begin(), members.end(), [&](const TMember &m) { return m.bareName == bare; });
        if (it == members.end())
            throw ETerrainError("the archive holds no " + bare, path_);
        return *it;
    }

    // The member a tile archive stands for: the one named like the archive
    // without ".zip" (N47E011.hgt.zip holds N47E011.hgt), else the first.
    TMember TileMember() const
    {
        const std::vector<TMember> members = HgtMembers();
        std::string wanted = Lower(BareName(path_));
        if (wanted.size() > 4 && wanted.substr(wanted.size() - 4) == ".zip")
            wanted.erase(wanted.size() - 4);
        auto it = std::find_if(members.begin(), members.end(), [&](const TMember &m) { return Lower(m.bareName) == wanted; });
        return it != members.end() ? *it : members.front();
    }

private:
    std::string path_;
    zip_t *zip_ = nullptr;
};

// Writes the members in order; on any failure removes those already written.
std::vector<std::string> ExtractAll(const TZipArchive &zip, const std::vector<TMember> &members,
                                    const std::string &folder)
{
    std::vector<std::string> written;
    try {
        for (const TMember &m : members)
            written.push_back(zip.Extract(m, folder));
    } catch (...) {
        for (const std::string &path : written)
            QFile::remove(QString::fromStdString(path));
        throw;
    }
    return written;
}

}  // namespace

std::vector<std::string> ExtractHgtEntries(const std::string &archive, const std::string &folder)
{
    const TZipArchive zip(archive);
    return ExtractAll(zip, zip.HgtMembers(), folder);
}

std::string ExtractTileFromZip(const std::string &archive, const std::string &folder)
{
    const TZipArchive zip(archive);
    return ExtractAll(zip, {zip.TileMember()}, folder).front();
}

THgtBytes ReadTileFromZip(const std::string &archive, std::string &member, const std::string &required)
{
    const TZipArchive zip(archive);
    const TMember chosen = required.empty() ? zip.TileMember() : zip.MemberNamed(required);
    member = chosen.bareName;
    return zip.Read(chosen);
}

uint64_t TileSizeInZip(const std::string &archive)
{
    return TZipArchive(archive).TileMember().size;
}
