// Disks for the tests that save where room runs out: a file system made in a file by the
// system's mkfs, a disk filled until it takes no more, and room given back by the byte.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

#include "tests/platform/child.h"
#include "tests/platform/temp_dir.h"

// Runs the system's mkfs `argv` (argv[0] "mkfs.btrfs", say, the file last), its output
// going to `log`; empty when it made the file system, else why not (the reason to skip).
// Areas it would zero (an ext4 journal, inode tables) it writes rather than punches out of
// the file, so that the file system never needs room of the disk its file is on later.
inline std::string MakeFileSystem(const std::vector<std::string>& argv, const std::string& log) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    Child make;
    const bool started = make.Start([&] {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1), ::dup2(out, 2);
        ::setenv("PATH", "/usr/sbin:/sbin:/usr/bin:/bin", 1); // in the child only
        ::setenv("UNIX_IO_NOZEROOUT", "1", 1);
        ::execvp(args[0], args.data());
        std::perror(args[0]);
        return 127;
    });
    if (started && make.Wait(60) && make.ExitCode() == 0) return "";
    return "no " + argv[0] + ", or it failed: " + ReadFile<std::string>(log);
}

// A new file of `bytes`, all holes (as truncate makes it).
inline bool SparseFile(const std::string& path, off_t bytes) {
    return WriteFile(path, "") && ::truncate(path.c_str(), bytes) == 0;
}

// An ext2 or ext4 file system of 16 MB in the new file `disk`: 4 KB blocks, none kept back
// for root (the test fills the disk as root, the user saves), every part written at once so
// that nothing is written lazily later. Empty when made, else why not.
inline std::string MakeExt(const std::string& type, const std::string& disk,
                           const std::string& log) {
    if (!SparseFile(disk, 16 << 20)) return "no file for the disk";
    return MakeFileSystem({"mkfs." + type, "-q", "-F", "-b", "4096", "-m", "0", "-E",
                           "nodiscard,lazy_itable_init=0,lazy_journal_init=0", disk},
                          log);
}

// Writes into a new file `path` until the disk takes no more, in ever smaller pieces and
// flushing in between (a flush gives back room held for writes in flight); the errno that
// stopped the last write.
inline int Fill(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    const std::vector<char> bytes(64 << 10, 'x');
    int err = 0;
    for (const size_t piece : {bytes.size(), bytes.size(), size_t{4096}, size_t{512}}) {
        while (::write(fd, bytes.data(), piece) > 0) {
        }
        err = errno;
        ::syncfs(fd);
    }
    ::close(fd);
    return err;
}

// Puts what was written to the disk of `path` on it: delayed allocations made, blocks that
// a commit frees given back. False when it cannot.
inline bool SyncDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    if (fd >= 0) ::close(fd);
    return synced;
}

// What the disk of `path` has free for a user without privileges, once synced; 0 when unknown.
inline uint64_t FreeRoom(const std::string& path) {
    struct statvfs vfs {};
    return SyncDisk(path) && ::statvfs(path.c_str(), &vfs) == 0
               ? uint64_t(vfs.f_bavail) * vfs.f_frsize
               : 0;
}

// Cuts the file `filler` (Fill's) until its disk has at least `bytes` free, and no more
// than the blocks that held the file's own bookkeeping beyond; false when it cannot.
inline bool LeaveFree(const std::string& filler, uint64_t bytes) {
    for (int round = 0; round < 16; ++round) {
        const uint64_t free = FreeRoom(filler);
        struct stat st {};
        if (free >= bytes) return true;
        if (::stat(filler.c_str(), &st) != 0) return false;
        const uint64_t block = uint64_t(st.st_blksize);
        const uint64_t cut = (bytes - free + block - 1) / block * block;
        if (uint64_t(st.st_size) < cut || ::truncate(filler.c_str(), st.st_size - off_t(cut)) != 0)
            return false;
    }
    return false;
}
