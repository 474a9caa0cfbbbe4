#pragma once

#include <cstddef>
#include <cstdint>

// Sums of squared differences of two runs of samples, the arithmetic under every PSNR:
// sum over i < count of (a[i] - b[i])^2, exact in 64 bits for any count a frame has.

// Bytes.
using ByteSquaredError
    = std::uint64_t (*)(const std::uint8_t *a, const std::uint8_t *b, std::size_t count);
// 16-bit words, each taken by its low `depth` bits (9 to 12), the bits above ignored.
using WordSquaredError = std::uint64_t (*)(
    const std::uint16_t *a, const std::uint16_t *b, std::size_t count, int depth);

struct SquaredErrorKernels
{
    ByteSquaredError bytes;
    WordSquaredError words;
};

// One sample at a time; any processor.
SquaredErrorKernels portableSquaredErrorKernels();

#if defined(ZENTAVO_X86_KERNELS)
SquaredErrorKernels sse2SquaredErrorKernels();
// Only to be called where the processor has AVX2.
SquaredErrorKernels avx2SquaredErrorKernels();
#endif

// The fastest kernels this processor runs.
SquaredErrorKernels bestSquaredErrorKernels();
