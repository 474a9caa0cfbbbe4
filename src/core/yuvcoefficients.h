#pragma once

#include "frameformat.h"

#include <cstddef>

// YUV to RGB in 8-bit fixed point (scale 256), one formula for every matrix and range:
//   R = (cy C + crv E + 128) >> 8
//   G = (cy C - cgu D - cgv E + 128) >> 8
//   B = (cy C + cbu D + 128) >> 8
// clamped to 0..255, with C = Y - black (16 in limited range, 0 in full), D = U - 128 and
// E = V - 128. Each factor is the real coefficient times 256, rounded to nearest: with the
// standard's Kr and Kb, Kg = 1 - Kr - Kb and k = 255/224 in limited range, 1 in full,
//   cy = 256 * 255/219 (limited) or 256 (full)
//   crv = 256 * 2(1 - Kr) k              cbu = 256 * 2(1 - Kb) k
//   cgu = 256 * 2Kb(1 - Kb)/Kg k         cgv = 256 * 2Kr(1 - Kr)/Kg k
struct YuvCoefficients
{
    int luma; // cy
    int redFromV; // crv
    int greenFromU; // cgu, subtracted
    int greenFromV; // cgv, subtracted
    int blueFromU; // cbu
    int black; // luma's black at 8 bits
};

namespace yuvcoefficients {

// Limited range's black and chroma's zero at 8 bits.
constexpr int lumaBlack = 16;
constexpr int chromaZero = 128;
constexpr int scaleShift = 8;
constexpr int rounding = 1 << (scaleShift - 1);

// By ColourMatrix, then ColourRange. Kr, Kb: BT.601 0.299, 0.114; BT.709 0.2126, 0.0722;
// BT.2020 (non-constant luminance) 0.2627, 0.0593.
inline constexpr YuvCoefficients table[3][2] = {
    { { 298, 409, 100, 208, 516, lumaBlack }, { 256, 359, 88, 183, 454, 0 } },
    { { 298, 459, 55, 136, 541, lumaBlack }, { 256, 403, 48, 120, 475, 0 } },
    { { 298, 430, 48, 167, 548, lumaBlack }, { 256, 377, 42, 146, 482, 0 } },
};

} // namespace yuvcoefficients

// The row of a matrix and range; BT.601 limited for a value that names neither.
constexpr const YuvCoefficients &yuvCoefficients(ColourMatrix matrix, ColourRange range)
{
    const auto m = static_cast<std::size_t>(matrix);
    const auto r = static_cast<std::size_t>(range);
    return yuvcoefficients::table[m < 3 ? m : 0][r < 2 ? r : 0];
}

// What a format means unless it says otherwise.
inline constexpr const YuvCoefficients &bt601Limited
    = yuvCoefficients(ColourMatrix::Bt601, ColourRange::Limited);

