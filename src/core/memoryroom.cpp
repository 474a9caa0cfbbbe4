#include "memoryroom.h"

#include <sys/mman.h>

bool addressSpaceLeft(std::size_t bytes)
{
    // Inaccessible and unreserved, so it costs no memory, only the address space that a
    // limit such as ulimit -v counts.
    void *block
        = ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED)
        return false;
    ::munmap(block, bytes);
    return true;
}
