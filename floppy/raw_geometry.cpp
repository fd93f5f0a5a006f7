#include "floppy/raw_geometry.h"

#include "floppy/file_fdd.h"

// clang-format off
const FddGeometry g_fddGeometry[kFddGeometryCount] = {
    // id cyl heads sectors size  image bytes  cylinder 0 sizes
    {0,  40, 2, 16, 256,  327680,  {0, 0}},
    {1,  77, 2, 26, 128,  512512,  {0, 0}},
    {2,  77, 2, 15, 256,  590336,  {128, 128}},
    {3,  77, 2, 8,  512,  629248,  {128, 128}},
    {4,  77, 2, 26, 256,  1021696, {128, 256}},
    {5,  77, 2, 15, 512,  1177344, {128, 256}},
    {6,  77, 2, 8,  1024, 1255168, {128, 256}},
    {7,  80, 2, 8,  512,  655360,  {0, 0}},
    {8,  80, 2, 9,  512,  737280,  {0, 0}},
    {9,  77, 2, 26, 256,  1025024, {0, 0}},
    {10, 80, 2, 15, 512,  1228800, {0, 0}},
    {11, 77, 2, 8,  1024, 1261568, {0, 0}},
    {12, 80, 2, 18, 512,  1474560, {0, 0}},
};
// clang-format on

bool CFileFdd::SetupFormat(int id) {
    if (id < 0) return false;
    if (id >= kFormatD88) return LoadD88(false);
    const FddGeometry& g = g_fddGeometry[id];
    m_nFormat = g.m_nId;
    m_nCylinders = g.m_nCylinders;
    m_nHeads = g.m_nHeads;
    m_nSectors = g.m_nSectors;
    m_nSize = g.m_nSize;
    m_tracks.assign(static_cast<size_t>(g.m_nCylinders * g.m_nHeads), CFddTrack{});

    uint64_t offset = 0;
    for (int c = 0; c < g.m_nCylinders; ++c) {
        for (int h = 0; h < g.m_nHeads; ++h) {
            int count = g.m_nSectors;
            int size = g.m_nSize;
            if (c == 0 && g.m_nCyl0Size[h] != 0) {
                count = kFddCyl0Sectors;
                size = g.m_nCyl0Size[h];
            }
            std::vector<CFddSect>& sects =
                m_tracks[static_cast<size_t>(c * g.m_nHeads + h)].m_sects;
            sects.assign(static_cast<size_t>(count), CFddSect{});
            for (int s = 0; s < count; ++s) {
                CFddSect& sect = sects[static_cast<size_t>(s)];
                sect.m_C = static_cast<uint8_t>(c);
                sect.m_H = static_cast<uint8_t>(h);
                sect.m_R = static_cast<uint8_t>(s + 1);
                sect.m_N = FddSizeCode(size);
                sect.m_nIndex = s;
                sect.m_nState = CFddSect::stateFile;
                sect.m_nSize = static_cast<uint16_t>(size);
                sect.m_nOffset = offset;
                offset += static_cast<uint64_t>(size);
            }
        }
    }
    return true;
}
