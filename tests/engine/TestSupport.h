// Helpers shared by the engine tests: a scratch folder that removes itself,
// whole-file reads and writes, and hand-made JPEG headers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vorpane::test {

class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// A JPEG-like byte string: SOI, then `before` (raw segments), then a frame
// header with the given marker, size and component count, padded with filler
// bytes to totalSize when that is larger. Only the header is meaningful; the
// writer never decodes.
std::string MakeJpegHeader(std::uint16_t sofMarker, int width, int height, int components,
                           std::size_t totalSize = 0, const std::string& before = "",
                           int precision = 8);

// Path of a file in tests/data.
std::string DataFile(const std::string& name);

} // namespace vorpane::test
