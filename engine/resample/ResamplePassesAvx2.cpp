// The passes of ResampleKernels.h for processors with AVX2; this file alone
// is built with -mavx2, and is called only where the processor has it.
#include "resample/ResampleKernels.h"

namespace vorpane::avx2 {

void HorizontalPass(const std::uint8_t* const* Source, std::uint8_t* const* Dest,
                    const TPassGroups& Groups, THorizontalScratch& Scratch) {
    HorizontalKernel<TAvx2>(Source, Dest, Groups, Scratch);
}

void VerticalPass(const std::uint8_t* const* Source, std::int32_t Width, std::int32_t First,
                  std::int32_t Last, std::uint8_t* const* Dest, const TPassGroups& Groups) {
    VerticalKernel<TAvx2>(Source, Width, First, Last, Dest, Groups);
}

} // namespace vorpane::avx2
