// Disassembly texts: operand formats, relative targets, index offsets, undefined codes.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

TEST(Disasm, Texts) {
    struct Case {
        std::vector<uint8_t> bytes;
        uint16_t addr;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {{0x18, 0xFE}, 0x0100, "JR   0100"},
        {{0x38, 0x80}, 0x0010, "JR   C,FF92"},
        {{0xCB, 0x30}, 0, "???  B"},
        {{0xED, 0x43, 0x34, 0x12}, 0, "LD   (1234),BC"},
        {{0xED, 0x70}, 0, "???"},
        {{0xDD, 0x36, 0xFD, 0x41}, 0, "LD   (IX+-3),41"},
        {{0xFD, 0xCB, 0x05, 0xFE}, 0, "SET  7,(IY+5)"},
        {{0xDD, 0xCB, 0x02, 0x36}, 0, "???  (IX+2)"},
    };
    // clang-format on
    for (const Case& c : cases) {
        uint8_t b[6] = {};
        std::copy(c.bytes.begin(), c.bytes.end(), b);
        char text[CSimZ80::kDisasmSize + 8];
        std::memset(text, 'x', sizeof text);
        CSimZ80::Disasm(text, b, c.addr);
        EXPECT_STREQ(text, c.text);
    }
}

} // namespace
