#include "io/RunFolder.h"

#include "Errors.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vorpane {

namespace {

constexpr char kRunPrefix[] = "run-";

bool Lock(int fd, int how) {
    for (;;) {
        if (::flock(fd, how) == 0) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

TFileHandle OpenFolder(int parent, const char* name) {
    return TFileHandle(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// The names in an open folder, "." and ".." left out. The folder's own
// descriptor stays open: a lock on it is kept.
std::vector<std::string> NamesIn(int folder) {
    std::vector<std::string> names;
    const int copy = ::dup(folder);
    DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (listing == nullptr) {
        if (copy >= 0) {
            ::close(copy);
        }
        return names;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    ::closedir(listing);
    return names;
}

// A run folder holds only the files the run wrote.
void RemoveFiles(int folder) {
    for (const std::string& name : NamesIn(folder)) {
        ::unlinkat(folder, name.c_str(), 0);
    }
}

// Run folders whose lock can be taken belong to no living run. Called with
// the private folder locked, so no run is between creating its folder and
// locking it.
void RemoveAbandoned(int parent) {
    for (const std::string& name : NamesIn(parent)) {
        if (name.rfind(kRunPrefix, 0) != 0) {
            continue;
        }
        const TFileHandle folder = OpenFolder(parent, name.c_str());
        if (folder.Valid() && Lock(folder.Fd(), LOCK_EX | LOCK_NB)) {
            RemoveFiles(folder.Fd());
            ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
        }
    }
}

} // namespace

TRunFolder::TRunFolder() {
    const std::string privateFolder = TempFolder();
    const TFileHandle parent = OpenFolder(AT_FDCWD, privateFolder.c_str());
    if (!parent.Valid()) {
        throw FileError("Cannot use folder", privateFolder, errno);
    }
    // Held until the new folder is locked too. Where the file system has no
    // locks, nothing is swept: every run's lock fails alike, so no live
    // folder could be told from an abandoned one.
    if (Lock(parent.Fd(), LOCK_EX)) {
        RemoveAbandoned(parent.Fd());
    }
    std::string folder = privateFolder + kRunPrefix + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        throw FileError("Cannot create folder", folder, errno);
    }
    folder_ = OpenFolder(AT_FDCWD, folder.c_str());
    if (!folder_.Valid()) {
        const int err = errno;
        ::rmdir(folder.c_str());
        throw FileError("Cannot use folder", folder, err);
    }
    Lock(folder_.Fd(), LOCK_EX | LOCK_NB);
    path_ = folder + '/';
}

TRunFolder::~TRunFolder() {
    RemoveFiles(folder_.Fd());
    ::rmdir(path_.c_str());
}

std::string TRunFolder::FileFor(std::size_t Position, std::string_view Suffix) const {
    return path_ + std::to_string(Position) + std::string(Suffix);
}

namespace {

// A real folder of ours at Folder, closed to others, or nothing when the
// name holds anything else (a symlink, a file, another user's folder).
// Opened without following a symlink, so the folder checked is the folder
// used even if the name was swapped meanwhile.
bool IsOurFolder(const std::string& Folder) {
    const TFileHandle handle(
        ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!handle.Valid() || ::fstat(handle.Fd(), &st) != 0 || st.st_uid != ::geteuid()) {
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::fchmod(handle.Fd(), 0700) != 0) {
        throw FileError("Cannot close folder to others", Folder, errno);
    }
    return true;
}

// A fresh private folder made earlier because the usual name was taken:
// used again, so that the run folders of a killed run in it are still
// removed by the next run.
std::string FreshFolderMadeBefore(const std::string& Parent, const std::string& Prefix) {
    const TFileHandle parent = OpenFolder(AT_FDCWD, Parent.c_str());
    if (!parent.Valid()) {
        return {};
    }
    for (const std::string& name : NamesIn(parent.Fd())) {
        if (name.size() == Prefix.size() + 6 && name.rfind(Prefix, 0) == 0 &&
            IsOurFolder(Parent + name)) {
            return Parent + name;
        }
    }
    return {};
}

} // namespace

std::string TempFolder() {
    const char* system = std::getenv("TMPDIR");
    std::string parent = system != nullptr && *system != '\0' ? system : "/tmp";
    if (parent.back() != '/') {
        parent += '/';
    }
    const std::string name = "vorpane-" + std::to_string(::geteuid());
    const std::string folder = parent + name;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        throw FileError("Cannot create folder", folder, errno);
    }
    if (IsOurFolder(folder)) {
        return folder + '/';
    }
    // Someone else put a symlink, a file or a folder of their own in our
    // way, maybe to stop us: a fresh folder with a name no one can foresee
    // (mkdtemp makes it ours alone, mode 0700) works round them.
    const std::string prefix = name + '-';
    std::string fresh = FreshFolderMadeBefore(parent, prefix);
    if (fresh.empty()) {
        fresh = parent + prefix + "XXXXXX";
        if (::mkdtemp(fresh.data()) == nullptr) {
            throw FileError("Cannot create folder", fresh, errno);
        }
    }
    return fresh + '/';
}

} // namespace vorpane
