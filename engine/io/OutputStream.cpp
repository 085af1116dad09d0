#include "io/OutputStream.h"

#include "Errors.h"
#include "FileHandle.h"

#include <cerrno>
#include <memory>

namespace vorpane {

namespace {
// Memory stays flat whatever the image size, and a chunk is large enough
// that system calls don't show.
constexpr std::int64_t kCopyChunk = 1024 * 1024;
} // namespace

void ThrowShortCopy(const std::string& name) {
    throw EFileError("Cannot read file " + name +
                     ": it became shorter while it was being embedded");
}

void TOutputStream::DoCopyFrom(const TFileHandle& file, const std::string& name,
                               std::int64_t size) {
    const std::unique_ptr<char[]> chunk(new char[kCopyChunk]);
    while (size > 0) {
        const std::int64_t got =
            file.Read(chunk.get(), static_cast<std::size_t>(std::min(size, kCopyChunk)));
        if (got < 0) {
            throw FileError("Cannot read file", name, errno);
        }
        if (got == 0) {
            ThrowShortCopy(name);
        }
        DoWrite(chunk.get(), static_cast<std::size_t>(got));
        size -= got;
    }
}

} // namespace vorpane
