#include "Errors.h"

#include <cstring>
#include <utility>

namespace vorpane {

EJpegError::EJpegError(int code, std::string detail)
    : std::runtime_error("JPEG error #" + std::to_string(code)), code_(code),
      detail_(std::move(detail)) {}

void ThrowSizeError() {
    throw ERangeError("Error size!");
}

std::string ErrorMessage(const std::exception& Error) {
    std::string message = Error.what();
    if (const auto* jpeg = dynamic_cast<const EJpegError*>(&Error);
        jpeg != nullptr && !jpeg->Detail().empty()) {
        message += " (" + jpeg->Detail() + ")";
    }
    return message;
}

std::string SystemErrorText(const std::string& path, int err) {
    return path + ": " + std::strerror(err);
}

} // namespace vorpane
