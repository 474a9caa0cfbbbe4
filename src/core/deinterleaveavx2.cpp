#include "deinterleave.h"

#include <immintrin.h>

// This source alone is compiled with -mavx2; it runs only where the CPU has AVX2.
namespace {

using Reg = __m256i;

// As the SSE2 split: even or odd bytes of each word, two registers packed into one. The
// pack works within each 128-bit half, so it leaves the four 64-bit quarters of its
// result in the order a.low, b.low, a.high, b.high.
Reg evenBytes(Reg a, Reg b)
{
    const Reg low = _mm256_set1_epi16(0xff);
    return _mm256_packus_epi16(_mm256_and_si256(a, low), _mm256_and_si256(b, low));
}

Reg oddBytes(Reg a, Reg b)
{
    return _mm256_packus_epi16(_mm256_srli_epi16(a, 8), _mm256_srli_epi16(b, 8));
}

// The quarters of one pack back in order.
Reg inOrder(Reg packed)
{
    return _mm256_permute4x64_epi64(packed, 0xd8);
}

Reg load(const std::uint8_t *p)
{
    return _mm256_loadu_si256(reinterpret_cast<const Reg *>(p));
}

void store(std::uint8_t *p, Reg value)
{
    _mm256_storeu_si256(reinterpret_cast<Reg *>(p), value);
}

} // namespace

std::size_t splitPairsAvx2(
    const std::uint8_t *bytes, std::size_t count, std::uint8_t *first, std::uint8_t *second)
{
    std::size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        const Reg a = load(bytes + i);
        const Reg b = load(bytes + i + 32);
        store(first + i / 2, inOrder(evenBytes(a, b)));
        store(second + i / 2, inOrder(oddBytes(a, b)));
    }
    return i;
}

std::size_t splitPackedAvx2(const std::uint8_t *bytes, std::size_t count, bool lumaFirst,
    std::uint8_t *y, std::uint8_t *first, std::uint8_t *second)
{
    // Chroma packed twice leaves its 32-bit groups from the halves of a, b, c, d in the
    // order a.low, b.low, c.low, d.low, a.high, b.high, c.high, d.high.
    const Reg chromaOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    std::size_t i = 0;
    for (; i + 128 <= count; i += 128) {
        const Reg a = load(bytes + i);
        const Reg b = load(bytes + i + 32);
        const Reg c = load(bytes + i + 64);
        const Reg d = load(bytes + i + 96);
        const Reg lumaLow = lumaFirst ? evenBytes(a, b) : oddBytes(a, b);
        const Reg lumaHigh = lumaFirst ? evenBytes(c, d) : oddBytes(c, d);
        const Reg chromaLow = lumaFirst ? oddBytes(a, b) : evenBytes(a, b);
        const Reg chromaHigh = lumaFirst ? oddBytes(c, d) : evenBytes(c, d);
        store(y + i / 2, inOrder(lumaLow));
        store(y + i / 2 + 32, inOrder(lumaHigh));
        store(first + i / 4,
            _mm256_permutevar8x32_epi32(evenBytes(chromaLow, chromaHigh), chromaOrder));
        store(second + i / 4,
            _mm256_permutevar8x32_epi32(oddBytes(chromaLow, chromaHigh), chromaOrder));
    }
    return i;
}
