#include "platform/file_save.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr size_t kNameMax = NAME_MAX; // bytes of one name in a folder
constexpr size_t kRandomChars = 6;    // what mkstemp puts in place of XXXXXX
constexpr size_t kMaxExtension = 16;  // longer "extensions" are part of the stem
constexpr char kSaveSuffix[] = ".save";
constexpr int kMaxNamesBeside = 1000;  // "disk-1.d88" .. "disk-1000.d88"

// The longest beginning of `s` of at most `max` bytes that does not cut a UTF-8 sequence.
std::string CutUtf8(const std::string& s, size_t max) {
    if (s.size() <= max) return s;
    size_t k = max;
    while (k > 0 && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80)
        --k;
    return s.substr(0, k);
}

std::string HashHex(const std::string& s) {
    uint64_t h = 0xcbf29ce484222325ull; // FNV-1a
    for (unsigned char c : s)
        h = (h ^ c) * 0x100000001b3ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

// Renames `from` to `to` only where `to` names nothing: true when done, false when `to`
// names something; any other failure is an errno thrown as CFileException.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) throw CFileException(to, errno);
    // A file system without the flag: a hard link is just as exclusive.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) return false;
    // Nor hard links: look, then rename (a file made in between would be replaced).
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) return false;
    if (::rename(from.c_str(), to.c_str()) != 0) throw CFileException(to, errno);
    return true;
}

} // namespace

bool IsSaveTempName(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + kRandomChars || name.compare(0, prefix.size(), prefix))
        return false;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::string folder = fs::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string SaveTempPrefix(const std::string& fileName) {
    std::string readable = "." + fileName + kSaveSuffix;
    if (readable.size() + kRandomChars <= kNameMax) return readable;
    const std::string hash = "~" + HashHex(fileName) + kSaveSuffix;
    return "." + CutUtf8(fileName, kNameMax - kRandomChars - 1 - hash.size()) + hash;
}

CFileSave::CFileSave(const std::string& target) : m_strTarget(target) {
    std::string name =
        (fs::path(FolderOf(target)) /
         (SaveTempPrefix(fs::path(target).filename().string()) + std::string(kRandomChars, 'X')))
            .string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) throw CFileException(target, errno);
    // Locked at once: a cleanup of leftovers never takes a file that is being written.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    m_strTemp = name;
    m_file.m_fd = fd;
    m_file.m_strPath = name;
}

CFileSave::~CFileSave() {
    if (m_bCommitted) return;
    try {
        m_file.Close();
    } catch (const CFileException&) {
    }
    ::unlink(m_strTemp.c_str());
}

bool CFileSave::Commit(const std::string& name, const CFile& like, bool replace) {
    m_file.Flush(); // write errors show here, before anything is replaced
    struct stat st;
    if (like.m_fd >= 0 && ::fstat(like.m_fd, &st) == 0) {
        // Owner first: changing it clears the set-id bits that the mode then restores.
        // Best effort: only a privileged process may give a file away.
        if (::fchown(m_file.m_fd, st.st_uid, st.st_gid) != 0 &&
            ::fchown(m_file.m_fd, uid_t(-1), st.st_gid) != 0) {
        }
        if (::fchmod(m_file.m_fd, st.st_mode & 07777) != 0) {
        }
    }
    if (replace) {
        if (::rename(m_strTemp.c_str(), name.c_str()) != 0) throw CFileException(name, errno);
    } else if (!RenameNoReplace(m_strTemp, name)) {
        return false;
    }
    m_bCommitted = true;
    m_file.m_strPath = name;
    SyncFolder(FolderOf(name));
    return true;
}

int RemoveSaveLeftovers(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = SaveTempPrefix(fs::path(target).filename().string());
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (!IsSaveTempName(name, prefix)) continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat open, named;
        // Only a plain file nobody is writing, still under that name.
        if (::fstat(fd, &open) == 0 && S_ISREG(open.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            named.st_dev == open.st_dev && named.st_ino == open.st_ino &&
            ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

namespace {

// `path` with `tag` put between its stem and its extension; the stem is shortened where the
// name would be too long.
std::string Tagged(const std::string& path, const std::string& tag) {
    const fs::path p(path);
    const std::string name = p.filename().string();
    const size_t dot = name.rfind('.');
    const bool hasExt = dot != std::string::npos && dot > 0 && name.size() - dot <= kMaxExtension;
    const std::string ext = hasExt ? name.substr(dot) : std::string();
    const std::string stem = hasExt ? name.substr(0, dot) : name;
    const std::string other = CutUtf8(stem, kNameMax - tag.size() - ext.size()) + tag + ext;
    return (p.parent_path() / other).string();
}

// Makes `folder` and the folders above it that are missing, each for the user alone.
void MakeFolders(const fs::path& folder) {
    fs::path at;
    for (const fs::path& part : folder) {
        at /= part;
        if (::mkdir(at.c_str(), 0700) != 0 && errno != EEXIST) throw CFileException(at, errno);
    }
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) throw CFileException(folder, errno);
    if (!S_ISDIR(st.st_mode)) throw CFileException(folder, ENOTDIR);
}

} // namespace

std::string NameBeside(const std::string& path, int n) {
    return Tagged(path, "-" + std::to_string(n));
}

std::string WriteTimedFile(const std::string& folder, const std::string& name,
                           const std::function<void(CFile&)>& write) {
    if (folder.empty()) throw CFileException(name, ENOENT);
    MakeFolders(folder);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[32] = "";
    if (::localtime_r(&now, &local)) std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", &local);
    const std::string first = Tagged((fs::path(folder) / fs::path(name).filename()).string(), stamp);
    CFileSave save(first);
    write(save.File());
    return save.CommitUnderFreeName(first, save.File());
}

std::string CFileSave::CommitUnderFreeName(const std::string& name, const CFile& like) {
    for (int n = 0; n <= kMaxNamesBeside; ++n) {
        const std::string path = n == 0 ? name : NameBeside(name, n);
        if (Commit(path, like, false)) return path;
    }
    throw CFileException(name, EEXIST);
}
