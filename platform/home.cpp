#include "platform/home.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsAbsolute(const char* path) {
    return path && path[0] == '/';
}

} // namespace

std::string UserHome() {
    if (const char* home = std::getenv("HOME"); IsAbsolute(home)) return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buf(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) != 0 || !found ||
        !IsAbsolute(found->pw_dir))
        return {};
    return found->pw_dir;
}

void SettleHome() {
    if (!IsAbsolute(std::getenv("HOME"))) {
        const std::string home = UserHome();
        if (!home.empty()) ::setenv("HOME", home.c_str(), 1);
    }
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        if (const char* value = std::getenv(name); value && !IsAbsolute(value)) ::unsetenv(name);
}
