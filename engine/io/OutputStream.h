// Where the PDF writer puts its bytes. Every write goes through Write, which
// counts the bytes, so Position() is the offset of the next byte and the
// writer records object offsets from it. Every write is checked: a short or
// failed write raises EFileError, never a silently truncated document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorpane {

class TFileHandle;

// Raises the error for an image file that ended before its measured size.
[[noreturn]] void ThrowShortCopy(const std::string& name);

class TOutputStream {
public:
    virtual ~TOutputStream() = default;

    void Write(const void* data, std::size_t size) {
        DoWrite(data, size);
        position_ += static_cast<std::int64_t>(size);
    }
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // Copies exactly size bytes of file from its current position; name is
    // for messages. Throws EFileError when the file ends early or a read or
    // write fails.
    void CopyFrom(const TFileHandle& file, const std::string& name, std::int64_t size) {
        DoCopyFrom(file, name, size);
        position_ += size;
    }
    std::int64_t Position() const { return position_; }

protected:
    virtual void DoWrite(const void* data, std::size_t size) = 0;
    // Reads the file in bounded chunks and writes each with DoWrite.
    virtual void DoCopyFrom(const TFileHandle& file, const std::string& name, std::int64_t size);

private:
    std::int64_t position_ = 0;
};

// Keeps everything in memory; for tests and small documents.
class TMemoryOutputStream : public TOutputStream {
public:
    const std::string& Data() const { return data_; }

protected:
    void DoWrite(const void* data, std::size_t size) override {
        data_.append(static_cast<const char*>(data), size);
    }

private:
    std::string data_;
};

} // namespace vorpane
