#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include <sys/mman.h>

// Memory that starts on a 64-byte cache line. Plain malloc starts a large block 16 bytes
// into a line, and the conversion's streaming stores then cover lines in pieces, which
// halves their speed at 3840 x 2160. Blocks of 128 KiB or more are mapped on their
// own, so that closing a video gives its frame back to the system at once, whatever
// malloc would keep for later. Throws std::bad_alloc like the default allocator.
template <typename T> class CacheLineAllocator
{
public:
    using value_type = T;
    static constexpr std::size_t lineBytes = 64;
    // glibc's own threshold, before it raises it and keeps freed frames in its heap.
    static constexpr std::size_t mappedBytes = std::size_t { 128 } << 10;

    CacheLineAllocator() = default;
    template <typename U> CacheLineAllocator(const CacheLineAllocator<U> &) noexcept { }

    T *allocate(std::size_t count)
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < mappedBytes)
            return static_cast<T *>(::operator new (bytes, std::align_val_t { lineBytes }));
        void *block
            = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            throw std::bad_alloc();
        return static_cast<T *>(block);
    }
    void deallocate(T *data, std::size_t count) noexcept
    {
        const std::size_t bytes = count * sizeof(T);
        if (bytes < mappedBytes)
            ::operator delete (data, std::align_val_t { lineBytes });
        else
            ::munmap(data, bytes);
    }

    template <typename U> bool operator==(const CacheLineAllocator<U> &) const noexcept
    {
        return true;
    }
    template <typename U> bool operator!=(const CacheLineAllocator<U> &) const noexcept
    {
        return false;
    }
};

// One plane of 8-bit samples, row after row.
using SamplePlane = std::vector<std::uint8_t, CacheLineAllocator<std::uint8_t>>;
