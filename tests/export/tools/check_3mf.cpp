// check-3mf FILE...: reads each 3MF file with lib3mf in strict mode and
// prints what it found, its warnings and errors; exits 1 when any file drew
// an error or a warning. Used by scripts/check-exports.
#include "Lib3mfRead.h"

#include <iostream>

int main(int argc, char **argv)
{
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const T3mfRead read = Read3mfStrict(argv[i]);
        std::cout << argv[i] << ": ";
        if (read.error.empty())
            std::cout << read.meshes << " mesh(es), " << read.vertices << " vertices, " << read.triangles
                      << " triangles, " << read.warnings.size() << " warning(s)\n";
        else
            std::cout << "error: " << read.error << "\n";
        for (const std::string &w : read.warnings)
            std::cout << "  warning " << w << "\n";
        if (!read.error.empty() || !read.warnings.empty() || read.meshes == 0)
            status = 1;
    }
    return argc < 2 ? 2 : status;
}
