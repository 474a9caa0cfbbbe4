#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

// Memory that starts on a 64-byte cache line. Plain malloc starts a large block 16 bytes
// into a line, and the conversion's streaming stores then cover lines in pieces, which
// halves their speed at 3840 x 2160. Throws std::bad_alloc like the default allocator.
template <typename T> class CacheLineAllocator
{
public:
    using value_type = T;
    static constexpr std::size_t lineBytes = 64;

    CacheLineAllocator() = default;
    template <typename U> CacheLineAllocator(const CacheLineAllocator<U> &) noexcept { }

    T *allocate(std::size_t count)
    {
        return static_cast<T *>(::operator new (count * sizeof(T), std::align_val_t { lineBytes }));
    }
    void deallocate(T *data, std::size_t) noexcept
    {
        ::operator delete (data, std::align_val_t { lineBytes });
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
