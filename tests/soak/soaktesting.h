#pragma once

#include "videoparameters.h"

#include <cstdint>

// Shared by the long-running tests: the process's memory and descriptors, and the
// Open flow's parameters dialog filled in as a user would.
namespace soaktesting {

// One clip of a long run: its file name, layout, size and length.
struct ClipShape
{
    const char *name;
    std::int32_t format;
    std::int32_t width;
    std::int32_t height;
    std::int32_t frames;
};

// Resident set size of this process in bytes, from /proc/self/statm.
std::int64_t residentBytes();

// Bytes of the C heap this process has allocated and not freed, mapped blocks included.
std::int64_t heapBytesInUse();

// Shows the parameters dialog for the clip, types its size and picks its format,
// and presses OK; false unless the dialog closed.
bool openThroughDialog(const VideoParameters &clip);

// As a user opens a file: the main window's Open, the clip's path typed into the file
// chooser, then the parameters dialog as above.
bool openThroughChooser(const VideoParameters &clip);

} // namespace soaktesting
