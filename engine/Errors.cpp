#include "Errors.h"

#include <cstring>

namespace vorpane {

EJpegError::EJpegError(int code)
    : std::runtime_error("JPEG error #" + std::to_string(code)), code_(code) {}

std::string SystemErrorText(const std::string& path, int err) {
    return path + ": " + std::strerror(err);
}

} // namespace vorpane
