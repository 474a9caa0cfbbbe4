#include "yuvrowkernel.h"
#include "yuvsimd.h"

#include <immintrin.h>

// This source alone is compiled with -mavx2; it runs only where the CPU has AVX2.
namespace {

// 32 pixels per step. AVX2 unpacks work within each 128-bit half, so the luma
// words come as pixels 0-7 | 16-23 and 8-15 | 24-31; the chroma terms are
// repeated in the same order, and the pack puts the bytes back in pixel order.
struct Avx2
{
    using Reg = __m256i;
    static constexpr std::size_t pixels = 32;

    static Reg splat(int value) { return _mm256_set1_epi16(static_cast<short>(value)); }
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
    static Reg lumaLow(Reg luma) { return _mm256_unpacklo_epi8(luma, _mm256_setzero_si256()); }
    static Reg lumaHigh(Reg luma) { return _mm256_unpackhi_epi8(luma, _mm256_setzero_si256()); }
    static Reg repeatLow(Reg terms) { return _mm256_unpacklo_epi16(terms, terms); }
    static Reg repeatHigh(Reg terms) { return _mm256_unpackhi_epi16(terms, terms); }
    // Saturates each word to 0..255: this is the clamp.
    static Reg packBytes(Reg low, Reg high) { return _mm256_packus_epi16(low, high); }
    static void store(std::uint8_t *p, Reg bytes)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), bytes);
    }
};

} // namespace

std::size_t convertRowsAvx2(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t width, std::size_t rows)
{
    return convertRowsWith<Avx2>(y, u, v, r, g, b, width, rows);
}
