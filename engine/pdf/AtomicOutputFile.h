// A file that appears under its name only when it is complete. The data goes
// into a new hidden file beside the target, created exclusively (so never
// through a planted symlink); Commit() puts it on disk and renames it over
// the target in one step. Until then a file already at the target stays
// exactly as it was, and if the work ends any other way the temporary file
// is removed. A target the user may not write is refused, as cp would.
#pragma once

#include "pdf/FileOutputStream.h"

#include <memory>
#include <string>

namespace vorpane {

struct TUnfinishedSlot;

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
    void ReleaseSlot() noexcept;

    std::string target_;
    std::string temporary_;
    std::unique_ptr<TFileOutputStream> stream_;
    bool open_ = false;
    TUnfinishedSlot* slot_ = nullptr; // where RemoveUnfinishedOutputs finds temporary_
};

// Removes the unfinished file of every TAtomicOutputFile alive, leaving its
// target as it was. Safe in a signal handler (it calls only unlink), for a
// program that must end at once without leaving a hidden document behind.
void RemoveUnfinishedOutputs() noexcept;

} // namespace vorpane
