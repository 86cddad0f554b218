// Writes the seed corpora of the fuzz harnesses, all made by Orolith's own
// code: small tiles, heightmaps written by the terrain, archives made with
// libzip, settings text written by the file image. Usage: make_seeds FOLDER
#include "IniFile.h"
#include "Terrain.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <zip.h>

#include <fstream>
#include <string>
#include <vector>

static std::string root;

static void Write(const std::string &corpus, const std::string &name, const std::string &bytes)
{
    QDir().mkpath(QString::fromStdString(root + "/" + corpus));
    std::ofstream(root + "/" + corpus + "/" + name, std::ios::binary) << bytes;
}

static std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

static std::string MakeZip(const std::vector<std::pair<std::string, std::string>> &members)
{
    const std::string path = root + "/tmp.zip";
    QFile::remove(QString::fromStdString(path));
    int error = 0;
    zip_t *archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    // libzip reads the member bytes only at zip_close: `members` outlives it.
    for (auto &[name, bytes] : members) {
        zip_source_t *src = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        zip_file_add(archive, name.c_str(), src, ZIP_FL_ENC_UTF_8);
    }
    zip_close(archive);
    const std::string bytes = ReadAll(path);
    QFile::remove(QString::fromStdString(path));
    return bytes;
}

// A whole .hgt tile of side n: big-endian samples, row by row.
static std::string Tile(int n, int (*height)(int col, int row))
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(n) * n * 2);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const int h = height(c, r);
            bytes += static_cast<char>((h >> 8) & 0xFF);
            bytes += static_cast<char>(h & 0xFF);
        }
    return bytes;
}

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    root = argv[1];

    // Heights: short runs of big-endian samples (the harness repeats them into a tile).
    Write("hgt_load", "flat", std::string("\x00\x01\x01\x2C", 5));
    Write("hgt_load", "voids", std::string("\x00\x80\x00\x80\x00", 5));
    Write("hgt_load", "short", std::string("\x01\x01\x2C\x00\x10", 5));

    // Heightmaps written by the terrain itself, plus other depths the decoder reads.
    TTerrain terrain;
    terrain.Heights.SetSize(16);
    terrain.GridHigh = 15;
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            terrain.Heights(c, r) = static_cast<int16_t>(r * 60 + c * 4);
    const std::string bmp = root + "/tmp.bmp";
    terrain.SaveHeightmap(bmp);
    Write("bmp_load", "heightmap32.bmp", ReadAll(bmp));
    QImage grey(12, 9, QImage::Format_Grayscale8);
    grey.fill(100);
    grey.save(QString::fromStdString(bmp), "BMP");
    Write("bmp_load", "grey8.bmp", ReadAll(bmp));
    QImage rgb(7, 7, QImage::Format_RGB888);
    rgb.fill(Qt::darkGreen);
    rgb.save(QString::fromStdString(bmp), "BMP");
    Write("bmp_load", "rgb24.bmp", ReadAll(bmp));
    QFile::remove(QString::fromStdString(bmp));

    // Archives: whole tiles as users download them (a 1201 slope and a flat
    // 3601, both deflate to a few kilobytes), a member of the wrong size,
    // names reaching out, no tile, two candidates, more members than allowed.
    Write("zip_extract", "N10E010.hgt.zip", MakeZip({{"N10E010.hgt", Tile(1201, [](int c, int r) { return 100 + r / 4 + c / 8; })}}));
    Write("zip_extract", "S01W002.hgt.zip", MakeZip({{"S01W002.hgt", Tile(3601, [](int, int) { return 812; })}}));
    Write("zip_extract", "tile.zip", MakeZip({{"N10E010.hgt", std::string(64, '\x01')}}));
    Write("zip_extract", "escape.zip", MakeZip({{"../../x.hgt", "ab"}, {"dir/N10E010.hgt", "cd"}}));
    Write("zip_extract", "notile.zip", MakeZip({{"readme.txt", "nothing here"}}));
    Write("zip_extract", "two.zip", MakeZip({{"a/N1.hgt", "1"}, {"b/N1.hgt", "2"}}));
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 40; ++i)
        many.push_back({"m" + std::to_string(i) + ".txt", ""});
    many.push_back({"N10E010.hgt", Tile(1201, [](int, int) { return 5; })});
    Write("zip_extract", "many-members.zip", MakeZip(many));

    // Settings text as the file image writes it, with the placemark sections.
    TIniFile ini;
    ini.WriteString("General", "TopoClass", "0");
    ini.WriteString("General.Display", "VertexSize", "128");
    ini.WriteString("General.Display", "VerticalScale", "1.5");
    ini.WriteString("General.Scene", "BackColor", "$00FFEAB0");
    ini.WriteString("General.CLOD", "smallC", "0.800000011920929");
    ini.WriteString("Browser", "ZipPath", "tiles/");
    ini.WriteString("Places", "Zugspitze                               ", "10.98       ,47.42       ,1");
    ini.WriteString("MClasses", "1    ", "255,0  ,0  ,Peaks, high ones");
    Write("ini_file", "options.ini", ini.Text());
    Write("placemark_line", "lines.txt",
          "Zugspitze                               =10.98       ,47.42       ,1\n"
          "1    =255,0  ,0  ,Peaks, high ones\n# comment\n/ comment\nX=,1,2\n70000=1,2,3,Big id\n");

    Write("tile_name", "n", "N47E011.hgt");
    Write("tile_name", "s", "S05W072.hgt.zip");
    Write("tile_name", "short", "N47");
    Write("number_text", "a", "1,5");
    Write("number_text", "b", "-2.5E-3");
    Write("mask", "a", std::string("\x09") + "C00C000.*N47E008.hgt.zip");
    return 0;
}
