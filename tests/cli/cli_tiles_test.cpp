// orolith-cli's synth, info and heightmap commands, driven as scripts drive them.
#include "RunCli.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>

#include <zip.h>

#include <filesystem>
#include <map>

namespace {

QStringList Args(std::initializer_list<std::string> list)
{
    QStringList out;
    for (const std::string &s : list)
        out << QString::fromStdString(s);
    return out;
}

// "Name: value" lines into a map.
std::map<std::string, std::string> Fields(const std::string &text)
{
    std::map<std::string, std::string> fields;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t colon = line.find(": ");
        if (colon != std::string::npos)
            fields[line.substr(0, colon)] = line.substr(colon + 2);
        start = end + 1;
    }
    return fields;
}

void ZipFile(const std::string &archive, const std::string &memberName, const std::string &file)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    int error = 0;
    zip_t *zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(zip, nullptr);
    ASSERT_GE(zip_file_add(zip, memberName.c_str(), zip_source_buffer(zip, bytes.data(), bytes.size(), 0), 0), 0);
    ASSERT_EQ(zip_close(zip), 0);
}

}  // namespace

TEST(CliTiles, SynthInfoAndHeightmapAgree)
{
    TestDir dir;
    const std::string tile = dir.Path("N47E008.hgt");
    TCliRun synth = RunCli(Args({"synth", tile, "--seed", "11"}));
    ASSERT_EQ(synth.code, 0) << synth.err;
    EXPECT_EQ(synth.err, "");  // no progress bar when stderr is not a terminal
    EXPECT_EQ(std::filesystem::file_size(tile), 2884802u);

    TCliRun info = RunCli(Args({"info", tile}));
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_EQ(info.err, "");
    auto f = Fields(info.out);
    EXPECT_EQ(f["File"], tile);
    EXPECT_EQ(f["GridHigh"], "1200");
    EXPECT_EQ(f["Samples"], "1201");
    EXPECT_EQ(f["Origin"], "47, 8");
    EXPECT_LT(std::stoi(f["MinHeight"]), 0);     // the basin
    EXPECT_GT(std::stoi(f["MaxHeight"]), 1000);
    EXPECT_GT(std::stoll(f["Voids"]), 0);
    EXPECT_GE(std::stod(f["LoadMs"]), 0.0);

    // The same tile zipped: same figures, origin from the archive's name,
    // and the temporary copy is gone afterwards.
    const std::string archive = dir.Path("S05W072.hgt.zip");
    ZipFile(archive, "S05W072.hgt", tile);
    std::filesystem::create_directory(dir.Path("tmp"));
    TCliRun zipped = RunCli(Args({"info", archive}), dir.Path("tmp"));
    ASSERT_EQ(zipped.code, 0) << zipped.err;
    auto z = Fields(zipped.out);
    EXPECT_EQ(z["MinHeight"], f["MinHeight"]);
    EXPECT_EQ(z["MaxHeight"], f["MaxHeight"]);
    EXPECT_EQ(z["Voids"], f["Voids"]);
    EXPECT_EQ(z["Origin"], "-5, -72");
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("tmp")));

    const std::string bmp = dir.Path("hm.bmp");
    TCliRun hm = RunCli(Args({"heightmap", archive, bmp}));
    ASSERT_EQ(hm.code, 0) << hm.err;
    const std::vector<uint8_t> bytes = ReadFileBytes(bmp);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[28], 32);  // bits per pixel
    TCliRun back = RunCli(Args({"info", bmp}));
    ASSERT_EQ(back.code, 0) << back.err;
    auto b = Fields(back.out);
    EXPECT_EQ(b["Samples"], "1201");
    EXPECT_EQ(b["Voids"], "0");
    EXPECT_EQ(b["Origin"], "0, 0");
}

TEST(CliTiles, BadInputGivesOneLineNamingTheFile)
{
    TestDir dir;
    WriteFileBytes(dir.Path("short.hgt"), std::vector<uint8_t>(2884801));
    WriteFileBytes(dir.Path("plain.hgt.zip"), std::vector<uint8_t>(100, 7));
    WriteFileBytes(dir.Path("notes.txt"), {'x'});
    struct Case {
        QStringList args;
        std::string file, problem;
    } cases[] = {
        {Args({"info", dir.Path("short.hgt")}), dir.Path("short.hgt"), "Wrong Size of hgt File"},
        {Args({"info", dir.Path("missing.hgt")}), dir.Path("missing.hgt"), "No such file"},
        {Args({"info", dir.Path("plain.hgt.zip")}), dir.Path("plain.hgt.zip"), "not a ZIP archive"},
        {Args({"info", dir.Path("notes.txt")}), dir.Path("notes.txt"), "Orolith cannot read this kind of file"},
        {Args({"heightmap", dir.Path("short.hgt"), dir.Path("o.bmp")}), dir.Path("short.hgt"), "Wrong Size"},
        {Args({"heightmap", dir.Path("short.hgt"), dir.Path("o.png")}), dir.Path("o.png"), "must end in .bmp"},
        {Args({"synth", dir.Path("s.hgt"), "--size", "1000"}), dir.Path("s.hgt"), "--size must be 1201 or 3601"},
        {Args({"synth", dir.Path("s.hgt"), "--seed", "-3"}), dir.Path("s.hgt"), "--seed must be"},
        {Args({"synth", dir.Path("no/folder/s.hgt")}), dir.Path("no/folder/s.hgt"), "cannot write"},
    };
    for (const Case &c : cases) {
        const TCliRun r = RunCli(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_NE(r.code, 0) << what;
        EXPECT_EQ(r.out, "") << what;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << ": " << r.err;
        EXPECT_NE(r.err.find(c.file + ": "), std::string::npos) << what << ": " << r.err;
        EXPECT_NE(r.err.find(c.problem), std::string::npos) << what << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path("o.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("o.png")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("s.hgt")));
}

TEST(CliTiles, HelpPrintsTheUsageAndSucceeds)
{
    for (const QStringList &args : {QStringList{"--help"}, QStringList{"heightmap", "--help"},
                                    QStringList{"render", "x.hgt", "--size", "8x8", "--help"}}) {
        const TCliRun r = RunCli(args);
        const std::string what = args.join(' ').toStdString();
        EXPECT_EQ(r.code, 0) << what << ": " << r.err;
        EXPECT_EQ(r.out.rfind("usage: orolith-cli ", 0), 0u) << what << ": " << r.out;
        EXPECT_EQ(r.err, "") << what;
    }
}

// Without a runtime folder Qt has something to say about it, which is not the tool's business.
TEST(CliTiles, ANormalRunWithoutARuntimeFolderPrintsNothingOnStandardError)
{
    TestDir dir;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("XDG_RUNTIME_DIR");
    p.setProcessEnvironment(env);
    p.start(OROLITH_CLI, Args({"synth", dir.Path("N10E010.hgt")}));
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAllStandardError().toStdString(), "");
}
