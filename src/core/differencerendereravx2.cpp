#include "differencekernels.h"
#include "differencerows.h"

// This source alone is compiled with -mavx2; it runs only where the CPU has AVX2.
bool renderDifferenceAvx2(int view, const Frame &a, const Frame &b, PictureRows picture)
{
    return drawDifference(view, a, b, picture);
}
