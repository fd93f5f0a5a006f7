// Permission tests: root may write anywhere, so they run as `nobody` when the test runs
// as root, else as this user.
#pragma once

#include <filesystem>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <unistd.h>

#include "tests/platform/child.h"
#include "tests/platform/temp_dir.h"

// The user permission tests run as; 0 when root has no `nobody` to become.
inline uid_t OrdinaryUser() {
    if (::geteuid() != 0) return ::geteuid();
    const passwd* pw = ::getpwnam("nobody");
    return pw ? pw->pw_uid : 0;
}

// Why a case cannot run as OrdinaryUser() with its files in `dir`; empty when it can.
inline std::string WhyNotAsOrdinaryUser(const std::filesystem::path& dir) {
    if (OrdinaryUser() == 0) return "root, without a user `nobody` to become";
    if (::geteuid() != 0 || OthersCanReach(dir)) return "";
    return "`nobody` cannot reach " + dir.string() + ", and no temporary folder is open to all";
}

// As root, gives `path` (a file, or a folder and everything in it) to OrdinaryUser(); false
// when it could not.
inline bool GiveToOrdinaryUser(const std::filesystem::path& path) {
    if (::geteuid() != 0) return true;
    const passwd* pw = ::getpwuid(OrdinaryUser());
    if (!pw || pw->pw_uid == 0 || ::lchown(path.c_str(), pw->pw_uid, pw->pw_gid) != 0) return false;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
        if (::lchown(it->path().c_str(), pw->pw_uid, pw->pw_gid) != 0) return false;
    return !ec || ec == std::errc::not_a_directory;
}

// In a child process of a test run as root, becomes OrdinaryUser(); false when it could not.
inline bool BecomeOrdinaryUser() {
    const passwd* pw = ::getpwuid(OrdinaryUser());
    return ::geteuid() != 0 || (pw && pw->pw_uid != 0 && ::setgroups(0, nullptr) == 0 &&
                                ::setgid(pw->pw_gid) == 0 && ::setuid(pw->pw_uid) == 0);
}

// Runs `body` in a child process as OrdinaryUser() and answers what it answered (0 for
// success; it prints what went wrong, 128 + the signal that ended it), or -1 when the
// child could not become that user.
inline int AsOrdinaryUser(const std::function<int()>& body) {
    Child child;
    if (OrdinaryUser() == 0 || !child.Start([&] { return BecomeOrdinaryUser() ? body() : 255; }) ||
        !child.Wait(100) || child.ExitCode() == 255)
        return -1;
    return child.ExitCode() >= 0 ? child.ExitCode() : 128 + WTERMSIG(child.Status());
}
