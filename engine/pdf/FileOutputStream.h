// An output stream on a file descriptor that it owns. Small writes (the
// PDF's text rows) are gathered in a buffer; large ones (JPEG data) go
// straight through. Flush() pushes the buffer out, Sync() also asks the
// system to put the data on disk.
#pragma once

#include "pdf/OutputStream.h"

#include <string>
#include <vector>

namespace vorpane {

class TFileOutputStream : public TOutputStream {
public:
    // Takes ownership of fd; path is only used in error messages.
    TFileOutputStream(int fd, std::string path);
    ~TFileOutputStream() override;
    TFileOutputStream(const TFileOutputStream&) = delete;
    TFileOutputStream& operator=(const TFileOutputStream&) = delete;

    // Creates (or truncates) path for writing, without following a symlink
    // at the last component.
    static TFileOutputStream Create(const std::string& path);
    TFileOutputStream(TFileOutputStream&& other) noexcept;

    void Flush();
    void Sync();
    // Flushes and closes; errors of the close itself are reported.
    void Close();
    const std::string& Path() const { return path_; }

protected:
    void DoWrite(const void* data, std::size_t size) override;
    // Copies inside the kernel where the file systems allow it.
    void DoCopyFrom(const TFileHandle& file, const std::string& name, std::int64_t size) override;

private:
    void WriteAll(const char* data, std::size_t size);

    int fd_;
    std::string path_;
    std::vector<char> buffer_;
};

} // namespace vorpane
