// A file being written where every byte is checked: buffered writes go out
// with write(2) until the last byte, and Finish() flushes, syncs the data to
// the disk and closes. Any failure throws ETerrainError naming the file the
// user asked for (not the staged copy) with the system's reason, such as
// "No space left on device" or "File too large".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TOutFile {
public:
    // Takes `fd` (open for writing); `name` is the file as the user knows it.
    TOutFile(int fd, std::string name);
    ~TOutFile();
    TOutFile(const TOutFile &) = delete;
    TOutFile &operator=(const TOutFile &) = delete;

    void Write(const void *data, size_t size);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // Room for `size` bytes (at most BufferBytes) in the buffer; the caller
    // fills some of it and hands back the end of what it filled.
    char *Room(size_t size);
    void Filled(char *end) { used_ = size_t(end - buffer_.data()); }
    // Bytes handed over so far, buffered or written.
    uint64_t Offset() const { return written_ + used_; }
    // Overwrites bytes written earlier (a header whose figures are known only
    // at the end).
    void Patch(uint64_t offset, const void *data, size_t size);

    // Writes what is buffered and syncs it to the disk; the descriptor stays
    // open (a staged file is linked in through it).
    void Sync();
    void Close();
    int Descriptor() const { return fd_; }
    const std::string &Name() const { return name_; }

    [[noreturn]] void Fail(const std::string &what, int error) const;

    static constexpr size_t BufferBytes = size_t(1) << 20;

private:
    void Flush();

    int fd_;
    std::string name_;
    std::vector<char> buffer_;
    size_t used_ = 0;
    uint64_t written_ = 0;
};
