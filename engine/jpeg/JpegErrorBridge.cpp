#include "jpeg/JpegErrorBridge.h"

#include <cstddef>
#include <type_traits>

namespace vorpane {

TJpegErrorBridge::TJpegErrorBridge() {
    jpeg_std_error(&manager_);
    manager_.error_exit = &ExitByJump;
    manager_.output_message = &Silent;
}

void TJpegErrorBridge::ExitByJump(j_common_ptr info) {
    static_assert(std::is_standard_layout_v<TJpegErrorBridge> &&
                  offsetof(TJpegErrorBridge, manager_) == 0);
    auto* bridge = reinterpret_cast<TJpegErrorBridge*>(info->err);
    (*info->err->format_message)(info, bridge->text_);
    std::longjmp(bridge->jump_, 1);
}

void TJpegErrorBridge::Silent(j_common_ptr) {}

} // namespace vorpane
