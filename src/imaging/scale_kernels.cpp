#include "imaging/scale_kernels.h"

namespace imaging::detail {

#if LARKSPAN_AVX2_KERNELS
const ScaleKernels& Avx2KernelTable();
#endif

namespace {
const ScaleKernels* g_chosen = nullptr;
}  // namespace

const ScaleKernels* Avx2Kernels() {
#if LARKSPAN_AVX2_KERNELS
    static const bool available = __builtin_cpu_supports("avx2");
    return available ? &Avx2KernelTable() : nullptr;
#else
    return nullptr;
#endif
}

const ScaleKernels& ActiveKernels() {
    if (g_chosen != nullptr) {
        return *g_chosen;
    }
    static const ScaleKernels& best = Avx2Kernels() != nullptr ? *Avx2Kernels() : BaselineKernels();
    return best;
}

ScopedKernelChoice::ScopedKernelChoice(const ScaleKernels& kernels) : previous_(g_chosen) {
    g_chosen = &kernels;
}

ScopedKernelChoice::~ScopedKernelChoice() {
    g_chosen = previous_;
}

}  // namespace imaging::detail
