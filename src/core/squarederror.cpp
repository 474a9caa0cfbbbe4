#include "squarederror.h"

#include "processorfeatures.h"

#include <algorithm>

#if defined(ZENTAVO_X86_KERNELS)
#include <emmintrin.h>
#endif

namespace {

std::uint64_t bytesPortable(const std::uint8_t *a, const std::uint8_t *b, std::size_t count)
{
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int d = int { a[i] } - int { b[i] };
        sum += static_cast<std::uint64_t>(d * d);
    }
    return sum;
}

std::uint64_t wordsPortable(
    const std::uint16_t *a, const std::uint16_t *b, std::size_t count, int depth)
{
    const unsigned mask = (1u << depth) - 1;
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int d = static_cast<int>(a[i] & mask) - static_cast<int>(b[i] & mask);
        sum += static_cast<std::uint64_t>(d * d);
    }
    return sum;
}

#if defined(ZENTAVO_X86_KERNELS)
// A step adds at most 4 * 255^2 to each 32-bit lane from bytes and 2 * 4095^2 from 12-bit
// words: this many steps stay below 2^32 before the lanes are widened into 64 bits.
constexpr std::size_t byteSteps = 16384;
constexpr std::size_t wordSteps = 64;

__m128i load(const void *p)
{
    return _mm_loadu_si128(static_cast<const __m128i *>(p));
}

// The four 32-bit lanes, read as unsigned, added into two 64-bit lanes.
__m128i widened(__m128i lanes, __m128i total)
{
    const __m128i zero = _mm_setzero_si128();
    return _mm_add_epi64(
        total, _mm_add_epi64(_mm_unpacklo_epi32(lanes, zero), _mm_unpackhi_epi32(lanes, zero)));
}

std::uint64_t lanesSum(__m128i total)
{
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(total))
        + static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total)));
}

// 16 bytes a step: widened to 16 bits, their differences squared and added in pairs.
std::uint64_t bytesSse2(const std::uint8_t *a, const std::uint8_t *b, std::size_t count)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i total = zero;
    std::size_t i = 0;
    while (count - i >= 16) {
        const std::size_t steps = std::min((count - i) / 16, byteSteps);
        __m128i lanes = zero;
        for (std::size_t step = 0; step < steps; ++step, i += 16) {
            const __m128i x = load(a + i);
            const __m128i y = load(b + i);
            const __m128i low
                = _mm_sub_epi16(_mm_unpacklo_epi8(x, zero), _mm_unpacklo_epi8(y, zero));
            const __m128i high
                = _mm_sub_epi16(_mm_unpackhi_epi8(x, zero), _mm_unpackhi_epi8(y, zero));
            lanes = _mm_add_epi32(
                lanes, _mm_add_epi32(_mm_madd_epi16(low, low), _mm_madd_epi16(high, high)));
        }
        total = widened(lanes, total);
    }
    return lanesSum(total) + bytesPortable(a + i, b + i, count - i);
}

// 8 words a step: masked, subtracted (at most 12 bits, so the difference fits 16 bits
// signed), squared and added in pairs.
std::uint64_t wordsSse2(
    const std::uint16_t *a, const std::uint16_t *b, std::size_t count, int depth)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i mask = _mm_set1_epi16(static_cast<short>((1 << depth) - 1));
    __m128i total = zero;
    std::size_t i = 0;
    while (count - i >= 8) {
        const std::size_t steps = std::min((count - i) / 8, wordSteps);
        __m128i lanes = zero;
        for (std::size_t step = 0; step < steps; ++step, i += 8) {
            const __m128i d
                = _mm_sub_epi16(_mm_and_si128(load(a + i), mask), _mm_and_si128(load(b + i), mask));
            lanes = _mm_add_epi32(lanes, _mm_madd_epi16(d, d));
        }
        total = widened(lanes, total);
    }
    return lanesSum(total) + wordsPortable(a + i, b + i, count - i, depth);
}
#endif

} // namespace

SquaredErrorKernels portableSquaredErrorKernels()
{
    return { bytesPortable, wordsPortable };
}

#if defined(ZENTAVO_X86_KERNELS)
SquaredErrorKernels sse2SquaredErrorKernels()
{
    return { bytesSse2, wordsSse2 };
}
#endif

SquaredErrorKernels bestSquaredErrorKernels()
{
#if defined(ZENTAVO_X86_KERNELS)
    return processorHasAvx2() ? avx2SquaredErrorKernels() : sse2SquaredErrorKernels();
#else
    return portableSquaredErrorKernels();
#endif
}
