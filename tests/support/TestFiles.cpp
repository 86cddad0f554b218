#include "TestFiles.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

TestDir::TestDir()
{
    EXPECT_TRUE(dir_.isValid());
}

std::string TestDir::Path(const std::string &name) const
{
    return dir_.filePath(QString::fromStdString(name)).toStdString();
}

std::string TestDir::Root() const
{
    return dir_.path().toStdString();
}

void WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::vector<uint8_t> ReadFileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> MakeHgtBytes(int n, const std::function<int16_t(int col, int row)> &height)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(n) * n * 2);
    size_t k = 0;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const uint16_t v = static_cast<uint16_t>(height(c, r));
            bytes[k++] = static_cast<uint8_t>(v >> 8);
            bytes[k++] = static_cast<uint8_t>(v & 0xFF);
        }
    return bytes;
}

std::string WriteHgt(const TestDir &dir, const std::string &name, int n,
                     const std::function<int16_t(int col, int row)> &height)
{
    const std::string path = dir.Path(name);
    WriteFileBytes(path, MakeHgtBytes(n, height));
    return path;
}

void KeepScreenshot(const QImage &picture, const std::string &name)
{
    const QString folder = qEnvironmentVariable("OROLITH_TEST_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    const QString path = QDir(folder).filePath(QString::fromStdString(name) + ".png");
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
}
