#include "platform/save_folder.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_save.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kRandomChars = 6; // what mkdtemp puts in place of XXXXXX
constexpr int kAttempts = 16;      // folders taken away by a cleanup before the lock held
const char* const kHeld = "held";

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether a save puts a file of this name into its folder: "held", one of `names`, or
// either followed by ".lock" or by "." and six letters or digits.
bool IsSaveFileName(const std::string& file, const std::vector<std::string>& names) {
    auto ofName = [&](const std::string& name) {
        if (file.compare(0, name.size(), name) != 0) return false;
        const std::string rest = file.substr(name.size());
        return rest.empty() || rest == ".lock" || IsSaveTempName(rest, ".");
    };
    if (ofName(kHeld)) return true;
    for (const std::string& name : names)
        if (ofName(name)) return true;
    return false;
}

// The names in the open folder `dirFd` ("." and ".." left out); false when it cannot be read.
bool ListFolder(int dirFd, std::vector<std::string>& files) {
    const int fd = ::dup(dirFd);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    ::rewinddir(dir);
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") files.push_back(name);
    }
    ::closedir(dir);
    return true;
}

// Removes the save's files from the open folder `dirFd`, "held" last (a folder without it
// is empty, or on its way to be); with `onlyOwn`, when anything else is in it, nothing.
// True when every file is gone.
bool RemoveSaveFiles(int dirFd, const std::vector<std::string>& names, bool onlyOwn) {
    std::vector<std::string> files;
    if (!ListFolder(dirFd, files)) return false;
    for (const std::string& file : files) {
        struct stat st;
        if (!IsSaveFileName(file, names) ||
            ::fstatat(dirFd, file.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
            if (onlyOwn) return false;
        }
    }
    bool all = true;
    for (const std::string& file : files)
        if (file != kHeld && IsSaveFileName(file, names))
            all &= ::unlinkat(dirFd, file.c_str(), 0) == 0;
    ::unlinkat(dirFd, kHeld, 0);
    return all;
}

// Takes the lock on "held": 0, EWOULDBLOCK when another holds it, or the errno that says
// the file system has none.
int Lock(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        if (errno != EINTR) return errno;
    return 0;
}

} // namespace

CSaveFolder::CSaveFolder(const std::string& target, std::vector<std::string> names)
    : m_names(std::move(names)) {
    const std::string base =
        (fs::path(FolderOf(target)) / SaveTempPrefix(fs::path(target).filename().string()))
            .string();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string folder = base + std::string(kRandomChars, 'X');
        if (!::mkdtemp(folder.data())) {
            m_nError = errno;
            return;
        }
        const std::string held = folder + "/" + kHeld;
        const int fd =
            ::open(held.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            const int err = errno;
            ::rmdir(folder.c_str());
            if (err == ENOENT) continue; // a cleanup took the empty folder
            m_nError = err;
            return;
        }
        // Without locks on this file system the folder goes on unlocked, as CFile does.
        struct stat open, named;
        if (Lock(fd) != EWOULDBLOCK && ::fstat(fd, &open) == 0 &&
            ::lstat(held.c_str(), &named) == 0 && SameFile(open, named)) {
            m_strPath = folder;
            m_fdHeld = fd;
            return;
        }
        ::close(fd); // a cleanup has it, and removes it
    }
    m_nError = EAGAIN;
}

CSaveFolder::~CSaveFolder() {
    if (m_strPath.empty()) return;
    const int dirFd = ::open(m_strPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd >= 0) {
        RemoveSaveFiles(dirFd, m_names, false);
        ::close(dirFd);
    }
    ::rmdir(m_strPath.c_str());
    ::close(m_fdHeld); // the lock lasts until the folder is gone
}

int RemoveSaveFolderLeftovers(const std::string& target, const std::vector<std::string>& names) {
    const std::string parent = FolderOf(target);
    const std::string prefix = SaveTempPrefix(fs::path(target).filename().string());
    DIR* dir = ::opendir(parent.c_str());
    if (!dir) return 0;
    std::vector<std::string> candidates;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (IsSaveTempName(name, prefix)) candidates.push_back(parent + "/" + name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& path : candidates) {
        // A folder, not a link (O_NOFOLLOW), with nothing of another kind in it.
        const int dirFd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dirFd < 0) continue;
        const int held = ::openat(dirFd, kHeld, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        const int heldErr = held < 0 ? errno : 0;
        struct stat open, named, heldSt;
        if (::fstat(dirFd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            SameFile(open, named)) {
            if (held >= 0) { // only while nobody holds the lock
                if (::fstat(held, &heldSt) == 0 && S_ISREG(heldSt.st_mode) && Lock(held) == 0 &&
                    RemoveSaveFiles(dirFd, names, true) && ::rmdir(path.c_str()) == 0)
                    ++removed;
            } else if (heldErr == ENOENT && ::rmdir(path.c_str()) == 0) {
                ++removed; // empty: a save not yet holding it fails to make "held" and goes on
            }
        }
        if (held >= 0) ::close(held);
        ::close(dirFd);
    }
    return removed;
}
