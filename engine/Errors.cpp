#include "Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include <jpeglib.h>

#include <jerror.h>

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

bool IsMachineErrno(int Errno) {
    switch (Errno) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO:
    case EMFILE:
    case ENFILE:
    case ENOMEM:
    case ENOBUFS:
    case EROFS:
        return true;
    default:
        return false;
    }
}

bool IsMachineFault(const std::exception& Error) {
    if (dynamic_cast<const std::bad_alloc*>(&Error) != nullptr ||
        dynamic_cast<const ENoMemoryError*>(&Error) != nullptr ||
        dynamic_cast<const EWriteError*>(&Error) != nullptr) {
        return true;
    }
    if (const auto* file = dynamic_cast<const EFileError*>(&Error)) {
        return IsMachineErrno(file->Errno());
    }
    if (const auto* jpeg = dynamic_cast<const EJpegError*>(&Error)) {
        return jpeg->Code() == JERR_OUT_OF_MEMORY;
    }
    return false;
}

std::string SystemErrorText(const std::string& path, int err) {
    return path + ": " + std::strerror(err);
}

EFileError FileError(const char* What, const std::string& Path, int Errno) {
    // Appended, not What + ...: GCC 12 at -O3 raises a false -Wrestrict
    // for a C string added to a temporary std::string.
    std::string message = What;
    message += ' ';
    message += SystemErrorText(Path, Errno);
    return EFileError(message, Errno);
}

EFileError CannotOpenFile(const std::string& Path, int Errno) {
    return FileError("Cannot open file", Path, Errno);
}

} // namespace vorpane
