// Text of many short lines, one per vertex or triangle, formatted in blocks
// on every core and handed on in order: turning numbers into text is most of
// the work of the text formats, and the disk waits for none of it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <thread>
#include <vector>

// `format(item, at)` writes the line of one item (at most `maxChars`) at `at`
// and returns its end; `sink(text, size)` receives the lines of 0 … count − 1
// in order, a block at a time; `done(items)` is called after each block.
template <class Format>
void FormatLines(size_t count, size_t maxChars, const Format &format,
                 const std::function<void(const char *, size_t)> &sink, const std::function<void(size_t)> &done = {})
{
    constexpr size_t BlockItems = 16384;
    const size_t inFlight = 2 * std::max(1u, std::thread::hardware_concurrency());
    // The blocks' memory is taken once, here: buffers made and freed on the
    // workers' threads would stay with their allocator arenas.
    std::vector<std::vector<char>> buffers(std::min(inFlight, count / BlockItems + 1),
                                           std::vector<char>(BlockItems * maxChars));
    std::deque<std::future<size_t>> pending;
    size_t next = 0, handed = 0;
    while (next < count || !pending.empty()) {
        while (next < count && pending.size() < buffers.size()) {
            char *to = buffers[(next / BlockItems) % buffers.size()].data();
            pending.push_back(std::async(std::launch::async, [&format, count, next, to] {
                char *at = to;
                for (size_t i = next; i < std::min(count, next + BlockItems); ++i)
                    at = format(i, at);
                return size_t(at - to);
            }));
            next += BlockItems;
        }
        const size_t size = pending.front().get();
        pending.pop_front();
        sink(buffers[(handed / BlockItems) % buffers.size()].data(), size);
        handed = std::min(count, handed + BlockItems);
        if (done)
            done(handed);
    }
}
