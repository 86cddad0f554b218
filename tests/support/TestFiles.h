// Files for tests: a private temporary folder and tiles made on the fly.
#pragma once

#include <QTemporaryDir>

class QImage;

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TestDir {
public:
    TestDir();
    // Absolute path of `name` inside the folder.
    std::string Path(const std::string &name) const;
    std::string Root() const;

private:
    QTemporaryDir dir_;
};

void WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> ReadFileBytes(const std::string &path);

// A .hgt image of side n (1201 or 3601 for valid tiles) whose sample at
// (column, row) is height(column, row), written big-endian row by row.
std::vector<uint8_t> MakeHgtBytes(int n, const std::function<int16_t(int col, int row)> &height);
// Writes such a tile to dir/name and returns its path.
std::string WriteHgt(const TestDir &dir, const std::string &name, int n,
                     const std::function<int16_t(int col, int row)> &height);

// Keeps a picture a test drew, for a person to look at, as NAME.png in the
// folder that OROLITH_TEST_SCREENSHOTS names; without it nothing is written.
void KeepScreenshot(const QImage &picture, const std::string &name);
