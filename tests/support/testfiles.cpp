#include "testfiles.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace testfiles {

namespace {

bool writeAll(int fd, const std::uint8_t *data, std::size_t size, std::int64_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::pwrite(fd, data + done, size - done,
            static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool writeWithFlags(const std::string &path, int flags, std::int64_t offset,
    const std::uint8_t *data, std::size_t size)
{
    const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, data, size, offset);
    return ::close(fd) == 0 && written;
}

} // namespace

bool writeFile(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    return writeWithFlags(path, O_CREAT | O_TRUNC, 0, bytes.data(), bytes.size());
}

bool writeAt(
    const std::string &path, std::int64_t offset, const std::uint8_t *data, std::size_t size)
{
    return writeWithFlags(path, 0, offset, data, size);
}

bool makeSparseFile(const std::string &path, std::int64_t size)
{
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool sized = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    return ::close(fd) == 0 && sized;
}

bool removeFile(const std::string &path)
{
    return std::remove(path.c_str()) == 0;
}

bool setModifiedAgo(const std::string &path, int secondsAgo)
{
    return setModifiedTime(
        path, (std::int64_t(std::time(nullptr)) - secondsAgo) * std::int64_t(1'000'000'000));
}

std::int64_t modifiedTime(const std::string &path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return -1;
    return std::int64_t(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
}

bool setModifiedTime(const std::string &path, std::int64_t nanoseconds)
{
    const timespec when { time_t(nanoseconds / 1'000'000'000), long(nanoseconds % 1'000'000'000) };
    const timespec times[2] = { when, when };
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool readWhole(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::vector<char> buffer(1 << 20);
    while (std::fread(buffer.data(), 1, buffer.size(), file) > 0) { }
    const bool read = std::ferror(file) == 0;
    return std::fclose(file) == 0 && read;
}

int openDescriptors()
{
    DIR *dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (::readdir(dir))
        ++count;
    ::closedir(dir);
    return count;
}

} // namespace testfiles
