#pragma once

// BT.601 studio-range YUV to RGB in 8-bit fixed point (scale 256), bit-exact with
//   R = (298C + 409E + 128) >> 8
//   G = (298C - 100D - 208E + 128) >> 8
//   B = (298C + 516D + 128) >> 8
// clamped to 0..255, with C = Y - 16, D = U - 128, E = V - 128. Each factor is the real
// coefficient times 256, rounded: 1.164 (luma), 1.596 (V to R), 0.392 (U to G),
// 0.813 (V to G), 2.017 (U to B).
namespace yuvcoefficients {

constexpr int lumaBlack = 16;
constexpr int chromaZero = 128;
constexpr int scaleShift = 8;
constexpr int rounding = 1 << (scaleShift - 1);

constexpr int lumaFactor = 298;
constexpr int redFromV = 409;
constexpr int greenFromU = -100;
constexpr int greenFromV = -208;
constexpr int blueFromU = 516;

// The rows compute in signed 16-bit lanes, where the 32-bit terms above would overflow.
// So each factor is split into whole multiples of 256 and a remainder:
// 298 = 256 + 42, 409 = 256 + 153, -208 = -256 + 48 and 516 = 512 + 4. Since
// floor((256k + x) / 256) is k + floor(x / 256):
//   R = C + E  + ((42C + 153E + 128) >> 8)          inner sum in [-20128, 29597]
//   G = C - E  + ((42C - 100D + 48E + 128) >> 8)    inner sum in [-19388, 29062]
//   B = C + 2D + ((42C + 4D + 128) >> 8)            inner sum in [-1056, 10674]
// and each outer sum lies in [-400, 600]; packing to bytes with saturation is the clamp.
constexpr int lumaFraction = lumaFactor - 256;
constexpr int redFraction = redFromV - 256;
constexpr int greenFractionU = greenFromU;
constexpr int greenFractionV = greenFromV + 256;
constexpr int blueFraction = blueFromU - 512;
constexpr int blueWholeU = (blueFromU - blueFraction) / 256;

// A channel is then Y + whole + ((42Y + fraction) >> 8) with luma taken as Y itself:
// the -16 of C goes into each whole term, and the -42 * 16 of 42C, with the rounding,
// into each fraction term.
constexpr int fractionOffset = rounding - lumaFraction * lumaBlack;

static_assert(lumaFraction == 42 && redFraction == 153 && greenFractionV == 48 && blueFraction == 4
    && blueWholeU == 2 && fractionOffset == 128 - 42 * 16);

} // namespace yuvcoefficients

// The arithmetic on those terms, written once over a set of lane operations (Ops: a
// scalar 16-bit lane, or a vector register of them), so the scalar and the vector rows
// evaluate the same expressions. Internal linkage, as each instruction set compiles
// its own copy.
namespace {

// One channel's terms from one chroma pair: the channel is
// Y + whole + ((42Y + fraction) >> 8).
template <class Ops> struct ChannelTerms
{
    typename Ops::Reg whole;
    typename Ops::Reg fraction;
};

template <class Ops> struct ChromaTerms
{
    ChannelTerms<Ops> r, g, b;
};

// u and v: chroma samples, widened to lanes.
template <class Ops> inline ChromaTerms<Ops> chromaTerms(typename Ops::Reg u, typename Ops::Reg v)
{
    using namespace yuvcoefficients;
    using Reg = typename Ops::Reg;
    const Reg d = Ops::sub(u, Ops::splat(chromaZero));
    const Reg e = Ops::sub(v, Ops::splat(chromaZero));
    const Reg offset = Ops::splat(fractionOffset);
    const Reg black = Ops::splat(lumaBlack);
    return { { Ops::sub(e, black), Ops::add(Ops::mul(e, Ops::splat(redFraction)), offset) },
        { Ops::sub(Ops::splat(-lumaBlack), e),
            Ops::add(Ops::add(Ops::mul(d, Ops::splat(greenFractionU)),
                         Ops::mul(e, Ops::splat(greenFractionV))),
                offset) },
        // 2D as D + D (blueWholeU is 2): an add is cheaper than a multiply.
        { Ops::sub(Ops::add(d, d), black),
            Ops::add(Ops::mul(d, Ops::splat(blueFraction)), offset) } };
}

// luma42 is 42 times luma, computed once for the three channels.
template <class Ops>
inline typename Ops::Reg channel(
    typename Ops::Reg luma, typename Ops::Reg luma42, ChannelTerms<Ops> t)
{
    return Ops::add(Ops::add(luma, t.whole), Ops::shiftDown8(Ops::add(luma42, t.fraction)));
}

} // namespace
