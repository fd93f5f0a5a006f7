#include "fdc_fixture.h"

namespace {

constexpr uint32_t kImageBytes = 0x30000; // cylinders 0-5

class Hdd : public FdcTest {
protected:
    Hdd() {
        WriteBytes(m_dir / "hd0", PatternImage(kImageBytes));
        m_board->m_pHdd[0] = new CFile(m_dir / "hd0", CFile::modeReadWrite);
        Out(0x2C, 0x00);
    }
    void Params(std::initializer_list<uint8_t> p) {
        for (uint8_t b : p)
            Out(0xC1, b);
    }
    Bytes Results() {
        Bytes r;
        for (int i = 0; i < 8; ++i)
            r.push_back(In(0xC1));
        return r;
    }
};

TEST_F(Hdd, CommandsWithoutParametersAnswerAtOnce) {
    struct Case {
        uint8_t cmd;
        Bytes results;
    };
    for (const Case& c :
         {Case{0x10, {0x10, 0, 0, 0, 0, 0, 0, 0}}, Case{0x14, {0x10, 0, 0, 0, 0x0C, 0, 0, 0}},
          Case{0x00, {0x90, 0, 0, 0, 0, 0, 0, 0}}, Case{0xFF, {0x90, 0, 0, 0, 0, 0, 0, 0}}}) {
        SCOPED_TRACE(int(c.cmd));
        Out(0xC0, c.cmd);
        EXPECT_EQ(In(0xC0), 0x43);
        EXPECT_EQ(In(0xC3), 0x5D);
        EXPECT_EQ(m_board->m_io[0x12C], 0x04);
        EXPECT_EQ(Results(), c.results);
        EXPECT_EQ(In(0xC0), 0x80);
        EXPECT_EQ(In(0xC3), 0x10);
        EXPECT_EQ(m_board->m_io[0x12C], 0x00);
        EXPECT_EQ(In(0xC1), 0x00); // idle
    }
}

TEST_F(Hdd, InterruptFollowsTheRawFlagThroughATransfer) {
    Out(0xC2, 0x80); // interrupt enabled, channel 0, unit 0
    SetDma(0, 0x10000, 256, 0x00);
    Out(0xC0, 0x22);
    EXPECT_EQ(In(0xC0), 0x21);
    EXPECT_EQ(In(0xC3), 0x35);
    EXPECT_EQ(m_board->m_io[0xD2C], 0x04);
    EXPECT_EQ(In(0xC1), 0x00); // no results while parameters are awaited
    EXPECT_EQ(m_board->m_nHddPhase, 1);
    Params({0, 0, 0, 1, 0, 1, 1});
    EXPECT_EQ(m_board->m_io[0xD2C], 0x04);
    Out(0xC1, 0);
    EXPECT_EQ(In(0xC0), 0x43);
    EXPECT_EQ(In(0xC3), 0x5D);
    EXPECT_EQ(m_board->m_io[0xD2C], 0x04);
    EXPECT_EQ(Results(), (Bytes{0x10, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(m_board->m_io[0xD2C], 0x00);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
}

struct TransferCase {
    const char* name;
    uint8_t params[8];
    int dmaCount;
    uint8_t ctrl; // DMA control: bit 0 memory to disk
    uint8_t r0, r1;
    uint32_t offset; // image offset of the first byte
    int moved;       // bytes that reach RAM or the file
};
const TransferCase kTransfers[] = {
    {"read C1 H0 S1", {0, 0, 0, 1, 0, 1, 1, 0}, 256, 0x00, 0x10, 0x00, 0x10100, 256},
    {"count left over", {0, 0, 0, 1, 0, 1, 1, 0}, 512, 0x00, 0x80, 0x20, 0x10100, 256},
    {"read past the end", {0, 0, 0, 2, 7, 31, 2, 0}, 512, 0x00, 0x10, 0x00, 0x2FF00, 256},
    {"write past the end", {0, 0, 0, 2, 7, 31, 2, 0}, 512, 0x01, 0x10, 0x00, 0x2FF00, 512},
};

TEST_F(Hdd, TransfersMoveDataBothWaysAtTheSectorOffset) {
    for (const TransferCase& c : kTransfers) {
        SCOPED_TRACE(c.name);
        Bytes image = FileBytes(m_dir / "hd0");
        std::fill(m_board->m_ram + 0x20000, m_board->m_ram + 0x20400, 0xAA);
        for (int i = 0; i < c.moved; ++i)
            m_board->m_ram[0x20000 + i] = uint8_t(0x5A ^ i);
        const bool toDisk = c.ctrl & 1;
        Out(0xC2, 0x20); // channel 2
        SetDma(2, 0x20000, c.dmaCount, c.ctrl);
        Out(0xC0, 0x23);
        for (uint8_t p : c.params)
            Out(0xC1, p);
        const int count = c.params[6] << 8 | c.params[7];
        EXPECT_EQ(DmaCount(2), c.dmaCount - std::min(count, c.dmaCount));
        EXPECT_EQ(Results(), (Bytes{c.r0, c.r1, 0, 0, 0, 0, 0, 0}));
        const Bytes after = FileBytes(m_dir / "hd0");
        if (toDisk) {
            ASSERT_EQ(after.size(), std::max<size_t>(image.size(), c.offset + size_t(c.moved)));
            for (int i = 0; i < c.moved; ++i)
                ASSERT_EQ(after[c.offset + size_t(i)], uint8_t(0x5A ^ i)) << i;
        } else {
            EXPECT_EQ(after, image);
            for (int i = 0; i < c.moved; ++i)
                ASSERT_EQ(m_board->m_ram[0x20000 + i], image[c.offset + size_t(i)]) << i;
        }
        // Beyond what moved, RAM is untouched (a read past the end still counts down).
        if (!toDisk) {
            EXPECT_EQ(m_board->m_ram[0x20000 + c.moved], 0xAA);
        }
    }
}

TEST_F(Hdd, UnitsWithoutAnImageAnswer90) {
    for (uint8_t ctrl : {0x00, 0x01, 0x02, 0x03}) { // unit = param bit 0 | ctrl bits 0-1 << 1
        for (uint8_t p0 : {0, 1}) {
            if (ctrl == 0 && p0 == 0) continue; // unit 0 has the image
            Out(0xC2, ctrl);
            SetDma(0, 0x1000, 256, 0x00);
            Out(0xC0, 0x22);
            Params({p0, 0, 0, 0, 0, 0, 1, 0});
            EXPECT_EQ(Results(), (Bytes{0x90, 0, 0, 0, 0, 0, 0, 0})) << int(ctrl) << int(p0);
            EXPECT_EQ(DmaCount(0), 256);
        }
    }
}

TEST_F(Hdd, AbandonAndHostErrors) {
    Out(0xC0, 0x22);
    Params({0, 0, 0});
    Out(0xC2, 0x08); // abandon: idle, status bytes as they were
    EXPECT_EQ(m_board->m_nHddPhase, 0);
    EXPECT_EQ(In(0xC0), 0x21);
    Out(0xC1, 0);
    EXPECT_EQ(m_board->m_nHddParCnt, 3);

    // A read-only image: the write fails on the host and reports the count not used up.
    delete m_board->m_pHdd[0];
    m_board->m_pHdd[0] = new CFile(m_dir / "hd0", CFile::modeRead);
    Out(0xC2, 0x00);
    SetDma(0, 0x1000, 256, 0x01);
    Out(0xC0, 0x22);
    Params({0, 0, 0, 0, 0, 0, 1, 0});
    EXPECT_EQ(Results(), (Bytes{0x80, 0x20, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(DmaCount(0), 256);
    EXPECT_EQ(FileBytes(m_dir / "hd0"), PatternImage(kImageBytes));
}

} // namespace
