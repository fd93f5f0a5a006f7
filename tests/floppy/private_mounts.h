// A mount namespace of the test's own for the guard's life (root only): what the test
// mounts there (a small disk, a single file bound onto another's name, a file system in a
// file) is seen by this process and the processes it starts, by nobody else, and is gone
// with the guard.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/loop.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

class PrivateMounts {
public:
    PrivateMounts() : m_old(::open("/proc/self/ns/mnt", O_RDONLY | O_CLOEXEC)) {
        if (::geteuid() != 0) m_why = "not root: no mount namespace of the test's own";
        else if (m_old < 0 || m_cwd < 0 || ::unshare(CLONE_NEWNS) != 0) Failed("unshare");
        else if (m_in = true; ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr)) Failed("mount");
    }
    ~PrivateMounts() {
        // Unmounted here, not left to the namespace's end: the loop device goes with it.
        for (auto it = m_loops.rbegin(); it != m_loops.rend(); ++it)
            if (::umount2(it->folder.c_str(), 0) != 0) ::umount2(it->folder.c_str(), MNT_DETACH);
        if (m_in && ::setns(m_old, CLONE_NEWNS) == 0 && ::fchdir(m_cwd) != 0) Failed("fchdir");
        ::close(m_old), ::close(m_cwd);
    }
    PrivateMounts(const PrivateMounts&) = delete;
    PrivateMounts& operator=(const PrivateMounts&) = delete;

    // Empty while the namespace is there, else why not (the reason to skip).
    const std::string& Why() const { return m_why; }
    // A disk of `bytes` on `folder`, or the file `from` bound onto the file `onto` (as a
    // container is given one); false, Why() telling why, when it cannot be made.
    bool SmallDisk(const std::string& folder, size_t bytes) {
        const std::string size = "size=" + std::to_string(bytes) + ",mode=0755";
        return m_why.empty() &&
               (::mount("orlo-test", folder.c_str(), "tmpfs", 0, size.c_str()) == 0 || Failed("mount"));
    }
    bool Bind(const std::string& from, const std::string& onto) {
        return m_why.empty() &&
               (::mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0 || Failed("mount"));
    }

    // The file system of type `type` in the file `image` on `folder` (with the mount options
    // `options`), through a loop device that is detached when it is unmounted (or at once
    // when the mount fails); false, Why() telling why, when it cannot be mounted.
    bool LoopDisk(const std::string& image, const std::string& folder, const char* type,
                  const char* options = nullptr) {
        if (!m_why.empty()) return false;
        const int control = ::open("/dev/loop-control", O_RDWR | O_CLOEXEC);
        if (control < 0) return Failed("/dev/loop-control");
        const int file = ::open(image.c_str(), O_RDWR | O_CLOEXEC);
        std::string device;
        int loop = -1;
        // A free device may be taken by another process before it is set up: the next one.
        for (int tries = 0; file >= 0 && loop < 0 && tries < 10; ++tries) {
            const int n = ::ioctl(control, LOOP_CTL_GET_FREE);
            if (n < 0) break;
            device = "/dev/loop" + std::to_string(n);
            if ((loop = ::open(device.c_str(), O_RDWR | O_CLOEXEC)) < 0) break;
            loop_config config{};
            config.fd = static_cast<uint32_t>(file);
            config.info.lo_flags = LO_FLAGS_AUTOCLEAR;
            if (::ioctl(loop, LOOP_CONFIGURE, &config) == 0) break;
            const int err = errno;
            ::close(loop), loop = -1, errno = err;
            if (err != EBUSY) break;
        }
        const bool mounted =
            loop >= 0 && ::mount(device.c_str(), folder.c_str(), type, 0, options) == 0;
        if (mounted) m_loops.push_back({folder, device});
        const int err = errno;
        for (const int fd : {loop, file, control}) // nothing but the mount holds the device now
            if (fd >= 0) ::close(fd);
        errno = err;
        return mounted || Failed("loop mount");
    }
    // The device ("loop3") of the loop disk on `folder`; empty when there is none.
    std::string LoopDevice(const std::string& folder) const {
        for (const Loop& l : m_loops)
            if (l.folder == folder) return l.device.substr(l.device.rfind('/') + 1);
        return "";
    }
    // Makes the loop disk on `folder`, a file system in the file `image`, stop answering, as a
    // disk whose server went away: the file is cut to nothing and the device told, so that
    // every read and write of it fails (EIO) from then on. False, Why() telling why, when it
    // cannot.
    bool StopAnswering(const std::string& folder, const std::string& image) {
        const std::string device = LoopDevice(folder);
        if (device.empty()) return errno = EINVAL, Failed("no loop disk");
        const int loop = ::open(("/dev/" + device).c_str(), O_RDONLY | O_CLOEXEC);
        const bool done = loop >= 0 && ::truncate(image.c_str(), 0) == 0 &&
                          ::ioctl(loop, LOOP_SET_CAPACITY, 0) == 0;
        const int err = errno;
        if (loop >= 0) ::close(loop);
        errno = err;
        return done || Failed("loop capacity");
    }
    // Unmounts the loop disk on `folder` (what it held in memory is gone, its device
    // detached), so that it can be mounted again; false, Why() telling why, when it cannot.
    bool Unmount(const std::string& folder) {
        const auto it = std::find_if(m_loops.begin(), m_loops.end(),
                                     [&](const Loop& l) { return l.folder == folder; });
        if (it == m_loops.end()) return errno = EINVAL, Failed("umount");
        if (::umount2(folder.c_str(), 0) != 0) return Failed("umount");
        m_loops.erase(it);
        return true;
    }

private:
    bool Failed(const char* what) {
        m_why = std::string(what) + ": " + std::strerror(errno);
        return false;
    }
    std::string m_why;
    int m_old, m_cwd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool m_in = false;
    struct Loop {
        std::string folder, device;
    };
    std::vector<Loop> m_loops; // folders with a loop-mounted file system on them
};
