#include "Options.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <filesystem>

namespace {

std::string ExecutableFolder()
{
    char buf[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string exe(buf, n > 0 ? static_cast<size_t>(n) : 0);
    return exe.substr(0, exe.rfind('/') + 1);
}

// Each test loads its own settings file from a private folder.
class OptionsFile : public testing::Test {
protected:
    void TearDown() override
    {
        RegisterNavigationPad(nullptr);
        SetIniFileName("");
    }
    void Load(const std::string &text)
    {
        WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
        LoadOptions();
    }
    std::string FileText() const
    {
        const auto bytes = ReadFileBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    TestDir dir;
    std::string path = [this] {
        SetIniFileName(dir.Path("orolith.ini"));
        return dir.Path("orolith.ini");
    }();
};

struct FakePad : TTranslationRangeTarget {
    void SetTranslationRange(int32_t minimum, int32_t maximum) override
    {
        lo = minimum;
        hi = maximum;
    }
    int32_t lo = 0, hi = 0;
};

} // namespace

TEST_F(OptionsFile, NoFileGivesEveryDefault)
{
    Options.VertexSize = 7; // left over from an earlier load
    LoadOptions();
    EXPECT_EQ(Options.TopoClass, 0);
    EXPECT_EQ(Options.VertexSize, 128);
    EXPECT_EQ(Options.VerticalScale, 1.0f);
    EXPECT_EQ(Options.FrameTarget, 50);
    EXPECT_EQ(Options.Resolution, 768);
    EXPECT_EQ(Options.BackColor, 16771760u);
    EXPECT_FALSE(Options.Gradient);
    EXPECT_EQ(Options.smallC, 0.8f);
    EXPECT_EQ(Options.C, 4.0f);
    EXPECT_EQ(Options.ZipPath, ExecutableFolder());
    EXPECT_EQ(ProgramFolder(), ExecutableFolder());
}

TEST_F(OptionsFile, SavingAFreshImageWritesEveryKeyInItsSectionInOrder)
{
    LoadOptions();
    Options.ZipPath = "/data/tiles/";
    SaveOptions();
    WriteIniFile();
    EXPECT_EQ(FileText(), "[General]\r\nTopoClass=0\r\n\r\n"
                          "[General.Display]\r\nVertexSize=128\r\nVerticalScale=1\r\nFrameTarget=50\r\n\r\n"
                          "[General.Scene]\r\nResolution=768\r\nBackColor=$00FFEAB0\r\nGradient=0\r\n\r\n"
                          "[General.CLOD]\r\nsmallC=0.800000011920929\r\nC=4\r\n\r\n"
                          "[Browser]\r\nZipPath=/data/tiles/\r\n\r\n");
    LoadOptions();
    EXPECT_EQ(Options.smallC, 0.8f); // the long text reads back to the same 32-bit value
    EXPECT_EQ(Options.ZipPath, "/data/tiles/");
}

// A file that never had the option keeps its text while it is off (the
// test above); once on, the key stays and says off again when turned off.
TEST_F(OptionsFile, TrueProportionsRoundTrip)
{
    Load("");
    for (const bool on : {true, false}) {
        Options.TrueProportions = on;
        SaveOptions();
        WriteIniFile();
        LoadOptions();
        EXPECT_EQ(Options.TrueProportions, on);
    }
    EXPECT_EQ(Options.IniFile.ReadString("General.Display", "TrueProportions", ""), "0");
}

TEST_F(OptionsFile, DecimalsReadWithPointOrCommaAndFallBackWhenNotNumbers)
{
    Load("[General.Display]\nVerticalScale=1,5\n[General.CLOD]\nsmallC=1.5\nC=many\n");
    EXPECT_EQ(Options.VerticalScale, 1.5f);
    EXPECT_EQ(Options.smallC, 1.5f);
    EXPECT_EQ(Options.C, 4.0f);
    Load("[General.Display]\nVerticalScale=\n[General.CLOD]\nsmallC=0.8.1\n");
    EXPECT_EQ(Options.VerticalScale, 1.0f);
    EXPECT_EQ(Options.smallC, 0.8f);
}

TEST_F(OptionsFile, IntegersReadDecimalOrHexAndFallBackWhenUnreadable)
{
    Load("[General.Scene]\nBackColor=$000000FF\nGradient=7\n[General.Display]\nFrameTarget=0x1e\n");
    EXPECT_EQ(Options.BackColor, 255u);
    EXPECT_TRUE(Options.Gradient);
    EXPECT_EQ(Options.FrameTarget, 30);
    Load("[General.Scene]\nBackColor=0x000000FF\nGradient=yes\n[General.Display]\nTrueProportions=yes\n");
    EXPECT_EQ(Options.BackColor, 255u);
    EXPECT_FALSE(Options.Gradient);
    EXPECT_FALSE(Options.TrueProportions);
    Load("[General.Scene]\nBackColor=red\n[General.Display]\nVertexSize = 300\n");
    EXPECT_EQ(Options.BackColor, 16771760u);
    EXPECT_EQ(Options.VertexSize, 128); // blanks around "=" hide the key
}

TEST_F(OptionsFile, ValuesTheViewsCannotUseAreBroughtIntoRange)
{
    Load("[General]\nTopoClass=3\n[General.Scene]\nResolution=1\n[General.Display]\nFrameTarget=0\nVertexSize=-5\n");
    EXPECT_EQ(Options.TopoClass, 0);
    EXPECT_EQ(Options.Resolution, 2);
    EXPECT_EQ(Options.FrameTarget, 1);
    EXPECT_EQ(Options.VertexSize, 1);
    Load("[General]\nTopoClass=-1\n[General.Scene]\nResolution=100000\n[General.Display]\nVertexSize=1000\n");
    EXPECT_EQ(Options.TopoClass, 0);
    EXPECT_EQ(Options.Resolution, 4096);
    EXPECT_EQ(Options.VertexSize, 1000); // the dialog's slider range is no load limit
    Load("[General]\nTopoClass=2\n[General.Scene]\nResolution=2400\n");
    EXPECT_EQ(Options.TopoClass, 2);
    EXPECT_EQ(Options.Resolution, 2400);
}

TEST_F(OptionsFile, TileFolderIsAbsoluteAndEndsWithASeparator)
{
    const std::string exeDir = ExecutableFolder();
    Load("[Browser]\nZipPath=tiles\n");
    EXPECT_EQ(Options.ZipPath, exeDir + "tiles/");
    Load("[Browser]\nZipPath=/data/srtm\n");
    EXPECT_EQ(Options.ZipPath, "/data/srtm/");
    Load("[Browser]\nZipPath=/data/./a/../srtm/\n");
    EXPECT_EQ(Options.ZipPath, "/data/srtm/");
    Load("[Browser]\nZipPath=\n");
    EXPECT_EQ(Options.ZipPath, exeDir);
}

TEST_F(OptionsFile, SavingKeepsForeignSectionsAndReplacesOnlyItsKeys)
{
    Load("[Places]\nMatterhorn=7.658,45.976,1\n[General.Display]\nVertexSize=256\nMine=kept\n[Zzz]\nq=1\n");
    Options.VertexSize = 64;
    SaveOptions();
    EXPECT_EQ(ReadIniSection("Places"), (std::vector<std::string>{"Matterhorn=7.658,45.976,1"}));
    EXPECT_EQ(ReadIniSection("General.Display"),
              (std::vector<std::string>{"VertexSize=64", "Mine=kept", "VerticalScale=1", "FrameTarget=50"}));
    EXPECT_EQ(Options.IniFile.SectionNames(),
              (std::vector<std::string>{"Places", "General.Display", "Zzz", "General", "General.Scene",
                                        "General.CLOD", "Browser"}));
}

TEST_F(OptionsFile, SectionsAreWrittenByKeyOrReplacedWhole)
{
    Load("[Places]\nA=1\nB=2\n");
    WriteIniSection("places", {"B=20", "C=3", "C=30"});
    EXPECT_EQ(ReadIniSection("Places"), (std::vector<std::string>{"A=1", "B=20", "C=30"}));
    WriteIniSection("", {"X=1"});
    ReplaceIniRecords("Places", {"C=4", "C=5"}, [](const std::string &) { return true; });
    EXPECT_EQ(ReadIniSection("PLACES"), (std::vector<std::string>{"C=4", "C=5"}));
    EXPECT_TRUE(ReadIniSection("").empty());
    EXPECT_TRUE(ReadIniSection("Nowhere").empty());
}

TEST_F(OptionsFile, NavigationPadRangesFollowVertexSize)
{
    FakePad pad;
    RegisterNavigationPad(&pad);
    Load("[General.Display]\nVertexSize=129\n");
    EXPECT_EQ(pad.lo, -64);
    EXPECT_EQ(pad.hi, 64);
    Options.VertexSize = 512;
    Options.ZipPath = "/x";
    ApplyOptionsToControls();
    EXPECT_EQ(pad.lo, -256);
    EXPECT_EQ(pad.hi, 256);
    EXPECT_EQ(Options.ZipPath, "/x/");
}

TEST_F(OptionsFile, AnUnwritableFileIsReportedAndTheImageStays)
{
    Load("[General]\nTopoClass=1\n");
    SetIniFileName(dir.Path("orolith.ini/inside.ini")); // its "folder" is a regular file
    SaveOptions();
    try {
        WriteIniFile();
        FAIL() << "no error";
    } catch (const EIniFileError &e) {
        EXPECT_NE(std::string(e.what()).find("inside.ini"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Options.IniFile.ReadString("General", "TopoClass", ""), "1");
    EXPECT_EQ(FileText(), "[General]\nTopoClass=1\n");
}

TEST(SettingsFileLocation, BesideTheProgramOrPerUserWhenItsFolderIsNotWritable)
{
    SetIniFileName("");
    // The test binary's folder is writable, so the file goes beside it.
    const TIniLocation own = IniFileLocation();
    EXPECT_EQ(own.ReadFrom, ExecutableFolder() + "settings_tests.ini");
    EXPECT_EQ(own.SaveTo, own.ReadFrom);

    TestDir dir;
    const std::string perUser = dir.Path("config/orolith.ini");
    const auto installed = [&](bool writable) {
        return IniFileLocation("/opt/orolith/bin/orolith.bin", writable, dir.Path("config"));
    };
    EXPECT_EQ(installed(true).ReadFrom, "/opt/orolith/bin/orolith.ini");
    EXPECT_EQ(installed(true).SaveTo, "/opt/orolith/bin/orolith.ini");
    // Not writable: the file shipped beside the program is read until the
    // first save has made the per-user one, which is read from then on.
    EXPECT_EQ(installed(false).ReadFrom, "/opt/orolith/bin/orolith.ini");
    EXPECT_EQ(installed(false).SaveTo, perUser);
    std::filesystem::create_directory(dir.Path("config"));
    WriteFileBytes(perUser, {'\n'});
    EXPECT_EQ(installed(false).ReadFrom, perUser);
    EXPECT_EQ(installed(false).SaveTo, perUser);
    EXPECT_EQ(installed(true).ReadFrom, "/opt/orolith/bin/orolith.ini");

    // An installed program's folder holds no tiles: the tile folder starts at home.
    EXPECT_EQ(TileFolderBase("/usr/bin/orolith", "/home/ann"), "/home/ann/");
    EXPECT_EQ(TileFolderBase("/opt/orolith/bin/orolith.bin", "/home/ann"), "/opt/orolith/bin/");

    SetIniFileName("/tmp/x.ini");
    EXPECT_EQ(IniFileLocation().ReadFrom, "/tmp/x.ini");
    EXPECT_EQ(IniFileLocation().SaveTo, "/tmp/x.ini");
    SetIniFileName("");
}
