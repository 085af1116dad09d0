#include "io/AtomicOutputFile.h"

#include "Errors.h"
#include "MessageQueue.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <thread>
#include <unistd.h>

namespace vorpane {

// The unfinished files of the TAtomicOutputFile objects alive, where a signal
// handler can reach them: fixed slots, no allocation, no lock.
struct TUnfinishedSlot {
    enum : int { kFree, kBusy, kHeld };
    std::atomic<int> State{kFree};
    char Path[PATH_MAX];
};

namespace {

// As many links as the kernel follows in one name before it answers ELOOP.
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void Refuse(const std::string& target, int err) {
    throw FileError("Cannot create file", target, err);
}

[[noreturn]] void Refuse(const std::string& target, const std::string& why) {
    throw EFileError("Cannot create file " + target + ": " + why);
}

// The mode a newly created file would get: 0666 less the umask. The kernel
// shows the umask in /proc/self/status; reading it by setting it and back
// would hand any file another thread creates meanwhile the wrong mode. Only
// where /proc is missing is that the way left.
mode_t DefaultFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("Umask:")) {
            return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

enum class TTargetKind {
    tkAbsent,  // nothing there yet: a new file
    tkRegular, // a file to replace
    tkInPlace, // a FIFO, a device, or what a /proc/<pid>/fd link stands for
};

struct TResolvedTarget {
    std::string Path;
    TTargetKind Kind = TTargetKind::tkAbsent;
    struct stat Status {};
};

// What the kernel's fs.protected_symlinks refuses, whether or not the
// system has it on: a link in a sticky, world-writable folder (/tmp) that
// belongs neither to the user nor to the folder's owner. Another user may
// have planted it to make us write where they point.
void RefuseForeignLink(const std::string& target, const std::string& link,
                       const struct stat& linkStatus) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0) {
        Refuse(target, errno);
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    const uid_t user = ::geteuid();
    if (shared && linkStatus.st_uid != user && linkStatus.st_uid != folder.st_uid) {
        Refuse(link == target ? target : target + " (through " + link + ")",
               "not following a symbolic link that another user made in a shared folder");
    }
}

bool OnProcFileSystem(const std::string& folder) {
    struct statfs fs {};
    return ::statfs(folder.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

// Follows target's links one by one, as an open would, to what it names.
TResolvedTarget ResolveTarget(const std::string& target) {
    TResolvedTarget resolved;
    resolved.Path = target;
    for (int links = 0;; ++links) {
        struct stat& st = resolved.Status;
        if (::lstat(resolved.Path.c_str(), &st) != 0) {
            const int err = errno;
            if (err == ENOENT && links > 0) {
                Refuse(target, "not writing through a dangling symbolic link");
            }
            if (err == ENOENT) {
                return resolved; // a new file; a missing folder shows when it is created
            }
            Refuse(target, err);
        }
        if (!S_ISLNK(st.st_mode)) {
            break;
        }
        if (links == kMaxLinks) {
            Refuse(target, ELOOP);
        }
        RefuseForeignLink(target, resolved.Path, st);
        const std::string folder = FolderOf(resolved.Path);
        if (OnProcFileSystem(folder)) {
            // /proc/self/fd/1 and its kind lead to an open file, not to a
            // name: only the kernel can follow them.
            if (::stat(resolved.Path.c_str(), &st) != 0) {
                Refuse(target, errno);
            }
            if (S_ISDIR(st.st_mode)) {
                Refuse(target, EISDIR);
            }
            resolved.Kind = TTargetKind::tkInPlace;
            return resolved;
        }
        std::string next(PATH_MAX, '\0');
        const ssize_t size = ::readlink(resolved.Path.c_str(), next.data(), next.size());
        if (size < 0) {
            Refuse(target, errno);
        }
        next.resize(static_cast<std::size_t>(size));
        resolved.Path = next.starts_with('/') ? next : folder + "/" + next;
    }
    const mode_t type = resolved.Status.st_mode & S_IFMT;
    if (type == S_IFDIR) {
        Refuse(target, EISDIR);
    }
    if (type == S_IFBLK) {
        Refuse(target, "it is a block device, not a file");
    }
    if (type == S_IFSOCK) {
        Refuse(target, "it is a socket, not a file");
    }
    resolved.Kind = type == S_IFREG ? TTargetKind::tkRegular : TTargetKind::tkInPlace;
    return resolved;
}

bool HoldsOnlyPdf(const std::string& path, const struct stat& st) {
    if (st.st_size == 0) {
        return true; // nothing to lose
    }
    const TFileHandle file = TFileHandle::OpenForReading(path);
    char head[5] = {};
    return file.Valid() && file.Read(head, sizeof head) == sizeof head &&
           std::memcmp(head, "%PDF-", sizeof head) == 0;
}

// The tests every target passes before anything is created.
void CheckResolved(const std::string& target, const TResolvedTarget& resolved,
                   bool replaceOnlyPdf) {
    if (resolved.Kind == TTargetKind::tkAbsent) {
        return;
    }
    // The rename needs only the folder's permission, but a file the user
    // may not write is not ours to replace, as cp would not either.
    if (::faccessat(AT_FDCWD, resolved.Path.c_str(), W_OK, AT_EACCESS) != 0) {
        Refuse(target, errno);
    }
    if (replaceOnlyPdf && S_ISREG(resolved.Status.st_mode) &&
        !HoldsOnlyPdf(resolved.Path, resolved.Status)) {
        throw EFileError("Cannot replace file " + target + ": it is not a PDF document");
    }
}

std::array<TUnfinishedSlot, 8> unfinished;

static_assert(std::atomic<int>::is_always_lock_free);

std::atomic<bool> unnamedAllowed{true};

// The slot now holding path, or nullptr when all are taken (or the path is
// too long): such a file is then only left to the destructor.
TUnfinishedSlot* HoldUnfinished(const std::string& path) {
    if (path.size() >= PATH_MAX) {
        return nullptr;
    }
    for (TUnfinishedSlot& slot : unfinished) {
        int expected = TUnfinishedSlot::kFree;
        if (slot.State.compare_exchange_strong(expected, TUnfinishedSlot::kBusy)) {
            std::memcpy(slot.Path, path.c_str(), path.size() + 1);
            slot.State.store(TUnfinishedSlot::kHeld);
            return &slot;
        }
    }
    return nullptr;
}

// The hidden name beside path, with room for the six characters mkostemp
// fills in: ".NAME.XXXXXX", NAME shortened so that a name of up to 255
// bytes still has one.
std::string HiddenPattern(const std::string& path) {
    constexpr std::size_t kAround = 8; // ".", ".XXXXXX"
    const std::string name = NameOf(path);
    return FolderOf(path) + "/." + name.substr(0, NAME_MAX - kAround) + ".XXXXXX";
}

// Opens a FIFO or a device for writing. A FIFO that no one reads yet is
// waited for, as cp would, but without blocking: the window stays alive and
// a stop is heard.
TFileHandle OpenInPlace(const std::string& target, const TResolvedTarget& resolved,
                        const std::function<bool()>& stopRequested) {
    const int truncate = S_ISREG(resolved.Status.st_mode) ? O_TRUNC : 0;
    for (;;) {
        TFileHandle file(
            ::open(resolved.Path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | truncate));
        if (file.Valid()) {
            const int flags = ::fcntl(file.Fd(), F_GETFL);
            if (flags < 0 || ::fcntl(file.Fd(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
                Refuse(target, errno);
            }
            return file;
        }
        if (errno != ENXIO || !S_ISFIFO(resolved.Status.st_mode)) {
            Refuse(target, errno);
        }
        DrainMessageQueue();
        if (stopRequested && stopRequested()) {
            return file;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// Where the kernel shows an open file under a name that linkat can follow.
std::string ProcFdPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

void TAtomicOutputFile::Check(const std::string& Target, bool ReplaceOnlyPdf) {
    const TResolvedTarget resolved = ResolveTarget(Target);
    CheckResolved(Target, resolved, ReplaceOnlyPdf);
    if (resolved.Kind != TTargetKind::tkInPlace &&
        ::faccessat(AT_FDCWD, FolderOf(resolved.Path).c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        Refuse(Target, errno);
    }
}

TAtomicOutputFile::TAtomicOutputFile(const std::string& Target, bool ReplaceOnlyPdf,
                                     const std::function<bool()>& StopRequested) {
    const TResolvedTarget resolved = ResolveTarget(Target);
    CheckResolved(Target, resolved, ReplaceOnlyPdf);
    target_ = resolved.Path;
    if (resolved.Kind == TTargetKind::tkInPlace) {
        TFileHandle file = OpenInPlace(Target, resolved, StopRequested);
        stopped_ = !file.Valid();
        if (!stopped_) {
            stream_ = std::make_unique<TFileOutputStream>(std::move(file), Target);
            inPlace_ = true;
            open_ = true;
        }
        return;
    }
    // A replaced file keeps its permissions.
    const mode_t mode = resolved.Kind == TTargetKind::tkRegular ? resolved.Status.st_mode & 07777
                                                                : DefaultFileMode();
    try {
        CreateBeside(Target, mode);
    } catch (...) { // whatever failed, nothing is left beside the output; on it goes
        Discard();
        throw;
    }
}

// The new file in target_'s folder: unnamed where the file system has
// O_TMPFILE and /proc can give it a name later, else hidden.
void TAtomicOutputFile::CreateBeside(const std::string& path, unsigned mode) {
    const std::string folder = FolderOf(target_);
    TFileHandle file;
    if (unnamedAllowed.load()) {
        file = TFileHandle(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    } else {
        errno = EOPNOTSUPP; // what a file system without O_TMPFILE answers
    }
    if (file.Valid()) {
        struct stat st {};
        if (::stat(ProcFdPath(file.Fd()).c_str(), &st) == 0) {
            unnamed_ = true;
        } else {
            file.Reset();
        }
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        Refuse(path, errno);
    }
    if (!unnamed_) {
        temporary_ = HiddenPattern(target_);
        file = TFileHandle(::mkostemp(temporary_.data(), O_CLOEXEC));
        if (!file.Valid()) {
            temporary_.clear();
            Refuse(path, errno);
        }
        slot_ = HoldUnfinished(temporary_);
    }
    const int fd = file.Fd();
    stream_ = std::make_unique<TFileOutputStream>(std::move(file), path);
    open_ = true;
    if (::fchmod(fd, mode) != 0) {
        Refuse(path, errno);
    }
}

TAtomicOutputFile::~TAtomicOutputFile() {
    Discard();
}

// Gives the unnamed file a hidden name beside the target, for the rename:
// linkat can't replace an existing file, rename can.
void TAtomicOutputFile::LinkUnnamed() {
    const std::string pattern = HiddenPattern(target_);
    const std::string source = ProcFdPath(stream_->Fd());
    for (unsigned attempt = 0;; ++attempt) {
        std::string name = pattern;
        const auto suffix =
            std::to_string((static_cast<unsigned>(::getpid()) * 7919u + attempt) % 1000000u);
        name.replace(name.size() - 6, 6, std::string(6 - suffix.size(), '0') + suffix);
        temporary_ = name;
        slot_ = HoldUnfinished(temporary_);
        if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, temporary_.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            unnamed_ = false;
            return;
        }
        const int err = errno;
        ReleaseSlot();
        temporary_.clear();
        if (err != EEXIST || attempt == 100) {
            throw FileError("Cannot write file", target_, err);
        }
    }
}

bool TAtomicOutputFile::Commit(const std::function<bool()>& StopRequested) {
    if (inPlace_) {
        stream_->Close();
        open_ = false;
        return true;
    }
    stream_->Sync();
    if (StopRequested && StopRequested()) {
        Discard();
        return false;
    }
    if (unnamed_) {
        LinkUnnamed();
    }
    stream_->Close();
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw FileError("Cannot write file", target_, errno);
    }
    ReleaseSlot();
    open_ = false;
    // The rename itself is on disk only once the folder is synced. Failing
    // that is no reason to report the finished document as lost.
    const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void TAtomicOutputFile::Discard() noexcept {
    if (!open_) {
        return;
    }
    open_ = false;
    stream_.reset(); // closes without flushing what no one will read
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
    ReleaseSlot();
}

void TAtomicOutputFile::ReleaseSlot() noexcept {
    if (slot_ != nullptr) {
        slot_->State.store(TUnfinishedSlot::kFree);
        slot_ = nullptr;
    }
}

void AllowUnnamedOutputs(bool Allowed) {
    unnamedAllowed = Allowed;
}

void RemoveUnfinishedOutputs() noexcept {
    for (TUnfinishedSlot& slot : unfinished) {
        if (slot.State.load() == TUnfinishedSlot::kHeld) {
            ::unlink(slot.Path);
        }
    }
}

} // namespace vorpane
