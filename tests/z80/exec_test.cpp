// Access sequences, control flow, the F byte, HALT, undefined codes and the trace hook.
#include <gtest/gtest.h>

#include "flat_z80.h"

namespace {

// Every memory access of one instruction, in order: immediate words are fetched high byte
// first, stores go low byte first, pops read high byte first.
TEST(Exec, AccessSequences) {
    struct Case {
        std::initializer_list<uint8_t> code; // at $1000; HL $2000, DE $3000, SP $8000, IX $4000
        Log expected;
    };
    // clang-format off
    const Case cases[] = {
        {{0x2A, 0x34, 0x12}, {R(0x1000, 0x2A), R(0x1002, 0x12), R(0x1001, 0x34), R(0x1235, 0x12),
                              R(0x1234, 0x34)}},
        {{0x22, 0x34, 0x12}, {R(0x1000, 0x22), R(0x1002, 0x12), R(0x1001, 0x34), W(0x1234, 0x00),
                              W(0x1235, 0x20)}},
        {{0xD5}, {R(0x1000, 0xD5), W(0x7FFE, 0x00), W(0x7FFF, 0x30)}},
        {{0xC1}, {R(0x1000, 0xC1), R(0x8001, 0x22), R(0x8000, 0x11)}},
        {{0xCD, 0x34, 0x12}, {R(0x1000, 0xCD), R(0x1002, 0x12), R(0x1001, 0x34), W(0x7FFE, 0x03),
                              W(0x7FFF, 0x10)}},
        // the empty row still writes back
        {{0xCB, 0x36}, {R(0x1000, 0xCB), R(0x1001, 0x36), R(0x2000, 0x81), W(0x2000, 0x81)}},
        {{0xDD, 0x34, 0x02}, {R(0x1000, 0xDD), R(0x1001, 0x34), R(0x1002, 0x02), R(0x4002, 0x7F),
                              W(0x4002, 0x80)}},
        {{0xDD, 0xCB, 0x02, 0x06}, {R(0x1000, 0xDD), R(0x1001, 0xCB), R(0x1002, 0x02),
                                    R(0x1003, 0x06), R(0x4002, 0x7F), W(0x4002, 0xFE)}},
        // register form: no memory
        {{0xDD, 0xCB, 0x05, 0x00}, {R(0x1000, 0xDD), R(0x1001, 0xCB), R(0x1002, 0x05),
                                    R(0x1003, 0x00)}},
        {{0xFD, 0xE3}, {R(0x1000, 0xFD), R(0x1001, 0xE3), R(0x8001, 0x22), R(0x8000, 0x11),
                        W(0x8000, 0x00), W(0x8001, 0x00)}},
        {{0xED, 0x6F}, {R(0x1000, 0xED), R(0x1001, 0x6F), R(0x2000, 0x81), W(0x2000, 0x10)}},
        {{0xED, 0x73, 0x34, 0x12}, {R(0x1000, 0xED), R(0x1001, 0x73), R(0x1003, 0x12),
                                    R(0x1002, 0x34), W(0x1234, 0x00), W(0x1235, 0x80)}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::vector<uint8_t>(c.code)));
        auto z = std::make_unique<FlatZ80>();
        z->Load(0x1234, {0x34, 0x12});
        z->Load(0x8000, {0x11, 0x22});
        z->m_ram[0x2000] = 0x81, z->m_ram[0x4002] = 0x7F;
        REGZ80& r = z->m_reg;
        r.HL = 0x2000, r.DE = 0x3000, r.BC = 0x0001, r.SP = 0x8000, r.IX = 0x4000;
        z->Run(0x1000, c.code);
        EXPECT_EQ(z->m_log, c.expected);
    }
}

TEST(Exec, ControlFlow) {
    struct Case {
        std::initializer_list<uint8_t> code; // at $0100, SP $9000, B 3, IX $1234, IY $7777
        const char* flags;
        int steps;
        uint16_t pc;
    };
    // clang-format off
    const Case cases[] = {
        {{0x18, 0xFE}, "", 1, 0x0100},             // JR -2
        {{0x20, 0x10}, "Z", 1, 0x0102},            // JR NZ not taken
        {{0x10, 0xFE}, "", 3, 0x0102},             // DJNZ runs B down to 0
        {{0xF2, 0x00, 0x50}, "", 1, 0x5000},       // JP P
        {{0xCD, 0x04, 0x01, 0x00, 0xC9}, "", 2, 0x0103}, // CALL, RET
        {{0xFD, 0xE9}, "", 1, 0x7777},             // JP (IY)
        {{0xDD, 0xF9, 0xFF}, "", 2, 0x0038},       // LD SP,IX; RST 38
        {{0x76}, "", 3, 0x0100},                   // HALT executes again
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(*c.code.begin()));
        auto z = std::make_unique<FlatZ80>();
        REGZ80& r = z->m_reg;
        r.SP = 0x9000, r.BC = 0x0300, r.IX = 0x1234, r.IY = 0x7777;
        SetFlags(r, c.flags);
        z->Run(0x0100, c.code, c.steps);
        EXPECT_EQ(r.PC, c.pc);
    }
}

