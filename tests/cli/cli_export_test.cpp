// orolith-cli export: the surface keeps the mesh command's triangles; a bad
// output name or option gives one line naming it and leaves no file behind;
// a write that fails half-way leaves every older file of the set as it was.
#include "GeoReference.h"
#include "RunCli.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <sys/resource.h>

namespace {

QString Q(const std::string &s)
{
    return QString::fromStdString(s);
}

// The number after "name: " in the tool's output.
std::string Field(const std::string &out, const std::string &name)
{
    const size_t at = out.find(name + ": ");
    return at == std::string::npos ? "" : out.substr(at + name.size() + 2, out.find('\n', at) - at - name.size() - 2);
}

// The largest coordinate on each axis over every vertex of a binary STL.
std::array<float, 3> LargestCoordinates(const std::string &path)
{
    const std::vector<uint8_t> stl = ReadFileBytes(path);
    EXPECT_GT(stl.size(), 84u);
    std::array<float, 3> most = {0, 0, 0};
    for (size_t at = 84 + 12; at + 36 <= stl.size(); at += 50)
        for (int v = 0; v < 9; ++v) {
            float c = 0;
            std::memcpy(&c, stl.data() + at + 4 * size_t(v), 4);
            most[v % 3] = std::max(most[v % 3], c);
        }
    return most;
}

} // namespace

TEST(CliExport, TheSurfaceHasTheMeshCommandsTriangles)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int col, int row) { return int16_t((col * row) % 997); });
    for (const char *view : {"clod", "base"}) {
        SCOPED_TRACE(view);
        const TCliRun mesh = RunCli({"mesh", Q(tile), "--view", view, "--vertex-size", "32", "--resolution", "40"});
        ASSERT_EQ(mesh.code, 0) << mesh.err;
        for (const char *name : {"t.stl", "t.3mf", "t.obj", "t.glb"}) {
            const TCliRun run = RunCli({"export", Q(tile), Q(dir.Path(name)), "--view", view, "--vertex-size", "32",
                                        "--resolution", "40"});
            ASSERT_EQ(run.code, 0) << run.err;
            EXPECT_EQ(run.err, "");  // no progress bar when stderr is not a terminal
            EXPECT_EQ(Field(run.out, "SurfaceTriangles"), Field(mesh.out, "Triangles")) << name;
            EXPECT_TRUE(QFileInfo::exists(Q(dir.Path(name))));
        }
    }
    EXPECT_TRUE(QFileInfo::exists(Q(dir.Path("t.mtl"))));
    EXPECT_TRUE(QFileInfo::exists(Q(dir.Path("t_terrain.jpg"))));
}

// At 60.5° N a degree of longitude is 0.492 of one of latitude: the print's
// footprint keeps that, its longer side as long as asked, and a 1000 m cliff
// stands 1000 m on the print's scale at --vscale 1.
TEST(CliExport, TrueProportionsPrintTheRealFootprintAndRelief)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N60E010.hgt", 1201, [](int col, int) { return int16_t(col < 600 ? 0 : 1000); });
    const std::string out = dir.Path("t.stl");
    const TCliRun run = RunCli({"export", Q(tile), Q(out), "--true-proportions", "--vscale", "1", "--size-mm", "100",
                                "--base-mm", "2", "--vertex-size", "64"});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::array<float, 3> most = LargestCoordinates(out);
    EXPECT_NEAR(most[0], 100 * std::cos(60.5 * std::numbers::pi / 180), 0.01);  // east
    EXPECT_NEAR(most[1], 100, 0.01);                                              // north
    EXPECT_NEAR(most[2], 2 + 1000 * 100 / MetresPerDegree, 0.001);               // the cliff's top
}

// Without true proportions a tile is a square of degrees; a grid spanning
// two degrees of longitude and one of latitude is then twice as wide as deep,
// not stretched into the square.
TEST(CliExport, AGridLongerOneWayKeepsItsShapeInDegrees)
{
    TestDir dir;
    const std::string grid = dir.Path("wide.asc");
    std::string text = "ncols 21\nnrows 11\nxllcorner 9.95\nyllcorner 46.95\ncellsize 0.1\n";
    for (int row = 0; row < 11; ++row)
        for (int col = 0; col < 21; ++col)
            text += std::to_string(100 * row + col) + (col == 20 ? "\n" : " ");
    WriteFileBytes(grid, std::vector<uint8_t>(text.begin(), text.end()));
    const std::string out = dir.Path("t.stl");
    const TCliRun run = RunCli({"export", Q(grid), Q(out), "--size-mm", "100", "--view", "base", "--resolution", "40"});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::array<float, 3> most = LargestCoordinates(out);
    EXPECT_NEAR(most[0], 100, 0.01);  // east
    EXPECT_NEAR(most[1], 50, 0.01);   // north
}

