#include "Errors.h"

#include <cstring>
#include <utility>

namespace vorpane {

EJpegError::EJpegError(int code, std::string detail)
    : std::runtime_error("JPEG error #" + std::to_string(code)), code_(code),
      detail_(std::move(detail)) {}

std::string SystemErrorText(const std::string& path, int err) {
    return path + ": " + std::strerror(err);
}

} // namespace vorpane
