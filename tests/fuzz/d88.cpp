// Fuzz target of the floppy image loader: the input is written to a file without an
// extension and opened as a disk; every sector is read, one is written partly, and a
// small disk is formatted on one track and rewritten at Close.
#include <cstdint>
#include <string>
#include <vector>

#include "floppy/file_fdd.h"
#include "tests/platform/temp_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TempDir scratch("fuzz-d88");
    static const std::string path = scratch / "img";
    static std::vector<uint8_t> buf(65536);
    WriteFile(path, Bytes(data, data + size));

    CFileFdd fdd;
    if (!fdd.Open(path, CFile::modeReadWrite)) return 0;
    uint64_t total = 0;
    bool wrote = false;
    for (size_t t = 0; t < fdd.m_tracks.size(); ++t) {
        const int c = static_cast<int>(t) / 2, h = static_cast<int>(t) % 2;
        for (size_t i = 0; i < fdd.m_tracks[t].m_sects.size(); ++i) {
            const int n = fdd.SeekSector(c, h, static_cast<int>(i));
            if (n <= 0) continue;
            total += static_cast<uint64_t>(n);
            fdd.Read(buf.data(), static_cast<uint32_t>(n) / (wrote ? 1 : 2));
            if (!wrote) fdd.Write(buf.data(), 2);
            wrote = true;
        }
    }
    if (total < (1u << 20)) {
        CFddSect s;
        s.m_R = 1;
        s.m_nSize = 128;
        s.m_nIndex = 0;
        if (fdd.AddSector(s)) fdd.m_bModified = true;
    }
    try {
        fdd.Close();
    } catch (const CFileException&) {
    }
    return 0;
}
