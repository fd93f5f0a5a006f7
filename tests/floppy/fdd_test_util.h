// Helpers of the floppy store tests: a scratch folder, whole files, and D88 images built
// byte by byte (so that tests can build damaged ones too).
#pragma once

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

#include "floppy/file_fdd.h"
#include "floppy/raw_geometry.h"
#include "tests/platform/ordinary_user.h"
#include "tests/platform/temp_dir.h"

using Sect = std::array<int, 4>; // C, H, R, size

inline uint32_t Le32(const Bytes& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}
inline void PutLe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> 8 * i);
}
inline Bytes Pattern(size_t size, uint8_t first) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = static_cast<uint8_t>(first + i);
    return b;
}
// A raw image whose every 4-byte word holds its own offset / 4.
inline Bytes AddressedImage(uint32_t size) {
    Bytes b(size);
    for (uint32_t o = 0; o < size; o += 4)
        PutLe32(b, o, o / 4);
    return b;
}

// D88 header with the signature, the given table entries and disk size (0: none yet).
inline Bytes D88Header(std::vector<uint32_t> entries, uint32_t diskSize = 0) {
    Bytes b(688, 0);
    std::copy_n("ORLO FDD", 9, b.begin());
    for (size_t i = 0; i < entries.size(); ++i)
        PutLe32(b, 32 + 4 * i, entries[i]);
    PutLe32(b, 28, diskSize);
    return b;
}
// Appends a record claiming `size` data bytes, of which `present` (-1: all) follow.
inline void D88Record(Bytes& b, uint8_t c, uint8_t h, uint8_t r, uint16_t size, int present = -1,
                      uint16_t inTrack = 0) {
    const uint8_t head[16] = {
        c, h, r, FddSizeCode(size), uint8_t(inTrack),  uint8_t(inTrack >> 8), 0, 0, 0, 0, 0,
        0, 0, 0, uint8_t(size),     uint8_t(size >> 8)};
    b.insert(b.end(), head, head + 16);
    const Bytes data = Pattern(present < 0 ? size : present, r);
    b.insert(b.end(), data.begin(), data.end());
}

// What the format command does: empty the track, add its sectors in physical order.
inline void FormatTrack(CFileFdd& fdd, int c, int h, std::vector<std::array<int, 2>> rAndSize) {
    fdd.ClearTrack(c, h);
    int k = 0;
    for (auto [r, size] : rAndSize) {
        CFddSect s;
        s.m_C = uint8_t(c), s.m_H = uint8_t(h), s.m_R = uint8_t(r), s.m_N = FddSizeCode(size);
        s.m_nSize = uint16_t(size), s.m_nIndex = k++;
        fdd.m_bModified |= fdd.AddSector(s);
    }
}

// `image` written as `name` into a scratch folder of its own, and opened to write.
struct OpenImage {
    TempDir dir{"fdd"};
    CFileFdd fdd;
    explicit OpenImage(const Bytes& image, const std::string& name = "disk.img") {
        WriteFile(dir / name, image);
        EXPECT_TRUE(fdd.Open(dir / name, CFile::modeReadWrite));
    }
};

// Selects a sector and reads it whole; empty when SeekSector refuses it.
inline Bytes ReadSector(CFileFdd& fdd, int c, int h, int r) {
    const int size = fdd.SeekSector(c, h, r - 1);
    if (size < 0) return {};
    Bytes data(size);
    EXPECT_EQ(fdd.Read(data.data(), size), static_cast<uint32_t>(size));
    return data;
}
