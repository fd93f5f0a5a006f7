// Permission tests: root may write anywhere, so they run as `nobody` when the test runs
// as root, else as this user.
#pragma once

#include <cstdio>
#include <exception>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs `body` in a forked child as OrdinaryUser() and answers what it answered (0 for
// success; it prints what went wrong), or -1 when the child could not become that user.
inline int AsOrdinaryUser(const std::function<int()>& body) {
    const uid_t user = OrdinaryUser();
    if (user == 0) return -1;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (::geteuid() == 0) {
            const passwd* pw = ::getpwuid(user);
            if (!pw || ::setgroups(0, nullptr) != 0 || ::setgid(pw->pw_gid) != 0 ||
                ::setuid(user) != 0)
                ::_exit(255);
        }
        int answer = 254;
        try {
            answer = body();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        std::fflush(nullptr);
        ::_exit(answer);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}
