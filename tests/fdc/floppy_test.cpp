#include "fdc_fixture.h"

namespace {

// Row 0 raw image: sector (C, H, R) lies at ((C * 2 + H) * 16 + R - 1) * 256.
uint32_t Row0Offset(int c, int h, int r) {
    return uint32_t(((c * 2 + h) * 16 + r - 1) * 256);
}

// Row 0 has tracks 0-39 on both sides.
const struct SeekCase {
    uint8_t track, outwards, data, cmd, newTrack, newOutwards, status;
} kSeekCases[] = {
    {5, 0, 0, 0x04, 0, 1, 0x00},   // RESTORE, verify
    {3, 0, 45, 0x14, 45, 0, 0x10}, // SEEK to a missing track
    {40, 1, 0, 0x24, 40, 1, 0x00}, // STEP without update: verify checks track 39
    {39, 0, 0, 0x34, 40, 0, 0x10}, // STEP with update onto a missing track
    {7, 1, 0, 0x44, 8, 0, 0x00},   // STEP IN
    {0, 0, 0, 0x64, 255, 1, 0x10}, // STEP OUT wraps the track register
    {7, 0, 0, 0xC0, 7, 0, 0x10},   // READ ADDRESS
};

TEST_F(FdcTest, CommandsSetTrackDirectionStatusAndInterrupt) {
    for (const FdcUnit& u : kFdcUnits) {
        SCOPED_TRACE(u.name);
        AttachFloppy(u.slot, std::string("row0") + u.name, PatternImage(kRow0Bytes));
        for (const SeekCase& c : kSeekCases) {
            SCOPED_TRACE(testing::Message()
                         << "command " << int(c.cmd) << " from " << int(c.track));
            Out(u.base + 1, c.track);
            m_board->m_io[0x100 + u.base] = c.outwards;
            Out(u.base + 3, c.data);
            Out(u.base, c.cmd);
            EXPECT_EQ(In(u.base + 1), c.newTrack);
            EXPECT_EQ(m_board->m_io[0x100 + u.base], c.newOutwards);
            EXPECT_EQ(In(u.base), c.status);
            EXPECT_EQ(m_board->m_io[u.rawCell], u.rawBit);
            EXPECT_EQ(In(u.done), 0x40);
            EXPECT_EQ(m_board->m_io[u.rawCell], 0);
        }
        // An empty drive: $80 wherever the image is asked for.
        delete m_board->m_pFdd[u.slot];
        m_board->m_pFdd[u.slot] = nullptr;
        for (auto [cmd, status] :
             {std::pair{0x04, 0x80}, {0xA0, 0x80}, {0xF0, 0x80}, {0x10, 0x00}, {0xD0, 0x00}}) {
            Out(u.base, uint8_t(cmd));
            EXPECT_EQ(In(u.base), status) << cmd;
        }
    }
}

TEST_F(FdcTest, UnitASideLatchSelectsTheHeadAndShowsInTheCompletionRegisters) {
    AttachFloppy(4, "row0", PatternImage(kRow0Bytes));
    Out(0x1C, 0xFF);
    EXPECT_EQ(In(0x1C), 0x01);
    Command(0x18, 2, 17, 0x80); // head 1 of row 0 numbers its sectors 17-32
    EXPECT_EQ(In(0x1C), 0x41);
    EXPECT_EQ(In(0x1F), 0x41);
    EXPECT_EQ(In(0x1B), ImageByte(Row0Offset(2, 1, 1)));
}

// A drive or side select ends a programmed-I/O transfer, its pending data request too.
TEST_F(FdcTest, SelectWritesEndATransfer) {
    for (const FdcUnit& u : kFdcUnits)
        AttachFloppy(u.slot, std::string("row0") + u.name, PatternImage(kRow0Bytes));
    for (auto [base, reg] :
         {std::pair{0x18, 0x1D}, {0x18, 0x1E}, {0x30, 0x34}, {0x30, 0x35}, {0x30, 0x36}}) {
        Command(uint8_t(base), 0, 1, 0x80);
        In(uint8_t(base + 3)); // one byte moved, the next one pending
        Out(uint8_t(reg), 0);
        EXPECT_EQ(In(uint8_t(base)), 0x00) << reg;
        EXPECT_EQ(In(uint8_t(base)), 0x00) << reg;
    }
}

// Two status reads before each byte: busy with the request only at the start, busy alone
// once at the end, when the interrupt rises again.
TEST_F(FdcTest, ProgrammedReadStatusSequence) {
    AttachFloppy(4, "row0", PatternImage(kRow0Bytes));
    Command(0x18, 1, 3, 0x80);
    EXPECT_EQ(In(0x1F), 0x40);
    std::vector<int> status, expected;
    for (int i = 0; i <= 256; ++i) {
        status.push_back(In(0x18));
        status.push_back(In(0x18));
        expected.insert(expected.end(), {i == 0 ? 0x03 : i == 256 ? 0x01 : 0x00, i < 256 ? 2 : 0});
        if (i < 256) {
            ASSERT_EQ(In(0x1B), ImageByte(Row0Offset(1, 0, 3) + uint32_t(i))) << i;
        }
    }
    EXPECT_EQ(status, expected);
    EXPECT_EQ(m_board->m_io[0x103], 0x08);
    EXPECT_EQ(In(0x1B), ImageByte(Row0Offset(1, 0, 3) + 255)); // the register keeps its byte
}

TEST_F(FdcTest, MultiSectorProgrammedWriteEndsAtTheFirstMissingSector) {
    AttachFloppy(1, "row0", PatternImage(kRow0Bytes));
    Out(0x35, 1); // unit B, drive 1
    Command(0x30, 4, 15, 0xB0);
    int moved = 0;
    for (int guard = 0; guard < 2000 && (In(0x30) & 0x02 || In(0x30) & 0x02); ++guard)
        Out(0x33, uint8_t(0x40 + moved++));
    EXPECT_EQ(moved, 512);
    EXPECT_EQ(In(0x32), 17);
    EXPECT_EQ(m_board->m_io[0x12C], 0x40);
    EXPECT_EQ(In(0x36), 0xC2); // drive presence: 8-inch drive 1 only
    Out(0x33, 0x99);           // no data request: nothing moves
    Bytes image = PatternImage(kRow0Bytes);
    for (int i = 0; i < 512; ++i)
        image[Row0Offset(4, 0, 15) + size_t(i)] = uint8_t(0x40 + i);
    EXPECT_EQ(ReadFile(m_dir / "row0"), image);
}

const struct DmaReadCase {
    int cmd, sector, count, status, lastSector, moved;
} kDmaReads[] = {
    {0x90, 15, 1024, 0x00, 17, 512}, // stops at the missing sector 17
    {0x90, 14, 600, 0x00, 16, 600},  // ... inside a sector
    {0x80, 16, 1024, 0x00, 16, 256}, // one sector
    {0x90, 20, 1024, 0x10, 20, 0},   // missing at the command
};

TEST_F(FdcTest, DmaSectorReadsStopAtAMissingSectorOrTheEndOfTheCount) {
    AttachFloppy(0, "row0", PatternImage(kRow0Bytes));
    for (const DmaReadCase& c : kDmaReads) {
        SCOPED_TRACE(c.sector * 10000 + c.count);
        std::fill(m_board->m_ram + 0x30000, m_board->m_ram + 0x31000, 0xAA);
        SetDma(1, 0x30000, c.count, 0x04);
        Out(0x55, 0x02);
        Command(0x30, 6, c.sector, c.cmd);
        EXPECT_EQ(In(0x30), c.status);
        EXPECT_EQ(In(0x32), c.lastSector);
        EXPECT_EQ(DmaCount(1), c.count - c.moved);
        EXPECT_EQ(DmaAddress(1), c.moved);
        EXPECT_EQ(Ram(0x30000, size_t(c.moved)),
                  PatternImage(uint32_t(c.moved), Row0Offset(6, 0, c.sector)));
        EXPECT_EQ(m_board->m_ram[0x30000 + c.moved], 0xAA);
        // Done bit and interrupt only when a transfer ran; the control read clears both.
        const uint8_t done = c.moved ? 0x80 : 0x00;
        EXPECT_EQ(m_board->UpdateIrq() & 0x10, done >> 3);
        EXPECT_EQ(In(0x51), 0x04 | done);
        EXPECT_EQ(In(0x55), 0x02);
    }
}

TEST_F(FdcTest, DmaWriteCountingDownAndTheAcknowledgeRegister) {
    CFileFdd* fdd = AttachFloppy(4, "row0", PatternImage(kRow0Bytes));
    Bytes written(256), back(256);
    for (int i = 0; i < 256; ++i)
        m_board->m_ram[0x53000 - i] = written[size_t(i)] = uint8_t(i * 3);
    SetDma(0, 0x53000, 256, 0x0D); // to the device, address down, floppy DMA
    Out(0x55, 0x01);
    Command(0x18, 2, 4, 0xA0);
    EXPECT_EQ(In(0x18), 0x00);
    EXPECT_EQ(DmaAddress(0), 0x2F00);
    EXPECT_EQ(In(0x94), 0x05);
    Out(0x57, 0); // the acknowledge register drops the interrupt, not the done bit
    EXPECT_EQ(m_board->m_io[0xD03] & 0x10, 0);
    EXPECT_EQ(In(0x55), 0x01);
    EXPECT_EQ(In(0x50), 0x8D);
    ASSERT_EQ(fdd->SeekSector(2, 0, 3), 256);
    fdd->Read(back.data(), 256);
    EXPECT_EQ(back, written);
}

const struct BankCase {
    uint32_t address;
    int count, ctrl, message, endAddress;
} kBankCases[] = {
    {0x1FFF0, 32, 0x00, true, 0x0010},  // up through $20000
    {0x1FFF0, 16, 0x00, false, 0x0000}, // ends exactly at $20000
    {0x20008, 16, 0x08, true, 0xFFF8},  // down through $1FFFF
    {0xFFFF0, 32, 0x00, true, 0x0010},  // wraps within 20 bits
};

// The box comes once per Reset: a guest that keeps crossing a bank is not stopped by a
// modal box per transfer.
TEST_F(FdcTest, DmaBankOverIsReportedOncePerResetAndTheTransferCompletes) {
    CFileFdd* fdd = AttachFloppy(4, "row0", PatternImage(kRow0Bytes));
    for (const BankCase& c : kBankCases) {
        SCOPED_TRACE(c.address);
        m_view.m_messages.clear();
        m_board->Reset();
        for (int twice = 0; twice < 2; ++twice) {
            SetDma(2, c.address, c.count, c.ctrl);
            ASSERT_EQ(fdd->SeekSector(0, 0, 0), 256);
            EXPECT_EQ(m_board->DmaTransfer(2, fdd, 256), 0);
        }
        ASSERT_EQ(m_view.m_messages.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(m_view.m_messages[0].text, "DMA Bank Over");
        }
        EXPECT_EQ(DmaAddress(2), c.endAddress);
        EXPECT_EQ(In(0x96), c.address >> 16);
        const int step = c.ctrl & 0x08 ? -1 : 1;
        for (int i = 0; i < c.count; ++i)
            ASSERT_EQ(m_board->m_ram[(c.address + uint32_t(step * i)) & 0xFFFFF],
                      ImageByte(uint32_t(i)))
                << i;
    }
}

TEST_F(FdcTest, HostErrorsEndTransfersWithAnErrorStatus) {
    // A read-only image: every write fails on the host.
    CFileFdd* fdd = AttachFloppy(4, "row0", PatternImage(kRow0Bytes), CFile::modeRead);
    Command(0x18, 0, 1, 0xA0);
    In(0x18);
    Out(0x1B, 0x55);
    EXPECT_EQ(In(0x18), 0x20);
    SetDma(0, 0x1000, 512, 0x05);
    Out(0x18, 0xB0);
    EXPECT_EQ(In(0x18), 0x20);
    EXPECT_EQ(In(0x1A), 1);
    EXPECT_EQ(DmaCount(0), 512);
    EXPECT_EQ(ReadFile(fdd->GetFilePath()), PatternImage(kRow0Bytes));
}

} // namespace
