// Memory for buffers of tens of megabytes that are filled right after they
// are allocated: the texture bitmap, a tile's bytes, its height grid.
//
// Fresh memory costs a page fault on the first touch of every 4 KB page; on
// a virtual machine each fault is tens of microseconds, some 200 ms for the
// 52 MB of a 3601² texture, more than computing it. A TLargeBuffer asks the
// kernel for transparent huge pages (one fault per 2 MB) and takes them all
// at once, so filling it costs little more than writing the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

class TLargeBuffer {
public:
    TLargeBuffer() = default;
    // `bytes` zeroed bytes; throws std::bad_alloc when there is no memory.
    // Where huge pages or taking the pages early is refused, or the buffer
    // is too small to gain from them, it is ordinary memory.
    explicit TLargeBuffer(size_t bytes);
    ~TLargeBuffer();
    TLargeBuffer(TLargeBuffer &&other) noexcept;
    TLargeBuffer &operator=(TLargeBuffer &&other) noexcept;
    TLargeBuffer(const TLargeBuffer &) = delete;
    TLargeBuffer &operator=(const TLargeBuffer &) = delete;

    uint8_t *Data() const { return data_; }
    template <class T>
    T *As() const { return reinterpret_cast<T *>(data_); }
    size_t Size() const { return size_; }

private:
    void Release() noexcept;

    uint8_t *data_ = nullptr;
    size_t size_ = 0;
    size_t mapped_ = 0;  // length of the kernel mapping; 0 when from the heap
};
