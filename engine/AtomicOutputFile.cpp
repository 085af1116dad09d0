#include "AtomicOutputFile.h"

#include "Errors.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorpane {

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

// The mode a newly created file would get: 0666 less the umask. umask can
// only be read by setting it, so it is set back at once.
mode_t DefaultFileMode() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
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
}

} // namespace vorpane
