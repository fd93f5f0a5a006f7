#include "board_fixture.h"

namespace {

using IoPage = BoardTest;

struct IrqCase {
    const char* source;
    int rawCell;        // m_io index of the raw flag byte
    uint8_t rawBit;     // raw flag bit
    uint16_t enable;    // register whose write enables the source
    uint8_t on;         // an enabling value
    uint8_t off;        // every other bit of that register
    uint8_t fd03, fd2c; // expected status bits
};

const IrqCase kIrqCases[] = {
    {"serial 0", 0x103, 0x80, 0xFD02, 0x02, 0xF1, 0x80, 0x00},
    {"keyboard", 0x103, 0x40, 0xFD02, 0x80, 0x7F, 0x40, 0x00},
    {"DMA", 0x103, 0x10, 0xFD55, 0x04, 0xF0, 0x10, 0x00},
    {"floppy A", 0x103, 0x08, 0xFD02, 0x20, 0xDF, 0x08, 0x00},
    {"printer 0", 0x103, 0x02, 0xFD02, 0x01, 0xFE, 0x02, 0x00},
    {"timer", 0x103, 0x01, 0xFD02, 0x10, 0xEF, 0x01, 0x00},
    {"serial 1-4", 0x12C, 0x80, 0xFD2C, 0x20, 0x1F, 0x20, 0x80},
    {"floppy B", 0x12C, 0x40, 0xFD2C, 0x08, 0xF7, 0x20, 0x40},
    {"hard disk", 0x12C, 0x04, 0xFDC2, 0x80, 0x7F, 0x20, 0x04},
    {"printer 2", 0x12C, 0x02, 0xFD2C, 0x02, 0xFD, 0x20, 0x02},
    {"printer 1", 0x12C, 0x01, 0xFD2C, 0x01, 0xFE, 0x20, 0x01},
};

TEST_F(IoPage, InterruptStatusCombinesRawFlagsWithTheirEnables) {
    for (const IrqCase& c : kIrqCases) {
        SCOPED_TRACE(c.source);
        m_board->Reset();
        m_board->m_io[c.rawCell] = c.rawBit;
        Write(c.enable, c.off);
        EXPECT_EQ(Read(0xFD03), 0);
        EXPECT_EQ(Read(0xFD2C), 0);
        Write(c.enable, c.on);
        EXPECT_EQ(m_board->UpdateIrq(), c.fd03);
        EXPECT_EQ(m_board->m_io[0xD2C], c.fd2c);
        EXPECT_EQ(Read(0xFD03), c.fd03);
        EXPECT_EQ(Read(0xFD2C), c.fd2c);
        // Bit 2 of $FD03 has no source.
        m_board->m_io[c.rawCell] = uint8_t(c.rawBit | 0x04 * (c.rawCell == 0x103));
        EXPECT_EQ(Read(0xFD03), c.fd03);
    }
}

TEST_F(IoPage, Status2ReadClearsItsCellButNotBitFiveOfStatus1) {
    Write(0xFD2C, 0x08);
    m_board->m_io[0x12C] = 0x40; // floppy unit B finished
    m_board->UpdateIrq();
    EXPECT_EQ(m_board->m_io[0xD03], 0x20);
    EXPECT_EQ(Read(0xFD2C), 0x40);
    EXPECT_EQ(m_board->m_io[0xD2C], 0x00);
    EXPECT_EQ(m_board->m_io[0xD03], 0x20); // the IRQ line stays up
    m_board->Step();
    EXPECT_EQ(m_board->m_reg.signals, SIG_IRQ);
    m_board->m_io[0x12C] = 0;
    EXPECT_EQ(Read(0xFD03), 0x00);
}

TEST_F(IoPage, Mask1RecomputesMask2WaitsAndStatus1IgnoresWrites) {
    m_board->m_io[0x103] = 0x01;
    m_board->m_io[0x12C] = 0x01;
    Write(0xFD2C, 0x01);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
    Write(0xFD02, 0x10);
    EXPECT_EQ(m_board->m_io[0xD03], 0x21);
    Write(0xFD03, 0x00);
    EXPECT_EQ(m_board->m_io[0xD03], 0x21);
}

TEST_F(IoPage, KeyReadHandsOverTheKeyAndPullsTheNext) {
    m_sub->Reset();
    Write(0xFD02, 0x80); // keys go to the main board
    m_sub->PushKey(0x0041);
    m_sub->PushKey(0x0142);
    m_sub->PopKey(); // as the display board's tick does
    EXPECT_EQ(m_board->m_io[0xD03], 0x40);
    EXPECT_EQ(Read(0xFD00), 0x00);
    EXPECT_EQ(Read(0xFD01), 0x41);
    // The read dropped the keyboard bit before the display board looked: the next
    // key is there at once.
    EXPECT_EQ(m_board->m_io[0xD03], 0x40);
    EXPECT_EQ(Read(0xFD00), 0x01);
    EXPECT_EQ(Read(0xFD01), 0x42);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
    EXPECT_EQ(m_board->m_io[0x103], 0x00);
    // $FD00 writes go to the printer control latch, not over the key.
    Write(0xFD00, 0x40);
    EXPECT_EQ(m_board->m_io[0x000], 0x40);
    EXPECT_EQ(Read(0xFD00), 0x01);
}

TEST_F(IoPage, FirqCausesAndTheDisplayBoardsControl) {
    m_board->m_io[0xD04] = 0x03; // attention and BREAK
    EXPECT_EQ(Read(0xFD04), 0x03);
    EXPECT_EQ(Read(0xFD04), 0x01); // BREAK is dropped by the read
    Write(0xFD04, 0x00);
    EXPECT_EQ(Read(0xFD04), 0x00);
    EXPECT_EQ(m_board->m_io[0x004], 0x80);

    m_board->m_io[0x105] = 0x80; // the display board waits
    Write(0xFD05, 0x41);
    EXPECT_EQ(m_board->m_io[0x005], 0x41);
    EXPECT_EQ(m_board->m_io[0x105], 0x80);
    EXPECT_EQ(Read(0xFD05), 0x00);
    Write(0xFD05, 0x80);
    EXPECT_EQ(Read(0xFD05), 0x80);
    EXPECT_EQ(m_board->m_io[0x105], 0x00);
    EXPECT_EQ(m_board->m_io[0x005], 0x80);
}

TEST_F(IoPage, DipSwitchReadAndPrinterAcknowledgeWrite) {
    EXPECT_EQ(Read(0xFD23), 159);
    Write(0xFD02, 0x01);
    Write(0xFD2C, 0x03);
    m_board->m_io[0x103] = 0x02;
    m_board->m_io[0x12C] = 0x03;
    EXPECT_EQ(Read(0xFD03), 0x22);
    Write(0xFD23, 0x02); // printer 1
    EXPECT_EQ(m_board->m_io[0x12C], 0x02);
    EXPECT_EQ(m_board->m_io[0xD03], 0x22);
    Write(0xFD23, 0x05); // printers 0 and 2
    EXPECT_EQ(m_board->m_io[0x103], 0x00);
    EXPECT_EQ(m_board->m_io[0x12C], 0x00);
    EXPECT_EQ(m_board->m_io[0xD03], 0x00);
    EXPECT_EQ(Read(0xFD23), 159);
}

TEST_F(IoPage, PaletteKeepsFourBitsAndMarksTheGraphicLayer) {
    m_sub->m_bGraphDirty = 0;
    m_sub->m_rcGraphDirty = CRect{640, 400, 0, 0};
    Write(0xFD98, 0x1F);
    Write(0xFD9F, 0x27);
    EXPECT_EQ(Read(0xFD98), 0x0F);
    EXPECT_EQ(m_board->m_pal[0], 0x0F);
    EXPECT_EQ(m_board->m_pal[7], 0x07);
    EXPECT_EQ(m_sub->m_bGraphDirty, 1);
    EXPECT_EQ(m_sub->m_rcGraphDirty.left, 0);
    EXPECT_EQ(m_sub->m_rcGraphDirty.top, 0);
    EXPECT_EQ(m_sub->m_rcGraphDirty.right, 639);
    EXPECT_EQ(m_sub->m_rcGraphDirty.bottom, 399);
}

TEST_F(IoPage, UnlistedAndDeviceAddressesArePlainCells) {
    for (int reg : {0x10, 0x20, 0x2F, 0x5F, 0x92, 0x93, 0x94, 0xA0, 0xFF}) {
        Write(uint16_t(0xFD00 + reg), uint8_t(reg ^ 0x5A));
        EXPECT_EQ(Read(uint16_t(0xFD00 + reg)), uint8_t(reg ^ 0x5A)) << std::hex << reg;
    }
    // The register is the address's low byte, whichever way it arrives.
    m_board->WriteIo(0x0010, 0x99);
    EXPECT_EQ(m_board->ReadIo(0xFD10), 0x99);
}

TEST_F(IoPage, WindowSeamIsQuietWithoutAView) {
    m_board->PostToView(ID_USART_CLOSE + 2);
    m_board->MessageToView("DMA Bank Over");
    ASSERT_EQ(m_view.m_posted.size(), 1u);
    EXPECT_EQ(m_view.m_posted[0], ID_USART_CLOSE + 2u);
    ASSERT_EQ(m_view.m_messages.size(), 1u);
    EXPECT_EQ(m_view.m_messages[0].text, "DMA Bank Over");
    m_board->m_pView = nullptr;
    m_board->PostToView(ID_USART_CLOSE);
    m_board->MessageToView("x");
    EXPECT_EQ(m_view.m_posted.size(), 1u);
}

} // namespace
