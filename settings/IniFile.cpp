#include "IniFile.h"

#include "RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cctype>

bool SameTextIgnoringCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                  return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
              });
}

// Text before the first "=" of `line` equals `key`; a line without "=" has no key.
static bool LineHasKey(const std::string &line, const std::string &key)
{
    const auto eq = line.find('=');
    return eq != std::string::npos && SameTextIgnoringCase(line.substr(0, eq), key);
}

TIniFile::TIniFile(const std::string &fileName)
    : fileName_(fileName)
{
    const TRegularFileRead file = ReadRegularFile(fileName);
    if (file.Read())
        SetText(file.Bytes);
    else if (!file.Missing) {
        unreadFile_ = fileName;
        readProblem_ = file.Problem;
    }
}

static bool IsSectionHeader(const std::string &line)
{
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

bool TIniFile::StoresLine(const std::string &line)
{
    // Lines are kept exactly as they stand: a blank before ";" or "[" makes
    // an ordinary line, and nothing is trimmed.
    return !line.empty() && line[0] != ';' && !IsSectionHeader(line);
}

void TIniFile::SetText(const std::string &text)
{
    sections_.clear();
    sectionIndex_.clear();
    Section *current = nullptr;
    // Windows Notepad starts a UTF-8 file with a byte-order mark; left in, it
    // would hide the first section's header.
    const std::string bom = "\xEF\xBB\xBF";
    size_t start = text.compare(0, bom.size(), bom) == 0 ? bom.size() : 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++start;
        if (IsSectionHeader(line))
            current = &FindOrAppend(line.substr(1, line.size() - 2));
        else if (current && StoresLine(line))
            current->lines.push_back(line);
    }
}

std::string TIniFile::Text() const
{
    std::string text;
    for (const Section &s : sections_) {
        text += "[" + s.name + "]\r\n";
        for (const std::string &line : s.lines)
            text += line + "\r\n";
        text += "\r\n";
    }
    return text;
}

static std::string LowerCase(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const TIniFile::Section *TIniFile::Find(const std::string &name) const
{
    const auto found = sectionIndex_.find(LowerCase(name));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

TIniFile::Section &TIniFile::FindOrAppend(const std::string &name)
{
    const auto [found, added] = sectionIndex_.try_emplace(LowerCase(name), sections_.size());
    if (added)
        sections_.push_back(Section{name, {}});
    return sections_[found->second];
}

std::vector<std::string> TIniFile::SectionNames() const
{
    std::vector<std::string> names;
    for (const Section &s : sections_)
        names.push_back(s.name);
    return names;
}

std::string TIniFile::ReadString(const std::string &section, const std::string &key,
                                 const std::string &defaultValue) const
{
    if (const Section *s = Find(section))
        for (const std::string &line : s->lines)
            if (LineHasKey(line, key))
                return line.substr(line.find('=') + 1);
    return defaultValue;
}

void TIniFile::WriteString(const std::string &section, const std::string &key, const std::string &value)
{
    Section &s = FindOrAppend(section);
    const std::string line = key + "=" + value;
    for (std::string &existing : s.lines)
        if (LineHasKey(existing, key)) {
            existing = line;
            return;
        }
    s.lines.push_back(line);
}

std::vector<std::string> TIniFile::ReadSection(const std::string &section) const
{
    if (const Section *s = Find(section))
        return s->lines;
    return {};
}

void TIniFile::ReplaceRecords(const std::string &section, const std::vector<std::string> &records,
                              const std::function<bool(const std::string &)> &isRecord)
{
    std::vector<std::string> &lines = FindOrAppend(section).lines;
    std::vector<std::string> merged;
    auto next = records.begin();
    size_t afterLastRecord = std::string::npos;
    for (const std::string &line : lines) {
        if (!isRecord(line)) {
            merged.push_back(line);
            continue;
        }
        if (next != records.end())
            merged.push_back(*next++);
        afterLastRecord = merged.size();
    }
    merged.insert(merged.begin() + std::min(afterLastRecord, merged.size()), next, records.end());
    lines = std::move(merged);
}

void TIniFile::UpdateFile() const
{
    const QString path = QString::fromStdString(fileName_);
    const auto fail = [&](const QString &reason) {
        throw EIniFileError("Cannot write the settings file " + fileName_ + ": " + reason.toStdString());
    };
    if (fileName_.empty())
        fail("no file name");
    if (!unreadFile_.empty() && QFileInfo(QString::fromStdString(unreadFile_)) == QFileInfo(path))
        fail(QStringLiteral("it could not be read (%1), so saving would lose the placemarks and settings it "
                            "holds. Make it readable, then choose Reload Options.")
                 .arg(QString::fromStdString(readProblem_)));
    // The per-user folder may not exist before the first save.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        fail("cannot create the folder " + folder);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    const std::string text = Text();
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
        fail(file.errorString());
    // commit() does not look at its own final flush: a short write there would
    // still replace the old file.
    if (!file.flush())
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
}
