// A file that appears under its name only when it is complete. The data goes
// into a new file beside the target that has no name at all where the file
// system allows it (so even a killed program leaves nothing behind), else a
// hidden one created exclusively; Commit() puts it on disk and renames it
// over the target in one step. Until then a file already at the target stays
// exactly as it was, and if the work ends any other way the new file goes.
//
// The target is found as cp would find it: a symbolic link is followed as an
// open by this user would follow it, so never one that another user planted
// in a shared folder such as /tmp (a sticky, world-writable folder); a link
// that leads nowhere or in a circle is refused. A FIFO or a character device
// (a pipe, a terminal, /dev/null), and whatever /dev/stdout or /proc/self/fd/N
// stands for, is written in place from the first byte on, never replaced by
// a regular file. A target the user may not write is refused, as cp would.
#pragma once

#include "io/FileOutputStream.h"

#include <functional>
#include <memory>
#include <string>

namespace vorpane {

struct TUnfinishedSlot;

class TAtomicOutputFile {
public:
    // Throws EFileError naming Target when the file can't be created there.
    // With ReplaceOnlyPdf an existing regular file that holds anything but a
    // PDF document is refused: a name meant for a photograph is no place
    // for the document. A FIFO with no reader yet is waited for, draining
    // the message queue; when StopRequested answers true meanwhile the file
    // ends up Stopped() and holds nothing.
    TAtomicOutputFile(const std::string& Target, bool ReplaceOnlyPdf,
                      const std::function<bool()>& StopRequested = {});
    ~TAtomicOutputFile();
    TAtomicOutputFile(const TAtomicOutputFile&) = delete;
    TAtomicOutputFile& operator=(const TAtomicOutputFile&) = delete;
    TAtomicOutputFile(TAtomicOutputFile&&) = delete;
    TAtomicOutputFile& operator=(TAtomicOutputFile&&) = delete;

    // The tests of the constructor, without creating anything: that Target
    // leads somewhere it may be created and that its folder exists and may
    // be written. For work that takes long before its output is created;
    // the creation stays the real test.
    static void Check(const std::string& Target, bool ReplaceOnlyPdf);

    bool Stopped() const { return stopped_; }
    TFileOutputStream& Stream() { return *stream_; }

    // Flushes, syncs, closes and renames over the target (an output written
    // in place is only flushed and closed). A stop that StopRequested
    // answers after the sync, which can take seconds, and before the
    // rename discards the new file instead and gives false: the target
    // stays as it was.
    bool Commit(const std::function<bool()>& StopRequested = {});
    // Closes and removes the new file; the target is untouched (an output
    // written in place keeps what it got).
    void Discard() noexcept;

private:
    void CreateBeside(const std::string& path, unsigned mode);
    void LinkUnnamed();
    void ReleaseSlot() noexcept;

    std::string target_;    // the file the document becomes, links followed
    std::string temporary_; // the hidden name, once there is one
    std::unique_ptr<TFileOutputStream> stream_;
    bool unnamed_ = false; // the new file has no name yet
    bool inPlace_ = false; // a FIFO or a device, written as it is
    bool open_ = false;
    bool stopped_ = false;            // no reader came before the stop
    TUnfinishedSlot* slot_ = nullptr; // where RemoveUnfinishedOutputs finds temporary_
};

// Whether a new file may start without a name where the file system has
// O_TMPFILE (the default). With Allowed false every file system answers as
// one without O_TMPFILE does, and the file is a hidden one created
// exclusively: how the tests run that path on any machine.
void AllowUnnamedOutputs(bool Allowed);

// Removes the unfinished file of every TAtomicOutputFile alive, leaving its
// target as it was. Safe in a signal handler (it calls only unlink), for a
// program that must end at once without leaving a hidden document behind.
void RemoveUnfinishedOutputs() noexcept;

} // namespace vorpane
