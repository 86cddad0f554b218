// orolith-cli mesh, run as a script runs it.
#include "RunCli.h"
#include "TestFiles.h"

#include <gtest/gtest.h>


#include <string>

namespace {

TCliRun Mesh(const QStringList &args)
{
    return RunCli(QStringList{"mesh"} + args);
}

bool Has(const std::string &text, const std::string &line)
{
    return text.find(line + "\n") != std::string::npos;
}

TEST(LodMeshCli, CountsTheMeshOfEachView)
{
    TestDir dir;
    const QString flat = QString::fromStdString(WriteHgt(dir, "N47E011.hgt", 1201, [](int, int) { return int16_t(300); }));

    const TCliRun lod = Mesh({flat});
    ASSERT_EQ(lod.code, 0) << lod.err;
    EXPECT_TRUE(Has(lod.out, "View: clod"));
    EXPECT_TRUE(Has(lod.out, "LatticeSize: 513"));
    EXPECT_TRUE(Has(lod.out, "Vertices: 98304"));
    EXPECT_TRUE(Has(lod.out, "Triangles: 32768"));
    EXPECT_NE(lod.out.find("BuildMs: "), std::string::npos);

    // A coarser C and the comma decimal separator; the size picks the lattice.
    const TCliRun coarse = Mesh({flat, "--vertex-size", "32", "--c", "12,0", "--smallc", "0.5"});
    ASSERT_EQ(coarse.code, 0) << coarse.err;
    EXPECT_TRUE(Has(coarse.out, "LatticeSize: 129"));
    EXPECT_TRUE(Has(coarse.out, "Triangles: 512"));  // half-extent 8 fans: (128 / 16)² × 8

    const TCliRun base = Mesh({flat, "--view", "base", "--resolution", "3"});
    ASSERT_EQ(base.code, 0) << base.err;
    EXPECT_EQ(base.out.find("LatticeSize"), std::string::npos);
    EXPECT_TRUE(Has(base.out, "Vertices: 16"));
    EXPECT_TRUE(Has(base.out, "Triangles: 8"));
}

TEST(LodMeshCli, RefusesBadInputWithAMessage)
{
    TestDir dir;
    const QString tile = QString::fromStdString(WriteHgt(dir, "N47E011.hgt", 1201, [](int, int) { return int16_t(0); }));
    const struct {
        QStringList args;
        std::string message;
    } cases[] = {
        {{tile, "--view", "quads"}, "--view must be clod, vbo or base"},
        {{tile, "--vertex-size", "0"}, "--vertex-size must be a whole number from 1"},
        {{tile, "--resolution", "2.5"}, "--resolution must be a whole number"},
        {{tile, "--c", "four"}, "--c must be from 0.1 to 10000, not 'four'"},
        {{QString::fromStdString(dir.Path("missing.hgt"))}, "missing.hgt"},
        {{}, "usage: mesh FILE"},
    };
    for (const auto &c : cases) {
        const TCliRun r = Mesh(c.args);
        EXPECT_EQ(r.code, 1) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

}  // namespace
