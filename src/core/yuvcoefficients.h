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

// Samples of b > 8 bits take the same factors with black at 16 * 2^s, chroma's zero at
// 128 * 2^s (s = b - 8) and the shift widened to b:
//   R = (298C + 409E + 2^(b-1)) >> b, and so on.
// Every depth is evaluated at 12 bits: b-bit samples times 2^(12-b) are 12-bit samples,
// and the formula on them multiplies numerator and divisor alike by 2^(12-b), which
// leaves the floor unchanged. So the factors are scaled by 2^(12-b), the shift is 12,
// and black, chroma's zero and the rounding sit in one 32-bit offset per channel that
// does not depend on b. The terms need 32 bits (298 * 3839 alone exceeds 16), and the
// factors times 4 at 10 bits still fit signed 16-bit lanes for the multiplies.
constexpr int wideShift = 12;
constexpr int wideBlack = lumaBlack << (wideShift - 8);
constexpr int wideChromaZero = chromaZero << (wideShift - 8);

// How far the factors of depth b are scaled up: 1 at 12 bits, 4 at 10.
constexpr int wideScale(int depth)
{
    return 1 << (wideShift - depth);
}

// A channel's offset: the rounding, black's luma term and chroma's zero in its chroma
// terms, all at 12 bits.
constexpr int wideOffset(int fromU, int fromV)
{
    return (1 << (wideShift - 1)) - lumaFactor * wideBlack - (fromU + fromV) * wideChromaZero;
}
constexpr int wideRedOffset = wideOffset(0, redFromV);
constexpr int wideGreenOffset = wideOffset(greenFromU, greenFromV);
constexpr int wideBlueOffset = wideOffset(blueFromU, 0);

static_assert(wideRedOffset == -911872 && wideGreenOffset == 556544 && wideBlueOffset == -1131008
    && blueFromU * wideScale(10) < 32768);

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
