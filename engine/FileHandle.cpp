#include "FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorpane {

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

TFileHandle TFileHandle::OpenForReading(const std::string& path) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer. It has no effect
    // on the reads of a regular file, the only kind we keep.
    TFileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.Valid()) {
        return file;
    }
    struct stat st {};
    if (::fstat(file.fd_, &st) != 0) {
        return TFileHandle();
    }
    if (!S_ISREG(st.st_mode)) {
        file.Reset();
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    return file;
}

std::int64_t TFileHandle::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        return -1;
    }
    return st.st_size;
}

std::int64_t TFileHandle::Read(void* data, std::size_t size) const {
    for (;;) {
        const ssize_t got = ::read(fd_, data, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

int TFileHandle::Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 ? ::close(fd) : 0;
}

void TFileHandle::Reset() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace vorpane
