// The kernels for the build's own target flags.
#include "imaging/scale_kernels_impl.h"

namespace imaging::detail {

const ScaleKernels& BaselineKernels() {
    static constexpr ScaleKernels kernels = MakeKernels();
    return kernels;
}

}  // namespace imaging::detail
