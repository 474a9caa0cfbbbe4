#pragma once

#include <string>

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it on destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    bool isValid() const { return !path_.empty(); }
    const std::string &path() const { return path_; }
    std::string filePath(const std::string &name) const { return path_ + '/' + name; }

private:
    std::string path_;
};
