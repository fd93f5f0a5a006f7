#include "board_fixture.h"

namespace {

using IoPage = MainBoardTest;

// Each enable register is tried one bit at a time: exactly the bits of `mask` enable.
TEST_F(IoPage, InterruptStatusCombinesRawFlagsWithTheirEnables) {
    struct {
        const char* source;
        int rawCell, rawBit, enable, mask, fd03, fd2c;
    } cases[] = {
        {"serial 0", 0x103, 0x80, 0xFD02, 0x0E, 0x80, 0x00},
        {"keyboard", 0x103, 0x40, 0xFD02, 0x80, 0x40, 0x00},
        {"DMA", 0x103, 0x10, 0xFD55, 0x0F, 0x10, 0x00},
        {"floppy A", 0x103, 0x08, 0xFD02, 0x20, 0x08, 0x00},
        {"printer 0", 0x103, 0x02, 0xFD02, 0x01, 0x02, 0x00},
        {"timer", 0x103, 0x01, 0xFD02, 0x10, 0x01, 0x00},
        {"serial 1-4", 0x12C, 0x80, 0xFD2C, 0xE0, 0x20, 0x80},
        {"floppy B", 0x12C, 0x40, 0xFD2C, 0x08, 0x20, 0x40},
        {"hard disk", 0x12C, 0x04, 0xFDC2, 0x80, 0x20, 0x04},
        {"printer 2", 0x12C, 0x02, 0xFD2C, 0x02, 0x20, 0x02},
        {"printer 1", 0x12C, 0x01, 0xFD2C, 0x01, 0x20, 0x01},
    };
    for (const auto& c : cases) {
        for (int bit = 0; bit < 8; ++bit) {
            SCOPED_TRACE(testing::Message() << c.source << " enable bit " << bit);
            m_board->Reset();
            m_board->m_io[c.rawCell] =
                uint8_t(c.rawBit | 0x04 * (c.rawCell == 0x103)); // bit 2: no source
            Write(c.enable, uint8_t(1 << bit));
            const bool on = c.mask & (1 << bit);
            EXPECT_EQ(Read(0xFD03), on ? c.fd03 : 0);
            EXPECT_EQ(Read(0xFD2C), on ? c.fd2c : 0);
        }
    }
}

TEST_F(IoPage, Status2ReadClearsItsCellButNotBitFiveOfStatus1) {
    m_board->m_io[0x12C] = 0x40; // floppy unit B finished
    Write(0xFD2C, 0x08);         // mask 2 waits for the next update...
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
    Write(0xFD02, 0x00); // ...which a mask 1 write makes
    EXPECT_EQ(m_board->m_io[0xD03], 0x20);
    Write(0xFD03, 0x00); // ignored
    EXPECT_EQ(Read(0xFD2C), 0x40);
    EXPECT_EQ(m_board->m_io[0xD2C], 0x00);
    EXPECT_EQ(m_board->m_io[0xD03], 0x20); // the IRQ line stays up
    m_board->Step();
    EXPECT_EQ(m_board->m_reg.signals, SIG_IRQ);
    m_board->m_io[0x12C] = 0;
    EXPECT_EQ(Read(0xFD03), 0x00);
}

TEST_F(IoPage, KeyReadHandsOverTheKeyAndPullsTheNext) {
    Write(0xFD02, 0x80); // keys go to the main board
    m_sub->PushKey(0x0041);
    m_sub->PushKey(0x0142);
    m_sub->PopKey(); // as the display board's ticks do: the second waits for the read
    m_sub->PopKey();
    EXPECT_EQ(Read(0xFD03), 0x40); // recomputed from the raw flag
    EXPECT_EQ(m_sub->m_mem[0x2FEC] << 8 | m_sub->m_mem[0x2FED], 0x0041); // $AFEC/$AFED too
    EXPECT_EQ(Read(0xFD00), 0x00);
    EXPECT_EQ(Read(0xFD01), 0x41);
    EXPECT_EQ(m_board->m_io[0xD03], 0x40); // the next key is there at once
    Write(0xFD00, 0x40);                   // the printer control latch, not the key
    EXPECT_EQ(Read(0xFD00), 0x01);
    EXPECT_EQ(Read(0xFD01), 0x42);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
}

TEST_F(IoPage, FirqCausesAndTheDisplayBoardsControl) {
    m_board->m_io[0xD04] = 0x03; // attention and BREAK
    EXPECT_EQ(Read(0xFD04), 0x03);
    EXPECT_EQ(Read(0xFD04), 0x01); // BREAK is dropped by the read
    Write(0xFD04, 0x00);           // the attention is acknowledged
    EXPECT_EQ(Read(0xFD04), 0x00);
    EXPECT_EQ(m_board->m_io[0x004], 0x80);
    m_board->m_io[0x105] = 0x80; // the display board waits
    Write(0xFD05, 0x80);         // hold: busy at once
    EXPECT_EQ(Read(0xFD05), 0x80);
    EXPECT_EQ(m_board->m_io[0x105], 0x00);
}

TEST_F(IoPage, PaletteKeepsFourBitsAndMarksTheGraphicLayer) {
    Write(0xFD9F, 0x27);
    EXPECT_EQ(Read(0xFD9F), 0x07);
    EXPECT_EQ(m_board->m_pal[7], 0x07);
    EXPECT_EQ(m_sub->m_bGraphDirty, 1);
    const CRect& rc = m_sub->m_rcGraphDirty;
    EXPECT_EQ((std::array{rc.left, rc.top, rc.right, rc.bottom}), (std::array{0, 0, 639, 399}));
}

TEST_F(IoPage, WindowSeamIsQuietWithoutAView) {
    m_board->PostToView(ID_USART_CLOSE);
    m_board->MessageToView("DMA Bank Over");
}

} // namespace
