#include "RegularFileRead.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Empty for a regular file; otherwise what stands at the path instead.
std::string NotARegularFile(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISFIFO(mode))
        return "it is a named pipe (FIFO), not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    return "it is not a regular file";
}

std::string SystemReason(int error)
{
    return std::strerror(error);
}

} // namespace

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
