#include "pdf/AtomicOutputFile.h"

#include "Errors.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
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

std::array<TUnfinishedSlot, 8> unfinished;

static_assert(std::atomic<int>::is_always_lock_free);

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

} // namespace

TAtomicOutputFile::TAtomicOutputFile(const std::string& Target) : target_(Target) {
    // Replacing a symlink would cut the link: write where it points instead.
    struct stat st {};
    if (::lstat(target_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(target_.c_str(), nullptr)) {
            target_ = resolved;
            std::free(resolved);
        }
    }
    mode_t mode = DefaultFileMode();
    if (::stat(target_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            throw EFileError("Cannot create file " + SystemErrorText(Target, EISDIR));
        }
        // The rename needs only the folder's permission, but a file the user
        // may not write is not ours to replace, as cp would not either.
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
            throw EFileError("Cannot create file " + SystemErrorText(Target, errno));
        }
        mode = st.st_mode & 07777; // a replaced file keeps its permissions
    }
    std::string pattern = FolderOf(target_) + "/." + NameOf(target_) + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        throw EFileError("Cannot create file " + SystemErrorText(Target, errno));
    }
    temporary_ = pattern;
    stream_ = std::make_unique<TFileOutputStream>(fd, Target);
    open_ = true;
    slot_ = HoldUnfinished(temporary_);
    if (::fchmod(fd, mode) != 0) {
        const int err = errno;
        Discard();
        throw EFileError("Cannot create file " + SystemErrorText(Target, err));
    }
}

TAtomicOutputFile::~TAtomicOutputFile() {
    Discard();
}

void TAtomicOutputFile::Commit() {
    stream_->Sync();
    stream_->Close();
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        throw EFileError("Cannot write file " + SystemErrorText(target_, errno));
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
}

void TAtomicOutputFile::Discard() noexcept {
    if (!open_) {
        return;
    }
    open_ = false;
    stream_.reset(); // closes without flushing what no one will read
    ::unlink(temporary_.c_str());
    ReleaseSlot();
}

void TAtomicOutputFile::ReleaseSlot() noexcept {
    if (slot_ != nullptr) {
        slot_->State.store(TUnfinishedSlot::kFree);
        slot_ = nullptr;
    }
}

void RemoveUnfinishedOutputs() noexcept {
    for (TUnfinishedSlot& slot : unfinished) {
        if (slot.State.load() == TUnfinishedSlot::kHeld) {
            ::unlink(slot.Path);
        }
    }
}

} // namespace vorpane
