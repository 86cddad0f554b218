// Errors of the terrain data side: the message text as the user reads it,
// plus the file it concerns, so every report can name the file.
#pragma once

#include <stdexcept>
#include <string>

class ETerrainError : public std::runtime_error {
public:
    ETerrainError(const std::string &message, const std::string &file = {})
        : std::runtime_error(message), file_(file)
    {
    }
    const std::string &File() const { return file_; }
    // "FILE: message", or the message alone when no file is known.
    std::string FullMessage() const { return file_.empty() ? what() : file_ + ": " + what(); }

private:
    std::string file_;
};
