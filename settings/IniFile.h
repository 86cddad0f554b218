// The settings file held in memory as sections of raw lines, read and written whole.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

// A settings file that could not be written; the message names the file.
class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIniFile {
public:
    TIniFile() = default;
    // Reads `fileName`; a missing file gives an empty image. So does a file
    // that is there but cannot be read, which ReadProblem() then explains and
    // UpdateFile() will not write over.
    explicit TIniFile(const std::string &fileName);

    const std::string &FileName() const { return fileName_; }
    void SetFileName(const std::string &fileName) { fileName_ = fileName; }
    // Why the file named at construction could not be read ("Permission
    // denied", "it is a folder, not a file"); empty when it was read or missing.
    const std::string &ReadProblem() const { return readProblem_; }
    const std::string &UnreadFile() const { return unreadFile_; }

    // Replaces the image by the sections of `text` (CR LF, LF or CR line ends;
    // a UTF-8 byte-order mark before the first line is passed over).
    void SetText(const std::string &text);
    // False for the lines SetText does not store as they stand: empty lines,
    // ";" comments and "[section]" headers.
    static bool StoresLine(const std::string &line);
    // Every section in order: "[name]", its lines, an empty line; CR LF line ends.
    std::string Text() const;

    std::vector<std::string> SectionNames() const;
    // Everything after the first "=" of the first line whose text before that
    // "=" equals `key` (letter case ignored, blanks kept).
    std::string ReadString(const std::string &section, const std::string &key,
                           const std::string &defaultValue) const;
    // Replaces the key's first line or appends "key=value" to the section.
    void WriteString(const std::string &section, const std::string &key, const std::string &value);
    // The section's stored lines in order; empty for a missing section.
    std::vector<std::string> ReadSection(const std::string &section) const;
    // The section's lines that `isRecord` accepts give way to `records`, one
    // for one in order: records left over follow the last such line (or end
    // the section), such lines left over go. Every other line stays where it
    // stands. A missing section is appended.
    void ReplaceRecords(const std::string &section, const std::vector<std::string> &records,
                        const std::function<bool(const std::string &)> &isRecord);

    // Writes Text() to FileName() through a temporary file renamed into place,
    // so a failed save leaves the previous file whole. Throws EIniFileError,
    // also instead of replacing a file that could not be read: the image does
    // not hold what that file holds.
    void UpdateFile() const;

private:
    struct Section {
        std::string name;
        std::vector<std::string> lines;
    };
    const Section *Find(const std::string &name) const;
    Section &FindOrAppend(const std::string &name);

    std::string fileName_;
    std::string unreadFile_; // the file that was there but could not be read
    std::string readProblem_;
    std::vector<Section> sections_;
    // Position in sections_ by lower-case name: files with tens of thousands
    // of sections are read without comparing every header against every section.
    std::unordered_map<std::string, size_t> sectionIndex_;
};

// Letter case ignored for ASCII letters only; blanks count.
bool SameTextIgnoringCase(const std::string &a, const std::string &b);
