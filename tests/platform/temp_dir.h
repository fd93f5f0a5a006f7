// A folder of the test's own (made by mkdtemp, so two runs never share one), removed with
// everything in it; and whole-file helpers.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Whether a user who is neither owner nor in the group may pass through every folder from
// the root down to `path`, that included.
inline bool OthersCanReach(std::filesystem::path path) {
    for (path = std::filesystem::absolute(path);; path = path.parent_path()) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !(st.st_mode & S_IXOTH)) return false;
        if (path == path.root_path()) return true;
    }
}

// Where scratch folders go: the system's temporary folder, unless (as root) cases that run
// as another user could not reach it, or it is too long for a socket address (108 bytes)
// to hold a name in a scratch folder there; then /tmp or /var/tmp, where open to all.
inline std::filesystem::path ScratchBase() {
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    if ((::geteuid() != 0 || OthersCanReach(tmp)) && tmp.native().size() <= 64) return tmp;
    for (const char* shared : {"/tmp", "/var/tmp"}) {
        struct stat st {};
        if (::stat(shared, &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 01777) == 01777)
            return shared;
    }
    return tmp;
}

class TempDir {
public:
    explicit TempDir(const std::string& tag = "test") {
        std::string name = ScratchBase() / ("orlo-" + tag + "-XXXXXX");
        if (!::mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed under " + name);
        m_path = name;
        ::chmod(name.c_str(), 0755); // cases that run as another user must reach it
    }
    // Never throws: folders a test made read-only are opened up before they are removed.
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        ::chmod(m_path.c_str(), 0700);
        const auto skip = fs::directory_options::skip_permission_denied;
        for (fs::recursive_directory_iterator it(m_path, skip, ec), end; !ec && it != end;
             it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
        fs::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }
    // How many entries the folder holds, or its sub-folder `sub` (0 when it is no folder).
    long Count(const std::string& sub = "") const {
        std::error_code ec;
        return std::distance(std::filesystem::directory_iterator(m_path / sub, ec), {});
    }

private:
    std::filesystem::path m_path;
};

using Bytes = std::vector<uint8_t>;

// The whole file as bytes (or as a string with ReadFile<std::string>); empty when unreadable.
template <class C = Bytes> C ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return C(std::istreambuf_iterator<char>(in), {});
}

// Writes the whole file; false when it could not be written.
inline bool WriteFile(const std::string& path, std::string_view data) {
    std::ofstream out(path, std::ios::binary);
    return bool(out.write(data.data(), std::streamsize(data.size())).flush());
}
inline bool WriteFile(const std::string& path, const Bytes& data) {
    return WriteFile(path, {reinterpret_cast<const char*>(data.data()), data.size()});
}
