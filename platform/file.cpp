// CFile on POSIX descriptors. The whole file is held with a non-blocking flock():
// exclusive for the modes that write, shared for modeRead, so readers may share a
// file but nobody reads or writes a file another holder is writing. A create mode
// truncates only after the lock is held, so a failed open never empties a file
// that someone else has open.
#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

std::string ErrorText(const std::string& path, int err) {
    return path + ": " + std::generic_category().message(err);
}

// How often Open looks again when the name was given to another file meanwhile.
constexpr int kOpenAttempts = 16;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int CloseWith(int fd, int err) {
    ::close(fd);
    return err;
}

int OpenFlags(CFile::OpenMode mode) {
    switch (mode) {
    case CFile::modeRead: return O_RDONLY;
    case CFile::modeReadWrite: return O_RDWR;
    case CFile::modeCreateReadWrite: return O_RDWR | O_CREAT;
    case CFile::modeCreateWrite: return O_WRONLY | O_CREAT;
    }
    return -1;
}

} // namespace

void (*g_pFileTestSeam)(const char* where) = nullptr;

CFileException::CFileException(const std::string& path, int err)
    : std::runtime_error(ErrorText(path, err)), m_nErrno(err) {}

CFile::CFile(const std::string& path, OpenMode mode) {
    if (int err = OpenFile(path, mode, false)) throw CFileException(path, err);
}

CFile::~CFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CFile::Open(const std::string& path, OpenMode mode) {
    m_nOpenError = OpenFile(path, mode, false);
    return m_nOpenError == 0;
}

bool CFile::OpenRegular(const std::string& path, OpenMode mode) {
    m_nOpenError = OpenFile(path, mode, true);
    return m_nOpenError == 0;
}

int CFile::OpenFile(const std::string& path, OpenMode mode, bool regularOnly) {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_strPath.clear();
    int flags = OpenFlags(mode);
    if (flags < 0) return EINVAL;
    auto notRegular = [](const struct stat& st) { return S_ISDIR(st.st_mode) ? EISDIR : EINVAL; };
    struct stat st;
    // Look first, so that a device is not even opened; what was opened is checked below.
    if (regularOnly && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return notRegular(st);
    int fd = -1;
    // A name that keeps naming another file by the time the lock is held gives up.
    for (int attempt = 0;; ++attempt) {
        if (attempt == kOpenAttempts) return EAGAIN;
        // Non-blocking so that opening a FIFO cannot hang. A regular file goes on blocking;
        // anything else stays non-blocking, so that a FIFO or device with nothing to read or
        // no room to write fails at once (EAGAIN) instead of freezing the caller.
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        if (fd < 0) return errno;
        if (::fstat(fd, &st) != 0) return CloseWith(fd, errno);
        if (S_ISDIR(st.st_mode) || (regularOnly && !S_ISREG(st.st_mode)))
            return CloseWith(fd, notRegular(st));
        if (g_pFileTestSeam) g_pFileTestSeam("open");
        int lock = mode == modeRead ? LOCK_SH : LOCK_EX;
        while (::flock(fd, lock | LOCK_NB) != 0) {
            if (errno == EINTR) continue;
            if (errno == EWOULDBLOCK) return CloseWith(fd, EWOULDBLOCK);
            break; // the file system has no locks: go on unlocked rather than refuse every file
        }
        // The file may have been moved or replaced before the lock was taken: the lock
        // must hold the file the name stands for, or two holders could use one image.
        struct stat now;
        if (::stat(path.c_str(), &now) == 0 && SameFile(now, st)) break;
        ::close(fd);
    }
    if ((mode == modeCreateReadWrite || mode == modeCreateWrite) && S_ISREG(st.st_mode) &&
        ::ftruncate(fd, 0) != 0)
        return CloseWith(fd, errno);
    if (S_ISREG(st.st_mode)) {
        int fl = ::fcntl(fd, F_GETFL);
        if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0) return CloseWith(fd, errno);
    }
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    m_strPath = ec ? path : abs.string();
    m_fd = fd;
    return 0;
}

