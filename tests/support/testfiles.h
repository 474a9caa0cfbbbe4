#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Small file helpers for tests and benchmarks; each returns false on any error.
namespace testfiles {

bool writeFile(const std::string &path, const std::vector<std::uint8_t> &bytes);

// Overwrites size bytes at offset, leaving the rest of the file as it is.
bool writeAt(
    const std::string &path, std::int64_t offset, const std::uint8_t *data, std::size_t size);

// Creates (or cuts) a file of the given size without writing its blocks, so a
// file of several GiB costs no disk space; it reads back as zeros.
bool makeSparseFile(const std::string &path, std::int64_t size);

bool removeFile(const std::string &path);

// Sets the file's modification time to `secondsAgo` seconds before now, as if it had
// been left alone since.
bool setModifiedAgo(const std::string &path, int secondsAgo);
// The file's modification time, in nanoseconds since the epoch; -1 when it cannot be had.
std::int64_t modifiedTime(const std::string &path);
// Sets it back to such a time.
bool setModifiedTime(const std::string &path, std::int64_t nanoseconds);

// Reads the whole file once, so that later reads find it in the page cache.
bool readWhole(const std::string &path);

// Descriptors this process holds open, from /proc/self/fd; -1 when it cannot be read.
int openDescriptors();

} // namespace testfiles
