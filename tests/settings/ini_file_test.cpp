#include "IniFile.h"
#include "IntegerText.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

std::string ReadText(const std::string &path)
{
    const auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string &path, const std::string &text)
{
    WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

} // namespace

TEST(IniFileImage, KeepsLinesAsTheyStandAndDropsCommentsAndEmptyLines)
{
    TIniFile ini;
    ini.SetText("orphan=before any section\r\n"
                "[Alpha]\r\n"
                "; a comment\r\n"
                " ; not a comment: starts with a blank\r\n"
                "\r\n"
                "Key=Value with trailing blanks   \r\n"
                "no equals sign\n"
                "[Unknown.Section]\r"
                "x=1\r\n"
                " [NotASection]\r\n"
                "[ALPHA]\r\n" // the same section again: its lines join the first
                "later=1\r\n");
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Alpha", "Unknown.Section"}));
    EXPECT_EQ(ini.ReadSection("alpha"), (std::vector<std::string>{" ; not a comment: starts with a blank",
                                                                  "Key=Value with trailing blanks   ",
                                                                  "no equals sign", "later=1"}));
    EXPECT_EQ(ini.ReadSection("UNKNOWN.SECTION"), (std::vector<std::string>{"x=1", " [NotASection]"}));
    EXPECT_TRUE(ini.ReadSection("Missing").empty());
    EXPECT_EQ(ini.Text(), "[Alpha]\r\n"
                          " ; not a comment: starts with a blank\r\n"
                          "Key=Value with trailing blanks   \r\n"
                          "no equals sign\r\n"
                          "later=1\r\n"
                          "\r\n"
                          "[Unknown.Section]\r\n"
                          "x=1\r\n"
                          " [NotASection]\r\n"
                          "\r\n");
}

TEST(IniFileImage, LooksUpKeysIgnoringCaseButNotBlanks)
{
    TIniFile ini;
    ini.SetText("[S]\nVertexSize = 300\nvertexsize=200\nVERTEXSIZE=100\nPath=a=b\nEmpty=\n");
    EXPECT_EQ(ini.ReadString("s", "VertexSize", "d"), "200"); // first exact key, blanks block the first line
    EXPECT_EQ(ini.ReadString("S", "Path", "d"), "a=b");       // value is everything after the first "="
    EXPECT_EQ(ini.ReadString("S", "Empty", "d"), "");
    EXPECT_EQ(ini.ReadString("S", "VertexSize ", "d"), " 300");
    EXPECT_EQ(ini.ReadString("S", "Missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("Other", "VertexSize", "d"), "d");
}

TEST(IniFileImage, WritingReplacesTheFirstKeyOrAppendsAndAddsSectionsAtTheEnd)
{
    TIniFile ini;
    ini.SetText("[B]\nk=1\nK=2\nother=x\n[A]\n");
    ini.WriteString("b", "K", "9");
    ini.WriteString("B", "new", "n");
    ini.WriteString("C", "c", "3");
    ini.ReplaceRecords("a", {"one", "two"}, [](const std::string &) { return true; });
    EXPECT_EQ(ini.Text(), "[B]\r\nK=9\r\nK=2\r\nother=x\r\nnew=n\r\n\r\n"
                          "[A]\r\none\r\ntwo\r\n\r\n"
                          "[C]\r\nc=3\r\n\r\n");
}

TEST(IniFileImage, AByteOrderMarkBeforeTheFirstHeaderIsPassedOver)
{
    // As Windows Notepad saves a UTF-8 file.
    TIniFile ini;
    ini.SetText("\xEF\xBB\xBF[General]\r\nTopoClass=1\r\nMine=kept\r\n");
    EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"General"}));
    EXPECT_EQ(ini.ReadString("General", "TopoClass", ""), "1");
    ini.WriteString("General", "TopoClass", "2");
    EXPECT_EQ(ini.Text(), "[General]\r\nTopoClass=2\r\nMine=kept\r\n\r\n");
}

TEST(IniFileImage, RoundTripsThroughTheFileAndMissingFilesAreEmpty)
{
    TestDir dir;
    EXPECT_TRUE(TIniFile(dir.Path("none.ini")).SectionNames().empty());

    const std::string path = dir.Path("sub/folder/o.ini");
    TIniFile ini(path);
    ini.WriteString("General", "TopoClass", "1");
    ini.UpdateFile(); // creates the missing folders
    EXPECT_EQ(ReadText(path), "[General]\r\nTopoClass=1\r\n\r\n");
    EXPECT_EQ(TIniFile(path).ReadString("general", "topoclass", ""), "1");
}

