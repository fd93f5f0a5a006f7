// D88 image reader and writer of CFileFdd. All numbers are little-endian. A 688-byte
// header (name, reserved, flags, disk size at 28, 164 track offsets at 32) is followed
// by sector records: a 16-byte header (C H R N, sectors in track at 4, data size at 14)
// and the data. Sectors are placed by their own ID, never by the table entry that led
// to them.
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "floppy/file_fdd.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kDiskSizeAt = 28;
constexpr uint32_t kTrackTableAt = 32;
constexpr uint8_t kFill = 0xE4;

uint32_t GetLe32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A name with an extension must end in ".d88" (any case); a name without one passes.
bool HasD88Name(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return true;
    static const char kExt[] = ".d88";
    if (name.size() - dot != sizeof kExt - 1) return false;
    for (size_t i = 0; i < sizeof kExt - 1; ++i)
        if (std::tolower(static_cast<unsigned char>(name[dot + i])) != kExt[i]) return false;
    return true;
}

} // namespace

bool CFileFdd::LoadD88(bool bTestExtension) {
    if (bTestExtension && !HasD88Name(GetFilePath())) return false;
    try {
        m_nFormat = kFormatD88;
        m_nCylinders = 0;
        m_nHeads = 2;
        m_nSectors = 0;
        m_nSize = 0;
        m_tracks.clear();
        m_nCurTrack = m_nCurSlot = -1;
        m_nPartial = 0;

        // The file as held. A part that could not be read ends only the run that reaches it,
        // and the model then lacks part of the image.
        const auto held = [&](uint64_t offset, uint64_t count) {
            if (const Range* r = UnreadIn(offset, count)) {
                if (m_nPartial == 0) m_nPartial = r->err;
                return false;
            }
            return offset + count <= m_image.size();
        };
        if (!held(0, kD88HeaderSize)) return true;
        const uint8_t* header = m_image.data();
        const uint64_t diskSize = GetLe32(&header[kDiskSizeAt]);
        auto entry = [&](int e) { return uint64_t{GetLe32(&header[kTrackTableAt + 4 * e])}; };

        // What a rewrite of the records loaded would take: never more than a file held.
        int records = 0;
        uint64_t bytes = kD88HeaderSize;
        const auto room = [&] { return records < kMaxD88Records && bytes <= kMaxHeld; };
        for (int e = 0; e < kMaxTracks && room(); ++e) {
            uint64_t offset = entry(e);
            if (offset == 0) break;
            const uint64_t next = e + 1 < kMaxTracks ? entry(e + 1) : 0;
            const uint64_t end = next != 0 ? next : diskSize;
            // A run that starts inside the header would let sector writes rewrite it.
            if (offset < kD88HeaderSize) continue;
            for (int j = 0; offset < end && room(); ++j, ++records) {
                if (!held(offset, kD88RecordHeader)) break;
                const uint8_t* h = m_image.data() + offset;
                CFddSect s;
                s.m_C = h[0];
                s.m_H = h[1];
                s.m_R = h[2];
                s.m_N = h[3];
                s.m_nState = CFddSect::stateFile;
                s.m_nSize = static_cast<uint16_t>(h[14] | (h[15] << 8));
                s.m_nOffset = offset + kD88RecordHeader;
                s.m_nIndex = j;
                bytes += kD88RecordHeader + s.m_nSize;
                if (bytes > kMaxHeld) {
                    // Runs that overlap, unless the file goes on beyond what is held: then
                    // this is part of an image too large to hold.
                    if (!m_unread.empty() && m_unread.back().err == EFBIG && m_nPartial == 0)
                        m_nPartial = EFBIG;
                    break;
                }
                AddSector(s);
                offset += kD88RecordHeader + s.m_nSize;
            }
        }
        for (CFddTrack& track : m_tracks) // grown a slot at a time: no room kept spare
            track.m_sects.shrink_to_fit();
        return true;
    } catch (const std::exception&) {
        m_nPartial = ENOMEM; // what was loaded until then is only part of the image
        return false;
    }
}

CFileFdd::D88Layout CFileFdd::LayoutD88() {
    // Each track that holds slots gets the next table entry, its sectors follow in
    // physical order (ties by slot, unknown positions last).
    D88Layout l;
    std::memcpy(l.header.data(), "ORLO FDD", 8);
    uint64_t pos = kD88HeaderSize;
    int entry = 0;
    for (CFddTrack& track : m_tracks) {
        if (track.m_sects.empty() || entry >= kMaxTracks) continue;
        PutLe32(&l.header[kTrackTableAt + 4 * entry++], static_cast<uint32_t>(pos));
        std::vector<CFddSect*> order;
        for (CFddSect& s : track.m_sects)
            if (s.m_nSize != 0) order.push_back(&s);
        std::stable_sort(order.begin(), order.end(), [](const CFddSect* a, const CFddSect* b) {
            auto key = [](const CFddSect* s) { return s->m_nIndex < 0 ? INT_MAX : s->m_nIndex; };
            return key(a) < key(b);
        });
        const auto count = static_cast<uint16_t>(track.m_sects.size());
        for (CFddSect* s : order) {
            l.places.push_back({s, pos + kD88RecordHeader, count});
            pos += kD88RecordHeader + s->m_nSize;
            l.maxSize = std::max<int>(l.maxSize, s->m_nSize);
        }
        l.maxSectors = std::max<int>(l.maxSectors, count);
        // The table's offsets are 32 bits: an image that cannot be described is refused.
        if (pos > UINT32_MAX) throw CFileException(GetFilePath(), EFBIG);
    }
    PutLe32(&l.header[kDiskSizeAt], static_cast<uint32_t>(pos));
    l.length = pos;
    return l;
}

std::vector<uint8_t> CFileFdd::BuildD88(const D88Layout& l) const {
    std::vector<uint8_t> buf;
    buf.reserve(l.length);
    buf.assign(l.header.begin(), l.header.end());
    for (const D88Place& p : l.places) {
        const CFddSect& s = *p.s;
        const uint8_t rec[kD88RecordHeader] = {s.m_C,
                                               s.m_H,
                                               s.m_R,
                                               s.m_N,
                                               static_cast<uint8_t>(p.trackSectors),
                                               static_cast<uint8_t>(p.trackSectors >> 8),
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               static_cast<uint8_t>(s.m_nSize),
                                               static_cast<uint8_t>(s.m_nSize >> 8)};
        buf.insert(buf.end(), rec, rec + sizeof rec);
        const size_t at = buf.size();
        buf.resize(at + s.m_nSize, kFill);
        if (s.m_nState == CFddSect::stateFile)
            CopyHeld(s, 0, buf.data() + at, s.m_nSize);
        else if (s.m_nState != CFddSect::stateFormatted)
            std::copy_n(s.m_data.begin(), std::min<size_t>(s.m_data.size(), s.m_nSize),
                        buf.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return buf;
}

void CFileFdd::AdoptD88(const D88Layout& l, std::vector<uint8_t>&& image) {
    m_image = std::move(image);
    m_unread.clear(); // every sector was in memory to build it
    m_nPartial = 0;
    for (const D88Place& p : l.places) {
        p.s->m_nState = CFddSect::stateFile;
        p.s->m_nOffset = p.offset;
        p.s->m_data = {};
        p.s->m_bUnflushed = false;
    }
    m_nSectors = l.maxSectors;
    m_nSize = l.maxSize;
    m_nFormat = kFormatD88;
    m_bModified = false;
    m_nFileLength = l.length;
}
