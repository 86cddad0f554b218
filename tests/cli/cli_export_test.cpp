// orolith-cli export: the surface keeps the mesh command's triangles, and a
// bad output name gives one line naming it and leaves no file behind.
#include "RunCli.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

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
        {kept, "there is no terrain mesh to export", {"--c", "100000"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.out);
        const TCliRun run = RunCli(QStringList{"export", Q(tile), Q(c.out)} + c.options);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.rfind("orolith-cli: " + c.out + ": " + c.problem, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    for (const QStringList &options : {QStringList{"--size-mm", "0"}, QStringList{"--base-mm", "-1"},
                                       QStringList{"--vscale", "-2"}, QStringList{"--view", "vbo"}}) {
        const TCliRun run = RunCli(QStringList{"export", Q(tile), Q(dir.Path("model.stl"))} + options);
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.rfind("orolith-cli: " + options[0].toStdString() + " must be", 0), 0u) << run.err;
    }
    EXPECT_FALSE(QFileInfo::exists(Q(dir.Path("model.stl"))));
    EXPECT_FALSE(QFileInfo::exists(Q(dir.Path("model.txt"))));
    EXPECT_FALSE(QFileInfo::exists("/proc/orolith-export.stl"));
    EXPECT_EQ(ReadFileBytes(kept), (std::vector<uint8_t>{'o', 'l', 'd'}));
    // Nothing staged is left beside the outputs.
    EXPECT_EQ(QDir(Q(dir.Root())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{"N47E011.hgt", "folder.stl", "kept.stl"}))
        << QDir(Q(dir.Root())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(' ').toStdString();
}
