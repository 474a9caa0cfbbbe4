#include "yuvrowkernel.h"
#include "yuvsimd.h"

#include <cstdint>

#include <immintrin.h>

// This source alone is compiled with -mavx2; it runs only where the CPU has AVX2.
namespace {

// 32 pixels per step, split into the even and the odd pixels: pixel 2k and
// 2k + 1 both take chroma pair k, so the chroma terms need no repeating, and
// the pixels are put back in order after the pack, within each 128-bit half.
struct Avx2
{
    using Reg = __m256i;
    static constexpr std::size_t pixels = 32;

    static Reg splat(int value) { return _mm256_set1_epi16(static_cast<short>(value)); }
    static Reg splat8(std::uint8_t value) { return _mm256_set1_epi8(static_cast<char>(value)); }
    static Reg add(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg sub(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm256_mullo_epi16(a, b); }
    static Reg shiftDown8(Reg a) { return _mm256_srai_epi16(a, 8); }

    // 16 chroma samples, widened to words in their own order.
    static Reg loadChroma(const std::uint8_t *p)
    {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
    }
    static Reg loadLuma(const std::uint8_t *p)
    {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    }
    // Even and odd pixels as words: 0, 2, ..., 30 and 1, 3, ..., 31.
    static Reg lumaFirst(Reg luma) { return _mm256_and_si256(luma, _mm256_set1_epi16(0xff)); }
    static Reg lumaSecond(Reg luma) { return _mm256_srli_epi16(luma, 8); }
    static Reg chromaForFirst(Reg terms) { return terms; }
    static Reg chromaForSecond(Reg terms) { return terms; }
    // The saturating pack is the clamp; it leaves eight even then eight odd
    // pixels in each half, which the byte shuffle interleaves.
    static Reg joinBytes(Reg even, Reg odd)
    {
        const Reg order = _mm256_setr_epi8(0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15, 0,
            8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15);
        return _mm256_shuffle_epi8(_mm256_packus_epi16(even, odd), order);
    }
    static void store(void *p, Reg value) { _mm256_storeu_si256(static_cast<__m256i *>(p), value); }
    // 32 pixels 0xffRRGGBB: bytes B, G, R, A in memory. The unpacks work within each
    // 128-bit half, so they leave pixels 0-3 beside 16-19 and so on; the permutes put
    // the halves back in order.
    static void storePixels(std::uint32_t *p, Reg r, Reg g, Reg b)
    {
        const Reg alpha = _mm256_set1_epi8(-1);
        const Reg blueGreenLow = _mm256_unpacklo_epi8(b, g);
        const Reg blueGreenHigh = _mm256_unpackhi_epi8(b, g);
        const Reg redAlphaLow = _mm256_unpacklo_epi8(r, alpha);
        const Reg redAlphaHigh = _mm256_unpackhi_epi8(r, alpha);
        const Reg pixels0 = _mm256_unpacklo_epi16(blueGreenLow, redAlphaLow);
        const Reg pixels4 = _mm256_unpackhi_epi16(blueGreenLow, redAlphaLow);
        const Reg pixels8 = _mm256_unpacklo_epi16(blueGreenHigh, redAlphaHigh);
        const Reg pixels12 = _mm256_unpackhi_epi16(blueGreenHigh, redAlphaHigh);
        store(p, _mm256_permute2x128_si256(pixels0, pixels4, 0x20));
        store(p + 8, _mm256_permute2x128_si256(pixels8, pixels12, 0x20));
        store(p + 16, _mm256_permute2x128_si256(pixels0, pixels4, 0x31));
        store(p + 24, _mm256_permute2x128_si256(pixels8, pixels12, 0x31));
    }

    // Wide samples: half 0 of a step is pixels 0-7 and 16-23, half 1 pixels 8-15 and
    // 24-31, one 128-bit lane each. Every unpack and pack then works within its lane,
    // and the unsigned pack of the two halves leaves the bytes in pixel order: no
    // lane-crossing permute, which costs more than loading the lanes apart.
    static Reg splat32(int value) { return _mm256_set1_epi32(value); }
    static Reg factorPair(int forU, int forV)
    {
        return _mm256_set1_epi32(
            static_cast<int>(static_cast<unsigned>(forV) << 16 | static_cast<std::uint16_t>(forU)));
    }
    static Reg add32(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
    static Reg madd(Reg a, Reg b) { return _mm256_madd_epi16(a, b); }
    static Reg mulhiUnsigned(Reg a, Reg b) { return _mm256_mulhi_epu16(a, b); }
    static Reg unpacklo16(Reg a, Reg b) { return _mm256_unpacklo_epi16(a, b); }
    static Reg unpackhi16(Reg a, Reg b) { return _mm256_unpackhi_epi16(a, b); }
    static Reg unpacklo32(Reg a, Reg b) { return _mm256_unpacklo_epi32(a, b); }
    static Reg unpackhi32(Reg a, Reg b) { return _mm256_unpackhi_epi32(a, b); }
    static Reg shiftDownWide(Reg a) { return _mm256_srai_epi32(a, yuvcoefficients::wideShift); }
    static Reg packs32(Reg a, Reg b) { return _mm256_packs_epi32(a, b); }
    static Reg loadHalf(const std::uint16_t *p, int half)
    {
        const auto *words = reinterpret_cast<const __m128i *>(p + 8 * half);
        return _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(words)), _mm_loadu_si128(words + 2), 1);
    }
    // 16 chroma samples serve pixels 0-31: samples 0-3 and 8-11 the pixel pairs of
    // half 0, 4-7 and 12-15 those of half 1, as the unpacks take them from the lanes.
    static Reg keep(Reg a, Reg mask) { return _mm256_and_si256(a, mask); }
    static void chromaPairs(const std::uint16_t *u, const std::uint16_t *v, Reg mask, Reg pairs[2])
    {
        const Reg us = keep(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(u)), mask);
        const Reg vs = keep(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(v)), mask);
        pairs[0] = _mm256_unpacklo_epi16(us, vs);
        pairs[1] = _mm256_unpackhi_epi16(us, vs);
    }
    static Reg joinWords(Reg first, Reg second) { return _mm256_packus_epi16(first, second); }
};

} // namespace

