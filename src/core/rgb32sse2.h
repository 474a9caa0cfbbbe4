#pragma once

#include <cstdint>

#include <emmintrin.h>

// Internal linkage, as in yuvsimd.h: a source compiled for AVX2 that included this would
// otherwise make a copy that the linker might keep for the SSE2 callers too.
namespace {

// Sixteen pixels 0xffRRGGBB from sixteen R, G and B bytes, in four 16-byte stores: bytes
// B, G, R, A in memory make the little-endian word. Streaming stores write around the
// cache and need a 16-byte aligned target; the others take any.
template <bool Stream = false>
inline void storeSixteenPixels(std::uint32_t *out, __m128i red, __m128i green, __m128i blue)
{
    const __m128i alpha = _mm_set1_epi8(-1);
    const __m128i blueGreenLow = _mm_unpacklo_epi8(blue, green);
    const __m128i blueGreenHigh = _mm_unpackhi_epi8(blue, green);
    const __m128i redAlphaLow = _mm_unpacklo_epi8(red, alpha);
    const __m128i redAlphaHigh = _mm_unpackhi_epi8(red, alpha);
    const __m128i pixels[4] = { _mm_unpacklo_epi16(blueGreenLow, redAlphaLow),
        _mm_unpackhi_epi16(blueGreenLow, redAlphaLow),
        _mm_unpacklo_epi16(blueGreenHigh, redAlphaHigh),
        _mm_unpackhi_epi16(blueGreenHigh, redAlphaHigh) };
    auto *target = reinterpret_cast<__m128i *>(out);
    for (int i = 0; i < 4; ++i) {
        if constexpr (Stream)
            _mm_stream_si128(target + i, pixels[i]);
        else
            _mm_storeu_si128(target + i, pixels[i]);
    }
}

} // namespace
