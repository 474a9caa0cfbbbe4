#include "processorfeatures.h"

bool processorHasAvx2()
{
#if defined(ZENTAVO_X86_KERNELS)
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2;
#else
    return false;
#endif
}