CFile::PathState CFile::CheckPath() const {
    struct stat open, named;
    if (m_fd < 0 || ::fstat(m_fd, &open) != 0) return PathState::same;
    if (::stat(m_strPath.c_str(), &named) != 0)
        return errno == ENOENT ? PathState::gone : PathState::same;
    return SameFile(open, named) ? PathState::same : PathState::other;
}

std::string CFile::CurrentPath() const {
    struct stat open, named;
    if (m_fd < 0 || ::fstat(m_fd, &open) != 0 || open.st_nlink == 0) return {};
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(self.c_str(), buf, sizeof buf);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buf) return {};
    // A name that was removed reads "<name> (deleted)": looked at, it is not this file.
    std::string path(buf, static_cast<size_t>(n));
    if (::stat(path.c_str(), &named) != 0 || !SameFile(open, named)) return {};
    return path;
}

void CFile::CheckLimit(uint64_t length) const {
    if (length > static_cast<uint64_t>(LLONG_MAX)) Fail(EFBIG);
    // The limit stops a write at its offset, shorter files included.
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        length > limit.rlim_cur)
        Fail(EFBIG);
}

namespace {

struct Range {
    off_t from, to;
};

// The holes among the first `end` bytes of the file `fd`; none where the file system does
// not tell them apart.
std::vector<Range> Holes(int fd, off_t end) {
    std::vector<Range> holes;
    for (off_t at = 0; at < end;) {
        const off_t hole = ::lseek(fd, at, SEEK_HOLE);
        if (hole < 0 || hole >= end) break;
        off_t data = ::lseek(fd, hole, SEEK_DATA);
        if (data < 0 || data > end) data = end; // ENXIO: a hole up to the end
        holes.push_back({hole, data});
        at = data;
    }
    return holes;
}

} // namespace

void CFile::Reserve(uint64_t length) {
    CheckLimit(length);
    struct stat st;
    if (length == 0 || ::fstat(m_fd, &st) != 0) return;
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    // From the start: a hole in the part that is overwritten needs room as much as growth.
    const std::vector<Range> holes = Holes(m_fd, static_cast<off_t>(std::min(size, length)));
    // KEEP_SIZE leaves the length as it is, so the file reads as before whatever follows.
    int err = 0;
    while (::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(length)) != 0) {
        if (errno == EINTR) continue;
        err = errno;
        break;
    }
    if (err == 0) return;
    if (err == EOPNOTSUPP || err == ENOSYS) {
        // A file system that cannot reserve: what it says it has free must do, for the holes,
        // the growth, and the blocks that map them (a file system of block maps needs one per
        // block / 4 blocks, and a few above those).
        struct statvfs fs;
        if (::fstatvfs(m_fd, &fs) != 0) return;
        const uint64_t block = st.st_blksize > 0 ? uint64_t(st.st_blksize) : 4096;
        uint64_t blocks = length > size ? (length - size + block - 1) / block + 1 : 0;
        for (const Range& h : holes)
            blocks += (uint64_t(h.to - h.from) + block - 1) / block + 1;
        if (blocks == 0) return;
        blocks += blocks / (block / 4) + 3;
        if (blocks * block > uint64_t(fs.f_bavail) * fs.f_frsize) Fail(ENOSPC);
        return;
    }
    // What the failed reservation took is given back: the holes it filled are punched again
    // (they read as zeros either way) and what lies beyond the end goes by cutting the file to
    // its own length, which keeps every byte.
    for (const Range& h : holes)
        if (::fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, h.from, h.to - h.from)) {
        }
    while (::ftruncate(m_fd, st.st_size) != 0 && errno == EINTR) {
    }
    Fail(err);
}

void CFile::Fail(int err) const {
    throw CFileException(m_strPath, err);
}

