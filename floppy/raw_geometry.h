// The raw image geometries: sectors of every track one after another, tracks in the
// order C0 H0, C0 H1, C1 H0, ..., no header. A raw image is recognised by its size
// alone; no two rows share one. Rows 2-6 lay out cylinder 0 differently from the rest.
#pragma once

#include <cstdint>

struct FddGeometry {
    int m_nId;
    int m_nCylinders;
    int m_nHeads;
    int m_nSectors; // per track, outside cylinder 0's own layout
    int m_nSize;    // bytes per sector
    uint32_t m_nImageBytes;
    int m_nCyl0Size[2]; // sector size on cylinder 0 heads 0/1; 0 = as the rest
};

inline constexpr int kFddCyl0Sectors = 26; // sectors per track on a special cylinder 0
inline constexpr int kFddGeometryCount = 13;
extern const FddGeometry g_fddGeometry[kFddGeometryCount];

// The size code N of a sector size (128 -> 0 .. 1024 -> 3).
constexpr uint8_t FddSizeCode(int size) {
    uint8_t n = 0;
    while ((128 << n) < size && n < 3)
        ++n;
    return n;
}
