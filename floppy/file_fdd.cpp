#include "floppy/file_fdd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>

#include "floppy/raw_geometry.h"
#include "platform/file_save.h"

namespace {
constexpr uint8_t kFill = 0xE4;           // what a formatted sector holds before it is written
constexpr char kSignature[] = "ORLO FDD"; // compared with its NUL
} // namespace

void CFileFdd::Reset() {
    m_nFormat = -1;
    m_nCylinders = 0;
    m_nHeads = 2;
    m_nSectors = 0;
    m_nSize = 0;
    m_tracks.clear();
    m_bModified = false;
    m_nCurTrack = m_nCurSlot = -1;
    m_nFilePos = kUnknownPos;
    m_nChanges = m_nSavedChanges = 0;
    m_image = {};
    m_unread.clear();
    m_nPartial = 0;
    m_formatted.reset();
}

bool CFileFdd::Open(const std::string& path, CFile::OpenMode mode) {
    if (IsOpen()) return false;
    Reset();
    if (!OpenRegular(path, mode)) return false; // a save replaces the file: never a device
    m_bReadOnly = mode == modeRead;
    m_strOpenedPath = GetFilePath();
    if (mode != modeRead) {
        // The lock is ours: what saves of this image cut short left is nobody's.
        std::error_code ec;
        const std::filesystem::path real = std::filesystem::canonical(GetFilePath(), ec);
        RemoveSaveLeftovers(ec ? GetFilePath() : real.string());
    }
    HoldFile();
    Load();
    m_nChanges = m_nSavedChanges = 0; // the sectors found are no change
    m_formatted.reset();
    return true;
}

int CFileFdd::DetectFormat() {
    // Without its first bytes no file can be told: a D88 image may have a raw one's length.
    if (UnreadIn(0, sizeof kSignature)) return -1;
    if (m_image.size() >= sizeof kSignature &&
        std::memcmp(m_image.data(), kSignature, sizeof kSignature) == 0)
        return kFormatD88;
    // A file that could not be read whole to its end has no length to tell.
    if (!m_unread.empty() && m_unread.back().to == UINT64_MAX) return -1;
    for (const FddGeometry& g : g_fddGeometry)
        if (g.m_nImageBytes == m_nFileLength) return g.m_nId;
    return -1;
}

bool CFileFdd::HasTrack(int C, int H) const {
    if (C < 0 || C >= m_nCylinders || H < 0 || H >= m_nHeads) return false;
    const size_t t = static_cast<size_t>(C * m_nHeads + H);
    return t < m_tracks.size() && !m_tracks[t].m_sects.empty();
}

int CFileFdd::SeekSector(int C, int H, int i) {
    m_nCurTrack = m_nCurSlot = -1;
    if (C < 0 || C >= m_nCylinders || H < 0 || H >= m_nHeads) return -1;
    const int t = C * m_nHeads + H;
    if (static_cast<size_t>(t) >= m_tracks.size()) return -1;
    // Raw row 0 numbers head 1's sectors 17-32; 1-16 are accepted there as well.
    if (m_nFormat == 0 && H == 1 && i >= m_nSectors) i -= m_nSectors;
    std::vector<CFddSect>& sects = m_tracks[static_cast<size_t>(t)].m_sects;
    if (i < 0 || static_cast<size_t>(i) >= sects.size()) return -1;
    CFddSect& s = sects[static_cast<size_t>(i)];
    if (s.m_nSize == 0 || s.m_C != C || s.m_H != H || s.m_R != i + 1) return -1;
    if (s.m_nState != CFddSect::stateFile && s.m_data.size() != s.m_nSize) {
        try {
            s.m_data.resize(s.m_nSize, kFill);
        } catch (const std::bad_alloc&) {
            return -1;
        }
    }
    if (s.m_nState == CFddSect::stateFormatted) s.m_nState = CFddSect::stateMemory;
    s.m_nPos = 0;
    m_nCurTrack = t;
    m_nCurSlot = i;
    return s.m_nSize;
}

CFddSect* CFileFdd::CurSect() {
    if (m_nCurTrack < 0 || static_cast<size_t>(m_nCurTrack) >= m_tracks.size()) return nullptr;
    std::vector<CFddSect>& sects = m_tracks[static_cast<size_t>(m_nCurTrack)].m_sects;
    if (m_nCurSlot < 0 || static_cast<size_t>(m_nCurSlot) >= sects.size()) return nullptr;
    CFddSect& s = sects[static_cast<size_t>(m_nCurSlot)];
    if (s.m_nSize == 0 || s.m_nPos > s.m_nSize) return nullptr;
    if (s.m_nState != CFddSect::stateFile && s.m_data.size() < s.m_nSize) return nullptr;
    return &s;
}

