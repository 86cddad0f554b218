#include "Options.h"

#include "IntegerText.h"
#include "Utils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

TOptions Options;

namespace {

TTranslationRangeTarget *navigationPad = nullptr;
std::string iniFileOverride;

const char *const kGeneral = "General";
const char *const kDisplay = "General.Display";
const char *const kScene = "General.Scene";
const char *const kClod = "General.CLOD";
const char *const kBrowser = "Browser";

QString ExecutablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    // Before the application object exists (start-up, command-line tests).
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

int32_t ReadInteger(const TIniFile &ini, const char *section, const char *key, int32_t defaultValue)
{
    return StrToIntDef(ini.ReadString(section, key, std::to_string(defaultValue)), defaultValue);
}

// A value that is no number must not keep the program from starting: the key's
// default stands in for it.
float ReadDecimal(const TIniFile &ini, const char *section, const char *key, float defaultValue)
{
    try {
        const std::string text = ini.ReadString(section, key, "");
        return text.empty() ? defaultValue : static_cast<float>(StrToFloatN(text));
    } catch (const EConvertError &) {
        return defaultValue;
    }
}

void WriteDecimal(TIniFile &ini, const char *section, const char *key, float value)
{
    ini.WriteString(section, key, FloatToStrN(static_cast<double>(value)));
}

} // namespace

void RegisterNavigationPad(TTranslationRangeTarget *pad)
{
    navigationPad = pad;
}

namespace {

std::string FolderOf(const QString &executable)
{
    return IncludeTrailingSeparator(QFileInfo(executable).absolutePath().toStdString());
}

} // namespace

std::string ProgramFolder()
{
    return FolderOf(ExecutablePath());
}

namespace {

// A program the package manager installed.
bool Packaged(const QString &executable)
{
    return executable.startsWith(QStringLiteral("/usr/"));
}

} // namespace

std::string TileFolderBase(const std::string &executable, const std::string &home)
{
    if (Packaged(QString::fromStdString(executable)))
        return IncludeTrailingSeparator(home);
    return FolderOf(QString::fromStdString(executable));
}

std::string TileFolderBase()
{
    return TileFolderBase(ExecutablePath().toStdString(), QDir::homePath().toStdString());
}

TIniLocation IniFileLocation(const std::string &executable, bool folderWritable, const std::string &userFolder)
{
    const QFileInfo exe(QString::fromStdString(executable));
    const QString name = exe.completeBaseName() + QStringLiteral(".ini");
    const std::string beside = (exe.absolutePath() + QLatin1Char('/') + name).toStdString();
    if (folderWritable)
        return {beside, beside};
    const std::string perUser = (QString::fromStdString(userFolder) + QLatin1Char('/') + name).toStdString();
    return {QFileInfo::exists(QString::fromStdString(perUser)) ? perUser : beside, perUser};
}

TIniLocation IniFileLocation()
{
    if (!iniFileOverride.empty())
        return {iniFileOverride, iniFileOverride};
    const QString exe = ExecutablePath();
    // A program the package manager installed under /usr keeps no settings
    // beside itself even when run by root, who may write there: a file the
    // package does not own would outlive its removal.
    return IniFileLocation(exe.toStdString(), !Packaged(exe) && QFileInfo(QFileInfo(exe).absolutePath()).isWritable(),
                           QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString());
}

void SetIniFileName(const std::string &fileName)
{
    iniFileOverride = fileName;
}

