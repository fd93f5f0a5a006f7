// Fuzz target of the whole machine: hostile guest code on both processors, their direct
// pages on the I/O pages so that short instructions reach the devices, with floppy
// images and a hard disk attached. Byte 0 bit 0 picks a script instead of free running:
// three-byte steps that poke registers of either board, push keys, tick and run.
// Posted window commands must stay few per run (the view drains them between batches).
//
// The host-file port creates files named by the guest relative to the working folder:
// run this target by hand from a scratch folder, as an unprivileged user (as the smoke
// run does).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "display/sub_cpu.h"
#include "floppy/file_fdd.h"
#include "mainboard/main_cpu.h"
#include "platform/file.h"
#include "terminal/term.h"
#include "tests/platform/fake_wnd.h"
#include "tests/platform/temp_dir.h"

namespace {

// A file of `size` bytes $E5 in the scratch folder.
std::string Fresh(const std::string& name, size_t size) {
    static const TempDir scratch("fuzz-machine");
    WriteFile(scratch / name, std::string(size, '\xE5'));
    return scratch / name;
}

constexpr long kPairs = 20000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FakeWnd wnd;
    auto main = std::make_unique<CMainCpu>();
    auto sub = std::make_unique<CSubCpu>();
    main->m_pView = sub->m_pWnd = &wnd;
    main->m_pSub = sub.get();
    sub->m_pMainIo = main->m_io;
    sub->m_pPal = main->m_pal;

    // An 8-inch and a mini drive of each kind of image, a hard disk, a printer and
    // terminals on the odd serial ports.
    const int drives[4] = {0, 1, 4, 5};
    const size_t sizes[4] = {512512, 0, 327680, 0};
    for (int d = 0; d < 4; ++d) {
        auto fdd = std::make_unique<CFileFdd>();
        if (fdd->Open(Fresh("fd" + std::to_string(d), sizes[d]), CFile::modeReadWrite))
            main->m_pFdd[drives[d]] = fdd.release();
    }
    auto hdd = std::make_unique<CFile>();
    if (hdd->Open(Fresh("hd0", 65536), CFile::modeReadWrite)) main->m_pHdd[0] = hdd.release();
    auto prn = std::make_unique<CFile>();
    if (prn->Open(Fresh("prn", 0), CFile::modeReadWrite)) main->m_pPrn[1] = prn.release();
    for (int n = 1; n < 5; n += 2) {
        main->m_pTerm[n] = new CTerm;
        main->m_pTerm[n]->AttachWindow(&wnd);
    }

    main->Reset();
    sub->Reset();
    for (size_t i = 0; i < size && i < 0x8000; ++i)
        main->m_ram[0x1000 + i] = data[i];
    for (size_t i = 0; i < size && i < 0xF80; ++i)
        sub->m_mem[0x1000 + i] = data[size - 1 - i];
    // Byte 0 bit 1: devices half prepared, so that single commands find something to
    // do: sector 1 on both floppy units, every DMA channel pointed into its own bank
    // with a count and the floppy units set to DMA, serial ports 1 and 3 enabled.
    if (data[0] & 2) {
        main->Cell(0x1A) = main->Cell(0x32) = 1;
        for (int c = 0; c < 4; ++c) {
            main->Cell(0x40 + 4 * c) = uint8_t(0x20 + c * 0x40);
            main->Cell(0x42 + 4 * c) = uint8_t(1 + c);
            main->Cell(0x50 + c) = uint8_t(0x04 | (data[0] >> (4 + c) & 1));
            main->Cell(0x94 + c) = uint8_t(c * 5);
        }
        main->m_usartCmd[1] = main->m_usartCmd[3] = 0x07;
    }
    main->m_reg.PC = 0x1000;
    main->m_reg.DP = 0xFD;
    sub->m_reg.PC = 0x9000;
    sub->m_reg.DP = 0xAF;

    long pairs = 0;
    auto run = [&](long n) {
        for (; n > 0 && pairs < kPairs; --n, ++pairs) {
            if (pairs % 2000 == 1999) main->m_bTick = sub->m_bTick = 1;
            main->Step();
            sub->Step();
        }
    };
    if (data[0] & 1) {
        for (size_t i = 1; i + 2 < size; i += 3) {
            const uint8_t a = data[i + 1], b = data[i + 2];
            switch (data[i] & 7) {
            case 0: main->WriteByte(uint16_t(0xFD00 | a), b); break;
            case 1: (void)main->ReadByte(uint16_t(0xFD00 | a)); break;
            case 2: sub->WriteByte(uint16_t(0xAF00 | a), b); break;
            case 3: (void)sub->ReadByte(uint16_t(0xAF00 | a)); break;
            case 4: run(a * 8 + 1); break;
            case 5: sub->PushKey(uint16_t(a << 8 | b)); break;
            case 6: main->m_bTick = sub->m_bTick = 1; break;
            case 7: main->m_ram[uint32_t(a) << 12 | uint32_t(b) << 4] = data[i]; break;
            }
        }
    }
    run(kPairs);
    if (long(wnd.m_posted.size()) > kPairs) std::abort();
    return 0;
}
