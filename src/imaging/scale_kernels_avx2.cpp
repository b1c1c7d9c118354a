// The kernels for processors with AVX2; this file alone is compiled with -mavx2 and is only
// entered after the processor has been asked.
#include "imaging/scale_kernels_impl.h"

namespace imaging::detail {

const ScaleKernels& Avx2KernelTable() {
    static constexpr ScaleKernels kernels = MakeKernels();
    return kernels;
}

}  // namespace imaging::detail
