// A one-line progress bar on stderr for the long steps of orolith-cli
// (loading, texture, mesh). It draws only when stderr is a terminal, so
// scripts and tests that capture the output see nothing of it.
#pragma once

#include <functional>
#include <string>

class TTerrain;
class TTopoView;

class TCliProgress {
public:
    // `label` opens the line, e.g. "Loading N47E008.hgt".
    explicit TCliProgress(std::string label);
    // Ends the line if anything was drawn.
    ~TCliProgress();
    TCliProgress(const TCliProgress &) = delete;
    TCliProgress &operator=(const TCliProgress &) = delete;

    // Whole percent 0 … 100; redraws only when the value changes.
    void Report(int percent);
    // For TTerrain::OnProgress and the like; valid while this object lives.
    std::function<void(int)> Callback();
    // Finishes the line now (the destructor does it otherwise).
    void Done();

private:
    std::string label_;
    bool active_;
    bool drawn_ = false;
    int last_ = -1;
};

// A progress line hooked to a terrain's or a view's OnProgress for as long
// as it lives; the previous callback comes back however the step ends.
class TAttachedProgress {
public:
    TAttachedProgress(TTerrain &terrain, std::string label);
    TAttachedProgress(TTopoView &view, std::string label);
    ~TAttachedProgress();
    TAttachedProgress(const TAttachedProgress &) = delete;
    TAttachedProgress &operator=(const TAttachedProgress &) = delete;

private:
    TCliProgress progress_;
    std::function<void()> restore_;
};
