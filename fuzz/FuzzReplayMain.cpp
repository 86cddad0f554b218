// main() of the harnesses in an ordinary build: runs every input file named
// on the command line (or every file in the folders named) through the
// harness once, so inputs that once crashed stay regression tests.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static void Run(const QString &path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s (%zu bytes)\n", qPrintable(path), bytes.size());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char **argv)
{
    // The harnesses write their inputs under the temporary folder: point it
    // at one of this run's own, removed (with all they wrote) at the end.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder: %s\n", qPrintable(scratch.errorString()));
        return 1;
    }
    qputenv("TMPDIR", QFile::encodeName(scratch.path()));

    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                Run(it.next());
                ++count;
            }
        } else if (QFileInfo(arg).isFile()) {
            Run(arg);
            ++count;
        } else {
            std::fprintf(stderr, "%s: no such input file or folder\n", qPrintable(arg));
            return 1;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