namespace yuvcoefficients {

// The 8-bit rows compute in signed 16-bit lanes, where the terms above would overflow.
// So each factor f is split into whole multiples of 256 and a fraction, f = 256w + x, and
// since floor((256k + x) / 256) is k + floor(x / 256), with luma taken as Y itself:
//   R = Y + 2E - black + ((lY + xr E + o) >> 8)
//   G = Y -  E - black + ((lY + xgu D + xgv E + o) >> 8)
//   B = Y + 2D - black + ((lY + xb D + o) >> 8)
// where l = cy - 256 (42 or 0), o = 128 - l black, and the wholes (2, 0 and -1, 2) are
// the same for every row, so they stay adds; the fractions are xr = crv - 512,
// xgu = -cgu, xgv = 256 - cgv, xb = cbu - 512. BT.601 limited: 42, -103, -100, 48, 4.
// Adds wrap in 16 bits, so only each inner sum, which the shift takes, must fit: the
// checks below bound it over Y in 0..255 and D, E in -128..127 for every row (BT.709
// limited's green reaches 32,446). Each outer sum lies in [-400, 700]; packing to bytes
// with saturation is the clamp.
constexpr int redWhole = 2;
constexpr int greenWholeU = 0;
constexpr int greenWholeV = -1;
constexpr int blueWhole = 2;

// One row's 8-bit constants, as above, with green's and blue's signs applied.
struct EightBitFactors
{
    int lumaFraction;
    int black;
    int fractionOffset;
    int redFraction;
    int greenFractionU;
    int greenFractionV;
    int blueFraction;
};

constexpr EightBitFactors eightBitFactors(const YuvCoefficients &c)
{
    const int lumaFraction = c.luma - 256;
    return { lumaFraction, c.black, rounding - lumaFraction * c.black, c.redFromV - 256 * redWhole,
        -c.greenFromU - 256 * greenWholeU, -c.greenFromV - 256 * greenWholeV,
        c.blueFromU - 256 * blueWhole };
}

// The largest and the smallest of l Y + a D + b E + o over the samples' ranges.
constexpr int termBound(int extreme, int factor)
{
    const int atLow = factor * -chromaZero;
    const int atHigh = factor * (chromaZero - 1);
    return extreme > 0 ? (atLow > atHigh ? atLow : atHigh) : (atLow < atHigh ? atLow : atHigh);
}
constexpr int innerBound(int extreme, const EightBitFactors &f, int a, int b)
{
    const int luma = extreme > 0 ? f.lumaFraction * 255 : 0;
    return luma + termBound(extreme, a) + termBound(extreme, b) + f.fractionOffset;
}
constexpr bool fitsSixteenBits(const EightBitFactors &f, int a, int b)
{
    return innerBound(1, f, a, b) <= 32767 && innerBound(-1, f, a, b) >= -32768;
}
constexpr bool eightBitFits(const YuvCoefficients &c)
{
    const EightBitFactors f = eightBitFactors(c);
    return f.lumaFraction >= 0 && fitsSixteenBits(f, 0, f.redFraction)
        && fitsSixteenBits(f, f.greenFractionU, f.greenFractionV)
        && fitsSixteenBits(f, f.blueFraction, 0);
}
constexpr bool allRowsFitSixteenBits()
{
    for (const auto &matrix : table) {
        for (const YuvCoefficients &row : matrix) {
            if (!eightBitFits(row))
                return false;
        }
    }
    return true;
}
static_assert(allRowsFitSixteenBits());
static_assert(innerBound(1, eightBitFactors(table[1][0]), -55, 120) == 32446);
static_assert(eightBitFactors(bt601Limited).redFraction == -103
    && eightBitFactors(bt601Limited).fractionOffset == 128 - 42 * 16);

// Samples of b > 8 bits take the same factors with black at black * 2^s, chroma's zero at
// 128 * 2^s (s = b - 8) and the shift widened to b:
//   R = (cy C + crv E + 2^(b-1)) >> b, and so on.
// Every depth is evaluated at 12 bits: b-bit samples times 2^(12-b) are 12-bit samples,
// and the formula on them multiplies numerator and divisor alike by 2^(12-b), which
// leaves the floor unchanged. So the factors are scaled by 2^(12-b), the shift is 12,
// and black, chroma's zero and the rounding sit in one 32-bit offset per channel that
// does not depend on b. The terms need 32 bits (298 * 3839 alone exceeds 16), and the
// factors times 4 at 10 bits still fit signed 16-bit lanes for the multiplies.
constexpr int wideShift = 12;
constexpr int wideChromaZero = chromaZero << (wideShift - 8);

// How far the factors of depth b are scaled up: 1 at 12 bits, 4 at 10.
constexpr int wideScale(int depth)
{
    return 1 << (wideShift - depth);
}

// One row's factors at 12 bits, green's negative, and each channel's offset: the
// rounding, black's luma term and chroma's zero in its chroma terms.
struct WideFactors
{
    int luma;
    int redFromV;
    int greenFromU;
    int greenFromV;
    int blueFromU;
    int redOffset;
    int greenOffset;
    int blueOffset;
};

constexpr WideFactors wideFactors(const YuvCoefficients &c)
{
    const int base = (1 << (wideShift - 1)) - c.luma * (c.black << (wideShift - 8));
    return { c.luma, c.redFromV, -c.greenFromU, -c.greenFromV, c.blueFromU,
        base - c.redFromV * wideChromaZero, base + (c.greenFromU + c.greenFromV) * wideChromaZero,
        base - c.blueFromU * wideChromaZero };
}

constexpr bool allRowsFitWideLanes()
{
    for (const auto &matrix : table) {
        for (const YuvCoefficients &row : matrix) {
            for (const int factor :
                { row.luma, row.redFromV, row.greenFromU, row.greenFromV, row.blueFromU }) {
                if (factor * wideScale(10) >= 32768)
                    return false;
            }
        }
    }
    return true;
}
static_assert(allRowsFitWideLanes());
static_assert(wideFactors(bt601Limited).redOffset == -911872
    && wideFactors(bt601Limited).greenOffset == 556544
    && wideFactors(bt601Limited).blueOffset == -1131008);

} // namespace yuvcoefficients

