#include "deinterleave.h"

#include "processorfeatures.h"

#include <cstring>

#if defined(ZENTAVO_X86_KERNELS)
#include <emmintrin.h>
#endif

namespace {

#if defined(ZENTAVO_X86_KERNELS)
// The low (even) and the high (odd) byte of each word, each pair of registers packed
// into one: a mask or a shift, then a saturating pack that cannot saturate.
__m128i evenBytes(__m128i a, __m128i b)
{
    const __m128i low = _mm_set1_epi16(0xff);
    return _mm_packus_epi16(_mm_and_si128(a, low), _mm_and_si128(b, low));
}

__m128i oddBytes(__m128i a, __m128i b)
{
    return _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
}

__m128i load(const std::uint8_t *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

void store(std::uint8_t *p, __m128i value)
{
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p), value);
}

// 32 bytes a step from byte `from`; returns the bytes done.
std::size_t splitPairsSse2(const std::uint8_t *bytes, std::size_t count, std::uint8_t *first,
    std::uint8_t *second, std::size_t from)
{
    std::size_t i = from;
    for (; i + 32 <= count; i += 32) {
        const __m128i a = load(bytes + i);
        const __m128i b = load(bytes + i + 16);
        store(first + i / 2, evenBytes(a, b));
        store(second + i / 2, oddBytes(a, b));
    }
    return i;
}

// 64 bytes, 32 pixels, a step from byte `from`; returns the bytes done.
std::size_t splitPackedSse2(const std::uint8_t *bytes, std::size_t count, bool lumaFirst,
    std::uint8_t *y, std::uint8_t *first, std::uint8_t *second, std::size_t from)
{
    std::size_t i = from;
    for (; i + 64 <= count; i += 64) {
        const __m128i a = load(bytes + i);
        const __m128i b = load(bytes + i + 16);
        const __m128i c = load(bytes + i + 32);
        const __m128i d = load(bytes + i + 48);
        __m128i chromaLow;
        __m128i chromaHigh;
        if (lumaFirst) {
            store(y + i / 2, evenBytes(a, b));
            store(y + i / 2 + 16, evenBytes(c, d));
            chromaLow = oddBytes(a, b);
            chromaHigh = oddBytes(c, d);
        } else {
            store(y + i / 2, oddBytes(a, b));
            store(y + i / 2 + 16, oddBytes(c, d));
            chromaLow = evenBytes(a, b);
            chromaHigh = evenBytes(c, d);
        }
        store(first + i / 4, evenBytes(chromaLow, chromaHigh));
        store(second + i / 4, oddBytes(chromaLow, chromaHigh));
    }
    return i;
}
#endif

// Word i of the file's bytes in host order, shifted down: the compiler turns the copy
// into one load.
std::uint16_t sampleOfWord(const std::uint8_t *bytes, std::size_t i, unsigned shift)
{
    std::uint16_t word;
    std::memcpy(&word, bytes + 2 * i, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = static_cast<std::uint16_t>(word << 8 | word >> 8);
#endif
    return static_cast<std::uint16_t>(word >> shift);
}

#if defined(ZENTAVO_X86_KERNELS)
// Eight words a step, from word 0; returns the words done.
std::size_t placeWordsSse2(
    const std::uint8_t *bytes, std::size_t words, unsigned shift, std::uint16_t *out)
{
    const __m128i by = _mm_cvtsi32_si128(static_cast<int>(shift));
    std::size_t i = 0;
    for (; i + 8 <= words; i += 8)
        store(reinterpret_cast<std::uint8_t *>(out + i), _mm_srl_epi16(load(bytes + 2 * i), by));
    return i;
}
#endif

} // namespace

void placeWords(const std::uint8_t *bytes, std::size_t count, unsigned shift, std::uint16_t *out)
{
    const std::size_t words = count / 2;
    std::size_t i = 0;
#if defined(ZENTAVO_X86_KERNELS)
    // x86 is little-endian: a word loads as the file stores it.
    i = placeWordsSse2(bytes, words, shift, out);
#endif
    for (; i < words; ++i)
        out[i] = sampleOfWord(bytes, i, shift);
}

void splitWordPairs(const std::uint8_t *bytes, std::size_t count, unsigned shift,
    std::uint16_t *first, std::uint16_t *second)
{
    const std::size_t words = count / 2;
    std::size_t i = 0;
    for (; i + 1 < words; i += 2) {
        first[i / 2] = sampleOfWord(bytes, i, shift);
        second[i / 2] = sampleOfWord(bytes, i + 1, shift);
    }
    if (i < words)
        first[i / 2] = sampleOfWord(bytes, i, shift);
}

void splitPairs(
    const std::uint8_t *bytes, std::size_t count, std::uint8_t *first, std::uint8_t *second)
{
    std::size_t i = 0;
#if defined(ZENTAVO_X86_KERNELS)
    if (processorHasAvx2())
        i = splitPairsAvx2(bytes, count, first, second);
    i = splitPairsSse2(bytes, count, first, second, i);
#endif
    // The vector loops stop at a whole number of pairs, so the rest starts on a pair.
    for (; i + 1 < count; i += 2) {
        first[i / 2] = bytes[i];
        second[i / 2] = bytes[i + 1];
    }
    if (i < count)
        first[i / 2] = bytes[i];
}

void splitPacked(const std::uint8_t *bytes, std::size_t count, bool lumaFirst, std::uint8_t *y,
    std::uint8_t *first, std::uint8_t *second)
{
    std::size_t i = 0;
#if defined(ZENTAVO_X86_KERNELS)
    if (processorHasAvx2())
        i = splitPackedAvx2(bytes, count, lumaFirst, y, first, second);
    i = splitPackedSse2(bytes, count, lumaFirst, y, first, second, i);
#endif
    const std::size_t lumaAt = lumaFirst ? 0 : 1;
    for (; i < count; ++i) {
        const std::size_t group = i / 4;
        const std::size_t at = i % 4;
        if (at % 2 == lumaAt)
            y[2 * group + at / 2] = bytes[i];
        else if (at < 2)
            first[group] = bytes[i];
        else
            second[group] = bytes[i];
    }
}
