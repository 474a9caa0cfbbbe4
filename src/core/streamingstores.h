#pragma once

#include <cstddef>

// Whether one pass writes its outputs around the cache (streaming stores) or through it.
// Outputs this large would not stay in the cache anyway, and a line stored through the
// cache is read before it is written. Decided from the bytes that the pass writes alone,
// not from the cache that this machine reports (a virtual machine may report its host's),
// so a frame takes the same path on every machine. Measured on 1920 x 1080 frames: the
// conversion's three planes (6.2 MB) are written faster through the cache, its planes
// and picture (14.5 MB) and the 8.3 MB picture of a view faster around it.
constexpr std::size_t streamingStoreBytes = std::size_t { 7 } << 20;

constexpr bool writesAroundCache(std::size_t bytesWritten)
{
    return bytesWritten >= streamingStoreBytes;
}
