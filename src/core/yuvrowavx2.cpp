#include "yuvrowkernel.h"
#include "yuvsimd.h"

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
