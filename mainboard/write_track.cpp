// WRITE TRACK: the floppy units' format command. The guest prepares the raw bytes of a
// whole track in memory (gaps, address marks, ID fields, data fields, $F7 standing for
// the CRC bytes) and hands them over through a DMA channel; the parser below rebuilds
// the image's sector list of that track from them. Data bytes are not kept: the image
// fills a formatted sector when it is first selected. A track formatted with no sector of
// its own (every ID naming another track) is erased: the image keeps it empty.
//
// Parser: GAP counts zero bytes and turns to MARK after five; MARK waits for an ID mark
// ($FE) or a data mark ($F8-$FB); an ID field takes C, H, R, N up to its $F7; a data
// field counts its bytes up to its $F7 and then adds a sector of that size, provided
// the last ID named this cylinder and head and a valid R. One counter serves every
// state, so a single zero right after a field can already lead to MARK.
#include <exception>

#include "floppy/file_fdd.h"
#include "mainboard/dma_channel.h"
#include "mainboard/main_cpu.h"

namespace {

enum class Field { Gap, Mark, Id, Data };
constexpr uint8_t kCrc = 0xF7;

} // namespace

int CMainCpu::WriteTrack(int c, CFileFdd* fdd, int C, int H, int limit) {
    DmaChannel d = DmaChannel::Load(*this, c);
    fdd->ClearTrack(C, H); // a track left with fewer sectors is a change too

    Field field = Field::Gap;
    int n = 0;
    uint8_t id[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    int added = 0;
    for (; limit > 0 && d.m_nCount > 0; --limit) {
        const uint8_t b = m_ram[d.m_nAddress];
        d.Advance();
        --d.m_nCount;
        switch (field) {
        case Field::Gap:
            if (b != 0)
                n = 0;
            else if (++n > 4)
                field = Field::Mark;
            break;
        case Field::Mark:
            if (b == 0xFE)
                field = Field::Id;
            else if (b >= 0xF8 && b <= 0xFB)
                field = Field::Data;
            else if (b == kCrc || b == 0xFC || b == 0xFD)
                field = Field::Gap;
            n = 0;
            break;
        case Field::Id:
            if (b == kCrc)
                field = Field::Gap;
            else if (n < 4)
                id[n++] = b;
            break;
        case Field::Data:
            if (b != kCrc) {
                ++n;
                break;
            }
            field = Field::Gap;
            if (id[0] == C && id[1] == H && id[2] != 0 && id[2] != 0xFF) {
                CFddSect s;
                s.m_C = id[0];
                s.m_H = id[1];
                s.m_R = id[2];
                s.m_N = id[3];
                s.m_nSize = uint16_t(n);
                s.m_nState = CFddSect::stateFormatted;
                s.m_nIndex = added++;
                try {
                    if (fdd->AddSector(s)) fdd->m_bModified = true;
                } catch (const std::exception&) {
                    // out of memory: the sector is not added
                }
            }
            id[0] = id[1] = id[2] = id[3] = 0xFF;
            break;
        }
    }
    d.Store(*this);
    return d.m_nCount;
}
