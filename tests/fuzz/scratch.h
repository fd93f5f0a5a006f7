// A scratch folder of this process for a fuzz target's files, removed at exit.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

struct ScratchDir {
    explicit ScratchDir(const std::string& tag)
        : dir(std::filesystem::temp_directory_path() /
              ("orlo-fuzz-" + tag + "-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(dir);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::filesystem::path dir;
};
