// The image in memory: the file's bytes as read at open, with the ranges that could not be
// read, and the model built from them. A disk fails a page at a time, so what fails is read
// again a page at a time; a disk whose reads keep failing is given up on after
// kMaxFailedReads, and what was not read is read again before a whole image is written.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "floppy/file_fdd.h"

namespace {
constexpr uint8_t kFill = 0xE4; // what a formatted sector holds before it is written
constexpr uint64_t kPiece = 1u << 20, kPage = 4096;
} // namespace

void CFileFdd::HoldFile() {
    m_nFilePos = kUnknownPos;
    m_image = {};
    m_unread.clear();
    uint64_t length = 0;
    try {
        length = GetLength();
        m_nFileLength = length;
        m_image.resize(std::min(length, kMaxHeld));
    } catch (const CFileException& e) {
        return MarkUnread(0, UINT64_MAX, e.m_nErrno); // no length: nothing can be told
    } catch (const std::bad_alloc&) {
        return MarkUnread(0, UINT64_MAX, ENOMEM);
    }
    int failures = 0;
    const uint64_t end = ReadHeld(0, m_image.size(), failures);
    // A file that ended early: what it had is its length. One longer than is held is unread
    // beyond kMaxHeld.
    if (end < m_image.size()) {
        m_image.resize(end);
        m_nFileLength = end;
    } else if (length > end) {
        MarkUnread(end, length, EFBIG);
    }
    m_nFilePos = kUnknownPos;
}

uint64_t CFileFdd::ReadHeld(uint64_t from, uint64_t to, int& failures) {
    uint64_t at = from;
    const auto read = [&](uint64_t count) {
        if (g_pFileTestSeam) g_pFileTestSeam("read");
        if (Seek(at) != at) throw CFileException(GetFilePath(), EIO);
        const uint32_t got = CFile::Read(m_image.data() + at, static_cast<uint32_t>(count));
        at += got;
        return got == count;
    };
    int err = 0;
    const auto dead = [&](const CFileException& e) {
        err = e.m_nErrno;
        return ++failures >= kMaxFailedReads;
    };
    bool whole = true, gaveUp = false;
    // In large pieces; a piece that fails is read again a page at a time, and what still
    // fails stays unread.
    while (whole && !gaveUp && at < to) {
        const uint64_t piece = std::min(kPiece, to - at);
        try {
            whole = read(piece);
            continue;
        } catch (const CFileException& e) {
            gaveUp = dead(e);
        }
        for (const uint64_t end = at + piece; whole && !gaveUp && at < end;) {
            const uint64_t page = std::min(kPage - at % kPage, end - at);
            try {
                whole = read(page);
            } catch (const CFileException& e) {
                MarkUnread(at, at + page, e.m_nErrno);
                at += page;
                gaveUp = dead(e);
            }
        }
    }
    if (gaveUp && at < to) MarkUnread(at, to, err); // not asked for: the disk is taken for dead
    return whole ? to : at;
}

void CFileFdd::MarkUnread(uint64_t from, uint64_t to, int err) {
    if (from >= to) return;
    if (!m_unread.empty() && m_unread.back().to == from && m_unread.back().err == err)
        m_unread.back().to = to;
    else
        m_unread.push_back({from, to, err});
}

bool CFileFdd::ReadAgain() {
    // A file a rewrite left damaged no longer has the image's bytes where they were.
    if (m_unread.empty() || m_bFileDamaged) return false;
    const auto missing = [this] {
        uint64_t n = 0;
        for (const Range& r : m_unread)
            if (r.err != EFBIG) n += r.to - r.from;
        return n;
    };
    const uint64_t before = missing();
    std::vector<Range> was = std::move(m_unread);
    m_unread.clear();
    try {
        if (was.front().to == UINT64_MAX) { // not even its length was known: nothing was held
            HoldFile();
        } else {
            int failures = 0;
            for (const Range& r : was) {
                if (r.err == EFBIG) { // beyond what is held: never read
                    MarkUnread(r.from, r.to, r.err);
                    continue;
                }
                const uint64_t end = ReadHeld(r.from, r.to, failures);
                MarkUnread(end, r.to, EIO); // the file is shorter than it was
            }
        }
    } catch (const std::bad_alloc&) {
        m_unread = std::move(was); // all of it as unread as before
        throw CFileException(GetFilePath(), ENOMEM);
    }
    return missing() < before;
}

