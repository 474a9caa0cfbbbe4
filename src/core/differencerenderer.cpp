#include "differencerenderer.h"

#include "differencekernels.h"
#include "differencerows.h"
#include "processorfeatures.h"

bool renderDifferenceBaseline(int view, const Frame &a, const Frame &b, PictureRows picture)
{
    return drawDifference(view, a, b, picture);
}

bool renderDifference(int view, const Frame &a, const Frame &b, PictureRows picture)
{
#if defined(ZENTAVO_X86_KERNELS)
    if (processorHasAvx2())
        return renderDifferenceAvx2(view, a, b, picture);
#endif
    return renderDifferenceBaseline(view, a, b, picture);
}
