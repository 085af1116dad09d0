#include "jpeg/JpegErrorBridge.h"

#include <cstddef>
#include <type_traits>

#include <jerror.h>

namespace vorpane {

TJpegErrorBridge::TJpegErrorBridge() {
    jpeg_std_error(&manager_);
    manager_.error_exit = &ExitByJump;
    manager_.output_message = &Silent;
    manager_.emit_message = &Emit;
}

// Level -1 is a warning; the others are trace messages, of no interest.
void TJpegErrorBridge::Emit(j_common_ptr info, int level) {
    if (level >= 0) {
        return;
    }
    auto* bridge = reinterpret_cast<TJpegErrorBridge*>(info->err);
    ++bridge->manager_.num_warnings;
    switch (bridge->manager_.msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        if (bridge->dataWarning_ == 0) {
            bridge->dataWarning_ = bridge->manager_.msg_code;
        }
        break;
    default:
        break;
    }
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