void LoadOptions()
{
    Options.IniFile = TIniFile(IniFileLocation().ReadFrom);
    const TIniFile &ini = Options.IniFile;

    // Missing keys and unreadable values get the defaults the fields start with.
    const TOptions defaults;
    Options.TopoClass = ReadInteger(ini, kGeneral, "TopoClass", defaults.TopoClass);
    if (Options.TopoClass < 0 || Options.TopoClass > 2)
        Options.TopoClass = defaults.TopoClass;
    // A terrain square or a frame rate of zero or less cannot be drawn.
    Options.VertexSize = std::max(1, ReadInteger(ini, kDisplay, "VertexSize", defaults.VertexSize));
    Options.VerticalScale = ReadDecimal(ini, kDisplay, "VerticalScale", defaults.VerticalScale);
    Options.FrameTarget = std::max(1, ReadInteger(ini, kDisplay, "FrameTarget", defaults.FrameTarget));
    Options.TrueProportions = ReadInteger(ini, kDisplay, "TrueProportions", defaults.TrueProportions ? 1 : 0) != 0;
    Options.Resolution =
        std::clamp(ReadInteger(ini, kScene, "Resolution", defaults.Resolution), kMinResolution, kMaxResolution);
    Options.BackColor = static_cast<uint32_t>(ReadInteger(ini, kScene, "BackColor", int32_t(defaults.BackColor)));
    Options.Gradient = ReadInteger(ini, kScene, "Gradient", defaults.Gradient ? 1 : 0) != 0;
    Options.smallC = ReadDecimal(ini, kClod, "smallC", defaults.smallC);
    Options.C = ReadDecimal(ini, kClod, "C", defaults.C);
    const std::string folder = TileFolderBase();
    Options.ZipPath = CombinePath(folder, ini.ReadString(kBrowser, "ZipPath", folder));
    Options.ZipPath = IncludeTrailingSeparator(Options.ZipPath);
    ApplyOptionsToControls();
}

std::string IniFileReadProblem()
{
    const TIniFile &ini = Options.IniFile;
    if (ini.ReadProblem().empty())
        return {};
    return "The settings file " + ini.UnreadFile() + " could not be read: " + ini.ReadProblem()
           + ". Orolith runs with the default settings and will not save over that file.";
}

void SaveOptions()
{
    TIniFile &ini = Options.IniFile;
    ini.WriteString(kGeneral, "TopoClass", std::to_string(Options.TopoClass));
    ini.WriteString(kDisplay, "VertexSize", std::to_string(Options.VertexSize));
    WriteDecimal(ini, kDisplay, "VerticalScale", Options.VerticalScale);
    ini.WriteString(kDisplay, "FrameTarget", std::to_string(Options.FrameTarget));
    // A file that never had the option keeps its old lines while it is off.
    if (Options.TrueProportions || ini.ReadString(kDisplay, "TrueProportions", "") != "")
        ini.WriteString(kDisplay, "TrueProportions", Options.TrueProportions ? "1" : "0");
    ini.WriteString(kScene, "Resolution", std::to_string(Options.Resolution));
    ini.WriteString(kScene, "BackColor", HexColorText(Options.BackColor));
    ini.WriteString(kScene, "Gradient", Options.Gradient ? "1" : "0");
    WriteDecimal(ini, kClod, "smallC", Options.smallC);
    WriteDecimal(ini, kClod, "C", Options.C);
    ini.WriteString(kBrowser, "ZipPath", Options.ZipPath);
}

void WriteIniFile()
{
    // The image may come from another file than the one a save goes to.
    Options.IniFile.SetFileName(IniFileLocation().SaveTo);
    Options.IniFile.UpdateFile();
}

std::vector<std::string> ReadIniSection(const std::string &section)
{
    if (section.empty())
        return {};
    return Options.IniFile.ReadSection(section);
}

void WriteIniSection(const std::string &section, const std::vector<std::string> &lines)
{
    if (section.empty())
        return;
    for (const std::string &line : lines) {
        const auto eq = line.find('=');
        const std::string key = line.substr(0, eq);
        Options.IniFile.WriteString(section, key, eq == std::string::npos ? "" : line.substr(eq + 1));
    }
}

void ReplaceIniRecords(const std::string &section, const std::vector<std::string> &records,
                       const std::function<bool(const std::string &)> &isRecord)
{
    if (!section.empty())
        Options.IniFile.ReplaceRecords(section, records, isRecord);
}

void ApplyOptionsToControls()
{
    if (navigationPad)
        navigationPad->SetTranslationRange(-(Options.VertexSize / 2), Options.VertexSize / 2);
    Options.ZipPath = IncludeTrailingSeparator(Options.ZipPath);
}