// The arithmetic on those terms, written once over a set of lane operations (Ops: a
// scalar 16-bit lane, or a vector register of them), so the scalar and the vector rows
// evaluate the same expressions. Internal linkage, as each instruction set compiles
// its own copy.
namespace {

// One row's 8-bit constants in lanes, made once before a row's loop.
template <class Ops> struct LaneFactors
{
    using Reg = typename Ops::Reg;
    Reg lumaFraction, chromaZero, black, negativeBlack, offset;
    Reg redFraction, greenFractionU, greenFractionV, blueFraction;
};

template <class Ops> inline LaneFactors<Ops> laneFactors(const YuvCoefficients &colour)
{
    const yuvcoefficients::EightBitFactors f = yuvcoefficients::eightBitFactors(colour);
    return { Ops::splat(f.lumaFraction), Ops::splat(yuvcoefficients::chromaZero),
        Ops::splat(f.black), Ops::splat(-f.black), Ops::splat(f.fractionOffset),
        Ops::splat(f.redFraction), Ops::splat(f.greenFractionU), Ops::splat(f.greenFractionV),
        Ops::splat(f.blueFraction) };
}

// One channel's terms from one chroma pair: the channel is
// Y + whole + ((lY + fraction) >> 8).
template <class Ops> struct ChannelTerms
{
    typename Ops::Reg whole;
    typename Ops::Reg fraction;
};

template <class Ops> struct ChromaTerms
{
    ChannelTerms<Ops> r, g, b;
};

// u and v: chroma samples, widened to lanes. The wholes (2, -1 and 2) as adds, which are
// cheaper than multiplies.
template <class Ops>
inline ChromaTerms<Ops> chromaTerms(
    typename Ops::Reg u, typename Ops::Reg v, const LaneFactors<Ops> &f)
{
    using Reg = typename Ops::Reg;
    const Reg d = Ops::sub(u, f.chromaZero);
    const Reg e = Ops::sub(v, f.chromaZero);
    return { { Ops::sub(Ops::add(e, e), f.black), Ops::add(Ops::mul(e, f.redFraction), f.offset) },
        { Ops::sub(f.negativeBlack, e),
            Ops::add(
                Ops::add(Ops::mul(d, f.greenFractionU), Ops::mul(e, f.greenFractionV)), f.offset) },
        { Ops::sub(Ops::add(d, d), f.black), Ops::add(Ops::mul(d, f.blueFraction), f.offset) } };
}

// lumaFraction is l times luma, computed once for the three channels.
template <class Ops>
inline typename Ops::Reg channel(
    typename Ops::Reg luma, typename Ops::Reg lumaFraction, ChannelTerms<Ops> t)
{
    return Ops::add(Ops::add(luma, t.whole), Ops::shiftDown8(Ops::add(lumaFraction, t.fraction)));
}

} // namespace
