#pragma once

#include "yuvcoefficients.h"
#include "yuvrowkernel.h"

#include <cstddef>
#include <cstdint>

// The vector kernel, written once over a set of register operations (Ops) that
// the SSE2 and AVX2 sources supply. Internal linkage on purpose: each source
// compiles it for its own instruction set, and the linker must never merge an
// AVX2 copy into the SSE2 path. Written out rather than left to the
// auto-vectoriser, which clamps with min, max and a mask before packing and
// shuffles across lanes: here the saturating pack is the clamp and every unpack
// stays within its lane, which is markedly faster. The arithmetic and its
// derivation are in yuvcoefficients.h.
namespace {

// Terms of Ops::pixels / 2 chroma pairs, arranged for the two word registers
// that Ops::lumaFirst and Ops::lumaSecond make of one luma register.
template <class Ops> struct ChromaRegs
{
    ChannelTerms<Ops> r[2], g[2], b[2];
};

template <class Ops> inline ChannelTerms<Ops> spread(ChannelTerms<Ops> terms, int half)
{
    if (half == 0)
        return { Ops::chromaForFirst(terms.whole), Ops::chromaForFirst(terms.fraction) };
    return { Ops::chromaForSecond(terms.whole), Ops::chromaForSecond(terms.fraction) };
}

template <class Ops> inline ChromaRegs<Ops> chromaRegs(const std::uint8_t *u, const std::uint8_t *v)
{
    const ChromaTerms<Ops> terms = chromaTerms<Ops>(Ops::loadChroma(u), Ops::loadChroma(v));
    ChromaRegs<Ops> regs;
    for (int half = 0; half < 2; ++half) {
        regs.r[half] = spread<Ops>(terms.r, half);
        regs.g[half] = spread<Ops>(terms.g, half);
        regs.b[half] = spread<Ops>(terms.b, half);
    }
    return regs;
}

// 4:4:4: each pixel its own chroma, so the chroma samples split into words exactly as
// the luma samples do, and each half gets its own terms.
template <class Ops>
inline ChromaRegs<Ops> ownChromaRegs(const std::uint8_t *u, const std::uint8_t *v)
{
    const typename Ops::Reg us = Ops::loadLuma(u);
    const typename Ops::Reg vs = Ops::loadLuma(v);
    const ChromaTerms<Ops> first = chromaTerms<Ops>(Ops::lumaFirst(us), Ops::lumaFirst(vs));
    const ChromaTerms<Ops> second = chromaTerms<Ops>(Ops::lumaSecond(us), Ops::lumaSecond(vs));
    return { { first.r, second.r }, { first.g, second.g }, { first.b, second.b } };
}

// GCC turns a multiply by a known 42 into three shifts and two adds; in this
// loop one multiply instruction is cheaper, so the constant is hidden from it.
template <class Reg> inline Reg opaque(Reg value)
{
    __asm__("" : "+x"(value));
    return value;
}

template <class Ops, bool Stream, bool Picture>
inline void convertPixels(const std::uint8_t *y, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b,
    std::uint32_t *picture, typename Ops::Reg k42, const ChromaRegs<Ops> &c)
{
    using Reg = typename Ops::Reg;
    const Reg luma = Ops::loadLuma(y);
    const Reg first = Ops::lumaFirst(luma);
    const Reg second = Ops::lumaSecond(luma);
    const Reg first42 = Ops::mul(first, k42);
    const Reg second42 = Ops::mul(second, k42);
    const Reg red = Ops::joinBytes(
        channel<Ops>(first, first42, c.r[0]), channel<Ops>(second, second42, c.r[1]));
    const Reg green = Ops::joinBytes(
        channel<Ops>(first, first42, c.g[0]), channel<Ops>(second, second42, c.g[1]));
    const Reg blue = Ops::joinBytes(
        channel<Ops>(first, first42, c.b[0]), channel<Ops>(second, second42, c.b[1]));
    Ops::template store<Stream>(r, red);
    Ops::template store<Stream>(g, green);
    Ops::template store<Stream>(b, blue);
    if constexpr (Picture)
        Ops::template storePixels<Stream>(picture, red, green, blue);
}

template <class Ops, bool OwnChroma, bool Stream, bool Picture>
inline std::size_t convertRowsWith(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, const RowTargets &out, std::size_t width, std::size_t rows)
{
    const typename Ops::Reg k42 = opaque(Ops::splat(yuvcoefficients::lumaFraction));
    std::uint8_t *const r = out.r;
    std::uint8_t *const g = out.g;
    std::uint8_t *const b = out.b;
    std::uint32_t *const picture = out.picture;
    const std::size_t secondPicture = out.pictureStride;
    std::size_t x = 0;
    // The second row is written out, not looped over: looped, the targets were reloaded
    // through `out` on every row, and 3840 x 2160 frames took twice as long.
    for (; x + Ops::pixels <= width; x += Ops::pixels) {
        const ChromaRegs<Ops> chroma
            = OwnChroma ? ownChromaRegs<Ops>(u + x, v + x) : chromaRegs<Ops>(u + x / 2, v + x / 2);
        convertPixels<Ops, Stream, Picture>(
            y + x, r + x, g + x, b + x, Picture ? picture + x : nullptr, k42, chroma);
        if (rows > 1) {
            const std::size_t at = width + x;
            convertPixels<Ops, Stream, Picture>(y + at, r + at, g + at, b + at,
                Picture ? picture + secondPicture + x : nullptr, k42, chroma);
        }
    }
    return x;
}

// Streaming stores need every target aligned to the vector width: the rows' starts and,
// for a second row, the steps to it.
template <class Ops>
inline bool streamable(const RowTargets &out, std::size_t width, std::size_t rows)
{
    std::uintptr_t starts = reinterpret_cast<std::uintptr_t>(out.r)
        | reinterpret_cast<std::uintptr_t>(out.g) | reinterpret_cast<std::uintptr_t>(out.b)
        | reinterpret_cast<std::uintptr_t>(out.picture);
    if (rows > 1)
        starts |= width | out.pictureStride * sizeof(std::uint32_t);
    return starts % Ops::alignment == 0;
}

template <class Ops, bool OwnChroma, bool Stream>
inline std::size_t convertRowsTo(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, const RowTargets &out, std::size_t width, std::size_t rows)
{
    if (out.picture)
        return convertRowsWith<Ops, OwnChroma, Stream, true>(y, u, v, out, width, rows);
    return convertRowsWith<Ops, OwnChroma, Stream, false>(y, u, v, out, width, rows);
}

template <class Ops, bool OwnChroma = false>
inline std::size_t convertRowsCached(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, const RowTargets &out, std::size_t width, std::size_t rows)
{
    return convertRowsTo<Ops, OwnChroma, false>(y, u, v, out, width, rows);
}

// The streaming stores are ordered after the call by a fence, as the caller may read
// the targets next.
template <class Ops, bool OwnChroma = false>
inline std::size_t convertRowsStreaming(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, const RowTargets &out, std::size_t width, std::size_t rows)
{
    if (!streamable<Ops>(out, width, rows))
        return convertRowsTo<Ops, OwnChroma, false>(y, u, v, out, width, rows);
    const std::size_t done = convertRowsTo<Ops, OwnChroma, true>(y, u, v, out, width, rows);
    Ops::fence();
    return done;
}

} // namespace
