#include "io/FileOutputStream.h"

#include "Errors.h"
#include "FileHandle.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vorpane {

namespace {
// Large enough that the text rows of a page cost one system call, small
// enough to be irrelevant next to the JPEG data that bypasses it.
constexpr std::size_t kBufferSize = 64 * 1024;
} // namespace

TFileOutputStream::TFileOutputStream(TFileHandle file, std::string path)
    : file_(std::move(file)), path_(std::move(path)) {
    buffer_.reserve(kBufferSize);
}

TFileOutputStream TFileOutputStream::Create(const std::string& path) {
    TFileHandle file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!file.Valid()) {
        throw FileError("Cannot create file", path, errno);
    }
    return TFileOutputStream(std::move(file), path);
}

void TFileOutputStream::DoWrite(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size <= kBufferSize) {
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        return;
    }
    Flush();
    if (size >= kBufferSize) {
        WriteAll(bytes, size);
    } else {
        buffer_.insert(buffer_.end(), bytes, bytes + size);
    }
}

void TFileOutputStream::WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(file_.Fd(), data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError("Cannot write file", path_, errno);
        }
        if (written == 0) {
            throw FileError("Cannot write file", path_, ENOSPC);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void TFileOutputStream::Flush() {
    if (!buffer_.empty()) {
        WriteAll(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
}

void TFileOutputStream::Sync() {
    Flush();
    if (::fsync(file_.Fd()) != 0) {
        throw FileError("Cannot write file", path_, errno);
    }
}

void TFileOutputStream::Close() {
    if (!file_.Valid()) {
        return;
    }
    Flush();
    if (file_.Close() != 0) {
        throw FileError("Cannot write file", path_, errno);
    }
}

} // namespace vorpane

namespace vorpane {

void TFileOutputStream::DoCopyFrom(const TFileHandle& file, const std::string& name,
                                   std::int64_t size) {
    Flush();
    std::int64_t copied = 0;
    while (copied < size) {
        const ssize_t got = ::copy_file_range(file.Fd(), nullptr, file_.Fd(), nullptr,
                                              static_cast<std::size_t>(size - copied), 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            // Not between these two files (another file system, an old
            // kernel): copy through memory from where the kernel stopped.
            const int err = errno;
            if (err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) {
                TOutputStream::DoCopyFrom(file, name, size - copied);
                return;
            }
            // A full disk or a file size limit is the output's, not the image's.
            if (err == ENOSPC || err == EFBIG || err == EDQUOT) {
                throw FileError("Cannot write file", path_, err);
            }
            throw EFileError("Cannot copy file " + name + " into " + SystemErrorText(path_, err),
                             err);
        }
        if (got == 0) {
            ThrowShortCopy(name);
        }
        copied += got;
    }
}

} // namespace vorpane
