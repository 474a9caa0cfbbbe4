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

template <class Ops>
inline ChromaRegs<Ops> chromaRegs(
    const std::uint8_t *u, const std::uint8_t *v, const LaneFactors<Ops> &f)
{
    const ChromaTerms<Ops> terms = chromaTerms<Ops>(Ops::loadChroma(u), Ops::loadChroma(v), f);
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
inline ChromaRegs<Ops> ownChromaRegs(
    const std::uint8_t *u, const std::uint8_t *v, const LaneFactors<Ops> &f)
{
    const typename Ops::Reg us = Ops::loadLuma(u);
    const typename Ops::Reg vs = Ops::loadLuma(v);
    const ChromaTerms<Ops> first = chromaTerms<Ops>(Ops::lumaFirst(us), Ops::lumaFirst(vs), f);
    const ChromaTerms<Ops> second = chromaTerms<Ops>(Ops::lumaSecond(us), Ops::lumaSecond(vs), f);
    return { { first.r, second.r }, { first.g, second.g }, { first.b, second.b } };
}

// The byte masks of the channels that reach the picture (RowTargets::channels): Ops::splat8
// sets every byte of a register, Ops::keep (below) ands two.
template <class Ops> struct ChannelMasks
{
    typename Ops::Reg red, green, blue;
};

template <class Ops> inline ChannelMasks<Ops> channelMasks(PictureChannels channels)
{
    return { Ops::splat8(channels.red), Ops::splat8(channels.green), Ops::splat8(channels.blue) };
}

// What one step writes: the planes' bytes from `at` on when Planes (without planes no
// address is formed from their null pointers), the picture's pixels of the kept channels
// when Picture.
template <class Ops, bool Planes, bool Picture>
inline void storeChannels(const RowTargets &out, std::size_t at, std::uint32_t *picture,
    const ChannelMasks<Ops> &keep, typename Ops::Reg red, typename Ops::Reg green,
    typename Ops::Reg blue)
{
    if constexpr (Planes) {
        Ops::store(out.r + at, red);
        Ops::store(out.g + at, green);
        Ops::store(out.b + at, blue);
    }
    if constexpr (Picture)
        Ops::storePixels(picture, Ops::keep(red, keep.red), Ops::keep(green, keep.green),
            Ops::keep(blue, keep.blue));
}

// Ops::pixels pixels from luma `at` of the rows.
template <class Ops, bool Planes, bool Picture>
inline void convertPixels(const std::uint8_t *y, const RowTargets &out, std::size_t at,
    std::uint32_t *picture, typename Ops::Reg lumaFactor, const ChromaRegs<Ops> &c,
    const ChannelMasks<Ops> &keep)
{
    using Reg = typename Ops::Reg;
    const Reg luma = Ops::loadLuma(y + at);
    const Reg first = Ops::lumaFirst(luma);
    const Reg second = Ops::lumaSecond(luma);
    const Reg firstFraction = Ops::mul(first, lumaFactor);
    const Reg secondFraction = Ops::mul(second, lumaFactor);
    const Reg red = Ops::joinBytes(
        channel<Ops>(first, firstFraction, c.r[0]), channel<Ops>(second, secondFraction, c.r[1]));
    const Reg green = Ops::joinBytes(
        channel<Ops>(first, firstFraction, c.g[0]), channel<Ops>(second, secondFraction, c.g[1]));
    const Reg blue = Ops::joinBytes(
        channel<Ops>(first, firstFraction, c.b[0]), channel<Ops>(second, secondFraction, c.b[1]));
    storeChannels<Ops, Planes, Picture>(out, at, picture, keep, red, green, blue);
}

template <class Ops, bool OwnChroma, bool Planes, bool Picture>
inline std::size_t convertRowsWith(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, const RowTargets &out, std::size_t width, std::size_t rows,
    const YuvCoefficients &colour)
{
    // In registers before the loop: loaded through `colour` they might be reloaded after
    // every byte store, which may alias them.
    const LaneFactors<Ops> f = laneFactors<Ops>(colour);
    const ChannelMasks<Ops> keep = channelMasks<Ops>(out.channels);
    // A copy that the byte stores cannot alias, so its pointers stay in registers.
    const RowTargets targets = out;
    std::uint32_t *const picture = out.picture;
    const std::size_t secondPicture = out.pictureStride;
    std::size_t x = 0;
    // The second row is written out, not looped over: looped, the targets were reloaded
    // through `out` on every row, and 3840 x 2160 frames took twice as long.
    for (; x + Ops::pixels <= width; x += Ops::pixels) {
        const ChromaRegs<Ops> chroma = OwnChroma ? ownChromaRegs<Ops>(u + x, v + x, f)
                                                 : chromaRegs<Ops>(u + x / 2, v + x / 2, f);
        convertPixels<Ops, Planes, Picture>(
            y, targets, x, Picture ? picture + x : nullptr, f.lumaFraction, chroma, keep);
        if (rows > 1)
            convertPixels<Ops, Planes, Picture>(y, targets, width + x,
                Picture ? picture + secondPicture + x : nullptr, f.lumaFraction, chroma, keep);
    }
    return x;
}

// The kernel for the targets that `out` has: the planes, the picture, or both.
template <class Ops, bool OwnChroma>
inline std::size_t convertRowsTo(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, const RowTargets &out, std::size_t width, std::size_t rows,
    const YuvCoefficients &colour)
{
    if (!out.r)
        return out.picture
            ? convertRowsWith<Ops, OwnChroma, false, true>(y, u, v, out, width, rows, colour)
            : 0;
    if (out.picture)
        return convertRowsWith<Ops, OwnChroma, true, true>(y, u, v, out, width, rows, colour);
    return convertRowsWith<Ops, OwnChroma, true, false>(y, u, v, out, width, rows, colour);
}

// Samples of more than 8 bits, in 16-bit words. The terms take 32-bit lanes at 12 bits
// (yuvcoefficients.h): cy times luma from the low and high halves of a 16-bit
// multiply, each chroma channel as one multiply-add of (U, V) word pairs with its pair
// of factors plus its offset, then shift, pack with signed saturation to words and
// with unsigned saturation to bytes, which is the clamp. A step's pixels split into two
// halves of Ops::pixels / 2 words, whichever pixels the instruction set puts in each;
// the 32-bit lanes of a half come from unpacking its low and high words, and packing
// the two back to words restores the half's order. Beside the operations above, Ops
// supplies 16- and 32-bit lane operations, and:
//   loadHalf(p, h): the words of half h from a row of Ops::pixels words at p;
//   chromaPairs(u, v, mask, pairs): the (U, V) pairs of Ops::pixels / 2 halved chroma
//     samples, each word cut to mask, pairs[h] those of half h's pixel pairs, in the order
//     of that half's low words;
//   keep(a, mask): the bits of a that mask keeps.
// A plane's word is the file's: only its low `depth` bits are the sample.
//   joinWords(first, second): the bytes of the two halves' words, in pixel order.

template <class Ops> struct WideLaneFactors
{
    using Reg = typename Ops::Reg;
    Reg luma; // 16-bit lanes
    Reg sampleBits; // 16-bit lanes: 2^depth - 1
    Reg red, green, blue; // (U, V) factor pairs
    Reg redOffset, greenOffset, blueOffset; // 32-bit lanes
};

template <class Ops>
inline WideLaneFactors<Ops> wideLaneFactors(int depth, const YuvCoefficients &colour)
{
    const yuvcoefficients::WideFactors f = yuvcoefficients::wideFactors(colour);
    const int scale = yuvcoefficients::wideScale(depth);
    return { Ops::splat(f.luma * scale), Ops::splat((1 << depth) - 1),
        Ops::factorPair(0, f.redFromV * scale),
        Ops::factorPair(f.greenFromU * scale, f.greenFromV * scale),
        Ops::factorPair(f.blueFromU * scale, 0), Ops::splat32(f.redOffset),
        Ops::splat32(f.greenOffset), Ops::splat32(f.blueOffset) };
}

// One channel's 32-bit terms for the pixels of half a step, in the lane order of widen.
template <class Ops> struct WideHalf
{
    typename Ops::Reg first;
    typename Ops::Reg second;
};

// Each channel's chroma terms for the two halves of a step.
template <class Ops> struct WideChromaTerms
{
    WideHalf<Ops> r[2], g[2], b[2];
};

template <class Ops>
inline typename Ops::Reg wideTerm(
    typename Ops::Reg pairs, typename Ops::Reg factors, typename Ops::Reg offset)
{
    return Ops::add32(Ops::madd(pairs, factors), offset);
}

// Halved chroma: term k serves pixels 2k and 2k + 1.
template <class Ops> inline WideHalf<Ops> doubled(typename Ops::Reg term)
{
    return { Ops::unpacklo32(term, term), Ops::unpackhi32(term, term) };
}

template <class Ops>
inline WideChromaTerms<Ops> wideChromaTerms(
    const std::uint16_t *u, const std::uint16_t *v, const WideLaneFactors<Ops> &f)
{
    typename Ops::Reg pairs[2];
    Ops::chromaPairs(u, v, f.sampleBits, pairs);
    WideChromaTerms<Ops> terms;
    for (int half = 0; half < 2; ++half) {
        terms.r[half] = doubled<Ops>(wideTerm<Ops>(pairs[half], f.red, f.redOffset));
        terms.g[half] = doubled<Ops>(wideTerm<Ops>(pairs[half], f.green, f.greenOffset));
        terms.b[half] = doubled<Ops>(wideTerm<Ops>(pairs[half], f.blue, f.blueOffset));
    }
    return terms;
}

// 4:4:4: each pixel its own chroma, whose pairs fall in the lane order of the luma.
template <class Ops>
inline WideChromaTerms<Ops> wideOwnChromaTerms(
    const std::uint16_t *u, const std::uint16_t *v, const WideLaneFactors<Ops> &f)
{
    using Reg = typename Ops::Reg;
    WideChromaTerms<Ops> terms;
    for (int half = 0; half < 2; ++half) {
        const Reg us = Ops::keep(Ops::loadHalf(u, half), f.sampleBits);
        const Reg vs = Ops::keep(Ops::loadHalf(v, half), f.sampleBits);
        const Reg first = Ops::unpacklo16(us, vs);
        const Reg second = Ops::unpackhi16(us, vs);
        terms.r[half] = { wideTerm<Ops>(first, f.red, f.redOffset),
            wideTerm<Ops>(second, f.red, f.redOffset) };
        terms.g[half] = { wideTerm<Ops>(first, f.green, f.greenOffset),
            wideTerm<Ops>(second, f.green, f.greenOffset) };
        terms.b[half] = { wideTerm<Ops>(first, f.blue, f.blueOffset),
            wideTerm<Ops>(second, f.blue, f.blueOffset) };
    }
    return terms;
}

template <class Ops>
inline typename Ops::Reg wideChannel(const WideHalf<Ops> &luma, const WideHalf<Ops> &chroma)
{
    return Ops::packs32(Ops::shiftDownWide(Ops::add32(luma.first, chroma.first)),
        Ops::shiftDownWide(Ops::add32(luma.second, chroma.second)));
}

// As convertPixels.
template <class Ops, bool Planes, bool Picture>
inline void convertWidePixels(const std::uint16_t *y, const RowTargets &out, std::size_t at,
    std::uint32_t *picture, const WideLaneFactors<Ops> &f, const WideChromaTerms<Ops> &c,
    const ChannelMasks<Ops> &keep)
{
    using Reg = typename Ops::Reg;
    WideHalf<Ops> luma[2];
    for (int half = 0; half < 2; ++half) {
        const Reg words = Ops::keep(Ops::loadHalf(y + at, half), f.sampleBits);
        const Reg low = Ops::mul(words, f.luma);
        const Reg high = Ops::mulhiUnsigned(words, f.luma);
        luma[half] = { Ops::unpacklo16(low, high), Ops::unpackhi16(low, high) };
    }
    const Reg red = Ops::joinWords(wideChannel(luma[0], c.r[0]), wideChannel(luma[1], c.r[1]));
    const Reg green = Ops::joinWords(wideChannel(luma[0], c.g[0]), wideChannel(luma[1], c.g[1]));
    const Reg blue = Ops::joinWords(wideChannel(luma[0], c.b[0]), wideChannel(luma[1], c.b[1]));
    storeChannels<Ops, Planes, Picture>(out, at, picture, keep, red, green, blue);
}

// Twice the bytes of 8-bit input arrive in four streams: asking for them a kilobyte
// ahead (16 lines) took 3840 x 2160 yuv420p10le from 2.55-2.94 ms to 2.30-2.71 ms in
// alternating runs. A prefetch never faults, so it may point past a plane's end.
inline void prefetchAhead(const std::uint16_t *words)
{
    constexpr std::size_t aheadWords = 512;
    __builtin_prefetch(words + aheadWords);
}

template <class Ops, bool OwnChroma, bool Planes, bool Picture>
inline std::size_t convertWideRowsWith(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour)
{
    const WideLaneFactors<Ops> f = wideLaneFactors<Ops>(depth, colour);
    const ChannelMasks<Ops> keep = channelMasks<Ops>(out.channels);
    const RowTargets targets = out;
    std::uint32_t *const picture = out.picture;
    const std::size_t secondPicture = out.pictureStride;
    std::size_t x = 0;
    // The second row written out, as in convertRowsWith.
    for (; x + Ops::pixels <= width; x += Ops::pixels) {
        prefetchAhead(y + x);
        if (rows > 1)
            prefetchAhead(y + width + x);
        prefetchAhead(u + (OwnChroma ? x : x / 2));
        prefetchAhead(v + (OwnChroma ? x : x / 2));
        const WideChromaTerms<Ops> chroma = OwnChroma
            ? wideOwnChromaTerms<Ops>(u + x, v + x, f)
            : wideChromaTerms<Ops>(u + x / 2, v + x / 2, f);
        convertWidePixels<Ops, Planes, Picture>(
            y, targets, x, Picture ? picture + x : nullptr, f, chroma, keep);
        if (rows > 1)
            convertWidePixels<Ops, Planes, Picture>(y, targets, width + x,
                Picture ? picture + secondPicture + x : nullptr, f, chroma, keep);
    }
    return x;
}

// As convertRowsTo.
template <class Ops, bool OwnChroma>
inline std::size_t convertWideRowsTo(const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, const RowTargets &out, std::size_t width, std::size_t rows, int depth,
    const YuvCoefficients &colour)
{
    if (!out.r)
        return out.picture ? convertWideRowsWith<Ops, OwnChroma, false, true>(
                   y, u, v, out, width, rows, depth, colour)
                           : 0;
    if (out.picture)
        return convertWideRowsWith<Ops, OwnChroma, true, true>(
            y, u, v, out, width, rows, depth, colour);
    return convertWideRowsWith<Ops, OwnChroma, true, false>(
        y, u, v, out, width, rows, depth, colour);
}

} // namespace
