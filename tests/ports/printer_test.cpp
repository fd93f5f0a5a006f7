#include <algorithm>
#include <cerrno>
#include <optional>

#include "platform/file.h"
#include "port_fixture.h"
#include "tests/platform/guards.h"
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

// Printer 0 into a file that takes four bytes: the fifth waits unacknowledged, the status
// reading attached but not ready; a strobe while it waits loses its own byte. The user is
// told once a wait. Lifted, the limit lets the next status read, or strobe, write the
// waiting byte, exactly once.
TEST_F(Printer, ARefusedByteWaitsUnacknowledgedAndIsToldOnce) {
    TempDir dir;
    const std::string path = dir / "prn0";
    m_board->m_pPrn[0] = new CFile(path, CFile::modeCreateWrite);
    // Prints b and reads the status, as a guest does after each strobe.
    const auto print = [&](char b) {
        Write(0xFD01, uint8_t(b));
        Write(0xFD00, {0x40, 0x00});
        return Read(0xFD02);
    };
    const auto printed = [&] { return ReadFile<std::string>(path); };
    const auto told = [&] {
        return std::count(m_view.m_posted.begin(), m_view.m_posted.end(),
                          unsigned(ID_PRINTER_REFUSED));
    };
    std::optional<FileSizeLimit> limit(4);
    ASSERT_TRUE(limit->IsSet());
    for (char b : std::string("ABCD"))
        EXPECT_EQ(print(b), 0x06) << b;
    Write(0xFD23, 0x01);
    EXPECT_EQ(print('E'), 0x02);
    EXPECT_EQ(print('x'), 0x02); // a guest that does not wait: lost
    EXPECT_EQ(Read(0xFD02), 0x02);
    EXPECT_EQ(m_board->m_io[0x103], 0);
    EXPECT_EQ(printed(), "ABCD");
    EXPECT_EQ(told(), 1);
    EXPECT_EQ(m_board->m_prnWait[0].error, EFBIG);

    limit.reset();
    EXPECT_EQ(Read(0xFD02), 0x06);
    EXPECT_EQ(m_board->m_io[0x103], 0x02); // acknowledged now
    EXPECT_EQ(Read(0xFD02), 0x06);
    EXPECT_EQ(print('F'), 0x06);
    EXPECT_EQ(printed(), "ABCDEF");

    limit.emplace(6); // refused again after bytes were written: told again
    EXPECT_EQ(print('G'), 0x02);
    EXPECT_EQ(told(), 2);
    limit.reset();
    EXPECT_EQ(print('H'), 0x06); // the strobe writes the waiting byte first
    EXPECT_EQ(printed(), "ABCDEFGH");
}

// A FIFO whose reader lags is a busy printer, not a failure: the byte waits untold until
// a strobe loses one.
TEST_F(Printer, ABusyFifoIsToldOnlyWhenAByteIsLost) {
    const WriteSignalsIgnored ignored;
    TempDir dir;
    const std::string fifo = dir / "fifo";
    const IdleFifoReader reader(fifo);
    ASSERT_TRUE(reader.IsOpen());
    m_board->m_pPrn[2] = new CFile(fifo, CFile::modeCreateWrite);
    for (long sent = 0; sent < (1 << 20) && Read(0xFD69) == 0x06; ++sent)
        Write(0xFD67, {0x40, 0x00});
    EXPECT_EQ(Read(0xFD69), 0x02);
    EXPECT_TRUE(m_view.m_posted.empty());
    Write(0xFD67, {0x40, 0x00}); // not waited for: lost, and told
    EXPECT_EQ(m_view.m_posted, std::vector<unsigned>{ID_PRINTER_REFUSED + 2});
}

} // namespace
