// The program's settings, kept in one global record together with the
// settings file image they are read from and written to.
#pragma once

#include "IniFile.h"

#include <cstdint>
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
// The settings file: beside the executable (same base name, ".ini") when that
// folder is writable, otherwise in the per-user configuration folder.
std::string IniFileName();
// The same rule for a given program path.
std::string IniFileLocation(const std::string &executable, bool folderWritable);
// Tests point the settings file elsewhere; an empty name restores the default.
void SetIniFileName(const std::string &fileName);

// Rebuilds the file image from the file and reads every field from it.
void LoadOptions();
// Puts every field into the file image; the placemark sections stay as they are.
void SaveOptions();
// Writes the file image to the settings file; throws EIniFileError naming the
// file when it cannot be written, leaving the previous file whole.
void WriteIniFile();

std::vector<std::string> ReadIniSection(const std::string &section);
// Writes each "key=value" line under its key: the section keeps its other lines.
void WriteIniSection(const std::string &section, const std::vector<std::string> &lines);
// The section then holds exactly these lines.
void ReplaceIniSection(const std::string &section, const std::vector<std::string> &lines);

// Sets the navigation pad's translation ranges from VertexSize and keeps ZipPath
// ending with "/".
void ApplyOptionsToControls();

// Shows the options dialog; true when the user accepted it and the fields changed.
bool ExecuteOptionsDialog(QWidget *parent = nullptr);
