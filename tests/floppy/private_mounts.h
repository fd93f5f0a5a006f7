// A mount namespace of the test's own for the guard's life (root only): what the test
// mounts there (a small disk, a single file bound onto another's name) is seen by this
// process and the processes it starts, by nobody else, and is gone with the guard.
#pragma once

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

class PrivateMounts {
public:
    PrivateMounts() : m_old(::open("/proc/self/ns/mnt", O_RDONLY | O_CLOEXEC)) {
        if (::geteuid() != 0) m_why = "not root: no mount namespace of the test's own";
        else if (m_old < 0 || m_cwd < 0 || ::unshare(CLONE_NEWNS) != 0) Failed("unshare");
        else if (m_in = true; ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr)) Failed("mount");
    }
    ~PrivateMounts() {
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

private:
    bool Failed(const char* what) {
        m_why = std::string(what) + ": " + std::strerror(errno);
        return false;
    }
    std::string m_why;
    int m_old, m_cwd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool m_in = false;
};
