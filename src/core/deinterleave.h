#pragma once

#include <cstddef>
#include <cstdint>

// Splitting interleaved file bytes into planes, on the way from the file to the window.
// Both take any byte count, so a chunk cut short by the end of the file places each
// byte that arrived and nothing past it.

// Byte 2i to first[i], byte 2i + 1 to second[i]: the U,V (or V,U) pairs of nv12, nv21
// and nv16.
void splitPairs(
    const std::uint8_t *bytes, std::size_t count, std::uint8_t *first, std::uint8_t *second);

// Packed 4:2:2, four bytes per pixel pair: lumaFirst for Y0 C0 Y1 C1 (YUYV, YVYU),
// otherwise C0 Y0 C1 Y1 (UYVY). Group i gives y[2i] and y[2i + 1], C0 to first[i] and
// C1 to second[i].
void splitPacked(const std::uint8_t *bytes, std::size_t count, bool lumaFirst, std::uint8_t *y,
    std::uint8_t *first, std::uint8_t *second);

// The 16-bit words of deeper layouts, little-endian in the file, into words in host order
// shifted down by `shift`, so that the sample sits in the low bits, where every stage
// takes it (p010 keeps its 10 bits at the top). Word i goes to out[i], which may be where
// it came from (out == bytes); a last odd byte, half a word, is left out.
void placeWords(const std::uint8_t *bytes, std::size_t count, unsigned shift, std::uint16_t *out);

// As placeWords, word 2i to first[i] and word 2i + 1 to second[i]: p010's U,V pairs.
void splitWordPairs(const std::uint8_t *bytes, std::size_t count, unsigned shift,
    std::uint16_t *first, std::uint16_t *second);

#if defined(ZENTAVO_X86_KERNELS)
// The AVX2 loops behind them, only to be called where the processor has AVX2: whole
// steps of 64 bytes (pairs) or 128 bytes (packed) from the start; each returns the bytes
// it split.
std::size_t splitPairsAvx2(
    const std::uint8_t *bytes, std::size_t count, std::uint8_t *first, std::uint8_t *second);
std::size_t splitPackedAvx2(const std::uint8_t *bytes, std::size_t count, bool lumaFirst,
    std::uint8_t *y, std::uint8_t *first, std::uint8_t *second);
#endif
