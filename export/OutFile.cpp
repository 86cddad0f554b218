#include "OutFile.h"

#include "TerrainError.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Writes all of `size` bytes at the file's position (or at `offset` when it
// is not negative), going on after short writes and interruptions.
int WriteFully(int fd, const char *data, size_t size, off_t offset = -1)
{
    while (size > 0) {
        const ssize_t n = offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= size_t(n);
        if (offset >= 0)
            offset += n;
    }
    return 0;
}

} // namespace

TOutFile::TOutFile(int fd, std::string name) : fd_(fd), name_(std::move(name)), buffer_(BufferBytes) {}

TOutFile::~TOutFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void TOutFile::Fail(const std::string &what, int error) const
{
    throw ETerrainError(what + ": " + std::strerror(error), name_);
}

void TOutFile::Flush()
{
    if (used_ == 0)
        return;
    if (const int error = WriteFully(fd_, buffer_.data(), used_))
        Fail("cannot write the file", error);
    written_ += used_;
    used_ = 0;
}

void TOutFile::Write(const void *data, size_t size)
{
    // An empty part (a model without lines) may come without an address.
    if (size == 0)
        return;
    const auto *bytes = static_cast<const char *>(data);
    if (used_ + size <= buffer_.size()) {
        std::memcpy(buffer_.data() + used_, bytes, size);
        used_ += size;
        return;
    }
    Flush();
    if (size >= buffer_.size()) {
        if (const int error = WriteFully(fd_, bytes, size))
            Fail("cannot write the file", error);
        written_ += size;
        return;
    }
    std::memcpy(buffer_.data(), bytes, size);
    used_ = size;
}

char *TOutFile::Room(size_t size)
{
    if (used_ + size > buffer_.size())
        Flush();
    return buffer_.data() + used_;
}

void TOutFile::Patch(uint64_t offset, const void *data, size_t size)
{
    Flush();
    if (const int error = WriteFully(fd_, static_cast<const char *>(data), size, off_t(offset)))
        Fail("cannot write the file", error);
}

void TOutFile::Sync()
{
    Flush();
    if (::fsync(fd_) != 0)
        Fail("cannot write the file", errno);
}

void TOutFile::Close()
{
    Flush();
    const int fd = fd_;
    fd_ = -1;
    // close() reports what a delayed write (NFS) could not do.
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        Fail("cannot write the file", errno);
}
