// Helpers of the floppy store tests: a scratch folder, whole-file reads and writes, and
// a builder of D88 images byte by byte (so that tests can also build damaged ones).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "floppy/file_fdd.h"

using Bytes = std::vector<uint8_t>;

class ScratchDir {
  public:
    ScratchDir() {
        std::random_device rd;
        do {
            m_path = std::filesystem::temp_directory_path() /
                     ("orlo-fdd-" + std::to_string(rd()) + std::to_string(rd()));
        } while (!std::filesystem::create_directory(m_path));
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    size_t Count() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(m_path),
                                                 std::filesystem::directory_iterator()));
    }

  private:
    std::filesystem::path m_path;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline uint32_t Le32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
inline uint16_t Le16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
inline void PutLe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A D88 image under construction: header with the signature, then records as appended.
struct D88Builder {
    Bytes img = Bytes(688, 0);
    D88Builder() { std::copy_n("ORLO FDD", 9, img.begin()); }
    uint32_t Here() const { return static_cast<uint32_t>(img.size()); }
    D88Builder& Entry(int i, uint32_t offset) {
        PutLe32(img, 32 + 4 * i, offset);
        return *this;
    }
    D88Builder& DiskSize(uint32_t size) {
        PutLe32(img, 28, size);
        return *this;
    }
    // A record claiming `size` data bytes, of which `present` (default all) are appended,
    // each byte being fill + its index.
    D88Builder& Record(uint8_t c, uint8_t h, uint8_t r, uint16_t size, uint8_t fill,
                       int present = -1, uint16_t inTrack = 0) {
        const uint8_t head[16] = {c,
                                  h,
                                  r,
                                  1,
                                  static_cast<uint8_t>(inTrack),
                                  static_cast<uint8_t>(inTrack >> 8),
                                  0,
                                  0,
                                  0,
                                  0,
                                  0,
                                  0,
                                  0,
                                  0,
                                  static_cast<uint8_t>(size),
                                  static_cast<uint8_t>(size >> 8)};
        img.insert(img.end(), head, head + 16);
        for (int i = 0; i < (present < 0 ? size : present); ++i)
            img.push_back(static_cast<uint8_t>(fill + i));
        return *this;
    }
    Bytes Done() {
        if (Le32(img, 28) == 0) DiskSize(Here());
        return img;
    }
};

// Selects a sector and reads it whole; empty when SeekSector refuses it.
inline Bytes ReadSector(CFileFdd& fdd, int c, int h, int r) {
    const int size = fdd.SeekSector(c, h, r - 1);
    if (size < 0) return {};
    Bytes data(static_cast<size_t>(size));
    EXPECT_EQ(fdd.Read(data.data(), static_cast<uint32_t>(size)), static_cast<uint32_t>(size));
    return data;
}

inline Bytes Pattern(size_t size, uint8_t first) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = static_cast<uint8_t>(first + i);
    return b;
}
