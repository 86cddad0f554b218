// Reading a settings file of 60,000 sections (769 KB) at start, against the
// least any reader must do: one plain read of the same file. The file's
// sections are "[s0]" to "[s59999]", each with one key, as a file that a
// script filled would have them.
#include "Options.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string g_ini; // the settings file in a temporary folder, fresh in the page cache

void WriteManySections(const std::string &path, int sections)
{
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < sections; ++i)
        out << "[s" << i << "]\nx=1\n";
}

void PlainRead(benchmark::State &state)
{
    for (auto _ : state) {
        std::ifstream in(g_ini, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::DoNotOptimize(bytes.data());
    }
}

// The file image alone.
void ReadIniFile(benchmark::State &state)
{
    for (auto _ : state) {
        const TIniFile ini(g_ini);
        benchmark::DoNotOptimize(ini.ReadString("s59999", "x", ""));
    }
}

// What the program does with it before the window appears.
void LoadOptionsFromIt(benchmark::State &state)
{
    SetIniFileName(g_ini);
    for (auto _ : state) {
        LoadOptions();
        benchmark::DoNotOptimize(Options.ZipPath.data());
    }
    SetIniFileName({});
}

} // namespace

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadIniFile)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadOptionsFromIt)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    g_ini = dir.filePath(QStringLiteral("orolith.ini")).toStdString();
    WriteManySections(g_ini, 60000);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
