// Two commands timed side by side as whole processes: ours against a peer
// (a GDAL tool) on the same input, each iteration running both and taking
// turns at going first, so both see the same machine.
#pragma once

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// Processor seconds, user and system, of this process (every thread) or of
// its finished children: under a loaded machine the steadier figure.
inline double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// orolith-cli: $OROLITH_CLI, else the one built beside this benchmark.
inline std::string CliPath()
{
    if (const char *cli = std::getenv("OROLITH_CLI"))
        return cli;
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("./bench");
    return dir.substr(0, dir.find_last_of('/')) + "/../cli/orolith-cli";
}

// Wall and processor seconds (user + system of the children) of one command.
struct TRun {
    double wall = 0, cpu = 0;
};
inline TRun RunCommand(const std::string &command, bool &ok, const std::function<void()> &prepare = {})
{
    if (prepare)
        prepare();
    const double cpu0 = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = std::chrono::steady_clock::now();
    ok = ok && std::system(command.c_str()) == 0;
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            CpuSeconds(RUSAGE_CHILDREN) - cpu0};
}

// Runs `ours` and `peer` once per iteration; the counters are medians:
// cli_ms, PEER_ms, their ratio, the median of the per-iteration ratios
// (ratio_pairs), the same for processor time, and the load average.
// `prepare`, if given, runs untimed before each command (say, to remove an
// output a tool refuses to overwrite).
inline void RunSideBySide(benchmark::State &state, const std::string &ours, const std::string &peer,
                          const std::string &peerName, const std::function<void()> &prepare = {})
{
    double load[3] = {};
    getloadavg(load, 3);
    std::vector<double> wallOurs, wallPeer, cpuOurs, cpuPeer, ratios;
    bool ok = true, oursFirst = true;
    for (auto _ : state) {
        TRun a, b;
        if (oursFirst) {
            a = RunCommand(ours, ok, prepare);
            b = RunCommand(peer, ok, prepare);
        } else {
            b = RunCommand(peer, ok, prepare);
            a = RunCommand(ours, ok, prepare);
        }
        oursFirst = !oursFirst;
        if (!ok) {
            state.SkipWithError("a command failed");
            return;
        }
        wallOurs.push_back(a.wall);
        wallPeer.push_back(b.wall);
        cpuOurs.push_back(a.cpu);
        cpuPeer.push_back(b.cpu);
        ratios.push_back(a.wall / b.wall);
    }
    state.counters["cli_ms"] = Median(wallOurs) * 1e3;
    state.counters[peerName + "_ms"] = Median(wallPeer) * 1e3;
    state.counters["ratio"] = Median(wallOurs) / Median(wallPeer);
    state.counters["ratio_pairs"] = Median(ratios);
    state.counters["cli_cpu_ms"] = Median(cpuOurs) * 1e3;
    state.counters[peerName + "_cpu_ms"] = Median(cpuPeer) * 1e3;
    state.counters["ratio_cpu"] = Median(cpuOurs) / Median(cpuPeer);
    state.counters["load1"] = load[0];
}
