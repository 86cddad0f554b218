#include "RegularFile.h"

#include "TerrainError.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What stands at a path that is no regular file: "a folder", "a FIFO"...
const char *KindOf(mode_t mode)
{
    return S_ISDIR(mode)                          ? "a folder"
           : S_ISFIFO(mode)                       ? "a FIFO"
           : S_ISSOCK(mode)                       ? "a socket"
           : S_ISCHR(mode) || S_ISBLK(mode)       ? "a device"
                                                  : "something else";
}

// Empty for a regular file; otherwise what stands at the path instead.
std::string NotARegularFile(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    return std::string("it is ") + KindOf(mode) + ", not a file";
}

std::string SystemReason(int error)
{
    return std::strerror(error);
}

} // namespace

uint64_t RequireRegularFile(const std::string &path, const std::string &what)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw ETerrainError(std::string("cannot open the file: ") + std::strerror(errno), path);
    if (S_ISREG(st.st_mode))
        return static_cast<uint64_t>(st.st_size);
    if (S_ISDIR(st.st_mode))
        throw ETerrainError("is a folder, not " + what, path);
    throw ETerrainError(std::string("is not a regular file but ") + KindOf(st.st_mode), path);
}

TRegularFileRead ReadRegularFile(const std::string &path)
{
    TRegularFileRead result;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        // Only a path that leads nowhere is missing; a folder that may not be
        // searched hides a file that may well be there.
        if (errno == ENOENT)
            result.Missing = true;
        else
            result.Problem = SystemReason(errno);
        return result;
    }
    if (std::string kind = NotARegularFile(st.st_mode); !kind.empty()) {
        result.Problem = std::move(kind);
        return result;
    }
    // Non-blocking, in case the path was swapped for a FIFO since the look
    // above; fstat then tells what was really opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.Problem = SystemReason(errno);
        return result;
    }
    if (::fstat(fd, &st) != 0)
        result.Problem = SystemReason(errno);
    else
        result.Problem = NotARegularFile(st.st_mode);
    if (result.Problem.empty())
        result.Bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    while (result.Problem.empty()) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            result.Problem = SystemReason(errno);
        if (n <= 0)
            break;
        result.Bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (!result.Problem.empty())
        result.Bytes.clear();
    return result;
}
