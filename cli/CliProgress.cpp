#include "CliProgress.h"

#include "Terrain.h"
#include "TopoView.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
constexpr int BarWidth = 30;
}

TCliProgress::TCliProgress(std::string label)
    : label_(std::move(label)), active_(isatty(STDERR_FILENO) == 1)
{
}

TCliProgress::~TCliProgress()
{
    Done();
}

void TCliProgress::Report(int percent)
{
    if (!active_)
        return;
    percent = std::clamp(percent, 0, 100);
    if (percent == last_)
        return;
    last_ = percent;
    const int filled = percent * BarWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(BarWidth - filled), ' ');
    // "\r" redraws in place; stderr is unbuffered, so one fprintf is one write.
    std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar.c_str(), percent);
    drawn_ = true;
}

std::function<void(int)> TCliProgress::Callback()
{
    return [this](int percent) { Report(percent); };
}

void TCliProgress::Done()
{
    if (drawn_)
        std::fputc('\n', stderr);
    drawn_ = false;
    last_ = -1;
}

TAttachedProgress::TAttachedProgress(TTerrain &terrain, std::string label) : progress_(std::move(label))
{
    restore_ = [&terrain, previous = terrain.OnProgress] { terrain.OnProgress = previous; };
    terrain.OnProgress = progress_.Callback();
}

TAttachedProgress::TAttachedProgress(TTopoView &view, std::string label) : progress_(std::move(label))
{
    restore_ = [&view, previous = view.OnProgress] { view.OnProgress = previous; };
    view.OnProgress = [this](TTopoView &, int percent) { progress_.Report(percent); };
}

TAttachedProgress::~TAttachedProgress()
{
    restore_();
}
