#pragma once

#include <cstdint>
#include <string>

// Whether a path names a file whose frames can be read, asked of the file system with the
// path's own bytes, whatever they would read as in any character set.
enum class FileProblem { None, Missing, NotRegular, Unreadable };

struct FileCheck
{
    FileProblem problem = FileProblem::None;
    // Bytes in the file, when it can be read.
    std::int64_t size = 0;
};

FileCheck checkVideoFile(const std::string &path);