TEST(CliExport, BadOutputGivesOneLineNamingItAndNoFile)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int, int) { return int16_t(300); });
    QDir().mkdir(Q(dir.Path("folder.stl")));
    const std::string kept = dir.Path("kept.stl");
    WriteFileBytes(kept, {'o', 'l', 'd'});
    const struct {
        std::string out, problem;
        QStringList options;
    } cases[] = {
        {dir.Path("model.txt"), "unknown model type", {}},
        {dir.Path("missing/model.stl"), "the folder does not exist", {}},
        {"/proc/orolith-export.stl", "cannot write into the folder", {}},  // even root cannot
        {dir.Path("folder.stl"), "is a folder", {}},
        // So coarse that not even the root of the quadtree is refined.
        {kept, "there is no terrain mesh to export", {"--c", "5000"}},
        {kept, "the terrain has no valid height (all voids)", {}},
    };
    const std::string voids = WriteHgt(dir, "N48E011.hgt", 1201, [](int, int) { return int16_t(-32768); });
    for (const auto &c : cases) {
        SCOPED_TRACE(c.out);
        const bool allVoids = c.problem.find("all voids") != std::string::npos;
        const TCliRun run = RunCli(QStringList{"export", Q(allVoids ? voids : tile), Q(c.out)} + c.options);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.rfind("orolith-cli: " + c.out + ": " + c.problem, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    // Values that would give infinite coordinates, and the range in the message.
    for (const QStringList &options :
         {QStringList{"--size-mm", "1e39", "from 1 to 10000"}, QStringList{"--base-mm", "1e39", "from 0.1 to 1000"},
          QStringList{"--vscale", "1e37", "from 0 to 100"}, QStringList{"--vscale", "-2", "from 0 to 100"},
          QStringList{"--resolution", "0", "a whole number from 1 to 8192"}, QStringList{"--view", "vbo", "clod or base"}}) {
        const TCliRun run = RunCli(QStringList{"export", Q(tile), Q(dir.Path("model.stl"))} + options.mid(0, 2));
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.rfind("orolith-cli: " + options[0].toStdString() + " must be", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(options[2].toStdString()), std::string::npos) << run.err;
    }
    EXPECT_FALSE(QFileInfo::exists(Q(dir.Path("model.stl"))));
    EXPECT_FALSE(QFileInfo::exists(Q(dir.Path("model.txt"))));
    EXPECT_FALSE(QFileInfo::exists("/proc/orolith-export.stl"));
    EXPECT_EQ(ReadFileBytes(kept), (std::vector<uint8_t>{'o', 'l', 'd'}));
    // Nothing staged is left beside the outputs.
    EXPECT_EQ(QDir(Q(dir.Root())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{"N47E011.hgt", "N48E011.hgt", "folder.stl", "kept.stl"}))
        << QDir(Q(dir.Root())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(' ').toStdString();
}

// orolith-cli under a file-size limit, where every write fails part-way
// ("File too large") as on a full disk.
TCliRun RunLimited(const QStringList &args)
{
    return RunCli(args, {}, [] {
        // 200 KB: an .obj's texture (a few KB) fits, no model does.
        const rlimit limit{200000, 200000};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);
    });
}

// The tool says so naming the file and the system's reason, and the files of
// an earlier run stay byte for byte, the .mtl and the texture of an .obj too.
TEST(CliExport, AFailedWriteLeavesTheOldFilesOfTheSet)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int col, int row) { return int16_t((col * row) % 997); });
    const QStringList old = {"t.stl", "t.3mf", "t.obj", "t.mtl", "t_terrain.jpg", "t.glb", "t.bmp", "t.jpg", "t.tga"};
    for (const QString &name : old)
        WriteFileBytes(dir.Path(name.toStdString()), {'o', 'l', 'd', uint8_t(name.size())});
    for (const char *model : {"t.stl", "t.3mf", "t.obj", "t.glb"}) {
        const TCliRun run = RunLimited({"export", Q(tile), Q(dir.Path(model)), "--view", "base", "--resolution", "200"});
        EXPECT_EQ(run.code, 1) << model;
        EXPECT_EQ(run.err, "orolith-cli: " + dir.Path(model) + ": cannot write the file: File too large\n");
    }
    // The picture writers likewise.
    for (const char *picture : {"t.bmp", "t.jpg", "t.tga"}) {
        const TCliRun run = RunLimited({"texture", Q(tile), Q(dir.Path(picture)), "--resolution", "1024"});
        EXPECT_EQ(run.code, 1) << picture;
        EXPECT_EQ(run.err, "orolith-cli: " + dir.Path(picture) + ": cannot write the texture: File too large\n");
    }
    for (const QString &name : old)
        EXPECT_EQ(ReadFileBytes(dir.Path(name.toStdString())),
                  (std::vector<uint8_t>{'o', 'l', 'd', uint8_t(name.size())}))
            << name.toStdString();
    QStringList expected = old + QStringList{"N47E011.hgt"};
    expected.sort();
    EXPECT_EQ(QDir(Q(dir.Root())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), expected);
}

// A name that is not valid UTF-8 ("höhe" in Latin-1, passed as bytes by the
// shell): the model is written under exactly those bytes; the texture writer,
// which takes names as text, refuses it rather than write another name.
TEST(CliExport, NamesThatAreNotUtf8AreWrittenAsGivenOrRefused)
{
    TestDir dir;
    const std::string tile = WriteHgt(dir, "N47E011.hgt", 1201, [](int, int) { return int16_t(300); });
    const std::string latin1 = dir.Root() + "/h\xf6he";  // not through QString, which would mend it
    for (const char *command : {"export", "texture"}) {
        const std::string out = latin1 + (command == std::string("export") ? ".stl" : ".bmp");
        const TCliRun run = RunCli({"-c", "exec \"$0\" \"$1\" \"$2\" \"$3$(printf '\\366')he.${4}\"",
                                    OROLITH_CLI, command, Q(tile), Q(dir.Path("h")), Q(out.substr(out.size() - 3))},
                                   {}, {}, "/bin/sh");
        if (command == std::string("export")) {
            EXPECT_EQ(run.code, 0) << run.err;
            EXPECT_FALSE(ReadFileBytes(out).empty());
        } else {
            EXPECT_EQ(run.code, 1);
            EXPECT_EQ(run.err, "orolith-cli: " + out + ": the name is not valid UTF-8: choose another name\n");
        }
    }
    // The tile and the model; Qt's listing would skip a name it cannot read.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), std::filesystem::directory_iterator()), 2);
    std::remove((latin1 + ".stl").c_str());  // Qt cannot name it to clean up
}
