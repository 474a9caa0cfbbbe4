#include "squarederror.h"

#include <algorithm>
#include <immintrin.h>

// This source alone is compiled with -mavx2; it runs only where the CPU has AVX2. The
// steps are the SSE2 kernels' at twice the width, and they finish the last samples.
namespace {

using Reg = __m256i;

// As in SSE2: steps whose 32-bit lanes stay below 2^32.
constexpr std::size_t byteSteps = 16384;
constexpr std::size_t wordSteps = 64;

Reg load(const void *p)
{
    return _mm256_loadu_si256(static_cast<const Reg *>(p));
}

Reg widened(Reg lanes, Reg total)
{
    const Reg zero = _mm256_setzero_si256();
    return _mm256_add_epi64(total,
        _mm256_add_epi64(_mm256_unpacklo_epi32(lanes, zero), _mm256_unpackhi_epi32(lanes, zero)));
}

std::uint64_t lanesSum(Reg total)
{
    const __m128i pairs
        = _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(pairs))
        + static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(pairs, pairs)));
}

std::uint64_t bytesAvx2(const std::uint8_t *a, const std::uint8_t *b, std::size_t count)
{
    const Reg zero = _mm256_setzero_si256();
    Reg total = zero;
    std::size_t i = 0;
    while (count - i >= 32) {
        const std::size_t steps = std::min((count - i) / 32, byteSteps);
        Reg lanes = zero;
        for (std::size_t step = 0; step < steps; ++step, i += 32) {
            const Reg x = load(a + i);
            const Reg y = load(b + i);
            const Reg low
                = _mm256_sub_epi16(_mm256_unpacklo_epi8(x, zero), _mm256_unpacklo_epi8(y, zero));
            const Reg high
                = _mm256_sub_epi16(_mm256_unpackhi_epi8(x, zero), _mm256_unpackhi_epi8(y, zero));
            lanes = _mm256_add_epi32(lanes,
                _mm256_add_epi32(_mm256_madd_epi16(low, low), _mm256_madd_epi16(high, high)));
        }
        total = widened(lanes, total);
    }
    return lanesSum(total) + sse2SquaredErrorKernels().bytes(a + i, b + i, count - i);
}

std::uint64_t wordsAvx2(
    const std::uint16_t *a, const std::uint16_t *b, std::size_t count, int depth)
{
    const Reg zero = _mm256_setzero_si256();
    const Reg mask = _mm256_set1_epi16(static_cast<short>((1 << depth) - 1));
    Reg total = zero;
    std::size_t i = 0;
    while (count - i >= 16) {
        const std::size_t steps = std::min((count - i) / 16, wordSteps);
        Reg lanes = zero;
        for (std::size_t step = 0; step < steps; ++step, i += 16) {
            const Reg d = _mm256_sub_epi16(
                _mm256_and_si256(load(a + i), mask), _mm256_and_si256(load(b + i), mask));
            lanes = _mm256_add_epi32(lanes, _mm256_madd_epi16(d, d));
        }
        total = widened(lanes, total);
    }
    return lanesSum(total) + sse2SquaredErrorKernels().words(a + i, b + i, count - i, depth);
}

} // namespace

SquaredErrorKernels avx2SquaredErrorKernels()
{
    return { bytesAvx2, wordsAvx2 };
}
