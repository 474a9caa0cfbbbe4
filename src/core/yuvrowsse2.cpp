#include "rgb32sse2.h"
#include "yuvrowkernel.h"
#include "yuvsimd.h"

#include <cstdint>

#include <emmintrin.h>

namespace {

// 16 pixels per step: a luma register holds 16 bytes, a word register 8 lanes,
// so a luma register splits into pixels 0-7 and 8-15. SSE2 has no byte shuffle
// to reorder even and odd pixels cheaply, so the chroma terms are repeated instead.
struct Sse2
{
    using Reg = __m128i;
    static constexpr std::size_t pixels = 16;

    static Reg splat(int value) { return _mm_set1_epi16(static_cast<short>(value)); }
    static Reg splat8(std::uint8_t value) { return _mm_set1_epi8(static_cast<char>(value)); }
    static Reg add(Reg a, Reg b) { return _mm_add_epi16(a, b); }
    static Reg sub(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm_mullo_epi16(a, b); }
    static Reg shiftDown8(Reg a) { return _mm_srai_epi16(a, 8); }

    // 8 chroma samples, widened to words in their own order.
    static Reg loadChroma(const std::uint8_t *p)
    {
        return _mm_unpacklo_epi8(
            _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)), _mm_setzero_si128());
    }
    static Reg loadLuma(const std::uint8_t *p)
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    }
    // Pixels 0-7 and 8-15 of the luma register, as words.
    static Reg lumaFirst(Reg luma) { return _mm_unpacklo_epi8(luma, _mm_setzero_si128()); }
    static Reg lumaSecond(Reg luma) { return _mm_unpackhi_epi8(luma, _mm_setzero_si128()); }
    // Chroma terms of pairs 0-3 and 4-7, each repeated for both pixels of its pair.
    static Reg chromaForFirst(Reg terms) { return _mm_unpacklo_epi16(terms, terms); }
    static Reg chromaForSecond(Reg terms) { return _mm_unpackhi_epi16(terms, terms); }
    // Saturates each word to 0..255: this is the clamp.
    static Reg joinBytes(Reg first, Reg second) { return _mm_packus_epi16(first, second); }
    static void store(void *p, Reg value) { _mm_storeu_si128(static_cast<__m128i *>(p), value); }
    static void storePixels(std::uint32_t *p, Reg r, Reg g, Reg b)
    {
        storeSixteenPixels(p, r, g, b);
    }

    // Wide samples: 8 words make half of a step, whose 32-bit lanes come in pixel order.
    static Reg splat32(int value) { return _mm_set1_epi32(value); }
    static Reg factorPair(int forU, int forV)
    {
        return _mm_set1_epi32(
            static_cast<int>(static_cast<unsigned>(forV) << 16 | static_cast<std::uint16_t>(forU)));
    }
    static Reg add32(Reg a, Reg b) { return _mm_add_epi32(a, b); }
    static Reg madd(Reg a, Reg b) { return _mm_madd_epi16(a, b); }
    static Reg mulhiUnsigned(Reg a, Reg b) { return _mm_mulhi_epu16(a, b); }
    static Reg unpacklo16(Reg a, Reg b) { return _mm_unpacklo_epi16(a, b); }
    static Reg unpackhi16(Reg a, Reg b) { return _mm_unpackhi_epi16(a, b); }
    static Reg unpacklo32(Reg a, Reg b) { return _mm_unpacklo_epi32(a, b); }
    static Reg unpackhi32(Reg a, Reg b) { return _mm_unpackhi_epi32(a, b); }
    static Reg shiftDownWide(Reg a) { return _mm_srai_epi32(a, yuvcoefficients::wideShift); }
    static Reg packs32(Reg a, Reg b) { return _mm_packs_epi32(a, b); }
    static Reg loadHalf(const std::uint16_t *p, int half)
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 8 * half));
    }
    static Reg keep(Reg a, Reg mask) { return _mm_and_si128(a, mask); }
    static void chromaPairs(const std::uint16_t *u, const std::uint16_t *v, Reg mask, Reg pairs[2])
    {
        const Reg us = keep(loadHalf(u, 0), mask);
        const Reg vs = keep(loadHalf(v, 0), mask);
        pairs[0] = _mm_unpacklo_epi16(us, vs);
        pairs[1] = _mm_unpackhi_epi16(us, vs);
    }
    static Reg joinWords(Reg first, Reg second) { return _mm_packus_epi16(first, second); }
};

} // namespace

std::size_t convertRowsSse2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour)
{
    return convertRowsTo<Sse2, false>(y, u, v, out, width, rows, colour);
}

std::size_t convertRows444Sse2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour)
{
    return convertRowsTo<Sse2, true>(y, u, v, out, width, rows, colour);
}

std::size_t convertWideRowsSse2(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour)
{
    return convertWideRowsTo<Sse2, false>(y, u, v, out, width, rows, depth, colour);
}

std::size_t convertWideRows444Sse2(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour)
{
    return convertWideRowsTo<Sse2, true>(y, u, v, out, width, rows, depth, colour);
}

namespace {

// Sixteen greys as pixels, each one pixel wide or, doubled, two.
template <bool Stream> void storeSixteenGreys(__m128i greys, bool doubled, std::uint32_t *out)
{
    if (!doubled) {
        storeSixteenPixels<Stream>(out, greys, greys, greys);
        return;
    }
    const __m128i first = _mm_unpacklo_epi8(greys, greys);
    const __m128i second = _mm_unpackhi_epi8(greys, greys);
    storeSixteenPixels<Stream>(out, first, first, first);
    storeSixteenPixels<Stream>(out + 16, second, second, second);
}

// Sixteen samples a step. Words are rounded in 16-bit lanes (at most 4095 + 8), and the
// saturating pack keeps those that round to 256 at 255.
template <bool Stream>
std::size_t greyRowWith(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out)
{
    constexpr std::size_t step = 16;
    const std::size_t pixelsPerSample = doubled ? 2 : 1;
    std::size_t j = 0;
    if (depth == 8) {
        for (; j + step <= samples; j += step)
            storeSixteenGreys<Stream>(_mm_loadu_si128(reinterpret_cast<const __m128i *>(plane + j)),
                doubled, out + pixelsPerSample * j);
        return j;
    }
    const auto *words = reinterpret_cast<const std::uint16_t *>(plane);
    const int shift = depth - 8;
    const __m128i sampleBits = _mm_set1_epi16(static_cast<short>((1 << depth) - 1));
    const __m128i rounding = _mm_set1_epi16(static_cast<short>(1 << (shift - 1)));
    const __m128i count = _mm_cvtsi32_si128(shift);
    const auto rounded = [&](std::size_t at) {
        const __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i *>(words + at));
        return _mm_srl_epi16(_mm_add_epi16(_mm_and_si128(word, sampleBits), rounding), count);
    };
    for (; j + step <= samples; j += step)
        storeSixteenGreys<Stream>(
            _mm_packus_epi16(rounded(j), rounded(j + 8)), doubled, out + pixelsPerSample * j);
    return j;
}

} // namespace

std::size_t greyRowSse2(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out)
{
    return greyRowWith<false>(plane, depth, samples, doubled, out);
}

std::size_t greyRowSse2Streaming(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out)
{
    if (reinterpret_cast<std::uintptr_t>(out) % 16 != 0)
        return greyRowWith<false>(plane, depth, samples, doubled, out);
    return greyRowWith<true>(plane, depth, samples, doubled, out);
}