uint32_t CFile::Read(void* buf, uint32_t count) {
    auto* p = static_cast<char*>(buf);
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        if (n == 0) break;
        done += static_cast<uint32_t>(n);
    }
    return done;
}

void CFile::Write(const void* buf, uint32_t count) {
    if (const int err = TryWrite(buf, count)) Fail(err);
}

int CFile::TryWrite(const void* buf, uint32_t count) {
    auto* p = static_cast<const char*>(buf);
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = ::write(m_fd, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        done += static_cast<uint32_t>(n);
    }
    return 0;
}

uint64_t CFile::Seek(uint64_t offset) {
    if (offset > static_cast<uint64_t>(LLONG_MAX)) Fail(EINVAL);
    off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET);
    if (pos < 0) Fail(errno);
    return static_cast<uint64_t>(pos);
}

uint64_t CFile::GetLength() const {
    struct stat st;
    if (::fstat(m_fd, &st) != 0) Fail(errno);
    return static_cast<uint64_t>(st.st_size);
}

void CFile::SetLength(uint64_t length) {
    if (length > static_cast<uint64_t>(LLONG_MAX)) Fail(EINVAL);
    while (::ftruncate(m_fd, static_cast<off_t>(length)) != 0) {
        if (errno != EINTR) Fail(errno);
    }
}

uint64_t CFile::GetPosition() const {
    off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0) Fail(errno);
    return static_cast<uint64_t>(pos);
}

void CFile::Flush() {
    int err = 0;
    while (::fsync(m_fd) != 0) {
        if (errno == EINTR) continue;
        err = errno;
        break;
    }
    if (err == 0) return;
    // EINVAL/EROFS: a device or pipe that has nothing to sync. From a regular file, EROFS
    // means a file system turned read-only under it: the bytes never reached the disk.
    struct stat st;
    if ((err == EINVAL || err == EROFS) && ::fstat(m_fd, &st) == 0 && !S_ISREG(st.st_mode)) return;
    // Pages the kernel failed to write back stay cached, marked clean, and the same bytes
    // written into them again may never reach the disk (a file system may leave their blocks
    // marked unwritten). Dropped, the next write starts from what the disk holds.
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_DONTNEED);
    Fail(err);
}

CFileHold::CFileHold(const CFile& file) {
    if (file.m_fd < 0) return;
    // A descriptor of its own, not a copy of the file's: a copy would share the file's lock
    // and keep it locked against anyone opening it later.
    const std::string self = "/proc/self/fd/" + std::to_string(file.m_fd);
    m_fd = ::open(self.c_str(), O_PATH | O_CLOEXEC);
    if (m_fd < 0) m_fd = ::fcntl(file.m_fd, F_DUPFD_CLOEXEC, 0); // no /proc: held, locked
}

CFileHold& CFileHold::operator=(CFileHold&& other) noexcept {
    if (this != &other) {
        Release();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool CFileHold::IsNamedBy(const std::string& path) const {
    struct stat held, named;
    return m_fd >= 0 && ::fstat(m_fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           SameFile(held, named);
}

void CFileHold::Release() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void CFile::TakeOver(CFile& other, const std::string& path) {
    if (m_fd >= 0) ::close(m_fd); // its contents live on in `other`'s file
    m_fd = other.m_fd;
    m_strPath = path;
    other.m_fd = -1;
    other.m_strPath.clear();
}

void CFile::Close() {
    if (m_fd < 0) return;
    int fd = m_fd;
    m_fd = -1;
    // The descriptor is gone after close() even when it reports an error (EINTR included),
    // but a late write error still means lost data: report it.
    if (::close(fd) != 0 && errno != EINTR) Fail(errno);
}

void IgnoreWriteSignals() {
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

void SyncFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    while (::fsync(fd) != 0 && errno == EINTR) {
    }
    ::close(fd);
}
