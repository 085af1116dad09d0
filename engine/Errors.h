// The engine's error types. Everything that can go wrong while loading,
// decoding, encoding or writing is raised as one of these; the conversion run
// turns the errors of its writing phase into result codes.
#pragma once

#include <stdexcept>
#include <string>

namespace vorpane {

// A file could not be created, opened, read, written, renamed or flushed.
// The message names the path and the system's reason; Errno, when known,
// is that reason as an errno value (0 otherwise).
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const std::string& Message, int Errno = 0)
        : std::runtime_error(Message), errno_(Errno) {}
    int Errno() const { return errno_; }

private:
    int errno_;
};

// A file of our own (a prepared picture) could not be created or written:
// the machine's fault, whatever the system's reason, never the input's.
class EWriteError : public EFileError {
public:
    using EFileError::EFileError;
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

// A picture larger than the decoder takes: beyond the pixel limit or the
// memory budget of one decode.
class ETooLargeError : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// No memory for a picture or a page whose size is within every limit.
class ENoMemoryError : public EPictureError {
public:
    using EPictureError::EPictureError;
};

// A stop asked for while a picture was being decoded ended the decoding.
class EStoppedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether an errno value tells of the machine rather than of the file it
// came with: no space, no memory, too many open files, an I/O error.
bool IsMachineErrno(int Errno);

// Whether an error is the machine's fault rather than the input's: no
// memory (std::bad_alloc, ENoMemoryError, libjpeg out of memory), a file
// of our own not written (EWriteError), or a file error whose reason is
// the machine's (IsMachineErrno). A run never skips a file for it.
bool IsMachineFault(const std::exception& Error);

// "<path>: <strerror(err)>", the text every file error carries.
std::string SystemErrorText(const std::string& path, int err);

// "<What> <Path>: <strerror(Errno)>" as an EFileError that keeps Errno, so
// that IsMachineFault tells a full disk or too many open files from a
// fault of the file. What names the act: "Cannot write file", "Cannot use
// folder".
EFileError FileError(const char* What, const std::string& Path, int Errno);

// "Cannot open file <Path>: <reason>": a file that can't be opened.
EFileError CannotOpenFile(const std::string& Path, int Errno);

// An error's message for a person: what() and, for an EJpegError, libjpeg's
// sentence in brackets, since the number alone tells nobody anything.
std::string ErrorMessage(const std::exception& Error);

} // namespace vorpane
