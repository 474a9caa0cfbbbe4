#pragma once

#include <cstddef>

// Whether one pass writes its outputs around the cache (streaming stores) or through it.
// Outputs this large would not stay in the cache anyway, and a line stored through the
// cache is read before it is written. Decided from the bytes that the pass writes alone,
// not from the cache that this machine reports (a virtual machine may report its host's),
// so a frame takes the same path on every machine. Measured (median of 31 passes) at
// 1920 x 1080, through the cache and around it: the conversion's three planes (6.2 MB)
// 0.26 and 0.37 ms, a grey view's picture (8.3 MB) 0.19 and 0.31 ms, the planes with
// the colour picture (14.5 MB) 0.76 and 0.72 ms; at 3840 x 2160 the picture (33 MB)
// 1.6 and 1.3 ms, the planes with the colour picture (58 MB) 7.8 and 6.7 ms.
constexpr std::size_t streamingStoreBytes = std::size_t { 12 } << 20;

constexpr bool writesAroundCache(std::size_t bytesWritten)
{
    return bytesWritten >= streamingStoreBytes;
}
