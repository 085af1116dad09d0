// An output stream on a file that it owns. Small writes (the PDF's text
// rows) are gathered in a buffer; large ones (JPEG data) go straight
// through. Flush() pushes the buffer out, Sync() also asks the system to put
// the data on disk. Nothing here seeks, so the file may as well be a pipe or
// a terminal.
#pragma once

#include "FileHandle.h"
#include "io/OutputStream.h"

#include <string>
#include <vector>

namespace vorpane {

class TFileOutputStream : public TOutputStream {
public:
    // Path is only used in error messages.
    TFileOutputStream(TFileHandle file, std::string path);
    // Closing without Close() drops what is still buffered: that is a file
    // no one finished.
    ~TFileOutputStream() override = default;
    TFileOutputStream(const TFileOutputStream&) = delete;
    TFileOutputStream& operator=(const TFileOutputStream&) = delete;
    TFileOutputStream(TFileOutputStream&&) noexcept = default;
    TFileOutputStream& operator=(TFileOutputStream&&) noexcept = default;

    // Creates (or truncates) path for writing, without following a symlink
    // at the last component.
    static TFileOutputStream Create(const std::string& path);

    void Flush();
    void Sync();
    // Flushes and closes; errors of the close itself are reported.
    void Close();
    const std::string& Path() const { return path_; }
    int Fd() const { return file_.Fd(); }

protected:
    void DoWrite(const void* data, std::size_t size) override;
    // Copies inside the kernel where the file systems allow it.
    void DoCopyFrom(const TFileHandle& file, const std::string& name, std::int64_t size) override;

private:
    void WriteAll(const char* data, std::size_t size);

    TFileHandle file_;
    std::string path_;
    std::vector<char> buffer_;
};

} // namespace vorpane