const CFileFdd::Range* CFileFdd::UnreadIn(uint64_t offset, uint64_t count) const {
    for (const Range& r : m_unread)
        if (r.from < offset + count && offset < r.to) return &r;
    return nullptr;
}

uint64_t CFileFdd::HeldCount(uint64_t offset, uint64_t count) const {
    if (const Range* r = UnreadIn(offset, count)) throw CFileException(GetFilePath(), r->err);
    return offset >= m_image.size() ? 0 : std::min<uint64_t>(count, m_image.size() - offset);
}

void CFileFdd::CopyHeld(const CFddSect& s, uint32_t pos, uint8_t* buf, uint32_t count) const {
    // The whole sector is checked: one that could not be read whole is an error from its
    // first byte on.
    const uint64_t held = HeldCount(s.m_nOffset, s.m_nSize);
    const uint64_t n = held > pos ? std::min<uint64_t>(count, held - pos) : 0;
    if (n) std::memcpy(buf, m_image.data() + s.m_nOffset + pos, n);
    std::fill(buf + n, buf + count, kFill); // promised beyond the end of a damaged image
}

void CFileFdd::Load() {
    m_nPartial = 0;
    if (!SetupFormat(DetectFormat())) LoadD88(true);
    // No format can be told without the file's first bytes: whatever it is, it is missing.
    if (const Range* r = UnreadIn(0, kD88HeaderSize); r && m_nPartial == 0) m_nPartial = r->err;
}

void CFileFdd::LoadAgain() {
    const CFddSect* selected = CurSect();
    const uint32_t pos = selected ? selected->m_nPos : 0;
    const int curTrack = selected ? m_nCurTrack : -1, curSlot = selected ? m_nCurSlot : -1;
    const std::bitset<kMaxTracks> formatted = m_formatted;
    const uint32_t changes = m_nChanges;
    // The file's bytes written since its last flush, as the sectors that hold them.
    std::vector<Range> unflushed;
    for (const CFddTrack& track : m_tracks)
        for (const CFddSect& s : track.m_sects)
            if (s.m_nState == CFddSect::stateFile && s.m_bUnflushed)
                unflushed.push_back({s.m_nOffset, s.m_nOffset + s.m_nSize, 0});
    // The model as it was, should building the new one run out of memory.
    std::vector<CFddTrack> was = std::move(m_tracks);
    const int format = m_nFormat, cylinders = m_nCylinders, sectors = m_nSectors, size = m_nSize,
              partial = m_nPartial;
    try {
        m_tracks.clear();
        m_nFormat = -1;
        m_nCylinders = m_nSectors = m_nSize = 0;
        Load();
        for (size_t t = 0; t < formatted.size(); ++t) {
            if (!formatted[t]) continue;
            if (t < m_tracks.size()) m_tracks[t].m_sects.clear();
            if (t < was.size())
                for (const CFddSect& s : was[t].m_sects)
                    if (s.m_nSize != 0) AddSector(s);
        }
        for (CFddTrack& track : m_tracks)
            for (CFddSect& s : track.m_sects)
                for (const Range& r : unflushed)
                    if (s.m_nState == CFddSect::stateFile && r.from < s.m_nOffset + s.m_nSize &&
                        s.m_nOffset < r.to)
                        s.m_bUnflushed = true;
    } catch (const std::bad_alloc&) {
        m_tracks = std::move(was);
        m_nFormat = format, m_nCylinders = cylinders, m_nSectors = sectors, m_nSize = size;
        m_nPartial = partial;
        m_formatted = formatted;
        m_nChanges = changes;
        m_nCurTrack = curTrack, m_nCurSlot = curSlot;
        throw CFileException(GetFilePath(), ENOMEM);
    }
    m_formatted = formatted;
    m_nChanges = changes;
    m_nCurTrack = curTrack, m_nCurSlot = curSlot;
    if (CFddSect* s = CurSect(); s && pos <= s->m_nSize)
        s->m_nPos = pos;
    else
        m_nCurTrack = m_nCurSlot = -1;
}

void CFileFdd::HoldWhole() {
    if (m_unread.empty() && m_nPartial == 0) return;
    const bool more = ReadAgain();
    // A model that lacks part of the image is built anew once more of it is held, or where it
    // lacked only memory.
    if (m_nPartial != 0 && (more || m_unread.empty())) LoadAgain();
    if (m_nPartial != 0) throw CFileException(GetFilePath(), m_nPartial);
}
