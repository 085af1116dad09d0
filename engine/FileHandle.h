// A file descriptor that closes itself. Opening for reading refuses anything
// but a regular file, so a folder, a FIFO or a device given as an image can
// neither hang nor fool the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorpane {

class TFileHandle {
public:
    TFileHandle() = default;
    explicit TFileHandle(int fd) : fd_(fd) {}
    ~TFileHandle() { Reset(); }
    TFileHandle(TFileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    TFileHandle& operator=(TFileHandle&& other) noexcept;
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    // Opens a regular file for reading; an invalid handle (errno set) when
    // the file can't be opened or is not a regular file.
    static TFileHandle OpenForReading(const std::string& path);

    bool Valid() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // Size now, -1 on failure.
    std::int64_t Size() const;
    // Reads up to size bytes, retrying on EINTR; -1 on failure.
    std::int64_t Read(void* data, std::size_t size) const;
    void Reset();
    // Closes now and answers what close answered (0, or -1 with errno set);
    // for a file written, where a failing close can mean lost data.
    int Close();

private:
    int fd_ = -1;
};

} // namespace vorpane
