// The program's settings, kept in one global record together with the
// settings file image they are read from and written to.
#pragma once

#include "IniFile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

struct TOptions {
    TIniFile IniFile;
    int32_t VertexSize = 128;
    int32_t Resolution = 768;
    float VerticalScale = 1.0f;
    uint32_t BackColor = 0x00FFEAB0; // red in the lowest byte
    bool Gradient = false;
    int32_t TopoClass = 0; // 0 level of detail, 1 vertex buffer, 2 vertex arrays
    int32_t FrameTarget = 50;
    float smallC = 0.8f;
    float C = 4.0f;
    std::string ZipPath; // absolute, ends with "/"
    bool TrueProportions = false; // real width, depth and relief rather than a square
};

extern TOptions Options;

// Mesh and texture resolutions the views can build.
constexpr int32_t kMinResolution = 2;
constexpr int32_t kMaxResolution = 4096;

// The navigation pad implements this and registers itself while it exists,
// so the settings can set its translation ranges without knowing the pad.
class TTranslationRangeTarget {
public:
    virtual ~TTranslationRangeTarget() = default;
    virtual void SetTranslationRange(int32_t minimum, int32_t maximum) = 0;
};
void RegisterNavigationPad(TTranslationRangeTarget *pad); // nullptr when it goes away

// The executable's folder with a trailing "/".
std::string ProgramFolder();
// The folder a tile folder given relative, or not at all, is taken from,
// with a trailing "/": the program's own, or the user's home for a program
// installed under /usr (its folder holds programs, never tiles).
std::string TileFolderBase();
std::string TileFolderBase(const std::string &executable, const std::string &home);
// The settings file the program reads and the one a save writes. Beside the
// executable (same base name, ".ini") when its folder is writable and not
// under /usr. An installed program's folder is not: then a per-user file is read once it
// exists, and until then the one shipped beside the program; saves go to the
// per-user file, which the next start then reads.
struct TIniLocation {
    std::string ReadFrom;
    std::string SaveTo;
};
TIniLocation IniFileLocation();
// The same rule for a given program path and per-user folder.
TIniLocation IniFileLocation(const std::string &executable, bool folderWritable, const std::string &userFolder);
// Tests and the command line name one file for both; an empty name restores
// the rule above.
void SetIniFileName(const std::string &fileName);

// Rebuilds the file image from the file and reads every field from it. A file
// that is there but cannot be read leaves every field at its default.
void LoadOptions();
// Says that the settings file could not be read at the last LoadOptions,
// naming it and the reason; empty when it was read or is not there.
std::string IniFileReadProblem();
// Puts every field into the file image; the placemark sections stay as they are.
void SaveOptions();
// Writes the file image to IniFileLocation().SaveTo; throws EIniFileError
// naming the file when it cannot be written, leaving the previous file whole.
void WriteIniFile();

std::vector<std::string> ReadIniSection(const std::string &section);
// Writes each "key=value" line under its key: the section keeps its other lines.
void WriteIniSection(const std::string &section, const std::vector<std::string> &lines);
// The section's lines that `isRecord` accepts become `records`; its other
// lines stay in place (TIniFile::ReplaceRecords).
void ReplaceIniRecords(const std::string &section, const std::vector<std::string> &records,
                       const std::function<bool(const std::string &)> &isRecord);

// Sets the navigation pad's translation ranges from VertexSize and keeps ZipPath
// ending with "/".
void ApplyOptionsToControls();

// Shows the options dialog; true when the user accepted it and the fields changed.
bool ExecuteOptionsDialog(QWidget *parent = nullptr);
