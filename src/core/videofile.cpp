#include "videofile.h"

#include "frameloader.h"

#include <sys/stat.h>

FileCheck checkVideoFile(const std::string &path)
{
    // stat follows links, so a link to a regular file is one, and a dangling one is missing.
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return { FileProblem::Missing, 0 };
    if (!S_ISREG(status.st_mode))
        return { FileProblem::NotRegular, 0 };
    if (!opensForReading(path))
        return { FileProblem::Unreadable, 0 };
    return { FileProblem::None, static_cast<std::int64_t>(status.st_size) };
}