TEST(IniFileImage, AFailedWriteThrowsNamingTheFileAndKeepsTheOldOne)
{
    TestDir dir;
    // Tests run as root, so permissions stop nothing: a regular file where a
    // folder should be, and a folder where the file should be, do.
    WriteText(dir.Path("plain"), "x");
    TIniFile below(dir.Path("plain/o.ini"));
    below.WriteString("S", "k", "v");
    try {
        below.UpdateFile();
        FAIL() << "no error";
    } catch (const EIniFileError &e) {
        EXPECT_NE(std::string(e.what()).find(dir.Path("plain/o.ini")), std::string::npos) << e.what();
    }

    ASSERT_EQ(mkdir(dir.Path("isdir.ini").c_str(), 0755), 0);
    TIniFile onDir(dir.Path("isdir.ini"));
    onDir.WriteString("S", "k", "v");
    EXPECT_THROW(onDir.UpdateFile(), EIniFileError);

    // A save cut short (here by a file size limit, which binds root too)
    // leaves the earlier file as it was instead of a truncated one.
    const std::string path = dir.Path("o.ini");
    TIniFile good(path);
    good.WriteString("S", "k", "old");
    good.UpdateFile();
    TIniFile next(path);
    next.WriteString("S", "k", std::string(4096, 'n'));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(next.UpdateFile(), EIniFileError);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadText(path), "[S]\r\nk=old\r\n\r\n");
}

TEST(IniFileImage, WhatIsNotARegularFileIsRefusedUnopenedAndNeverSavedOver)
{
    TestDir dir;
    ASSERT_EQ(mkdir(dir.Path("folder.ini").c_str(), 0755), 0);
    // Opened for reading, a FIFO would wait for ever for a writer.
    ASSERT_EQ(mkfifo(dir.Path("fifo.ini").c_str(), 0644), 0);
    const std::pair<std::string, std::string> cases[] = {
        {dir.Path("folder.ini"), "it is a folder, not a file"},
        {dir.Path("fifo.ini"), "it is a FIFO, not a file"},
        {"/dev/zero", "it is a device, not a file"},
    };
    for (const auto &[path, problem] : cases) {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadProblem(), problem);
        EXPECT_EQ(ini.UnreadFile(), path);
        EXPECT_TRUE(ini.SectionNames().empty());
        ini.WriteString("General", "TopoClass", "1");
        try {
            ini.UpdateFile();
            ADD_FAILURE() << "saved over " << path;
        } catch (const EIniFileError &e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot write the settings file " + path + ": it could not be read (" + problem
                          + "), so saving would lose the placemarks and settings it holds. Make it readable, then "
                            "choose Reload Options.");
        }
    }
    struct stat st {};
    ASSERT_EQ(stat(dir.Path("fifo.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(stat(dir.Path("folder.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));

    // A save to another file (the per-user one) loses nothing and goes ahead.
    TIniFile ini(dir.Path("folder.ini"));
    ini.WriteString("General", "TopoClass", "1");
    ini.SetFileName(dir.Path("user.ini"));
    ini.UpdateFile();
    EXPECT_EQ(ReadText(dir.Path("user.ini")), "[General]\r\nTopoClass=1\r\n\r\n");
    // A missing file is no problem: it is made by the first save.
    EXPECT_EQ(TIniFile(dir.Path("none.ini")).ReadProblem(), "");
}

TEST(IntegerTextRules, ReadsDecimalAndBothHexPrefixes)
{
    EXPECT_EQ(TryStrToInt("768"), 768);
    EXPECT_EQ(TryStrToInt("-12"), -12);
    EXPECT_EQ(TryStrToInt("  7"), 7);
    EXPECT_EQ(TryStrToInt("$000000FF"), 255);
    EXPECT_EQ(TryStrToInt("0x000000ff"), 255);
    EXPECT_EQ(TryStrToInt("0XFF"), 255);
    EXPECT_EQ(TryStrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(TryStrToInt("2147483647"), 2147483647);
    EXPECT_EQ(TryStrToInt("-2147483648"), INT32_MIN);
    for (const char *bad : {"", " ", "red", "7 ", "1.5", "$", "0x", "$1FFFFFFFF", "2147483648", "0xG1", "12abc"})
        EXPECT_FALSE(TryStrToInt(bad).has_value()) << bad;
    EXPECT_EQ(StrToIntDef("red", 42), 42);
    EXPECT_EQ(HexColorText(0x00FFEAB0), "$00FFEAB0");
    EXPECT_EQ(HexColorText(255), "$000000FF");
}
