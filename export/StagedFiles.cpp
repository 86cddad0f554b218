#include "StagedFiles.h"

#include "TerrainError.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Reason(int error)
{
    return std::strerror(error);
}

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write to `path` replaces: a symbolic link is followed to the
// end of its chain, as the picture writers do.
std::string FollowLinks(const std::string &path)
{
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return at;
        std::vector<char> target(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(at.c_str(), target.data(), target.size() - 1);
        if (n < 0)
            throw ETerrainError("cannot follow the link: " + Reason(errno), path);
        const std::string to(target.data(), size_t(n));
        at = to.front() == '/' ? to : FolderOf(at) + "/" + to;
    }
    throw ETerrainError("cannot follow the link: " + Reason(ELOOP), path);
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Stand-ins of processes that no longer run: what a killed export left.
void RemoveStaleStandIns(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const size_t prefix = std::strlen(TStagedFiles::StandInPrefix);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix, TStagedFiles::StandInPrefix) != 0)
            continue;
        char *end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix, &end, 10);
        if (pid <= 0 || *end != '-')
            continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

std::string StandInName(const std::string &folder)
{
    static std::mt19937_64 random{std::random_device{}()};
    return folder + "/" + TStagedFiles::StandInPrefix + std::to_string(::getpid()) + "-" +
           std::to_string(random() % 1000000000000ULL);
}

} // namespace

TStagedFiles::TStagedFiles(const std::string &target)
{
    if (target.empty() || target.back() == '/')
        throw ETerrainError("names a folder, not a file", target);
    const std::string written = FollowLinks(target);
    struct stat st {};
    if (::stat(written.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw ETerrainError("is a folder", target);
    const std::string folder = FolderOf(written);
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw ETerrainError("the folder does not exist", target);
    RemoveStaleStandIns(folder);
}

TStagedFiles::~TStagedFiles()
{
    if (committed_)
        return;
    for (const TStaged &s : files_)
        if (!s.standIn.empty())
            ::unlink(s.standIn.c_str());
}

TOutFile &TStagedFiles::Stage(const std::string &finalPath)
{
    TStaged staged;
    staged.finalPath = finalPath;
    staged.written = FollowLinks(finalPath);
    const std::string folder = FolderOf(staged.written);
    struct stat st {};
    if (::stat(staged.written.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw ETerrainError("is a folder", finalPath);
    // An existing file keeps its permissions; one the user may not write is
    // not replaced behind their back.
    const bool exists = ::stat(staged.written.c_str(), &st) == 0;
    if (exists && ::access(staged.written.c_str(), W_OK) != 0)
        throw ETerrainError("cannot write the file: " + Reason(errno), finalPath);
    const mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();

    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    staged.unnamed = fd >= 0;
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            staged.standIn = StandInName(folder);
            fd = ::open(staged.standIn.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST)
                break;
        }
        if (fd < 0)
            staged.standIn.clear();
    }
    if (fd < 0)
        throw ETerrainError("cannot write into the folder: " + Reason(errno), finalPath);
    staged.file = std::make_unique<TOutFile>(fd, finalPath);
    if (::fchmod(fd, mode) != 0)
        staged.file->Fail("cannot set the file's permissions", errno);
    files_.push_back(std::move(staged));
    return *files_.back().file;
}

void TStagedFiles::LinkIn(TStaged &staged)
{
    staged.file->Sync();
    if (staged.unnamed) {
        const std::string proc = "/proc/self/fd/" + std::to_string(staged.file->Descriptor());
        const std::string folder = FolderOf(staged.written);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = StandInName(folder);
            if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                staged.standIn = name;
                break;
            }
            if (errno != EEXIST)
                throw ETerrainError("cannot put the file in place: " + Reason(errno), staged.finalPath);
        }
        if (staged.standIn.empty())
            throw ETerrainError("cannot put the file in place: " + Reason(EEXIST), staged.finalPath);
    }
    staged.file->Close();
}

void TStagedFiles::Commit()
{
    // Every file complete on the disk under a hidden name first …
    for (TStaged &s : files_)
        LinkIn(s);
    // … then each over its old one, the main output last: once it is there,
    // everything it refers to is too.
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) {
        if (::rename(it->standIn.c_str(), it->written.c_str()) != 0)
            throw ETerrainError("cannot put the file in place: " + Reason(errno), it->finalPath);
        it->standIn.clear();
    }
    committed_ = true;
    // The new names on the disk too; a file system that cannot sync a
    // folder has nothing to lose here.
    for (const TStaged &s : files_) {
        const int dir = ::open(FolderOf(s.written).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
}
