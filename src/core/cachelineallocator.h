#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include <sys/mman.h>

// Memory that starts on a 64-byte cache line. Plain malloc starts a large block 16 bytes
// into a line, and the conversion's streaming stores then cover lines in pieces, which
// halves their speed at 3840 x 2160. Blocks of 128 KiB or more are mapped on their
// own, so that closing a video gives its frame back to the system at once, whatever
// malloc would keep for later. Every new block reads as zero, and sizing a vector does not
// write it: a mapped block costs no page until it is written. Throws std::bad_alloc like
// the default allocator.
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
        if (bytes < mappedBytes) {
            void *small = ::operator new (bytes, std::align_val_t { lineBytes });
            return static_cast<T *>(std::memset(small, 0, bytes));
        }
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

    // Default initialisation: resize() leaves the zeros of a new block unwritten.
    template <typename U> void construct(U *p) noexcept(noexcept(U()))
    {
        ::new (static_cast<void *>(p)) U;
    }
    template <typename U, typename... Args> void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
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

// Maps a plane's pages in with one call, which costs far less than a fault for each page as
// it is first written: a 16384 x 16384 frame has 2.3 GB of planes. Only for a plane that is
// about to be written whole; a kernel without the call leaves the pages to fault in.
inline void mapInNow(SamplePlane &plane)
{
#ifdef MADV_POPULATE_WRITE
    if (plane.size() >= CacheLineAllocator<std::uint8_t>::mappedBytes)
        ::madvise(plane.data(), plane.size(), MADV_POPULATE_WRITE);
#else
    (void)plane;
#endif
}
