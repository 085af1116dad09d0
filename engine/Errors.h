// The engine's error types. Everything that can go wrong while loading,
// decoding, encoding or writing is raised as one of these; the conversion run
// turns the errors of its writing phase into result codes.
#pragma once

#include <stdexcept>
#include <string>

namespace vorpane {

// A file could not be created, opened, read, written, renamed or flushed.
// The message names the path and the system's reason.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// libjpeg refused the data: "JPEG error #<libjpeg message number>". Detail
// is libjpeg's own sentence for it ("Unsupported JPEG data precision 12"),
// for callers that can show more than the number.
class EJpegError : public std::runtime_error {
public:
    explicit EJpegError(int code, std::string detail = {});
    int Code() const { return code_; }
    const std::string& Detail() const { return detail_; }

private:
    int code_;
    std::string detail_;
};

// A size outside what the resampler accepts ("Error size!").
class ERangeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raises the resampler's ERangeError "Error size!".
[[noreturn]] void ThrowSizeError();

// A picture that cannot be loaded: unknown extension, unsupported format,
// too large to decode safely.
class EPictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "<path>: <strerror(err)>", the text every file error carries.
std::string SystemErrorText(const std::string& path, int err);

// An error's message for a person: what() and, for an EJpegError, libjpeg's
// sentence in brackets, since the number alone tells nobody anything.
std::string ErrorMessage(const std::exception& Error);

} // namespace vorpane
