#include "fdc_fixture.h"

namespace {

constexpr uint32_t kImageBytes = 0x30000; // cylinders 0-5

class Hdd : public FdcTest {
protected:
    Hdd() {
        WriteFile(m_dir / "hd0", PatternImage(kImageBytes));
        m_board->m_pHdd[0] = new CFile(m_dir / "hd0", CFile::modeReadWrite);
    }
    // Command (if any), parameters, then the eight result bytes.
    Bytes Run(int cmd, const Bytes& params) {
        if (cmd >= 0) Out(0xC0, uint8_t(cmd));
        for (uint8_t b : params)
            Out(0xC1, b);
        Bytes r;
        for (int i = 0; i < 8; ++i)
            r.push_back(In(0xC1));
        return r;
    }
};

TEST_F(Hdd, StatusAndInterruptThroughACommand) {
    Out(0xC2, 0x80); // interrupt enabled, channel 0, unit 0
    SetDma(0, 0x10000, 256, 0x00);
    Out(0xC0, 0x22);
    EXPECT_EQ(m_board->m_io[0xD2C], 0x04); // raised by the command itself
    EXPECT_EQ(In(0xC0), 0x21);
    EXPECT_EQ(In(0xC3), 0x35);
    EXPECT_EQ(Run(-1, {0, 0, 0, 1, 0, 1, 1}), Bytes(8, 0x00)) << "no results while waiting";
    Out(0xC1, 0);
    EXPECT_EQ(In(0xC0), 0x43);
    EXPECT_EQ(In(0xC3), 0x5D);
    EXPECT_EQ(m_board->m_io[0xD2C], 0x04);
    EXPECT_EQ(Run(-1, {}), (Bytes{0x10, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(In(0xC0), 0x80);
    Out(0xC3, 0xFF); // read only
    EXPECT_EQ(In(0xC3), 0x10);
    EXPECT_EQ(m_board->m_io[0xD2C], 0x00);
    EXPECT_EQ(Run(0x14, {}), (Bytes{0x10, 0, 0, 0, 0x0C, 0, 0, 0}));
    EXPECT_EQ(Run(0xFF, {}), (Bytes{0x90, 0, 0, 0, 0, 0, 0, 0}));
}

const struct TransferCase {
    const char* name;
    uint8_t params[8];
    int dmaCount;
    uint8_t ctrl; // DMA control: bit 0 memory to disk
    uint8_t r0, r1;
    uint32_t offset; // image offset of the first byte
    int moved;       // bytes that reach RAM or the file
} kTransfers[] = {
    {"read C1 H0 S1", {0, 0, 0, 1, 0, 1, 1, 0}, 256, 0x00, 0x10, 0x00, 0x10100, 256},
    {"count left over", {0, 0, 0, 1, 0, 1, 1, 0}, 512, 0x00, 0x80, 0x20, 0x10100, 256},
    {"read past the end", {0, 0, 0, 2, 7, 31, 2, 0}, 512, 0x00, 0x10, 0x00, 0x2FF00, 256},
    {"write past the end", {0, 0, 0, 2, 7, 31, 2, 0}, 512, 0x01, 0x10, 0x00, 0x2FF00, 512},
};

TEST_F(Hdd, TransfersMoveDataBothWaysAtTheSectorOffset) {
    for (const TransferCase& c : kTransfers) {
        SCOPED_TRACE(c.name);
        const Bytes image = ReadFile(m_dir / "hd0");
        std::fill(m_board->m_ram + 0x20000, m_board->m_ram + 0x20400, 0xAA);
        for (int i = 0; i < c.moved; ++i)
            m_board->m_ram[0x20000 + i] = uint8_t(0x5A ^ i);
        Out(0xC2, 0x20); // channel 2
        SetDma(2, 0x20000, c.dmaCount, c.ctrl);
        const Bytes results = Run(0x23, Bytes(c.params, c.params + 8));
        EXPECT_EQ(results, (Bytes{c.r0, c.r1, 0, 0, 0, 0, 0, 0}));
        const int count = c.params[6] << 8 | c.params[7];
        EXPECT_EQ(DmaCount(2), c.dmaCount - std::min(count, c.dmaCount));
        const Bytes after = ReadFile(m_dir / "hd0");
        if (c.ctrl & 1) {
            ASSERT_EQ(after.size(), c.offset + size_t(c.moved));
            for (int i = 0; i < c.moved; ++i)
                ASSERT_EQ(after[c.offset + size_t(i)], uint8_t(0x5A ^ i)) << i;
        } else {
            EXPECT_EQ(after, image);
            EXPECT_EQ(Ram(0x20000, size_t(c.moved)),
                      Bytes(image.begin() + c.offset, image.begin() + c.offset + c.moved));
            EXPECT_EQ(m_board->m_ram[0x20000 + c.moved], 0xAA);
        }
    }
}

TEST_F(Hdd, MissingUnitsAbandonAndHostErrors) {
    // unit = parameter bit 0 | control bits 0-1 << 1; only unit 0 has an image.
    for (auto [ctrl, p0] : {std::pair<uint8_t, uint8_t>{0, 1}, {1, 0}, {3, 1}}) {
        Out(0xC2, ctrl);
        SetDma(0, 0x1000, 256, 0x00);
        EXPECT_EQ(Run(0x22, {p0, 0, 0, 0, 0, 0, 1, 0}), (Bytes{0x90, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(DmaCount(0), 256);
    }
    Out(0xC2, 0x00);
    Out(0xC0, 0x22);
    Out(0xC1, 0);
    Out(0xC2, 0x08); // abandon: idle, status bytes as they were
    EXPECT_EQ(m_board->m_nHddPhase, 0);
    EXPECT_EQ(In(0xC0), 0x21);

    // A read-only image: the write fails on the host and reports the count not used up.
    delete m_board->m_pHdd[0];
    m_board->m_pHdd[0] = new CFile(m_dir / "hd0", CFile::modeRead);
    SetDma(0, 0x1000, 256, 0x01);
    EXPECT_EQ(Run(0x22, {0, 0, 0, 0, 0, 0, 1, 0}), (Bytes{0x80, 0x20, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(DmaCount(0), 256);
    EXPECT_EQ(ReadFile(m_dir / "hd0"), PatternImage(kImageBytes));
}

} // namespace
