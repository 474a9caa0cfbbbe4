#pragma once

#include <cstddef>
#include <cstdint>

// The vector kernel, written once over a set of register operations (Ops) that
// the SSE2 and AVX2 sources supply. Internal linkage on purpose: each source
// compiles it for its own instruction set, and the linker must never merge an
// AVX2 copy into the SSE2 path. Written out rather than left to the
// auto-vectoriser, which clamps with min, max and a mask before packing and
// shuffles across lanes: here the saturating pack is the clamp and every unpack
// stays within its lane, which is markedly faster.
//
// Every intermediate fits a signed 16-bit lane, so the formula's results come
// out unchanged. Its 32-bit terms are split as 298 = 256 + 42, 409 = 256 + 153,
// -208 = -256 + 48 and 516 = 512 + 4; since floor((256k + x) / 256) is
// k + floor(x / 256), with C = Y - 16, D = U - 128, E = V - 128:
//   R = C + E  + ((42C + 153E + 128) >> 8)          inner sum in [-20128, 29597]
//   G = C - E  + ((42C - 100D + 48E + 128) >> 8)    inner sum in [-19388, 29062]
//   B = C + 2D + ((42C + 4D + 128) >> 8)            inner sum in [-1056, 10674]
// and each outer sum lies in [-400, 600]; the saturating pack to bytes is the clamp.
namespace {

// A channel is Y + whole + ((42Y + fraction) >> 8): the -16 of C and the -42 * 16
// of 42C are folded into the per-chroma whole and fraction.
template <class Ops> struct ChannelTerms
{
    typename Ops::Reg whole;
    typename Ops::Reg fraction;
};

template <class Ops>
inline typename Ops::Reg channel(
    typename Ops::Reg luma, typename Ops::Reg luma42, ChannelTerms<Ops> t)
{
    return Ops::add(Ops::add(luma, t.whole), Ops::shiftDown8(Ops::add(luma42, t.fraction)));
}

// Terms of Ops::pixels / 2 chroma pairs, arranged for the two word registers
// that Ops::lumaFirst and Ops::lumaSecond make of one luma register.
template <class Ops> struct ChromaRegs
{
    ChannelTerms<Ops> r[2], g[2], b[2];
};

template <class Ops>
inline ChannelTerms<Ops> spread(typename Ops::Reg whole, typename Ops::Reg fraction, int half)
{
    if (half == 0)
        return { Ops::chromaForFirst(whole), Ops::chromaForFirst(fraction) };
    return { Ops::chromaForSecond(whole), Ops::chromaForSecond(fraction) };
}

template <class Ops> inline ChromaRegs<Ops> chromaRegs(const std::uint8_t *u, const std::uint8_t *v)
{
    using Reg = typename Ops::Reg;
    const Reg d = Ops::sub(Ops::loadChroma(u), Ops::splat(128));
    const Reg e = Ops::sub(Ops::loadChroma(v), Ops::splat(128));
    const Reg luma42Offset = Ops::splat(128 - 42 * 16);
    const Reg rWhole = Ops::sub(e, Ops::splat(16));
    const Reg rFraction = Ops::add(Ops::mul(e, Ops::splat(153)), luma42Offset);
    const Reg gWhole = Ops::sub(Ops::splat(-16), e);
    const Reg gFraction = Ops::add(
        Ops::add(Ops::mul(d, Ops::splat(-100)), Ops::mul(e, Ops::splat(48))), luma42Offset);
    const Reg bWhole = Ops::sub(Ops::add(d, d), Ops::splat(16));
    const Reg bFraction = Ops::add(Ops::mul(d, Ops::splat(4)), luma42Offset);
    ChromaRegs<Ops> regs;
    for (int half = 0; half < 2; ++half) {
        regs.r[half] = spread<Ops>(rWhole, rFraction, half);
        regs.g[half] = spread<Ops>(gWhole, gFraction, half);
        regs.b[half] = spread<Ops>(bWhole, bFraction, half);
    }
    return regs;
}

// GCC turns a multiply by a known 42 into three shifts and two adds; in this
// loop one multiply instruction is cheaper, so the constant is hidden from it.
template <class Reg> inline Reg opaque(Reg value)
{
    __asm__("" : "+x"(value));
    return value;
}

template <class Ops>
inline void convertPixels(const std::uint8_t *y, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b,
    typename Ops::Reg k42, const ChromaRegs<Ops> &c)
{
    using Reg = typename Ops::Reg;
    const Reg luma = Ops::loadLuma(y);
    const Reg first = Ops::lumaFirst(luma);
    const Reg second = Ops::lumaSecond(luma);
    const Reg first42 = Ops::mul(first, k42);
    const Reg second42 = Ops::mul(second, k42);
    Ops::store(r,
        Ops::joinBytes(
            channel<Ops>(first, first42, c.r[0]), channel<Ops>(second, second42, c.r[1])));
    Ops::store(g,
        Ops::joinBytes(
            channel<Ops>(first, first42, c.g[0]), channel<Ops>(second, second42, c.g[1])));
    Ops::store(b,
        Ops::joinBytes(
            channel<Ops>(first, first42, c.b[0]), channel<Ops>(second, second42, c.b[1])));
}

template <class Ops>
inline std::size_t convertRowsWith(const std::uint8_t *y, const std::uint8_t *u,
    const std::uint8_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, std::size_t width,
    std::size_t rows)
{
    const typename Ops::Reg k42 = opaque(Ops::splat(42));
    std::size_t x = 0;
    for (; x + Ops::pixels <= width; x += Ops::pixels) {
        const ChromaRegs<Ops> chroma = chromaRegs<Ops>(u + x / 2, v + x / 2);
        for (std::size_t row = 0; row < rows; ++row) {
            const std::size_t at = row * width + x;
            convertPixels<Ops>(y + at, r + at, g + at, b + at, k42, chroma);
        }
    }
    return x;
}

} // namespace
