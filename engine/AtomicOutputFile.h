// A file that appears under its name only when it is complete. The data goes
// into a new hidden file beside the target, created exclusively (so never
// through a planted symlink); Commit() puts it on disk and renames it over
// the target in one step. Until then a file already at the target stays
// exactly as it was, and if the work ends any other way the temporary file
// is removed.
#pragma once

#include "FileOutputStream.h"

#include <memory>
#include <string>

namespace vorpane {

class TAtomicOutputFile {
public:
    // Throws EFileError naming Target when the file can't be created there.
    explicit TAtomicOutputFile(const std::string& Target);
    ~TAtomicOutputFile();
    TAtomicOutputFile(const TAtomicOutputFile&) = delete;
    TAtomicOutputFile& operator=(const TAtomicOutputFile&) = delete;

    TFileOutputStream& Stream() { return *stream_; }
    const std::string& TemporaryPath() const { return temporary_; }

    // Flushes, syncs, closes and renames over the target.
    void Commit();
    // Closes and removes the temporary file; the target is untouched.
    void Discard() noexcept;

private:
    std::string target_;
    std::string temporary_;
    std::unique_ptr<TFileOutputStream> stream_;
    bool open_ = false;
};

} // namespace vorpane