std::size_t convertRowsAvx2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour)
{
    return convertRowsTo<Avx2, false>(y, u, v, out, width, rows, colour);
}

std::size_t convertRows444Avx2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    const RowTargets &out, std::size_t width, std::size_t rows, const YuvCoefficients &colour)
{
    return convertRowsTo<Avx2, true>(y, u, v, out, width, rows, colour);
}

std::size_t convertWideRowsAvx2(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour)
{
    return convertWideRowsTo<Avx2, false>(y, u, v, out, width, rows, depth, colour);
}

std::size_t convertWideRows444Avx2(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour)
{
    return convertWideRowsTo<Avx2, true>(y, u, v, out, width, rows, depth, colour);
}

namespace {

// Eight pixels 0xffGGGGGG from greys, both 128-bit lanes of `greys` holding the same 16: the
// byte shuffle's indices pick each pixel's grey three times and leave its alpha 0.
__m256i eightGreys(__m256i greys, __m256i indices)
{
    return _mm256_or_si256(
        _mm256_shuffle_epi8(greys, indices), _mm256_set1_epi32(static_cast<int>(0xff000000u)));
}

// The shuffle indices of pixels 8k .. 8k + 7 of a step: pixel p takes grey p / pixelsPerSample,
// each lane its four pixels.
__m256i greyIndices(int k, int pixelsPerSample)
{
    alignas(32) std::int8_t indices[32];
    for (int i = 0; i < 32; ++i) {
        const int pixel = 8 * k + i / 4;
        indices[i] = static_cast<std::int8_t>(i % 4 == 3 ? -1 : pixel / pixelsPerSample);
    }
    return _mm256_load_si256(reinterpret_cast<const __m256i *>(indices));
}

// Sixteen samples a step, rounded as greyRowSse2 rounds them.
template <bool Stream>
std::size_t greyRowWith(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out)
{
    constexpr std::size_t step = 16;
    const int pixelsPerSample = doubled ? 2 : 1;
    const int groups = 2 * pixelsPerSample;
    __m256i indices[4];
    for (int k = 0; k < groups; ++k)
        indices[k] = greyIndices(k, pixelsPerSample);
    // Sixteen greys as the pixels of sample j onwards.
    const auto spread = [&](__m128i greys, std::size_t j) {
        const __m256i both = _mm256_broadcastsi128_si256(greys);
        std::uint32_t *pixels = out + static_cast<std::size_t>(pixelsPerSample) * j;
        for (int k = 0; k < groups; ++k) {
            auto *target = reinterpret_cast<__m256i *>(pixels + 8 * k);
            if constexpr (Stream)
                _mm256_stream_si256(target, eightGreys(both, indices[k]));
            else
                _mm256_storeu_si256(target, eightGreys(both, indices[k]));
        }
    };
    std::size_t j = 0;
    if (depth == 8) {
        for (; j + step <= samples; j += step)
            spread(_mm_loadu_si128(reinterpret_cast<const __m128i *>(plane + j)), j);
        return j;
    }
    const auto *words = reinterpret_cast<const std::uint16_t *>(plane);
    const int shift = depth - 8;
    const __m256i sampleBits = _mm256_set1_epi16(static_cast<short>((1 << depth) - 1));
    const __m256i rounding = _mm256_set1_epi16(static_cast<short>(1 << (shift - 1)));
    const __m128i count = _mm_cvtsi32_si128(shift);
    for (; j + step <= samples; j += step) {
        const __m256i word = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(words + j));
        const __m256i level = _mm256_srl_epi16(
            _mm256_add_epi16(_mm256_and_si256(word, sampleBits), rounding), count);
        // The saturating pack keeps the levels of 256 at 255.
        spread(
            _mm_packus_epi16(_mm256_castsi256_si128(level), _mm256_extracti128_si256(level, 1)), j);
    }
    return j;
}

} // namespace

std::size_t greyRowAvx2(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out)
{
    return greyRowWith<false>(plane, depth, samples, doubled, out);
}

std::size_t greyRowAvx2Streaming(
    const std::uint8_t *plane, int depth, std::size_t samples, bool doubled, std::uint32_t *out)
{
    if (reinterpret_cast<std::uintptr_t>(out) % 32 != 0)
        return greyRowWith<false>(plane, depth, samples, doubled, out);
    return greyRowWith<true>(plane, depth, samples, doubled, out);
}
