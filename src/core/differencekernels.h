#pragma once

#include "frame.h"
#include "picturerows.h"

// renderDifference by the code of one instruction set, each checked by the tests on its
// own: the baseline of the build (SSE2 on every x86-64 processor), and AVX2, only to be
// called where the processor has it. renderDifference picks the best that runs.
using DifferenceRenderer = bool (*)(int view, const Frame &a, const Frame &b, PictureRows picture);

bool renderDifferenceBaseline(int view, const Frame &a, const Frame &b, PictureRows picture);
#if defined(ZENTAVO_X86_KERNELS)
bool renderDifferenceAvx2(int view, const Frame &a, const Frame &b, PictureRows picture);
#endif
