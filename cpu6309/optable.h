// Opcode texts of the HD6309: for each of the three opcode pages (page 0, the $10 page and
// the $11 page) a row per opcode byte with the mnemonic and the operand form. The
// disassembler formats by these rows and the assembler in tools/asm6309 encodes by them, so
// an opcode's name and operand bytes are defined here once.
#pragma once

#include <array>
#include <cstdint>

// Operand forms; "ops" is the number of bytes after the opcode (after the second opcode
// byte on the prefix pages).
enum : uint32_t {
    OPF_ILLEGAL = 0,       // no instruction: "???"
    OPF_REGPAIR = 1,       // 1: register codes src:dst, "A,B"
    OPF_BITMEM = 2,        // 2: bit postbyte, direct address: "<$40:3,CC:5"
    OPF_LIST_S = 3,        // 1: register list, system stack
    OPF_LIST_U = 4,        // 1: register list, user stack
    OPF_DIRECT = 5,        // 1: "<$40"
    OPF_INDEXED = 6,       // 1-3: indexed postbyte and offset
    OPF_EXTENDED = 7,      // 2: "$1234"
    OPF_INHERENT = 8,      // 0
    OPF_IMM8 = 9,          // 1: "#$12"
    OPF_IMM16 = 11,        // 2: "#$1234"
    OPF_REL8 = 12,         // 1: branch target
    OPF_REL16 = 13,        // 2: branch target
    OPF_TFM_INC = 14,      // 1: "X+,Y+"
    OPF_TFM_DEC = 15,      // 1: "X-,Y-"
    OPF_TFM_SRC = 16,      // 1: "X+,Y"
    OPF_TFM_DST = 17,      // 1: "X,Y+"
    OPF_IMM_DIRECT = 18,   // 2: "#$12,<$40"
    OPF_IMM_INDEXED = 19,  // 2-4: "#$12,,X"
    OPF_IMM_EXTENDED = 20, // 3: "#$12,$1234"
    OPF_BITREG = 21,       // 2: bit postbyte, direct address: "A:3,<$40:5"
    OPF_PAGE10 = 22,       // prefix of the $10 page
    OPF_PAGE11 = 23,       // prefix of the $11 page
};

struct OPTEXT09 {
    const char* mnemonic; // at most 5 characters; "???" for rows that name no instruction
    uint32_t form;        // OPF_*
    uint32_t reserved;    // always 0
};

using OpPage09 = std::array<OPTEXT09, 256>;
extern const OpPage09 g_opPage0;
extern const OpPage09 g_opPage10;
extern const OpPage09 g_opPage11;

// Names by register code (TFR, EXG, the register-to-register instructions); codes 12 and 13
// show "?".
extern const char* const g_regPairNames09[16];
// Index register names by indexed postbyte bits 6-5.
extern const char* const g_indexRegNames09[4];
// Register-list names by postbyte bit 0 to 7; the user-stack list names bit 6 "S".
extern const char* const g_regListNamesS09[8];
extern const char* const g_regListNamesU09[8];
// TFM pointer names by register code 0 to 4.
extern const char* const g_tfmRegNames09[5];
// Bit-transfer register names by postbyte bits 7-6.
extern const char* const g_bitRegNames09[4];
