// Settings as the program saves them and reads them back: under a
// comma-decimal locale, when a save has to go to another file than the
// one read at start, and when the file is there but cannot be read.
#include "MainWindowFixture.h"

#include "TilePos.h"

#include <QLocale>

#include <clocale>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FileText(const std::string &file)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

// What QApplication makes of LANG=de_DE.UTF-8 (most of Europe writes a decimal
// comma): the C library's numbers and Qt's default locale. Set before the
// windows are made, undone after they are gone.
class TCommaLocale {
protected:
    TCommaLocale()
        : previousC_(std::setlocale(LC_ALL, nullptr))
    {
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~TCommaLocale()
    {
        std::setlocale(LC_ALL, previousC_.c_str());
        QLocale::setDefault(previousQt_);
    }

private:
    std::string previousC_;
    QLocale previousQt_;
};

class CommaLocaleWindow : protected TCommaLocale, public MainWindowTest {};

TEST_F(CommaLocaleWindow, SavedPlacemarksClassesAndDecimalsComeBackUnchanged)
{
    // scripts/install-deps generates the locale; without it this test proves nothing.
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    ShowWindows();
    topo().AddPlaceClass(1, "Peaks, high ones", 1, 128 / 255.0f, 0);
    topo().AddPlaceClass(2, "Capes", 0, 0, 1);
    topo().AddPlace(MakeLatLon(7.658, 45.976), "Matterhorn", 1);
    topo().AddPlace(MakeLatLon(-9.5005, 38.7804), "Cabo da Roca", 2);
    Options.VerticalScale = 2.5f;
    Options.smallC = 1.3f;
    Options.C = 6.5f;
    const auto expectSaved = [this] {
        ASSERT_EQ(topo().Places.size(), 2u);
        EXPECT_EQ(topo().Places[0]->Lon, 7.658);
        EXPECT_EQ(topo().Places[0]->Lat, 45.976);
        EXPECT_EQ(topo().Places[0]->ClassId, 1);
        EXPECT_EQ(topo().Places[1]->Name, "Cabo da Roca");
        EXPECT_EQ(topo().Places[1]->Lon, -9.5005);
        EXPECT_EQ(topo().Places[1]->Lat, 38.7804);
        EXPECT_EQ(topo().Places[1]->ClassId, 2);
        ASSERT_EQ(topo().PlaceClasses.size(), 2u);
        EXPECT_EQ(topo().PlaceClasses[0]->Name, "Peaks, high ones");
        EXPECT_EQ(topo().PlaceClasses[0]->G, 128 / 255.0f);
        EXPECT_EQ(topo().PlaceClasses[1]->B, 1.0f);
    };

    // The options dialog passes the placemarks through their text form, even on Cancel.
    WhenModal([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); });
    view().acShowOptDialog->trigger();
    expectSaved();

    view().acSaveOptions->trigger();
    const std::string text = FileText(iniFile);
    EXPECT_NE(text.find("VerticalScale=2.5\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("=7.658       ,45.976      ,1\r\n"), std::string::npos) << text;

    topo().ClearPlaces();
    topo().ClearPlaceClasses();
    Options.VerticalScale = Options.smallC = Options.C = 1;
    view().acReloadOptions->trigger();
    expectSaved();
    EXPECT_EQ(Options.VerticalScale, 2.5f);
    EXPECT_EQ(Options.smallC, 1.3f);
    EXPECT_EQ(Options.C, 6.5f);
}

// An installed program reads the file shipped beside it and saves to the
// per-user one; the save says so, and the shipped file stays as it was.
TEST_F(MainWindowTest, ASaveThatGoesElsewhereNamesTheFileWritten)
{
    ShowWindows();
    const std::string shipped = FileText(iniFile);
    const std::string perUser = dir.Path("config/orolith.ini");
    SetIniFileName(perUser);
    Options.FrameTarget = 25;
    QString message;
    DismissNextMessage(message);
    view().acSaveOptions->trigger();
    EXPECT_EQ(message.toStdString(), "The settings were saved to " + perUser + " instead of " + iniFile
                                         + ". Orolith reads them from " + perUser + " from now on.");
    EXPECT_NE(FileText(perUser).find("FrameTarget=25"), std::string::npos);
    EXPECT_EQ(FileText(iniFile), shipped);

    // The next save goes where the last one did, without a word. The watch
    // ends with this test, so it cannot answer a later test's dialog.
    bool asked = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&asked] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            asked = true;
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    watch.start(20);
    view().acSaveOptions->trigger();
    EXPECT_FALSE(asked);
}

// Root reads a file whatever its mode; as nobody (an effective user id that
// root can take back) it meets the refusal a user meets.
class TAsAnotherUser {
public:
    TAsAnotherUser()
        : wasRoot_(geteuid() == 0)
    {
        if (wasRoot_ && seteuid(65534) != 0)
            ADD_FAILURE() << "cannot take another user's id";
    }
    ~TAsAnotherUser()
    {
        if (wasRoot_ && seteuid(0) != 0)
            std::abort();
    }

private:
    bool wasRoot_;
};

TEST_F(MainWindowTest, AFileThatCannotBeReadIsReportedAndNotSavedOver)
{
    ShowWindows();
    const std::string mine = "[General]\r\nTopoClass=2\r\n; my note\r\n[Places]\r\n"
                             "Matterhorn=7.658,45.976,1\r\n[My.Own]\r\nkept=yes\r\n";
    WriteFileBytes(iniFile, std::vector<uint8_t>(mine.begin(), mine.end()));
    ASSERT_EQ(chmod(iniFile.c_str(), 0), 0);
    ASSERT_EQ(chmod(dir.Root().c_str(), 0755), 0);
    QString atLoad;
    {
        TAsAnotherUser nobody;
        DismissNextMessage(atLoad);
        view().acReloadOptions->trigger();
    }
    EXPECT_EQ(atLoad.toStdString(), "The settings file " + iniFile
                                        + " could not be read: Permission denied. Orolith runs with the default "
                                          "settings and will not save over that file.");
    EXPECT_TRUE(topo().Places.empty());

    QString atSave;
    DismissNextMessage(atSave);
    view().acSaveOptions->trigger();
    EXPECT_TRUE(atSave.startsWith(QString::fromStdString("Cannot write the settings file " + iniFile
                                                         + ": it could not be read (Permission denied)")))
        << atSave.toStdString();
    ASSERT_EQ(chmod(iniFile.c_str(), 0600), 0);
    EXPECT_EQ(FileText(iniFile), mine);

    // Readable again, it loads and saves as ever, the user's own lines kept.
    view().acReloadOptions->trigger();
    ASSERT_EQ(topo().Places.size(), 1u);
    view().acSaveOptions->trigger();
    const std::string saved = FileText(iniFile);
    EXPECT_NE(saved.find("[My.Own]\r\nkept=yes\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Matterhorn"), std::string::npos) << saved;
}

}  // namespace