uint32_t CFileFdd::Read(void* buf, uint32_t count) {
    CFddSect* s = CurSect();
    if (!s) return 0xFFFFFFFF;
    const uint32_t k = std::min<uint32_t>(count, s->m_nSize - s->m_nPos);
    if (k == 0) return 0;
    if (s->m_nState == CFddSect::stateFile) {
        CopyHeld(*s, s->m_nPos, static_cast<uint8_t*>(buf), k);
    } else {
        std::memcpy(buf, s->m_data.data() + s->m_nPos, k);
    }
    s->m_nPos += k;
    return k;
}

void CFileFdd::Write(const void* buf, uint32_t count) {
    CFddSect* s = CurSect();
    if (!s) return;
    const uint32_t k = std::min<uint32_t>(count, s->m_nSize - s->m_nPos);
    if (k == 0) return;
    const auto* bytes = static_cast<const uint8_t*>(buf);
    const uint64_t pos = s->m_nOffset + s->m_nPos;
    const bool inFile = s->m_nState == CFddSect::stateFile;
    if (inFile) {
        // Opened only to read: as a write-protected disk, the sector stays as it is. A sector
        // that could not be read is not made whole by a write of part of it.
        if (m_bReadOnly) throw CFileException(GetFilePath(), EBADF);
        const uint64_t end = s->m_nOffset + s->m_nSize;
        HeldCount(s->m_nOffset, s->m_nSize);
        if (end > m_image.size()) {
            // Promised beyond the end of a damaged image: held from now on, as unwritten.
            if (end > kMaxHeld) throw CFileException(GetFilePath(), EFBIG);
            m_image.resize(end, kFill);
        }
        std::memcpy(m_image.data() + pos, bytes, k);
        s->m_bUnflushed = true;
    } else {
        std::memcpy(s->m_data.data() + s->m_nPos, bytes, k);
    }
    s->m_nPos += k;
    ++m_nChanges;
    // A file that a rewrite left damaged no longer has the sectors where they were: the next
    // save writes it whole.
    if (!inFile || m_bFileDamaged) return;
    // Into the file at once as well, so that the bytes are there should the program end. A
    // file that refuses them (a disk turned read-only, an I/O error) fails the next save,
    // which writes them again and tells the user; the guest's write goes on in memory.
    const uint64_t at = m_nFilePos;
    m_nFilePos = kUnknownPos;
    try {
        if (pos > m_nFileLength) m_nFileLength = GetLength();
        if (at == pos && pos <= m_nFileLength) {
            CFile::Write(bytes, k);
            m_nFileLength = std::max(m_nFileLength, pos + k);
        } else {
            PutAt(*this, m_nFileLength, pos, bytes, k);
        }
        m_nFilePos = pos + k;
    } catch (const CFileException&) {
    }
}

void CFileFdd::PutAt(CFile& f, uint64_t& length, uint64_t pos, const uint8_t* p, uint32_t count) {
    if (length < pos) {
        // Data promised beyond the end of a damaged image: the bytes before this one keep
        // reading as they did (0xE4) once the file is extended.
        const std::vector<uint8_t> pad(4096, kFill);
        f.Seek(length);
        while (length < pos) {
            const auto n = static_cast<uint32_t>(std::min<uint64_t>(pad.size(), pos - length));
            f.CFile::Write(pad.data(), n);
            length += n;
        }
    } else {
        f.Seek(pos);
    }
    f.CFile::Write(p, count);
    length = std::max(length, pos + count);
}

bool CFileFdd::AddSector(const CFddSect& s) {
    const int t = s.m_C * m_nHeads + s.m_H;
    if (t < 0 || t >= kMaxTracks || s.m_R < 1 || s.m_R > 254) return false;
    m_nCurTrack = m_nCurSlot = -1;
    const size_t i = static_cast<size_t>(s.m_R - 1);
    if (m_tracks.size() <= static_cast<size_t>(t)) m_tracks.resize(static_cast<size_t>(t) + 1);
    std::vector<CFddSect>& sects = m_tracks[static_cast<size_t>(t)].m_sects;
    if (sects.size() <= i) sects.resize(i + 1);
    sects[i] = s;
    m_formatted.set(static_cast<size_t>(t));
    m_nSize = std::max<int>(m_nSize, s.m_nSize);
    m_nSectors = std::max(m_nSectors, static_cast<int>(sects.size()));
    m_nCylinders = std::max(m_nCylinders, static_cast<int>(m_tracks.size()));
    ++m_nChanges;
    return true;
}

void CFileFdd::ClearTrack(int C, int H) {
    m_nCurTrack = m_nCurSlot = -1;
    const int t = C * m_nHeads + H;
    if (t < 0 || t >= kMaxTracks) return;
    m_formatted.set(static_cast<size_t>(t));
    // An erase: the sectors the track had must go from the file too. Where the model lacks
    // part of the image, the file may hold sectors of a track the model does not.
    if (static_cast<size_t>(t) < m_tracks.size() &&
        !m_tracks[static_cast<size_t>(t)].m_sects.empty())
        m_tracks[static_cast<size_t>(t)].m_sects.clear();
    else if (m_nPartial == 0)
        return;
    m_bModified = true;
    ++m_nChanges;
}
