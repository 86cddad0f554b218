#include "FuzzSupport.h"

#include <QDir>
#include <QGuiApplication>

#include <fstream>
#include <unistd.h>

static std::string ProcessFolder()
{
    static const std::string folder = [] {
        const std::string f = QDir::tempPath().toStdString() + "/orolith-fuzz-" + std::to_string(getpid());
        QDir().mkpath(QString::fromStdString(f));
        return f;
    }();
    return folder;
}

std::string FuzzInputFile(const std::string &name, const uint8_t *data, size_t size)
{
    const std::string path = ProcessFolder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    return path;
}

void EnsureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}