TEST(Exec, FlagByteAssembledOnlyByPushAndExchange) {
    auto z = std::make_unique<FlatZ80>();
    REGZ80& r = z->m_reg;
    // POP AF keeps the popped byte, bits 5 and 3 included, and loads the flag bytes.
    r.SP = 0x8000;
    z->Load(0x8000, {0xFF, 0x12});
    z->Run(0x1000, {0xF1});
    EXPECT_EQ(r.AF, 0x12FF);
    EXPECT_EQ(FlagText(r), "SZHPNC");
    // A flag change does not show in AF until PUSH AF assembles F (bits 5, 3 clear).
    z->Run(0x1000, {0xAF}); // XOR A
    EXPECT_EQ(r.AF, 0x00FF);
    z->Run(0x1000, {0xF5, 0xC1}, 2); // PUSH AF; POP BC
    EXPECT_EQ(r.BC, 0x0044);
    EXPECT_EQ(r.AF, 0x0044);
    // EX AF,AF' assembles F, swaps, and loads the flags from the byte it got verbatim.
    r.AF2 = 0x7729;
    r.fC = 1;
    z->Run(0x1000, {0x08});
    EXPECT_EQ(r.AF, 0x7729);
    EXPECT_EQ(r.AF2, 0x0045);
    EXPECT_EQ(FlagText(r), "C");
    z->Run(0x1000, {0x08});
    EXPECT_EQ(r.AF2, 0x7701); // bits 5 and 3 of the old byte are gone
    EXPECT_EQ(FlagText(r), "ZPC");
}

TEST(Exec, IndexedFormsThatUseTheRealHAndL) {
    auto z = std::make_unique<FlatZ80>();
    REGZ80& r = z->m_reg;
    // $DD $66 d and $DD $6E d load the real H and L; $DD $74 d stores the real H.
    r.IX = 0x2000;
    z->Load(0x2003, {0xAB, 0xCD});
    z->Run(0x1000, {0xDD, 0x66, 0x03, 0xDD, 0x6E, 0x04, 0xDD, 0x74, 0x05}, 3);
    EXPECT_EQ(r.HL, 0xABCD);
    EXPECT_EQ(r.IX, 0x2000);
    EXPECT_EQ(z->m_ram[0x2005], 0xAB);
    // The register form of $DD $CB works on the register, not on memory.
    r.BC = 0x8100;
    z->Run(0x1000, {0xDD, 0xCB, 0x05, 0x00});
    EXPECT_EQ(r.BC, 0x0300);
    EXPECT_EQ(z->m_ram[0x2005], 0xAB);
    // ADD IY,IY doubles IY and leaves HL and IX.
    r.IY = 0x9000;
    z->Run(0x1000, {0xFD, 0x29});
    EXPECT_EQ(r.IY, 0x2000);
    EXPECT_EQ(r.IX, 0x2000);
    EXPECT_EQ(r.HL, 0xABCD);
}

TEST(Exec, SpecialRegistersAndPorts) {
    auto z = std::make_unique<FlatZ80>();
    REGZ80& r = z->m_reg;
    // LD R,A stores R, which does not count instructions; LD A,R reads it back.
    r.SetA(0x42);
    z->Run(0x1000, {0xED, 0x4F, 0x3E, 0x00, 0x00, 0xED, 0x47, 0xED, 0x5F}, 5);
    EXPECT_EQ(r.A(), 0x42);
    EXPECT_EQ(r.RI, 0x4200);
    // Ports read 0 and take the low byte of BC only.
    r.BC = 0x12FE;
    r.SetA(0x99);
    r.fC = 1;
    z->Run(0x1000, {0xED, 0x40, 0xED, 0x79, 0xD3, 0x55}, 3); // IN B,(C); OUT (C),A; OUT (n),A
    EXPECT_EQ(r.BC, 0x00FE);
    EXPECT_EQ(FlagText(r), "ZPC");
    EXPECT_EQ(z->m_ins, std::vector<uint8_t>{0xFE});
    EXPECT_EQ(z->m_outs, (std::vector<uint16_t>{0xFE99, 0x5599}));
}

// Undefined sequences: registers and flags unchanged, only the two bytes consumed.
TEST(Exec, UndefinedSequencesDoNothing) {
    const uint8_t codes[][2] = {{0xED, 0x70}, {0xED, 0xFF}, {0xED, 0x00},
                                {0xED, 0x4C}, {0xDD, 0xDD}, {0xFD, 0xED},
                                {0xDD, 0x44}, {0xDD, 0x76}, {0xFD, 0x26}};
    for (const auto& code : codes) {
        auto z = std::make_unique<FlatZ80>();
        REGZ80& r = z->m_reg;
        r.AF = 0x1234, r.BC = 0x5678, r.DE = 0x9ABC, r.HL = 0x2000, r.IX = 0x3000;
        r.IY = 0x4000, r.SP = 0x8000;
        SetFlags(r, "SHC");
        REGZ80 before = r;
        before.PC = 0x1002;
        z->Run(0x1000, {code[0], code[1]});
        EXPECT_EQ(before, r) << std::hex << int(code[0]) << " " << int(code[1]);
        EXPECT_EQ(z->m_log.size(), 2u);
    }
}

TEST(Exec, TraceReadsSixBytesAndFormatsLine) {
    RecordingPage<CTracePageZ80, REGZ80> page;
    auto z = std::make_unique<FlatZ80>();
    z->m_pStat = &page;
    z->Run(0x0000, {0x00, 0x31, 0x00, 0x80});
    EXPECT_EQ(page.m_lines, std::vector<std::string>{"0001 LD   SP,8000"});
    Log expect{R(0, 0x00), R(1, 0x31), R(2, 0x00), R(3, 0x80), R(4, 0x00), R(5, 0x00), R(6, 0x00)};
    EXPECT_EQ(z->m_log, expect); // NOP: one fetch plus six trace reads
    page.m_lines.clear();
    z->Run(0xFFFD, {0x76}, 2);
    EXPECT_EQ(page.m_lines, (std::vector<std::string>{"FFFD HALT", "FFFD HALT"}));
    EXPECT_EQ(z->m_log[6].addr, 0x0002); // trace reads wrap past $FFFF
    z->m_pStat = nullptr;
    z->Run(0x0000, {0x00});
    EXPECT_EQ(z->m_log.size(), 1u);
}

} // namespace
