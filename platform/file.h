// CFile: a host file opened by name, the way the machine's image, printer and
// host-file code expects one. Failures throw CFileException carrying the system's
// error text. An open file is held exclusively (non-blocking advisory lock), so a
// second open of the same image fails instead of two writers corrupting it; only
// opens with modeRead may share a file with each other. The lock is always on the file
// the name names: a file moved or replaced between the open and the lock is let go and
// the name opened again. Open, Read, Write and Close are virtual so that a derived image
// can serve its bytes through a CFile pointer.
// OpenRegular refuses whatever is not a plain file (FIFO, device, socket, folder), so
// a name chosen by a guest program can never block the caller in a read or write. A
// FIFO or device that Open accepts (a user's printer output, say) is not waited on
// either: with nothing to read or no room to write, Read and Write throw (EAGAIN).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class CFileException : public std::runtime_error {
public:
    CFileException(const std::string& path, int err);
    int m_nErrno; // errno of the failing call
};

class CFile {
public:
    enum OpenMode {
        modeRead,            // existing file, read only
        modeReadWrite,       // existing file, read and write
        modeCreateReadWrite, // create or truncate, read and write
        modeCreateWrite,     // create or truncate, write only
    };

    CFile() = default;
    CFile(const std::string& path, OpenMode mode); // throws CFileException
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Returns false (and leaves the object closed) where the constructor would throw;
    // OpenError() then holds the errno.
    virtual bool Open(const std::string& path, OpenMode mode);
    // As Open, for regular files only; anything else fails with EINVAL (EISDIR).
    bool OpenRegular(const std::string& path, OpenMode mode);
    int OpenError() const { return m_nOpenError; }
    bool IsOpen() const { return m_fd >= 0; }

    // Read returns the count actually read (0 at end of file).
    virtual uint32_t Read(void* buf, uint32_t count);
    // Writes every byte or throws.
    virtual void Write(const void* buf, uint32_t count);
    // As this class's Write, answering 0 or the errno instead of throwing, so that a write
    // tried again and again (a printer byte the guest polls for) allocates nothing. After a
    // failure some of the bytes may have been written; a single byte either was or was not.
    int TryWrite(const void* buf, uint32_t count);
    uint64_t Seek(uint64_t offset); // from the start; returns the new position
    uint64_t GetLength() const;
    void SetLength(uint64_t length);
    uint64_t GetPosition() const;
    const std::string& GetFilePath() const { return m_strPath; } // absolute, as opened
    // What the file's name stands for now: still this open file, nothing (deleted or
    // moved away), or another file (replaced). A name that cannot be looked at (a folder
    // without search permission) counts as still this file.
    enum class PathState { same, gone, other };
    PathState CheckPath() const;
    // Where the open file is now (an absolute path without links), found through the
    // system's list of the process's files: also after the file or a folder above it was
    // moved. Empty when it has no name left (deleted) or its place cannot be told.
    std::string CurrentPath() const;
    // The process's file-size limit against a write of the file's first `length` bytes:
    // throws EFBIG when the write would stop at it.
    void CheckLimit(uint64_t length) const;
    // Settles what could stop a write of the file's first `length` bytes before anything is
    // written: the file-size limit (CheckLimit), and room on disk for every one of them (holes
    // of a sparse file included), reserved without making the file longer; where the file
    // system cannot reserve, what it reports free must cover the holes, the growth and the
    // blocks that map them (the blocks the file has already are not counted again). Either way
    // the file's length and bytes stay as they were, so that a program ended at any moment
    // after it leaves the file as before. Throws (EFBIG for the limit, ENOSPC, EDQUOT, ...);
    // a reservation that failed gives back every block it took, the holes it filled included,
    // so that the file takes no more room than before. A file system that copies on write may
    // still fail a write later.
    void Reserve(uint64_t length);
    // Puts every byte written on disk. Throws whatever the system reports for a regular file
    // (after a failed write-back the kernel may have dropped the bytes: the caller must write
    // them again); a device or pipe that has nothing to sync is left alone.
    void Flush();
    // Throws if the system reports an error while closing; the file is closed regardless.
    virtual void Close();

protected:
    // Goes on with `other`'s open file (with its lock) under the name `path`; the file
    // this object had open is closed. `other` is left closed. For a file that replaced
    // this one by rename.
    void TakeOver(CFile& other, const std::string& path);
    // The open file is known under `path` from now on (it was moved there).
    void MovedTo(const std::string& path) { m_strPath = path; }

private:
    friend class CFileSave; // makes and places the new version of a file
    friend class CFileHold; // keeps a file's identity
    int OpenFile(const std::string& path, OpenMode mode, bool regularOnly); // 0 or an errno
    [[noreturn]] void Fail(int err) const;
    int m_fd = -1;
    int m_nOpenError = 0;
    std::string m_strPath;
};

// For tests only: when set, called with "open" between the open and the lock of CFile's
// open, with "read" before each read of a floppy image's file as it is opened, with "save"
// where a floppy save has written the new image and is about to put it in place, with "in
// place" where one is about to overwrite the open file, and with "flush" where one has
// written into the open file and is about to flush it: the points where another process
// changing the file system, or a failing disk, must not harm. The seam may throw
// CFileException to make that step fail.
extern void (*g_pFileTestSeam)(const char* where);

// Call once at start: a write beyond the process's file-size limit (EFBIG) or into a
// FIFO whose reader has gone (EPIPE) then fails as any other write error, instead of
// killing the program.
void IgnoreWriteSignals();

// Makes the renames inside `folder` durable (best effort: a file system that cannot
// sync a folder is left as it is).
void SyncFolder(const std::string& folder);

// Keeps hold of one file, so that it can later be told from any other: the file stays open
// (a descriptor of its own, no lock), and while it is open no other file can take its device
// and inode numbers, which a file system may hand to a new file as soon as the old one is
// deleted. Empty when made by default.
class CFileHold {
public:
    CFileHold() = default;
    explicit CFileHold(const CFile& file); // empty when `file` is closed or cannot be held
    ~CFileHold() { Release(); }
    CFileHold(CFileHold&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    CFileHold& operator=(CFileHold&& other) noexcept;
    CFileHold(const CFileHold&) = delete;
    CFileHold& operator=(const CFileHold&) = delete;

    // Whether `path` names the held file itself (a link is not followed).
    bool IsNamedBy(const std::string& path) const;
    void Release();

private:
    int m_fd = -1;
};
