// What the fuzz targets share: a scratch folder of their own for the files
// the engine reads (its entry points take file names), and the real JPEG
// files of tests/data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorpane::fuzz {

// A folder made once per process under $TMPDIR (else /tmp) and removed with
// everything in it when the process ends normally.
class TScratchFolder {
public:
    static TScratchFolder& Get();

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    // Writes the bytes to the named file in the folder, replacing it.
    std::string Write(const std::string& name, const std::uint8_t* data, std::size_t size) const;
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    TScratchFolder();
    ~TScratchFolder();
    std::string path_;
};

// The whole of a file in tests/data; aborts when it can't be read, since a
// target without its material would fuzz nothing.
std::string TestDataFile(const std::string& name);

// Ends the process with a message: the invariant the target checks does not
// hold for this input. libFuzzer keeps the input as a crash.
[[noreturn]] void Fail(const std::string& what);

} // namespace vorpane::fuzz
