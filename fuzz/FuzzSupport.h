// Shared pieces of the fuzz harnesses: inputs as files, and a Gui application
// for the image codecs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the input to a private file named `name` (the extension picks the
// loader) and returns its path; the file is replaced on every call.
std::string FuzzInputFile(const std::string &name, const uint8_t *data, size_t size);
void EnsureGuiApplication();
