#include <filesystem>

#include "platform/file.h"
#include "port_fixture.h"
#include "tests/platform/temp_dir.h"

namespace {

using Printer = PortTest;

// The control register; data and status follow. The raw flag is bit `rawBit` of m_io[raw];
// `ack` is its $FD23 bit.
struct PrinterCase {
    int port, control, raw, rawBit, ack;
};

// How the raw flags show in the interrupt status is the I/O page's (its tests).
const PrinterCase kPrinters[] = {
    {0, 0xFD00, 0x103, 0x02, 0x01},
    {1, 0xFD64, 0x12C, 0x01, 0x02},
    {2, 0xFD67, 0x12C, 0x02, 0x04},
};

TEST_F(Printer, StrobePrintsAcknowledgesAndInterrupts) {
    TempDir dir;
    for (const PrinterCase& c : kPrinters) {
        SCOPED_TRACE(c.port);
        const std::string path = dir / ("prn" + std::to_string(c.port));
        m_board->m_pPrn[c.port] = new CFile(path, CFile::modeCreateWrite);
        const int data = c.control + 1, status = c.control + 2;
        EXPECT_EQ(Read(uint16_t(status)), 0x06);

        Write(uint16_t(data), 'H');
        Write(c.control, 0x40); // rising: acknowledge withdrawn
        EXPECT_EQ(m_board->m_io[0x100 + (status & 0xFF)], 0x02);
        EXPECT_EQ(ReadFile<std::string>(path), "");
        Write(c.control, 0x40); // no edge
        Write(c.control, 0x00); // falling: printed
        Write(c.control, 0x00); // no edge: nothing more
        EXPECT_EQ(ReadFile<std::string>(path), "H");
        EXPECT_EQ(m_board->m_io[0x100 + (status & 0xFF)], 0x06);
        EXPECT_EQ(m_board->m_io[c.raw], c.rawBit);

        Write(0xFD23, c.ack);
        EXPECT_EQ(m_board->m_io[c.raw], 0);

        delete m_board->m_pPrn[c.port]; // without a file the strobe does nothing
        m_board->m_pPrn[c.port] = nullptr;
        Write(c.control, 0x40);
        Write(c.control, 0x00);
        EXPECT_EQ(m_board->m_io[c.raw], 0);
        EXPECT_EQ(ReadFile<std::string>(path), "H");
    }
}

TEST_F(Printer, ARefusedByteIsNeitherAcknowledgedNorFatal) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    m_board->m_pPrn[1] = new CFile("/dev/full", CFile::modeCreateWrite);
    Write(0xFD2C, 0x01);
    Write(0xFD65, 'x');
    Write(0xFD64, 0x40);
    Write(0xFD64, 0x00);
    EXPECT_EQ(m_board->m_io[0x166] & 0x04, 0);
    EXPECT_EQ(m_board->m_io[0x12C], 0x00);
    ASSERT_NE(m_board->m_pPrn[1], nullptr); // still attached for the next byte
    EXPECT_EQ(Read(0xFD66), 0x06);
}

} // namespace
